#pragma once

#include "Prompts.h"

#include <ostream>

namespace evidor {

/// Prompts for programs without windows: every text goes to a stream (standard error),
/// questions take their default answer (OK or Yes), beeps are silent.
class StreamPrompts : public IPrompts
{
public:
    explicit StreamPrompts(std::ostream& out) : m_out(out) {}
    void message(const std::string& text) override;
    Answer messageBox(const std::string& text, const std::string& caption, Icon icon,
                      Buttons buttons) override;
    void beep() override {}
    void toneBeep(int, int) override {}

private:
    std::ostream& m_out;
};

} // namespace evidor
