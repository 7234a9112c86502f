#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace bv {

// Enciphered DDS-RZ deliveries: a 2048-byte header whose last 32 bytes are the key, then the plain
// file enciphered in blocks of 2048 bytes, each block with a keystream restarted from the key.
namespace vdds {
inline constexpr std::size_t HeaderSize = 2048;
inline constexpr std::size_t KeyOffset = 2016;
inline constexpr std::size_t KeySize = 32;
inline constexpr std::size_t BlockSize = 2048;
using Key = std::array<unsigned char, KeySize>;

// Enciphers or deciphers one block in place (the cipher is its own inverse): RC4 whose output
// generation continues with the index j that the key schedule left instead of starting at 0.
void cipherBlock(const Key& key, unsigned char* data, std::size_t length);
} // namespace vdds

// The interface number (2 or 3) of an enciphered DDS-RZ delivery, 0 when the file is not one.
int IsVddsEncrypted(const std::filesystem::path& path);

// Writes one piece of the plain file to an open descriptor; false (errno set) when it fails.
using PlainWriter = std::function<bool(int fd, std::string_view bytes)>;

// Unwraps an enciphered delivery: the plain file takes the delivery's path and the delivery keeps its
// bytes under `keepName` (when empty: the path + "_" + the local time "%Y%m%d%H%M%S" + "_VDDSenc").
// The plain file is written and synced under a temporary name first; then the delivery gets its
// second name, and the plain file replaces it under the first in one step, so that at every moment
// the path names the delivery or the plain file and the delivery is never lost. Returns the path of
// the plain file; throws CAdzException -1 with the file-access text when a step fails, leaving the
// delivery where it was.
std::string UnwrapVddsEncrypted(const std::filesystem::path& path, const std::string& keepName,
                                const PlainWriter& writer = {});

} // namespace bv
