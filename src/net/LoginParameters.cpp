#include "net/LoginParameters.h"

#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/NetTexts.h"
#include "net/SettingsStore.h"
#include "net/UrlEscape.h"
#include "platform/Text.h"

#include <initializer_list>
#include <utility>

namespace bv {

std::string buildLoginParameters(const LoginEnvironment& environment, const std::string& loginContext,
                                 const SettingsStore& settings)
{
    const std::initializer_list<std::pair<const char*, std::string>> parameters = {
        {"ClientVersion=", strFormat(nettext::ClientVersionFormat, environment.versionText.c_str())},
        {"BrowserVersion=", environment.browserVersion},
        {"OSVersion=", environment.osDescription},
        {"RegVersion=", settings.readString(section::General, profilekey::RegVersion, "-1")},
        {"ClientLanguage=", environment.languageCode},
        {"netcon=", environment.connectionName},
        {"LoginKontext=", loginContext},
        {"TwnManufacturer=", settings.readString(section::Scanner, "TwnManufacturer", "")},
        {"TwnSourceName=", settings.readString(section::Scanner, "TwnSourceName", "")},
    };
    std::string text;
    for (const auto& [name, value] : parameters) {
        if (!text.empty())
            text += '&';
        text += name;
        text += urlEscape(value);
    }
    return text;
}

std::string buildLoginBody(const std::string& user, const std::string& password, const std::string& parameters)
{
    return "benutzer=" + urlEscape(user) + "&passwort=" + urlEscape(password) + "&" + parameters;
}

} // namespace bv
