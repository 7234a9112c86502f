#include "platform/MessageBoxes.h"

#include <iostream>

namespace bv {

MbResult MessageBoxes::firstButton(MbButtons buttons)
{
    switch (buttons) {
    case MbButtons::Ok:
    case MbButtons::OkCancel:
        return MbResult::Ok;
    case MbButtons::YesNo:
    case MbButtons::YesNoCancel:
        return MbResult::Yes;
    case MbButtons::RetryCancel:
        return MbResult::Retry;
    }
    return MbResult::Ok;
}

bool MessageBoxes::hasButton(MbButtons buttons, MbResult button)
{
    switch (buttons) {
    case MbButtons::Ok:
        return button == MbResult::Ok;
    case MbButtons::OkCancel:
        return button == MbResult::Ok || button == MbResult::Cancel;
    case MbButtons::YesNo:
        return button == MbResult::Yes || button == MbResult::No;
    case MbButtons::YesNoCancel:
        return button == MbResult::Yes || button == MbResult::No || button == MbResult::Cancel;
    case MbButtons::RetryCancel:
        return button == MbResult::Retry || button == MbResult::Cancel;
    }
    return false;
}

const char* iconWord(MbIcon icon)
{
    switch (icon) {
    case MbIcon::Error:
        return "error";
    case MbIcon::Warning:
        return "warning";
    case MbIcon::Information:
        return "information";
    case MbIcon::Question:
        return "question";
    case MbIcon::None:
        return "none";
    }
    return "none";
}

const char* buttonsWord(MbButtons buttons)
{
    switch (buttons) {
    case MbButtons::Ok:
        return "ok";
    case MbButtons::OkCancel:
        return "okcancel";
    case MbButtons::YesNo:
        return "yesno";
    case MbButtons::YesNoCancel:
        return "yesnocancel";
    case MbButtons::RetryCancel:
        return "retrycancel";
    }
    return "ok";
}

const char* resultWord(MbResult result)
{
    switch (result) {
    case MbResult::Ok:
        return "ok";
    case MbResult::Cancel:
        return "cancel";
    case MbResult::Yes:
        return "yes";
    case MbResult::No:
        return "no";
    case MbResult::Retry:
        return "retry";
    }
    return "ok";
}

MbResult ConsoleMessageBoxes::show(const std::string& text, const std::string& caption, MbIcon /*icon*/,
                                   MbButtons buttons, MbResult defaultButton)
{
    std::cerr << caption << ": " << text << std::endl;
    return hasButton(buttons, defaultButton) ? defaultButton : firstButton(buttons);
}

} // namespace bv
