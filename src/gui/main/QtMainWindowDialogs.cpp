#include "gui/main/QtMainWindowDialogs.h"

#include "app/core/ClientApp.h"
#include "config/SetupController.h"
#include "gui/main/InfoDialog.h"
#include "gui/setup/SetupDialog.h"
#include "platform/Files.h"

namespace bv {

QtMainWindowDialogs::QtMainWindowDialogs(ClientApp& app, MainWindowServices services, QWidget* parent)
    : m_app(app), m_services(std::move(services)), m_parent(parent)
{}

std::string QtMainWindowDialogs::runSendDialog()
{
    return m_services.sendDialog ? m_services.sendDialog(m_parent) : std::string();
}

void QtMainWindowDialogs::runTestFileDialog()
{
    if (m_services.testFileDialog)
        m_services.testFileDialog(m_parent);
}

void QtMainWindowDialogs::runSetupDialog()
{
    bv::runSetupDialog(m_app, m_parent);
}

void QtMainWindowDialogs::runUpdate(const std::string& updateAddress)
{
    if (m_services.update)
        m_services.update(updateAddress, m_parent);
}

void QtMainWindowDialogs::showInfo()
{
    InfoDialog dialog(m_parent);
    dialog.run();
}

} // namespace bv
