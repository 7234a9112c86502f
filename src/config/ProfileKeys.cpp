#include "config/ProfileKeys.h"

#include "config/Profile.h"
#include "platform/Text.h"

namespace bv {

int ProfileKey::defaultNumber() const
{
    return decimalInt(defaultValue);
}

std::string ProfileKeyFamily::name(std::string_view member) const
{
    std::string text(member);
    text += suffix;
    return text;
}

std::string machinekey::base()
{
    return std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\") + Profile::RegistryKeyName + "\\" + Profile::ProfileName;
}

std::string machinekey::general()
{
    return base() + "\\General]";
}

std::string machinekey::abrechnungsversand()
{
    return base() + "\\Abrechnungsversand]";
}

std::string machinekey::rzAnlagen()
{
    return base() + "\\RZAnlagen]";
}

std::string machinekey::configurationGeneral(std::string_view configurationName)
{
    return base() + "_" + std::string(configurationName) + "\\General]";
}

} // namespace bv
