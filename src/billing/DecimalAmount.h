#pragma once

#include <string_view>

namespace bv {

// How digits beyond the hundredths are dropped.
enum class CentsRounding
{
    TowardZero, // 12.359 -> 1235, -12.359 -> -1235
    Floor       // 12.359 -> 1235, -12.359 -> -1236
};

// Converts a decimal text of francs ("12.35", "-0.5", " 100") to hundredths exactly, digit by digit,
// never through floating point. Like the usual number reading, leading white space and a sign are
// accepted and the first character that does not belong to the number ends it; no digits give 0.
// Results beyond the 32-bit range saturate.
int centsFromDecimal(std::string_view text, CentsRounding rounding);

} // namespace bv
