#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

// printf-style formatting of the system's message templates ("%s", "%d", "%06d", ...).
// Arguments are passed as for snprintf: strings as const char* (use .c_str()).
template <typename... Args> std::string strFormat(const char* format, Args... args)
{
    const int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

// The usual decimal rule (atoi): leading white space, an optional sign, then digits; anything
// else ends the number; no digits give 0. Saturates instead of overflowing.
long long decimalValue(std::string_view text);
int decimalInt(std::string_view text);

std::string trim(std::string_view text);       // blanks, tabs, CR and LF on both sides
std::string trimBlanks(std::string_view text); // blanks only
std::string toUpper(std::string_view text);    // ASCII letters
std::string toLower(std::string_view text);
bool iequals(std::string_view a, std::string_view b); // ASCII case-insensitive
bool startsWith(std::string_view text, std::string_view prefix);
std::string replaceAll(std::string text, std::string_view from, std::string_view to);
std::vector<std::string> split(std::string_view text, char separator); // keeps empty pieces

// Windows file-name patterns ("*.XML", "RZ????.001", "*.*"): '*' any run, '?' one character,
// compared case-insensitively; "*.*" matches every name, as on Windows.
bool matchesPattern(std::string_view pattern, std::string_view name);

// Text encodings: the system writes files for other programs in Windows-1252.
std::string utf8ToCp1252(std::string_view utf8); // characters without a Windows-1252 code become '?'
std::string cp1252ToUtf8(std::string_view cp1252);
bool isValidUtf8(std::string_view text);
// A text from a file that other programs write (practice software: Windows-1252): taken as it is when
// it already is valid UTF-8, converted from Windows-1252 otherwise.
std::string fromWindowsText(std::string_view bytes);
// OEM code pages CP850 and CP437 to Windows-1252, one byte for one byte (iconv).
std::string oemToAnsi(std::string_view oem, int codePage = 850);

} // namespace bv
