#pragma once

#include "platform/Prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace evidor::test {

/// Records what the user would have seen; answers questions from a queue (default OK/Yes).
class RecordingPrompts : public evidor::IPrompts
{
public:
    struct Shown
    {
        std::string text;
        std::string caption; ///< empty for a plain message
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
    };

    std::vector<Shown> shown;
    std::vector<std::string> events; ///< "message", "box", "beep", "tone" in order
    std::deque<Answer> answers;

    void message(const std::string& text) override
    {
        shown.push_back({text, {}, Icon::None, Buttons::Ok});
        events.push_back("message");
    }
    Answer messageBox(const std::string& text, const std::string& caption, Icon icon,
                      Buttons buttons) override
    {
        shown.push_back({text, caption, icon, buttons});
        events.push_back("box");
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    void beep() override { events.push_back("beep"); }
    void toneBeep(int, int) override { events.push_back("tone"); }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> t;
        for (const auto& s : shown)
            t.push_back(s.text);
        return t;
    }
};

} // namespace evidor::test
