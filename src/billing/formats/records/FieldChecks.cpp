#include "billing/formats/records/FieldChecks.h"

#include "billing/formats/records/TypeLetters.h"
#include "platform/Text.h"

namespace bv::records {

namespace {

template <typename Accept> bool allOf(std::string_view text, Accept accept)
{
    for (const char c : text) {
        if (!accept(c))
            return false;
    }
    return true;
}

bool isBlank(char c)
{
    return c == ' ';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Digits as the date checks read them: codes '0' to '?' whose low four bits are at most 9.
bool isRecordDigit(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= '0' && u <= '?' && (u & 0x0F) <= 9;
}

int number(std::string_view text, std::size_t pos, std::size_t len)
{
    int value = 0;
    for (std::size_t i = pos; i < pos + len; ++i)
        value = value * 10 + (static_cast<unsigned char>(text[i]) & 0x0F);
    return value;
}

bool allChar(std::string_view text, char c)
{
    return allOf(text, [c](char x) { return x == c; });
}

// A date field that is empty ("000..." or blanks), or digits with a valid day, month and year.
bool isDateField(std::string_view value, std::size_t width, std::size_t dayPos, std::size_t monthPos,
                 std::size_t yearPos, std::size_t yearLen)
{
    if (value.size() != width)
        return false;
    if (allChar(value, '0') || allChar(value, ' '))
        return true;
    if (!allOf(value, isRecordDigit))
        return false;
    const int day = number(value, dayPos, 2);
    const int month = number(value, monthPos, 2);
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return false;
    if (yearLen == 0)
        return true;
    const int year = number(value, yearPos, yearLen);
    return year >= 1890 && year <= 2099;
}

} // namespace

bool CheckFieldValue(char typeLetter, std::string_view value)
{
    switch (typeLetter) {
    case type_letter::Filler:
        return allOf(value, isBlank);
    case type_letter::LineEnd:
        return allOf(value, isBlank) || allOf(value, isLineEnd);
    case type_letter::Numeric: {
        // Leading blanks count as zeros.
        std::size_t i = 0;
        while (i < value.size() && value[i] == ' ')
            ++i;
        return allOf(value.substr(i), [](char c) { return (c >= '0' && c <= '9') || c == '#'; });
    }
    case type_letter::DateYmd:
        return isDateField(value, 8, 6, 4, 0, 4);
    case type_letter::DateDmy:
        return isDateField(value, 6, 0, 2, 0, 0);
    case type_letter::DateDmyYear:
        return isDateField(value, 8, 0, 2, 4, 4);
    case type_letter::Text:
    case type_letter::Unchecked:
    default:
        return true;
    }
}

int CheckFields(const std::function<std::string(int)>& getField, int count, std::string_view typeLetters,
                std::string& outValue, char& outType, int& outIndex)
{
    for (int i = 0; i < count && static_cast<std::size_t>(i) < typeLetters.size(); ++i) {
        const char letter = typeLetters[static_cast<std::size_t>(i)];
        std::string value = getField(i);
        if (!CheckFieldValue(letter, value)) {
            outValue = std::move(value);
            outType = letter;
            outIndex = i;
            return 0;
        }
    }
    return 1;
}

bool CheckLayout(const std::vector<int>& widths, std::string_view letters, unsigned recordLength)
{
    std::size_t fields = 0;
    long long total = 0;
    while (fields < widths.size() && widths[fields] != 0) {
        if (widths[fields] < 0)
            return false;
        total += widths[fields];
        ++fields;
    }
    if (fields == 0)
        return recordLength == 0;
    if (total != recordLength || letters.size() < fields)
        return false;
    for (std::size_t i = 0; i < fields; ++i) {
        if (std::string_view(LayoutLetters).find(letters[i]) == std::string_view::npos)
            return false;
    }
    const char last = letters[fields - 1];
    return last == type_letter::Filler || last == type_letter::Unchecked;
}

namespace {

std::string fitted(std::string text, int width)
{
    text.resize(static_cast<std::size_t>(width < 0 ? 0 : width), ' ');
    return text;
}

} // namespace

std::string DefaultFieldImage(char typeLetter, int width, long value, const std::string& text)
{
    if (width <= 0)
        return {};
    switch (typeLetter) {
    case type_letter::Text: {
        if (width < 2)
            return fitted("#", width);
        std::string image(static_cast<std::size_t>(width), ' ');
        image.front() = '(';
        image.back() = ')';
        return image;
    }
    case type_letter::DateYmd:
        return fitted("19700101", width);
    case type_letter::DateDmy:
        return fitted("010170", width);
    case type_letter::DateDmyYear:
        return fitted("01011970", width);
    case type_letter::Numeric: {
        const std::string digits = strFormat("%0*ld", width, value);
        return digits.size() > static_cast<std::size_t>(width) ? std::string(static_cast<std::size_t>(width), '#')
                                                               : digits;
    }
    case type_letter::Filler:
        return fitted(text, width);
    default:
        return fitted({}, width);
    }
}

long long RecordCountOf(unsigned long long length, unsigned recordLength)
{
    if (recordLength == 0)
        return -1;
    const unsigned long long rem = length % recordLength;
    if (!(rem == 0 || rem == 1 || rem + 2 == recordLength))
        return -1;
    return static_cast<long long>((length + rem) / recordLength);
}

namespace {

std::string formatMagnitude(unsigned long long cents, char decimalChar, char thousandsChar)
{
    const unsigned long long integerPart = cents / 100;
    if (thousandsChar != '\0' && integerPart >= 1000)
        return strFormat("%llu%c%03llu%c%02llu", cents / 100000, thousandsChar, integerPart % 1000, decimalChar,
                         cents % 100);
    return strFormat("%llu%c%02llu", integerPart, decimalChar, cents % 100);
}

} // namespace

std::string FormatAmount(long long cents, char decimalChar, char thousandsChar)
{
    if (cents < 0) {
        std::string text(1, '-');
        text += formatMagnitude(0ULL - static_cast<unsigned long long>(cents), decimalChar, thousandsChar);
        return text;
    }
    return formatMagnitude(static_cast<unsigned long long>(cents), decimalChar, thousandsChar);
}

void TranslateGerman7Bit(char* buffer, std::size_t length)
{
    // ISO 646-DE: { | } ~ [ \ ] stand for ä ö ü ß Ä Ö Ü; here as Windows-1252 bytes.
    static constexpr char from[] = "{|}~[\\]";
    static constexpr unsigned char to[] = {0xE4, 0xF6, 0xFC, 0xDF, 0xC4, 0xD6, 0xDC};
    for (std::size_t i = 0; i < length; ++i) {
        for (std::size_t k = 0; k < sizeof(to); ++k) {
            if (buffer[i] == from[k]) {
                buffer[i] = static_cast<char>(to[k]);
                break;
            }
        }
    }
}

} // namespace bv::records
