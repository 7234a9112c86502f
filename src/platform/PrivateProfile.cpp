#include "platform/PrivateProfile.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <cerrno>

namespace bv {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr const char* CrLf = "\r\n";

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string unquote(std::string value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

IniDocument::Line IniDocument::classify(std::string raw, std::string eol)
{
    Line line;
    line.raw = std::move(raw);
    line.eol = std::move(eol);
    const std::string s = trim(line.raw);
    if (!s.empty() && s.front() == '[') {
        const std::size_t close = s.rfind(']');
        if (close != std::string::npos) {
            line.kind = Line::Kind::Header;
            line.name = trim(std::string_view(s).substr(1, close - 1));
        }
        return line;
    }
    if (!s.empty() && s.front() == ';')
        return line;
    const std::size_t eq = line.raw.find('=');
    if (eq == std::string::npos)
        return line;
    line.name = trim(std::string_view(line.raw).substr(0, eq));
    if (line.name.empty())
        return line;
    line.kind = Line::Kind::Key;
    line.value = unquote(trim(std::string_view(line.raw).substr(eq + 1)));
    return line;
}

IniDocument IniDocument::parse(std::string_view bytes)
{
    IniDocument doc;
    if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom) {
        doc.m_bom = Utf8Bom;
        bytes.remove_prefix(Utf8Bom.size());
    }
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t nl = bytes.find('\n', start);
        if (nl == std::string_view::npos) {
            doc.m_lines.push_back(classify(std::string(bytes.substr(start)), ""));
            break;
        }
        std::string_view raw = bytes.substr(start, nl - start);
        const char* eol = "\n";
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
            eol = CrLf;
        }
        doc.m_lines.push_back(classify(std::string(raw), eol));
        start = nl + 1;
    }
    return doc;
}

std::size_t IniDocument::findSection(const std::string& section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Header && iequals(m_lines[i].name, section))
            return i;
    }
    return std::string::npos;
}

std::size_t IniDocument::blockEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Kind::Header)
        ++i;
    return i;
}

std::optional<std::string> IniDocument::value(const std::string& section, const std::string& key) const
{
    const std::size_t header = findSection(trim(section));
    if (header == std::string::npos)
        return std::nullopt;
    const std::string wanted = trim(key);
    for (std::size_t i = header + 1, end = blockEnd(header); i < end; ++i) {
        if (m_lines[i].kind == Line::Kind::Key && iequals(m_lines[i].name, wanted))
            return m_lines[i].value;
    }
    return std::nullopt;
}

bool IniDocument::setValue(const std::string& section, const std::string& key, const std::optional<std::string>& value)
{
    const std::string sectionName = trim(section);
    const std::string keyName = trim(key);
    // Anything that would not read back as this section and key is refused instead of written.
    if (hasLineBreak(section) || hasLineBreak(key) || keyName.empty() || keyName.find('=') != std::string::npos ||
        keyName.front() == '[' || keyName.front() == ';' || (value && hasLineBreak(*value)))
        return false;

    const std::size_t header = findSection(sectionName);
    std::size_t keyLine = std::string::npos;
    std::size_t lastContent = header;
    if (header != std::string::npos) {
        for (std::size_t i = header + 1, end = blockEnd(header); i < end; ++i) {
            if (keyLine == std::string::npos && m_lines[i].kind == Line::Kind::Key && iequals(m_lines[i].name, keyName))
                keyLine = i;
            if (!trim(m_lines[i].raw).empty())
                lastContent = i;
        }
    }
    if (!value) {
        if (keyLine != std::string::npos)
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(keyLine));
        return true;
    }
    if (keyLine != std::string::npos) {
        m_lines[keyLine] = classify(m_lines[keyLine].name + "=" + *value, CrLf);
        return true;
    }
    auto insertAt = [this](std::size_t pos, Line line) {
        // The line before the new one needs a line end of its own.
        if (pos > 0 && m_lines[pos - 1].eol.empty())
            m_lines[pos - 1].eol = CrLf;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
    };
    if (header == std::string::npos) {
        insertAt(m_lines.size(), classify("[" + sectionName + "]", CrLf));
        lastContent = m_lines.size() - 1;
    }
    insertAt(lastContent + 1, classify(keyName + "=" + *value, CrLf));
    return true;
}

