// The partner-laboratory list comes from the profile, where the billing centre may write it with a
// login reply: any bytes must give a list, never a crash.
#include "app/send/PartnerLabList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    for (const bv::PartnerLab& lab : bv::parsePartnerLabs(value)) {
        if (lab.customerNumber.empty() || lab.customerNumber.find_first_of(";=") != std::string::npos ||
            lab.name.find(';') != std::string::npos || lab.name.size() > size)
            std::abort();
    }
    return 0;
}
