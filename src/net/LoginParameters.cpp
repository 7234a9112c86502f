#include "net/LoginParameters.h"

#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/NetTexts.h"
#include "config/ProfileStore.h"
#include "net/UrlEscape.h"
#include "platform/Text.h"

#include <initializer_list>
#include <utility>

namespace bv {

std::string buildLoginParameters(const LoginEnvironment& environment, const std::string& loginContext,
                                 const ProfileStore& settings)
{
    const std::initializer_list<std::pair<const char*, std::string>> parameters = {
        {"ClientVersion=", strFormat(nettext::ClientVersionFormat, environment.versionText.c_str())},
        {"BrowserVersion=", environment.browserVersion},
        {"OSVersion=", environment.osDescription},
        {"RegVersion=", settings.read(profilekey::RegVersion)},
        {"ClientLanguage=", environment.languageCode},
        {"netcon=", environment.connectionName},
        {"LoginKontext=", loginContext},
        {"TwnManufacturer=", settings.read(profilekey::TwnManufacturer)},
        {"TwnSourceName=", settings.read(profilekey::TwnSourceName)},
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
