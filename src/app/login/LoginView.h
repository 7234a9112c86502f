#pragma once

#include <string>

namespace bv {

// How the login dialog ended.
enum class LoginDialogResult
{
    LoggedIn,  // closed with OK: a session was opened or an update was accepted
    Cancelled, // the user pressed Cancel
    Failed     // closed by an error, a lock or the billing centre
};

// The login dialog's window as its controller sees it: two fields, the OK and Cancel buttons.
class LoginView
{
public:
    virtual ~LoginView() = default;
    virtual std::string userName() const = 0;
    virtual std::string password() const = 0;
    virtual void setUserName(const std::string& text) = 0;
    virtual void setPassword(const std::string& text) = 0;
    virtual void focusUserName() = 0;
    virtual void focusPassword() = 0;
    // OK and Cancel together: off while a login request runs.
    virtual void setButtonsEnabled(bool enabled) = 0;
    // Ends the modal dialog.
    virtual void closeDialog(LoginDialogResult result) = 0;
    // The dialog is ready for the user's input: after opening, a refused login and a message. A
    // window needs nothing here (its loop waits for a click); a scripted user answers now.
    virtual void awaitUser() {}
};

} // namespace bv
