#include "StreamPrompts.h"

namespace evidor {

void StreamPrompts::message(const std::string& text)
{
    m_out << text << '\n';
}

IPrompts::Answer StreamPrompts::messageBox(const std::string& text, const std::string& caption, Icon,
                                           Buttons buttons)
{
    m_out << (caption.empty() ? "" : caption + ": ") << text << '\n';
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

} // namespace evidor
