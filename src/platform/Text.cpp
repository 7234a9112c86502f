#include "platform/Text.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <mutex>

namespace bv {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Windows-1252 bytes 0x80..0x9F as Unicode code points. The five bytes Windows leaves undefined map
// to the C1 control with the same number, as the system's own conversion does, so that every byte
// survives a round trip through UTF-8.
constexpr std::array<std::uint16_t, 32> Cp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int cp1252FromCodePoint(std::uint32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < Cp1252High.size(); ++i) {
        if (Cp1252High[i] == cp)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

// Decodes one UTF-8 sequence at text[pos]; returns the code point, or -1 for a malformed one.
// `pos` always advances by at least one byte.
long decodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto b0 = static_cast<unsigned char>(text[pos]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (b0 < 0x80) {
        ++pos;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        ++pos;
        return -1;
    }
    if (pos + len > text.size()) {
        ++pos;
        return -1;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(text[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    const std::uint32_t minimum = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
    pos += len;
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    return static_cast<long>(cp);
}

// One-byte table from an OEM code page to Windows-1252, built once per code page with iconv.
// Bytes iconv cannot map (box-drawing characters and the like) stay as they are.
std::array<unsigned char, 256> buildOemTable(int codePage)
{
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
    const std::string from = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("WINDOWS-1252", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return table;
    for (int i = 0x80; i < 256; ++i) {
        char in = static_cast<char>(i);
        char out[8];
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && outPtr - out == 1)
            table[static_cast<std::size_t>(i)] = static_cast<unsigned char>(out[0]);
    }
    iconv_close(cd);
    return table;
}

} // namespace

long long decimalValue(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that LLONG_MIN is reachable without overflow.
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value < (LLONG_MIN + digit) / 10)
            return negative ? LLONG_MIN : LLONG_MAX;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == LLONG_MIN ? LLONG_MAX : -value;
}

int decimalInt(std::string_view text)
{
    const long long v = decimalValue(text);
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

std::string trim(std::string_view text)
{
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

std::string trimBlanks(std::string_view text)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

std::string toUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string toLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = foldAscii(c);
    return out;
}

bool iequals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return text;
    std::size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

std::vector<std::string> split(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool matchesPattern(std::string_view pattern, std::string_view name)
{
    // Iterative wildcard match with a single back-track point: linear in practice, never exponential.
    auto match = [](std::string_view p, std::string_view n) {
        std::size_t pi = 0, ni = 0;
        std::size_t starP = std::string_view::npos, starN = 0;
        while (ni < n.size()) {
            if (pi < p.size() && p[pi] == '*') {
                starP = pi++;
                starN = ni;
            } else if (pi < p.size() && (p[pi] == '?' || foldAscii(p[pi]) == foldAscii(n[ni]))) {
                ++pi;
                ++ni;
            } else if (starP != std::string_view::npos) {
                pi = starP + 1;
                ni = ++starN;
            } else {
                return false;
            }
        }
        while (pi < p.size() && p[pi] == '*')
            ++pi;
        return pi == p.size();
    };
    if (match(pattern, name))
        return true;
    // As on Windows, a trailing ".*" also matches a name without an extension: "*.*" matches
    // every name and "RZ0001.*" matches "RZ0001".
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return match(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

std::string utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const long cp = decodeUtf8(utf8, pos);
        const int byte = cp < 0 ? -1 : cp1252FromCodePoint(static_cast<std::uint32_t>(cp));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 4);
    for (char c : cp1252) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else if (b < 0xA0)
            appendUtf8(out, Cp1252High[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

std::string oemToAnsi(std::string_view oem, int codePage)
{
    static std::mutex mutex;
    static std::array<unsigned char, 256> cp850{};
    static std::array<unsigned char, 256> cp437{};
    static bool have850 = false;
    static bool have437 = false;
    std::array<unsigned char, 256> table;
    {
        std::lock_guard lock(mutex);
        if (codePage == 437) {
            if (!have437) {
                cp437 = buildOemTable(437);
                have437 = true;
            }
            table = cp437;
        } else if (codePage == 850) {
            if (!have850) {
                cp850 = buildOemTable(850);
                have850 = true;
            }
            table = cp850;
        } else {
            table = buildOemTable(codePage);
        }
    }
    std::string out(oem);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned int codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        static constexpr unsigned int smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string fromWindowsText(std::string_view bytes)
{
    return isValidUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);
}

} // namespace bv
