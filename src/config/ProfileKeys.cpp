#include "config/ProfileKeys.h"

#include "config/Profile.h"

namespace bv {

std::string profilekey::perCustomer(std::string_view sixDigitCustomer, std::string_view suffix)
{
    std::string name(sixDigitCustomer);
    name += suffix;
    return name;
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
