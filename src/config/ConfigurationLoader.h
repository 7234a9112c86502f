#pragma once

#include "config/ProfileKeys.h"

#include <optional>
#include <string>

namespace bv {

class MessageBoxes;
class Profile;
class RegistryKeyReader;

// What the load hands to the application object besides the profile it filled.
struct LoadedConfiguration
{
    std::string loginUrl;        // login address copied from the configuration's machine key
    std::string customerNumbers; // General Kundennummer as stored (normalised later by start-up)
    bool useProxy = false;       // Abrechnungsversand UseProxy is "1"
};

// Copies the installer's machine key into the user's profile at every start: the login address of
// the named configuration (or of the country's default configuration), the spool directory and proxy
// choice when the profile has none yet, the addresses, version and directories that the installer
// keeps up to date, and the path of the running client. Only fills what the client cannot start
// without; every later reader works on the profile alone.
class ConfigurationLoader
{
public:
    ConfigurationLoader(Profile& profile, MessageBoxes& messageBoxes);

    // nullopt when the configuration cannot be loaded; start-up then shows its registry-data message and
    // ends. A missing named configuration has shown its own message before. A profile value that
    // cannot be written also fails the load: a client running on a profile it could not fill would
    // work with stale or empty settings.
    std::optional<LoadedConfiguration> load(const std::string& configurationName, const std::string& countryCode,
                                            const std::string& programPath);

private:
    bool copyLoginUrl(const std::string& configurationName, const std::string& countryCode,
                      LoadedConfiguration& result);
    bool copySpoolDirectory();
    bool copyProxyChoice(LoadedConfiguration& result);
    bool recopyRequired(const std::string& machineKey, const ProfileKey& key);
    bool copyWhenEmpty(const std::string& machineKey, const ProfileKey& key);
    bool write(const ProfileKey& key, const std::string& value);

    Profile& m_profile;
    MessageBoxes& m_messageBoxes;
};

} // namespace bv
