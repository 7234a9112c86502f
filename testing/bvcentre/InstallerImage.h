#pragma once

#include <cstddef>
#include <cstdint>

namespace bv::testing {

// The bytes of the installer that /download/bv_setup.exe serves. They repeat with a period of 65521 bytes
// (a prime, so no buffer size lines up with it), which lets a test check any part of a download without
// holding the whole installer.
constexpr std::size_t kInstallerPeriod = 65521;

std::uint8_t installerByte(std::uint64_t offset);
void fillInstallerBytes(std::uint64_t offset, char* out, std::size_t length);

} // namespace bv::testing
