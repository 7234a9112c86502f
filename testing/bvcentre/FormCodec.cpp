#include "bvcentre/FormCodec.h"

#include <cstdio>

namespace bv::testing {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string hexEscape(const char* prefix, unsigned char byte)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%s%02X", prefix, byte);
    return buffer;
}

} // namespace

std::string formDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

FormFields parseForm(std::string_view text)
{
    FormFields fields;
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        const std::string_view field = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view{} : text.substr(amp + 1);
        if (field.empty()) {
            continue;
        }
        const std::size_t eq = field.find('=');
        if (eq == std::string_view::npos) {
            fields.emplace(formDecode(field), std::string{});
        } else {
            fields.emplace(formDecode(field.substr(0, eq)), formDecode(field.substr(eq + 1)));
        }
    }
    return fields;
}

std::string formEncode(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        out += plain ? std::string(1, c) : hexEscape("%", byte);
    }
    return out;
}

std::string formValue(const FormFields& fields, const std::string& name, const std::string& fallback)
{
    const auto it = fields.find(name);
    return it == fields.end() ? fallback : it->second;
}

std::string escapeForDump(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += (byte < 0x20 || byte == 0x7F) ? hexEscape("\\x", byte) : std::string(1, c);
        }
    }
    return out;
}

std::string escapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\0':
            out += "&#xFFFD;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string javaScriptString(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        // U+2028 and U+2029 end a line inside a script; "<", ">" and "&" could end the script element.
        const bool lineSeparator = byte == 0xE2 && i + 2 < text.size() &&
                                   static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                                   (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xA8;
        if (c == '\\') {
            out += "\\\\";
        } else if (lineSeparator) {
            out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else if (c == '"' || c == '<' || c == '>' || c == '&' || c == '\'' || byte < 0x20 || byte == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", byte);
            out += buffer;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace bv::testing
