#pragma once

#include <string>

namespace bv {

enum class MbIcon
{
    Error,
    Warning,
    Information,
    Question,
    None
};

enum class MbButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
    RetryCancel
};

enum class MbResult
{
    Ok,
    Cancel,
    Yes,
    No,
    Retry
};

// Port through which every user-facing message of the system is shown. The Qt implementation
// draws a QMessageBox; the console one writes to stderr; the unattended one writes a transcript
// line and takes answers from a file.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows one message box and returns the button pressed. `defaultButton` is the button an
    // unattended run or an Enter press takes; when it is not one of `buttons`, the first is taken.
    virtual MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                          MbResult defaultButton) = 0;

    MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons = MbButtons::Ok)
    {
        return show(text, caption, icon, buttons, firstButton(buttons));
    }

    static MbResult firstButton(MbButtons buttons);
    static bool hasButton(MbButtons buttons, MbResult button);
};

// Transcript words for icons, button sets and answers ("error", "yesno", "yes", ...).
const char* iconWord(MbIcon icon);
const char* buttonsWord(MbButtons buttons);
const char* resultWord(MbResult result);

// Writes each box to stderr ("caption: text") and answers with its default button. Used by bvlsreg.
class ConsoleMessageBoxes : public MessageBoxes
{
public:
    using MessageBoxes::show;
    MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                  MbResult defaultButton) override;
};

} // namespace bv