void IniDocument::removeSection(const std::string& section)
{
    const std::string name = trim(section);
    for (std::size_t header = findSection(name); header != std::string::npos; header = findSection(name))
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(blockEnd(header)));
}

std::vector<std::string> IniDocument::sectionNames() const
{
    std::vector<std::string> names;
    for (const Line& line : m_lines) {
        if (line.kind != Line::Kind::Header)
            continue;
        bool seen = false;
        for (const auto& n : names)
            seen = seen || iequals(n, line.name);
        if (!seen)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> IniDocument::keyNames(const std::string& section) const
{
    std::vector<std::string> names;
    const std::size_t header = findSection(trim(section));
    if (header == std::string::npos)
        return names;
    for (std::size_t i = header + 1, end = blockEnd(header); i < end; ++i) {
        if (m_lines[i].kind != Line::Kind::Key)
            continue;
        bool seen = false;
        for (const auto& n : names)
            seen = seen || iequals(n, m_lines[i].name);
        if (!seen)
            names.push_back(m_lines[i].name);
    }
    return names;
}

std::string IniDocument::serialize() const
{
    std::string out = m_bom;
    for (const Line& line : m_lines) {
        out += line.raw;
        out += line.eol;
    }
    return out;
}

namespace profile {

namespace {

// The file's document; a missing file is an empty one. nullopt (errno set) when it cannot be read.
std::optional<IniDocument> load(const std::filesystem::path& file, bool* existed = nullptr,
                                std::string* bytesOut = nullptr)
{
    auto bytes = files::readFile(file);
    if (existed)
        *existed = bytes.has_value();
    if (!bytes) {
        if (errno != ENOENT)
            return std::nullopt;
        bytes.emplace();
    }
    if (bytesOut)
        *bytesOut = *bytes;
    return IniDocument::parse(*bytes);
}

bool store(const std::filesystem::path& file, const IniDocument& doc, bool existed, const std::string& before)
{
    const std::string text = doc.serialize();
    if (existed && text == before)
        return true;
    if (const SystemError err = files::writeFileAtomic(file, text)) {
        errno = err.code;
        return false;
    }
    return true;
}

} // namespace

std::string readString(const std::string& section, const std::string& key, const std::string& defaultValue,
                       std::size_t bufferSize, const std::filesystem::path& file)
{
    if (bufferSize == 0)
        return {};
    std::optional<std::string> value;
    if (const auto doc = load(file))
        value = doc->value(section, key);
    // As the system does, trailing blanks of the default are dropped.
    std::string result = value ? *value : defaultValue.substr(0, defaultValue.find_last_not_of(' ') + 1);
    if (result.size() > bufferSize - 1)
        result.resize(bufferSize - 1);
    return result;
}

int readInt(const std::string& section, const std::string& key, int defaultValue, const std::filesystem::path& file)
{
    const auto doc = load(file);
    const auto value = doc ? doc->value(section, key) : std::nullopt;
    return value ? decimalInt(*value) : defaultValue;
}

bool writeString(const std::string& section, const std::string& key, const std::optional<std::string>& value,
                 const std::filesystem::path& file)
{
    bool existed = false;
    std::string before;
    auto doc = load(file, &existed, &before);
    if (!doc)
        return false;
    if (!existed && !value)
        return true; // deleting from a file that does not exist changes nothing
    if (!doc->setValue(section, key, value)) {
        errno = EINVAL;
        return false;
    }
    return store(file, *doc, existed, before);
}

bool deleteSection(const std::string& section, const std::filesystem::path& file)
{
    bool existed = false;
    std::string before;
    auto doc = load(file, &existed, &before);
    if (!doc)
        return false;
    if (!existed)
        return true;
    doc->removeSection(section);
    return store(file, *doc, existed, before);
}

std::vector<std::string> sectionNames(const std::filesystem::path& file)
{
    const auto doc = load(file);
    return doc ? doc->sectionNames() : std::vector<std::string>{};
}

std::vector<std::string> keyNames(const std::string& section, const std::filesystem::path& file)
{
    const auto doc = load(file);
    return doc ? doc->keyNames(section) : std::vector<std::string>{};
}

} // namespace profile
} // namespace bv
