#pragma once

#include "app/core/ViewDecoration.h"
#include "app/login/LoginController.h"
#include "app/login/LoginView.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class QPushButton;

namespace bv {

// The login window: user name, password, OK and Cancel on a white background. It only draws; what
// a click means is decided by its LoginController.
class LoginDialog : public QDialog, public LoginView
{
public:
    // `decoration` wraps the view the controller is given (an unattended run's transcript).
    LoginDialog(const QString& title, LoginDependencies dependencies, QWidget* parent = nullptr,
                const ViewDecoration<LoginView>& decoration = {});
    ~LoginDialog() override;

    LoginController& controller() { return *m_controller; }
    LoginDialogResult loginResult() const { return m_result; }
    bool isFinished() const { return m_finished; }

    std::string userName() const override;
    std::string password() const override;
    void setUserName(const std::string& text) override;
    void setPassword(const std::string& text) override;
    void focusUserName() override;
    void focusPassword() override;
    void setButtonsEnabled(bool enabled) override;
    void closeDialog(LoginDialogResult result) override;

    // Escape and the window's close button mean Cancel; while a request runs they do nothing.
    void reject() override;

private:
    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::unique_ptr<LoginController> m_controller;
    LoginDialogResult m_result = LoginDialogResult::Cancelled;
    bool m_finished = false;
};

} // namespace bv
