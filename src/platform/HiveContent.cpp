#include "platform/HiveContent.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstdio>

namespace bv {

namespace {

// Why a hive text does not parse; printed after "<file>:<line>: ".
namespace hivetext {
constexpr const char* MissingHeader = "missing header \"Windows Registry Editor Version 5.00\"";
constexpr const char* UnclosedKey = "key name without closing ']'";
constexpr const char* KeyDeletion = "key deletion lines are not supported in a hive";
constexpr const char* InvalidKeyName = "invalid key name";
constexpr const char* ValueOutsideKey = "value outside of a key";
constexpr const char* ExpectedValueName = "expected a quoted value name or @";
constexpr const char* ExpectedEquals = "expected '=' after the value name";
constexpr const char* InvalidEscape = "invalid escape sequence in a quoted string";
constexpr const char* UnterminatedString = "unterminated quoted string";
constexpr const char* TextAfterValue = "unexpected text after the quoted value";
constexpr const char* InvalidDword = "invalid dword value (expected up to 8 hexadecimal digits)";
constexpr const char* ValueDeletion = "value deletion lines are not supported in a hive";
constexpr const char* UnsupportedType = "unsupported value type (only strings and dwords)";
} // namespace hivetext

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view stripBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Reads a quoted string starting at s[pos] == '"'; on success pos is just past the closing quote.
bool readQuoted(std::string_view s, std::size_t& pos, std::string& out, std::string& reason)
{
    ++pos;
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= s.size())
            break;
        switch (s[pos++]) {
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '0':
            out += '\0';
            break;
        default:
            reason = hivetext::InvalidEscape;
            return false;
        }
    }
    reason = hivetext::UnterminatedString;
    return false;
}

std::optional<std::uint32_t> parseDword(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

void appendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            out += c;
        }
    }
    out += '"';
}

bool sameValue(const RegValue& a, const RegValue& b)
{
    if (a.type != b.type)
        return false;
    return a.type == RegValue::Type::String ? a.text == b.text : a.number == b.number;
}

// Parses one value line of the current key.
std::optional<std::string> parseValueLine(std::string_view s, HiveContent& content, HiveContent::Key& key)
{
    std::string name;
    std::size_t pos = 0;
    std::string reason;
    if (s[0] == '@') {
        pos = 1;
    } else if (s[0] == '"') {
        if (!readQuoted(s, pos, name, reason))
            return reason;
    } else {
        return hivetext::ExpectedValueName;
    }
    while (pos < s.size() && isBlank(s[pos]))
        ++pos;
    if (pos >= s.size() || s[pos] != '=')
        return hivetext::ExpectedEquals;
    const std::string_view data = stripBlanks(s.substr(pos + 1));
    RegValue value;
    if (!data.empty() && data[0] == '"') {
        std::size_t p = 0;
        std::string text;
        if (!readQuoted(data, p, text, reason))
            return reason;
        if (p != data.size())
            return hivetext::TextAfterValue;
        value = RegValue::string(std::move(text));
    } else if (data.size() >= 6 && iequals(data.substr(0, 6), "dword:")) {
        const auto number = parseDword(data.substr(6));
        if (!number)
            return hivetext::InvalidDword;
        value = RegValue::dword(*number);
    } else if (data == "-") {
        return hivetext::ValueDeletion;
    } else {
        return hivetext::UnsupportedType;
    }
    key.set(name, value, content.nextOrder());
    return std::nullopt;
}

} // namespace

const HiveContent::Entry* HiveContent::Key::find(std::string_view name) const
{
    const auto it = values.find(fold(name));
    return it == values.end() ? nullptr : &it->second;
}

bool HiveContent::Key::set(const std::string& name, const RegValue& value, std::uint64_t order)
{
    auto [it, inserted] = values.try_emplace(fold(name), Entry{name, value, order});
    if (inserted)
        return true;
    if (sameValue(it->second.value, value))
        return false;
    it->second.value = value;
    return true;
}

bool HiveContent::Key::erase(std::string_view name)
{
    return values.erase(fold(name)) > 0;
}

