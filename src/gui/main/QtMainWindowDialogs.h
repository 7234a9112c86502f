#pragma once

#include "app/main/MainWindowPorts.h"
#include "gui/main/MainWindowLauncher.h"

class QWidget;

namespace bv {

class ClientApp;

// The main window's dialogs drawn with Qt: the setup dialog and the information dialog here, the
// send, test-transfer and update dialogs through the services given by the caller.
class QtMainWindowDialogs : public MainWindowDialogs
{
public:
    QtMainWindowDialogs(ClientApp& app, MainWindowServices services, QWidget* parent);

    std::string runSendDialog() override;
    void runTestFileDialog() override;
    void runSetupDialog() override;
    void runUpdate(const std::string& updateAddress) override;
    void showInfo() override;

private:
    ClientApp& m_app;
    MainWindowServices m_services;
    QWidget* m_parent;
};

} // namespace bv
