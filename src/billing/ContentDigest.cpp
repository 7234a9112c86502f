#include "billing/ContentDigest.h"

#include "billing/OpenFile.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

namespace bv {

void ContentDigest::add(std::string_view bytes)
{
    size += bytes.size();
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), UINT_MAX);
        crc = static_cast<std::uint32_t>(
            ::crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(piece)));
        bytes.remove_prefix(piece);
    }
}

std::optional<ContentDigest> ContentDigest::ofFile(const std::filesystem::path& path, SystemError* error)
{
    SystemError failure;
    auto file = OpenFile::open(path, &failure);
    if (!file) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    ContentDigest digest;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const std::int64_t n = file->read(buffer.data(), buffer.size());
        if (n < 0) {
            if (error)
                *error = lastSystemError();
            return std::nullopt;
        }
        if (n == 0)
            return digest;
        digest.add(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
}

} // namespace bv