std::vector<const HiveContent::Entry*> HiveContent::Key::ordered() const
{
    std::vector<const Entry*> list;
    list.reserve(values.size());
    for (const auto& [folded, entry] : values)
        list.push_back(&entry);
    std::sort(list.begin(), list.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
    return list;
}

std::string HiveContent::fold(std::string_view text)
{
    return toLower(text);
}

std::optional<std::string> HiveContent::normalizeKeyPath(std::string_view path)
{
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    if (path.empty())
        return std::nullopt;
    if (path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return std::nullopt;
    if (path.front() == '\\' || path.find("\\\\") != std::string_view::npos)
        return std::nullopt;
    return std::string(path);
}

std::map<std::string, HiveContent::Key>::const_iterator HiveContent::firstSubkey(const std::string& foldedPath) const
{
    // The paths below a key share the prefix "<path>\\" and so sort into one run.
    const std::string prefix = foldedPath + "\\";
    const auto it = m_keys.lower_bound(prefix);
    if (it != m_keys.end() && it->first.compare(0, prefix.size(), prefix) == 0)
        return it;
    return m_keys.end();
}

bool HiveContent::keyExists(std::string_view normalizedPath) const
{
    const std::string folded = fold(normalizedPath);
    if (m_keys.count(folded) > 0)
        return true;
    // The hive name alone is no key of its own, whatever lies below it.
    return folded.find('\\') != std::string::npos && firstSubkey(folded) != m_keys.end();
}

const HiveContent::Key* HiveContent::findKey(std::string_view normalizedPath) const
{
    const auto it = m_keys.find(fold(normalizedPath));
    return it == m_keys.end() ? nullptr : &it->second;
}

HiveContent::Key& HiveContent::ensureKey(const std::string& normalizedPath, bool* created)
{
    std::string folded = fold(normalizedPath);
    const auto at = m_keys.lower_bound(folded);
    if (at != m_keys.end() && at->first == folded) {
        if (created)
            *created = false;
        return at->second;
    }
    // A parent key that so far existed through its subkeys keeps the spelling they gave it.
    std::string spelling = normalizedPath;
    const auto sub = folded.find('\\') != std::string::npos ? firstSubkey(folded) : m_keys.end();
    if (sub != m_keys.end())
        spelling = sub->second.path.substr(0, normalizedPath.size());
    if (created)
        *created = sub == m_keys.end();
    return m_keys.emplace_hint(at, std::move(folded), Key{std::move(spelling), {}})->second;
}

bool HiveContent::removeKey(const std::string& normalizedPath)
{
    const std::string folded = fold(normalizedPath);
    const auto own = m_keys.find(folded);
    const bool hasParent = folded.find('\\') != std::string::npos;
    auto first = hasParent || own != m_keys.end() ? firstSubkey(folded) : m_keys.end();
    if (own == m_keys.end() && first == m_keys.end())
        return false;
    const std::string spelling = own != m_keys.end() ? own->second.path : first->second.path;
    if (own != m_keys.end())
        m_keys.erase(own);
    first = firstSubkey(folded);
    auto last = first;
    const std::string prefix = folded + "\\";
    while (last != m_keys.end() && last->first.compare(0, prefix.size(), prefix) == 0)
        ++last;
    m_keys.erase(first, last);
    // The parent may have existed only through this key; it stays, as it would in the registry.
    const std::size_t sep = folded.rfind('\\');
    if (sep != std::string::npos && folded.find('\\') < sep && !keyExists(folded.substr(0, sep)))
        m_keys.emplace(folded.substr(0, sep), Key{spelling.substr(0, sep), {}});
    return true;
}

std::optional<HiveSyntaxError> HiveContent::parse(std::string_view text, HiveContent& out)
{
    out = HiveContent();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool headerSeen = false;
    Key* current = nullptr;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string_view s = stripBlanks(line);
        if (s.empty() || s[0] == ';')
            continue;
        if (!headerSeen) {
            if (s != Header)
                return HiveSyntaxError{lineNumber, hivetext::MissingHeader};
            headerSeen = true;
            continue;
        }
        if (s[0] == '[') {
            if (s.back() != ']')
                return HiveSyntaxError{lineNumber, hivetext::UnclosedKey};
            const std::string_view name = s.substr(1, s.size() - 2);
            if (!name.empty() && name[0] == '-')
                return HiveSyntaxError{lineNumber, hivetext::KeyDeletion};
            const auto path = normalizeKeyPath(name);
            if (!path)
                return HiveSyntaxError{lineNumber, hivetext::InvalidKeyName};
            current = &out.ensureKey(*path);
            continue;
        }
        if (!current)
            return HiveSyntaxError{lineNumber, hivetext::ValueOutsideKey};
        if (auto reason = parseValueLine(s, out, *current))
            return HiveSyntaxError{lineNumber, *reason};
    }
    return std::nullopt;
}

std::string HiveContent::serialize() const
{
    std::string out;
    out.reserve(64 + m_keys.size() * 96);
    out += Header;
    out += '\n';
    for (const auto& [folded, key] : m_keys) {
        out += "\n[";
        out += key.path;
        out += "]\n";
        for (const Entry* entry : key.ordered()) {
            if (entry->name.empty())
                out += '@';
            else
                appendQuoted(out, entry->name);
            out += '=';
            if (entry->value.type == RegValue::Type::String) {
                appendQuoted(out, entry->value.text);
            } else {
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "dword:%08x", entry->value.number);
                out += buffer;
            }
            out += '\n';
        }
    }
    return out;
}

} // namespace bv
