#pragma once

#include "app/core/CommandLine.h"
#include "billing/Edition.h"
#include "config/Profile.h"
#include "net/ContractList.h"
#include "net/NetworkConnection.h"
#include "net/SessionRecord.h"
#include "net/TrustedZone.h"

#include <filesystem>
#include <string>
#include <utility>

namespace bv {

class MessageBoxes;
class Registry;
class ScriptedUser;

// Properties of the web application's popup windows, set by the page command BV_POPUPPROP.
struct PopupProperties
{
    int width;
    int height;
    bool resizable = false;
};

// The application object: one per process. It owns the values settled at start, the profile store,
// the session record with the contract list, and the connection handling; every window reaches them
// here.
class ClientApp
{
public:
    ClientApp(Registry& registry, MessageBoxes& boxes, CommandLine commandLine, std::filesystem::path programPath,
              const NetworkProbe& networkProbe, DialUp& dialUp, ScriptedUser* scriptedUser = nullptr);

    // The spool types this build sends: this edition's, or a test edition's set at start.
    const Edition& edition() const { return m_edition; }
    void setEdition(Edition edition) { m_edition = std::move(edition); }

    Registry& registry() { return m_registry; }
    Profile& profile() { return m_profile; }
    MessageBoxes& boxes() { return m_boxes; }
    // The user of an unattended run, chosen once at start; null when a person sits at the screen.
    ScriptedUser* scriptedUser() { return m_scriptedUser; }
    const CommandLine& commandLine() const { return m_commandLine; }

    StartMode startMode() const { return m_commandLine.mode; }
    const std::string& startParameter() const { return m_commandLine.parameter; }
    const std::string& configName() const { return m_commandLine.configName; }
    std::string instanceName() const { return m_commandLine.instanceName(); }
    // Program directory and program path (the running executable).
    std::filesystem::path programDirectory() const { return m_programPath.parent_path(); }
    const std::filesystem::path& programPath() const { return m_programPath; }
    // "brevalis" followed by a blank and the configuration name: title of the main and login windows.
    std::string windowTitle() const;

    const std::string& osDescription() const { return m_osDescription; }
    void setOsDescription(std::string text) { m_osDescription = std::move(text); }

    bool useProxy() const { return m_useProxy; }
    void setUseProxy(bool on) { m_useProxy = on; }
    const std::string& loginUrl() const { return m_loginUrl; }
    void setLoginUrl(std::string url) { m_loginUrl = std::move(url); }
    const std::string& customerNumbers() const { return m_customerNumbers; }
    void setCustomerNumbers(std::string list) { m_customerNumbers = std::move(list); }

    TrustedZone& trustedZone() { return m_trustedZone; }
    SessionRecord& session() { return m_session; }
    ContractList& contracts() { return m_contracts; }
    NetworkConnection& connection() { return m_connection; }
    PopupProperties& popup() { return m_popup; }

private:
    Edition m_edition = clientEdition();
    Registry& m_registry;
    Profile m_profile;
    MessageBoxes& m_boxes;
    ScriptedUser* m_scriptedUser;
    CommandLine m_commandLine;
    std::filesystem::path m_programPath;
    std::string m_osDescription;
    bool m_useProxy = false;
    std::string m_loginUrl;
    std::string m_customerNumbers;
    TrustedZone m_trustedZone;
    SessionRecord m_session;
    ContractList m_contracts;
    NetworkConnection m_connection;
    PopupProperties m_popup;
};

} // namespace bv
