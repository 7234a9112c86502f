#pragma once

#include "app/login/LoginView.h"
#include "app/unattended/DialogTranscript.h"

#include <string>

namespace bv {

class LoginController;
class ScriptedUser;

// The login dialog of an unattended run: wraps the window, writes the dialog's open and close lines
// and, whenever the dialog waits for the user, takes "login<TAB>user<TAB>password" (fills the fields
// and presses OK) or "cancel"; no fitting answer presses Cancel.
class LoginTranscript : public LoginView
{
public:
    LoginTranscript(ScriptedUser& user, const std::string& title);

    // The window every call is forwarded to; the view the controller is given.
    LoginView& wrap(LoginView& window);
    // The controller whose buttons the answers press.
    void attach(LoginController& controller) { m_controller = &controller; }

    std::string userName() const override { return m_window->userName(); }
    std::string password() const override { return m_window->password(); }
    void setUserName(const std::string& text) override { m_window->setUserName(text); }
    void setPassword(const std::string& text) override { m_window->setPassword(text); }
    void focusUserName() override { m_window->focusUserName(); }
    void focusPassword() override { m_window->focusPassword(); }
    void setButtonsEnabled(bool enabled) override { m_window->setButtonsEnabled(enabled); }
    void closeDialog(LoginDialogResult result) override;
    void awaitUser() override;

private:
    ScriptedUser& m_user;
    DialogTranscript m_transcript;
    LoginView* m_window = nullptr;
    LoginController* m_controller = nullptr;
    bool m_closed = false;
};

} // namespace bv
