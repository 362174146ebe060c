#pragma once

#include "platform/Prompts.h"

#include <QWidget>

namespace evidor {

/// Prompts as message boxes owned by the application; the caption of a plain message is the
/// application's title.
class QtPrompts : public IPrompts
{
public:
    void message(const std::string& text) override;
    Answer messageBox(const std::string& text, const std::string& caption, Icon icon,
                      Buttons buttons) override;
    void beep() override;
    void toneBeep(int frequency, int durationMs) override;
};

} // namespace evidor
