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
    result.customerNumbers = m_profile.readString(section::General, profilekey::Kundennummer);
    if (!copySpoolDirectory() || !copyProxyChoice(result))
        return std::nullopt;
    // Kept up to date by the installer: copied again at every start while the machine key exists.
    if (!recopyRequired(machinekey::general(), section::General, profilekey::LoginBackupURL) ||
        !recopyRequired(machinekey::general(), section::General, profilekey::ClientVersion))
        return std::nullopt;
    // Choices the user may have changed since: taken from the machine key only once.
    if (!copyWhenEmpty(machinekey::general(), section::General, profilekey::UseBackupURL) ||
        !copyWhenEmpty(machinekey::general(), section::General, profilekey::UseLan))
        return std::nullopt;
    if (!recopyRequired(machinekey::rzAnlagen(), section::RZAnlagen, profilekey::ScanDir) ||
        !recopyRequired(machinekey::rzAnlagen(), section::RZAnlagen, profilekey::TmpDir))
        return std::nullopt;
    if (!write(section::General, profilekey::ClientPath, programPath))
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
        const std::string url = named.readString(profilekey::LoginURL);
        if (!url.empty()) {
            if (!write(section::General, profilekey::LoginURL, url))
                return false;
            result.loginUrl = url;
        }
    }
    if (result.loginUrl.empty()) {
        RegistryKeyReader country(registry, machinekey::configurationGeneral(countryCode));
        const std::string url = country.isOpen() ? country.readString(profilekey::LoginURL) : std::string();
        if (!url.empty()) {
            if (!write(section::General, profilekey::LoginURL, url))
                return false;
            result.loginUrl = url;
        }
    }
    return !result.loginUrl.empty();
}

bool ConfigurationLoader::copySpoolDirectory()
{
    if (!m_profile.readString(section::Abrechnungsversand, profilekey::spooldir).empty())
        return true;
    std::string spoolDirectory = m_profile.readString(section::Abrechnungsversand, profilekey::DefaultSpooldir);
    if (spoolDirectory.empty()) {
        RegistryKeyReader machine(m_profile.registry(), machinekey::abrechnungsversand());
        if (!machine.isOpen())
            return false;
        spoolDirectory = machine.readString(profilekey::DefaultSpooldir);
        if (!write(section::Abrechnungsversand, profilekey::DefaultSpooldir, spoolDirectory))
            return false;
    }
    return write(section::Abrechnungsversand, profilekey::spooldir, spoolDirectory);
}

bool ConfigurationLoader::copyProxyChoice(LoadedConfiguration& result)
{
    std::string useProxy = m_profile.readString(section::Abrechnungsversand, profilekey::UseProxy);
    if (useProxy.empty()) {
        RegistryKeyReader machine(m_profile.registry(), machinekey::abrechnungsversand());
        if (!machine.isOpen())
            return false;
        useProxy = machine.readString(profilekey::UseProxy);
        if (!write(section::Abrechnungsversand, profilekey::UseProxy, useProxy))
            return false;
    }
    result.useProxy = useProxy == "1";
    return true;
}

bool ConfigurationLoader::recopyRequired(const std::string& machineKey, const char* section, const char* name)
{
    RegistryKeyReader machine(m_profile.registry(), machineKey);
    if (!machine.isOpen())
        return true; // the profile keeps its value
    const std::string value = machine.readString(name);
    return !value.empty() && write(section, name, value);
}

bool ConfigurationLoader::copyWhenEmpty(const std::string& machineKey, const char* section, const char* name)
{
    if (!m_profile.readString(section, name).empty())
        return true;
    RegistryKeyReader machine(m_profile.registry(), machineKey);
    return machine.isOpen() && write(section, name, machine.readString(name));
}

bool ConfigurationLoader::write(const char* section, const char* name, const std::string& value)
{
    return m_profile.writeString(section, name, value);
}

} // namespace bv
