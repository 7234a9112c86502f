#pragma once

#include <string>

namespace bv {

class ProfileStore;

// What the login tells the billing centre about this client besides the credentials.
struct LoginEnvironment
{
    std::string versionText;    // "1.5.1 (Build 1051) CH-FR"
    std::string browserVersion; // the embedded browser's build and version, joined by "/"
    std::string osDescription;  // "Linux <kernel release>, <distribution>"
    std::string languageCode;   // "FRZ"
    std::string connectionName; // name of the current internet connection ("LAN")
};

// The login parameters in the order the billing centre expects them, each value escaped:
// ClientVersion, BrowserVersion, OSVersion, RegVersion, ClientLanguage, netcon, LoginKontext,
// TwnManufacturer, TwnSourceName; joined by "&". Profile values are read from `settings`.
std::string buildLoginParameters(const LoginEnvironment& environment, const std::string& loginContext,
                                 const ProfileStore& settings);

// The body of a login post: "benutzer=<user>&passwort=<password>&<parameters>".
std::string buildLoginBody(const std::string& user, const std::string& password, const std::string& parameters);

} // namespace bv
