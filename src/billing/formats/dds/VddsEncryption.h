#pragma once

#include <array>
#include <cstddef>
#include <filesystem>

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

} // namespace bv
