#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bv {

class ProfileStore;

// The partner laboratories of a contract: practices whose laboratory services are billed together
// with the contract's own. The configuration keeps them per contract under General
// "<contract number>:Partnerlabore" as "number=\"name\";number=\"name\"...".
struct PartnerLab
{
    std::string customerNumber;
    std::string name;
};

using PartnerLabList = std::vector<PartnerLab>;

// Entries are separated by ";". The text before the first "=" is the customer number; an entry
// without "=" or starting with "=" is skipped. The name stands between two delimiter characters:
// it runs from the second character after the "=" up to, not including, the entry's last character.
PartnerLabList parsePartnerLabs(std::string_view value);

// The list configured for a contract; empty when there is none.
PartnerLabList loadPartnerLabs(const ProfileStore& profile, const std::string& contractNumber);

} // namespace bv
