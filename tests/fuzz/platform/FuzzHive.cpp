// Hive texts: parsing never crashes, and what parses serialises to a text that parses to the same.
#include "platform/HiveContent.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bv::HiveContent content;
    if (bv::HiveContent::parse(text, content))
        return 0;
    const std::string once = content.serialize();
    bv::HiveContent again;
    if (bv::HiveContent::parse(once, again) || again.serialize() != once)
        std::abort();
    return 0;
}
