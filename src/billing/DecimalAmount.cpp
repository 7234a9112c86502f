#include "billing/DecimalAmount.h"

#include <cstdint>
#include <limits>

namespace bv {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

int centsFromDecimal(std::string_view text, CentsRounding rounding)
{
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    std::int64_t cents = 0; // magnitude, kept at most `limit` so it cannot overflow
    for (; i < text.size() && isDigit(text[i]); ++i)
        cents = cents >= limit ? limit : cents * 10 + (text[i] - '0');
    cents = cents >= limit ? limit : cents * 100;

    bool droppedDigits = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (int place = 0; i < text.size() && isDigit(text[i]); ++i, ++place) {
            const int digit = text[i] - '0';
            if (place == 0)
                cents += digit * 10;
            else if (place == 1)
                cents += digit;
            else if (digit != 0)
                droppedDigits = true;
        }
    }
    if (negative && droppedDigits && rounding == CentsRounding::Floor)
        ++cents;
    if (cents > limit)
        cents = limit;

    const std::int64_t value = negative ? -cents : cents;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

} // namespace bv
