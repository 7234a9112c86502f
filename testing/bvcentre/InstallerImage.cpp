#include "bvcentre/InstallerImage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace bv::testing {
namespace {

const std::array<std::uint8_t, kInstallerPeriod>& pattern()
{
    static const auto table = [] {
        std::array<std::uint8_t, kInstallerPeriod> bytes{};
        std::uint32_t state = 0x2545F491u;
        for (auto& byte : bytes) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        return bytes;
    }();
    return table;
}

} // namespace

std::uint8_t installerByte(std::uint64_t offset)
{
    return pattern()[offset % kInstallerPeriod];
}

void fillInstallerBytes(std::uint64_t offset, char* out, std::size_t length)
{
    const auto& table = pattern();
    std::size_t at = offset % kInstallerPeriod;
    while (length > 0) {
        const std::size_t piece = std::min(length, kInstallerPeriod - at);
        std::memcpy(out, table.data() + at, piece);
        out += piece;
        length -= piece;
        at = 0;
    }
}

} // namespace bv::testing
