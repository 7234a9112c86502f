#pragma once

#include <cstdint>
#include <string>

namespace bv {

// Texts of the send dialog's fields that are computed rather than copied.

// The transfer-time estimate of an upload of `bytes` bytes: 30 seconds plus one second per 7,500
// bytes, the seconds rounded down to a quarter minute, with the size in KB:
// 1,000,000 bytes -> "2 min 30 s (Größe: 977 KB)".
std::string transferTimeText(std::uint64_t bytes);

// "%ld KB" with KB = bytes / 1024 + 1.
std::string fileSizeText(std::uint64_t bytes);
std::uint64_t kilobytes(std::uint64_t bytes);

// "<amount> <currency>    <(suffix)>": the amount with a comma as decimal and a point as thousands
// character; the configured suffix in parentheses, or nothing when it is empty.
std::string amountText(long long cents, const std::string& currencyName, const std::string& suffix);

} // namespace bv
