#include "platform/UrlEscape.h"

namespace bv {

namespace {

bool needsEscape(unsigned char c)
{
    if (c <= 0x20 || c >= 0x7F)
        return true;
    switch (c) {
    case '"':
    case '<':
    case '>':
    case '{':
    case '}':
    case '|':
    case '\\':
    case '^':
    case '[':
    case ']':
    case '`':
    case '/':
    case '?':
    case '#':
    // Form delimiters: left as they are, they would cut or alter the value on the server's side.
    case '&':
    case '=':
    case '+':
    case '%':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string urlEscape(std::string_view value)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c)) {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 0x0F];
        } else {
            out += ch;
        }
        if (out.size() >= UrlEscapeBufferSize)
            return {};
    }
    return out;
}

} // namespace bv
