#include "app/send/PartnerLabList.h"

#include "config/ProfileStore.h"

namespace bv {

PartnerLabList parsePartnerLabs(std::string_view value)
{
    PartnerLabList labs;
    while (!value.empty()) {
        const std::size_t end = value.find(';');
        const std::string_view entry = value.substr(0, end);
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);

        const std::size_t equals = entry.find('=');
        if (equals == std::string_view::npos || equals == 0)
            continue;
        PartnerLab lab;
        lab.customerNumber = std::string(entry.substr(0, equals));
        const std::size_t nameStart = equals + 2;
        const std::size_t nameEnd = entry.size() - 1;
        if (nameStart < nameEnd)
            lab.name = std::string(entry.substr(nameStart, nameEnd - nameStart));
        labs.push_back(std::move(lab));
    }
    return labs;
}

PartnerLabList loadPartnerLabs(const ProfileStore& profile, const std::string& contractNumber)
{
    return parsePartnerLabs(profile.read(profilekey::Partnerlabore, contractNumber));
}

} // namespace bv
