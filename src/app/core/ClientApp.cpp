#include "app/core/ClientApp.h"

#include "app/core/AppInfo.h"
#include "config/CompanyWord.h"

namespace bv {

ClientApp::ClientApp(Registry& registry, MessageBoxes& boxes, CommandLine commandLine,
                     std::filesystem::path programPath, const NetworkProbe& networkProbe, DialUp& dialUp,
                     ScriptedUser* scriptedUser)
    : m_registry(registry), m_profile(registry), m_boxes(boxes), m_scriptedUser(scriptedUser),
      m_commandLine(std::move(commandLine)), m_programPath(std::move(programPath)),
      m_connection(m_profile, boxes, networkProbe, dialUp), m_popup{appinfo::PopupWidth, appinfo::PopupHeight, false}
{}

std::string ClientApp::windowTitle() const
{
    return std::string(CompanyWord) + " " + configName();
}

} // namespace bv
