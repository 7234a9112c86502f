#pragma once

#include "platform/Files.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace bv {

// What a file's bytes were when they were read: their length and their CRC-32 (the check sum of the
// ZIP format). A working copy is digested while it is made and again before it is sent, so that only
// the bytes that were shown go out.
struct ContentDigest
{
    std::uint64_t size = 0;
    std::uint32_t crc = 0;

    void add(std::string_view bytes);
    bool operator==(const ContentDigest&) const = default;

    // The digest of a file as it is now; nullopt and the error when it cannot be read.
    static std::optional<ContentDigest> ofFile(const std::filesystem::path& path, SystemError* error = nullptr);
};

} // namespace bv
