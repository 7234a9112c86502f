#include "config/CustomerNumbers.h"

#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/Text.h"

namespace bv::customers {

std::string format(int number)
{
    return strFormat("%06d", number);
}

std::string normalise(std::string_view list)
{
    std::string result;
    for (const std::string& piece : split(list, ';')) {
        const int number = decimalInt(piece);
        if (number == 0)
            continue;
        if (!result.empty())
            result += ';';
        result += format(number);
    }
    return result;
}

std::string append(std::string_view list, int number)
{
    if (number == 0)
        return std::string(list);
    for (const std::string& piece : split(list, ';')) {
        if (decimalInt(piece) == number)
            return std::string(list);
    }
    std::string result(list);
    if (!result.empty())
        result += ';';
    result += format(number);
    return result;
}

int first(std::string_view list)
{
    return decimalInt(list.substr(0, list.find(';')));
}

int count(std::string_view list)
{
    int numbers = 0;
    for (const std::string& piece : split(list, ';')) {
        if (decimalInt(piece) != 0)
            ++numbers;
    }
    return numbers;
}

StoreResult normaliseStored(ProfileStore& profile)
{
    StoreResult result;
    result.list = normalise(profile.read(profilekey::Kundennummer));
    result.stored = profile.write(profilekey::Kundennummer, result.list);
    return result;
}

StoreResult appendStored(ProfileStore& profile, std::string_view numberText)
{
    const std::string old = profile.read(profilekey::Kundennummer);
    StoreResult result;
    result.list = append(old, decimalInt(numberText));
    result.stored = result.list == old || profile.write(profilekey::Kundennummer, result.list);
    return result;
}

} // namespace bv::customers
