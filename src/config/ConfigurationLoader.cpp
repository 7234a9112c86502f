#include "config/ConfigurationLoader.h"

#include "config/ConfigTexts.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace bv {

ConfigurationLoader::ConfigurationLoader(Profile& profile, MessageBoxes& messageBoxes)
    : m_profile(profile), m_messageBoxes(messageBoxes)
{}

std::optional<LoadedConfiguration> ConfigurationLoader::load(const std::string& configurationName,
                                                             const std::string& countryCode,
                                                             const std::string& programPath)
{
    // The profile root (registry key name + "BVALS_CL") is fixed by Profile; there is no earlier
    // registry key name that could take its place.
    LoadedConfiguration result;
    if (!copyLoginUrl(configurationName, countryCode, result))
        return std::nullopt;
    result.customerNumbers = m_profile.read(profilekey::Kundennummer);
    if (!copySpoolDirectory() || !copyProxyChoice(result))
        return std::nullopt;
    // Kept up to date by the installer: copied again at every start while the machine key exists.
    if (!recopyRequired(machinekey::general(), profilekey::LoginBackupURL) ||
        !recopyRequired(machinekey::general(), profilekey::ClientVersion))
        return std::nullopt;
    // Choices the user may have changed since: taken from the machine key only once.
    if (!copyWhenEmpty(machinekey::general(), profilekey::UseBackupURL) ||
        !copyWhenEmpty(machinekey::general(), profilekey::UseLan))
        return std::nullopt;
    if (!recopyRequired(machinekey::rzAnlagen(), profilekey::ScanDir) ||
        !recopyRequired(machinekey::rzAnlagen(), profilekey::TmpDir))
        return std::nullopt;
    if (!write(profilekey::ClientPath, programPath))
        return std::nullopt;
    return result;
}

bool ConfigurationLoader::copyLoginUrl(const std::string& configurationName, const std::string& countryCode,
                                       LoadedConfiguration& result)
{
    Registry& registry = m_profile.registry();
    result.loginUrl.clear();
    if (!configurationName.empty()) {
        RegistryKeyReader named(registry, machinekey::configurationGeneral(configurationName));
        if (!named.isOpen()) {
            m_messageBoxes.show(strFormat(configtext::ConfigurationKeysMissing, configurationName.c_str()),
                                configtext::Caption, MbIcon::Error);
            return false;
        }
        const std::string url = named.readString(profilekey::LoginURL.name);
        if (!url.empty()) {
            if (!write(profilekey::LoginURL, url))
                return false;
            result.loginUrl = url;
        }
    }
    if (result.loginUrl.empty()) {
        RegistryKeyReader country(registry, machinekey::configurationGeneral(countryCode));
        const std::string url = country.isOpen() ? country.readString(profilekey::LoginURL.name) : std::string();
        if (!url.empty()) {
            if (!write(profilekey::LoginURL, url))
                return false;
            result.loginUrl = url;
        }
    }
    return !result.loginUrl.empty();
}

bool ConfigurationLoader::copySpoolDirectory()
{
    if (!m_profile.read(profilekey::spooldir).empty())
        return true;
    std::string spoolDirectory = m_profile.read(profilekey::DefaultSpooldir);
    if (spoolDirectory.empty()) {
        RegistryKeyReader machine(m_profile.registry(), machinekey::abrechnungsversand());
        if (!machine.isOpen())
            return false;
        spoolDirectory = machine.readString(profilekey::DefaultSpooldir.name);
        if (!write(profilekey::DefaultSpooldir, spoolDirectory))
            return false;
    }
    return write(profilekey::spooldir, spoolDirectory);
}

bool ConfigurationLoader::copyProxyChoice(LoadedConfiguration& result)
{
    std::string useProxy = m_profile.read(profilekey::UseProxy);
    if (useProxy.empty()) {
        RegistryKeyReader machine(m_profile.registry(), machinekey::abrechnungsversand());
        if (!machine.isOpen())
            return false;
        useProxy = machine.readString(profilekey::UseProxy.name);
        if (!write(profilekey::UseProxy, useProxy))
            return false;
    }
    result.useProxy = useProxy == "1";
    return true;
}

bool ConfigurationLoader::recopyRequired(const std::string& machineKey, const ProfileKey& key)
{
    RegistryKeyReader machine(m_profile.registry(), machineKey);
    if (!machine.isOpen())
        return true; // the profile keeps its value
    const std::string value = machine.readString(key.name);
    return !value.empty() && write(key, value);
}

bool ConfigurationLoader::copyWhenEmpty(const std::string& machineKey, const ProfileKey& key)
{
    if (!m_profile.stored(key).empty())
        return true;
    RegistryKeyReader machine(m_profile.registry(), machineKey);
    return machine.isOpen() && write(key, machine.readString(key.name));
}

bool ConfigurationLoader::write(const ProfileKey& key, const std::string& value)
{
    return m_profile.write(key, value);
}

} // namespace bv
