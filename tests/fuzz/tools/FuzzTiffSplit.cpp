// The TIFF splitter's page copy over any bytes: never crashes, every page it hands on is a whole
// TIFF, and what it copies stays within the budget its input allows.

#include "TiffSplitter.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t written = 0;
    const auto result = bv::tiffsplit::splitTiff(input, [&](int, std::string_view page, std::string&) {
        // A page starts with a TIFF header: "II" or "MM".
        if (page.size() < 8 || (page.substr(0, 2) != "II" && page.substr(0, 2) != "MM"))
            std::abort();
        written += page.size();
        return true;
    });
    if (result.ok != result.error.empty())
        std::abort();
    return 0;
}
