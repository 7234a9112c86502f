#pragma once

#include "app/login/LoginDialogRunner.h"

class QWidget;

namespace bv {

class ClientApp;
class UiDispatcher;

// Runs the Qt login dialog modally. In an unattended run the dialog is created but not shown: its
// transcript decorator writes the lines and answers for the user.
class QtLoginDialogRunner : public LoginDialogRunner
{
public:
    QtLoginDialogRunner(ClientApp& app, UiDispatcher& dispatcher, QWidget* parent = nullptr);
    LoginDialogResult runLoginDialog() override;

private:
    ClientApp& m_app;
    UiDispatcher& m_dispatcher;
    QWidget* m_parent;
};

} // namespace bv
