#pragma once

#include <string>

namespace evidor {

/// The only way logic talks to the user. Texts are UTF-8. The app implements it with
/// message boxes; tests record what the user would have seen; the command line writes stderr.
class IPrompts
{
public:
    enum class Icon
    {
        None,
        Information,
        Warning,
        Error,
        Question
    };
    enum class Buttons
    {
        Ok,
        OkCancel,
        YesNo
    };
    enum class Answer
    {
        Ok,
        Cancel,
        Yes,
        No
    };

    virtual ~IPrompts() = default;

    /// A plain message box: the text, the application's title, an OK button.
    virtual void message(const std::string& text) = 0;
    /// A message box with its own caption, icon and buttons; returns the button pressed.
    virtual Answer messageBox(const std::string& text, const std::string& caption, Icon icon,
                              Buttons buttons) = 0;
    /// The system's default beep.
    virtual void beep() = 0;
    /// A tone of the given frequency (Hz) and duration (ms).
    virtual void toneBeep(int frequency, int durationMs) = 0;
};

} // namespace evidor
