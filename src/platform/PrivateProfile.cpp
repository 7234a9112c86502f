#include "platform/PrivateProfile.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <unordered_set>

namespace bv {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr const char* CrLf = "\r\n";

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

std::string unquote(std::string value)
{
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The blanks that trim() removes; a line never holds a LF.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isBlankLine(std::string_view raw)
{
    return std::all_of(raw.begin(), raw.end(), isBlank);
}

} // namespace

IniKeyScanner::IniKeyScanner(std::string_view section, const std::vector<std::string>& keys, std::size_t valueLimit)
    : m_section(trim(section)), m_values(keys.size()), m_valueLimit(valueLimit)
{
    m_nameLimit = m_section.size();
    for (const std::string& key : keys) {
        m_keys.push_back(trim(key));
        m_nameLimit = std::max(m_nameLimit, m_keys.back().size());
    }
    // One byte more than the longest name tells a longer name apart.
    ++m_nameLimit;
    m_done = keys.empty();
}

void IniKeyScanner::feed(std::string_view bytes)
{
    if (!m_bomChecked) {
        const std::size_t take = std::min(bytes.size(), Utf8Bom.size() - m_bomProbe.size());
        m_bomProbe.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (m_bomProbe.size() < Utf8Bom.size())
            return;
        m_bomChecked = true;
        if (m_bomProbe != Utf8Bom)
            feed(m_bomProbe);
    }
    std::size_t i = 0;
    while (i < bytes.size() && !m_done) {
        if (m_state == State::SkipLine) {
            const void* nl = std::memchr(bytes.data() + i, '\n', bytes.size() - i);
            if (!nl)
                return;
            i = static_cast<std::size_t>(static_cast<const char*>(nl) - bytes.data());
        }
        if (bytes[i] == '\n')
            endLine();
        else
            byte(bytes[i]);
        ++i;
    }
}

void IniKeyScanner::finish()
{
    if (!m_bomChecked) {
        m_bomChecked = true;
        if (m_bomProbe != Utf8Bom)
            feed(m_bomProbe);
    }
    if (!m_done)
        endLine();
    m_done = true;
}

void IniKeyScanner::keep(char c, std::size_t limit)
{
    if (m_text.size() < limit)
        m_text += c;
    ++m_length;
    if (!isBlank(c)) {
        m_lastNonBlank = m_length;
        m_lastChar = c;
    }
}

void IniKeyScanner::byte(char c)
{
    switch (m_state) {
    case State::LineStart:
        if (isBlank(c))
            return;
        if (c == '[')
            m_state = State::HeaderName;
        else if (c == ';' || c == '=' || !m_inSection)
            m_state = State::SkipLine; // a comment, a line without a key name, or a key of no interest
        else {
            m_state = State::KeyName;
            keep(c, m_nameLimit);
        }
        return;
    case State::HeaderName:
        if (m_length == 0 && isBlank(c))
            return;
        if (c == ']') {
            // The name runs up to the last "]" of the line.
            m_nameEnd = m_lastNonBlank;
            m_closed = true;
        }
        keep(c, m_nameLimit);
        return;
    case State::KeyName: {
        if (c != '=') {
            keep(c, m_nameLimit);
            return;
        }
        m_matched.clear();
        if (m_lastNonBlank <= m_text.size())
            m_matched = m_text.substr(0, m_lastNonBlank);
        const bool wanted = std::any_of(m_keys.begin(), m_keys.end(), [this](const std::string& key) {
            return !m_matched.empty() && iequals(key, m_matched);
        });
        m_state = wanted ? State::KeyValue : State::SkipLine;
        m_text.clear();
        m_length = 0;
        m_lastNonBlank = 0;
        return;
    }
    case State::KeyValue:
        if (m_length == 0 && isBlank(c))
            return;
        // Enough for the quote that unquoting drops and the bytes the caller takes.
        keep(c, m_valueLimit == std::numeric_limits<std::size_t>::max() ? m_valueLimit : m_valueLimit + 1);
        return;
    case State::SkipLine:
        return;
    }
}

void IniKeyScanner::endLine()
{
    if (m_state == State::HeaderName && m_closed) {
        if (m_inSection)
            m_done = true; // the first block of the section has ended
        else if (m_nameEnd <= m_text.size() && iequals(std::string_view(m_text).substr(0, m_nameEnd), m_section))
            m_inSection = true;
    } else if (m_state == State::KeyValue) {
        std::string value;
        const std::size_t length = m_lastNonBlank;
        if (length >= 2 && isQuote(m_text[0]) && m_lastChar == m_text[0])
            value = m_text.substr(1, std::min(length - 2, m_valueLimit));
        else
            value = m_text.substr(0, std::min(length, m_valueLimit));
        for (std::size_t i = 0; i < m_keys.size(); ++i) {
            if (!m_values[i] && iequals(m_keys[i], m_matched)) {
                m_values[i] = value;
                ++m_found;
            }
        }
        m_done = m_found == m_keys.size();
    }
    m_state = State::LineStart;
    m_text.clear();
    m_length = 0;
    m_lastNonBlank = 0;
    m_nameEnd = 0;
    m_closed = false;
}

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

void IniDocument::indexLine(Index& index, const Line& line, std::size_t at)
{
    if (line.kind == Line::Kind::Header) {
        index.sections.try_emplace(toLower(line.name), index.blocks.size());
        index.blocks.push_back(Block{at, at + 1, at, {}});
        return;
    }
    if (index.blocks.empty())
        return; // lines before the first header belong to no section
    Block& block = index.blocks.back();
    block.end = at + 1;
    if (!isBlankLine(line.raw))
        block.lastContent = at;
    if (line.kind == Line::Kind::Key)
        block.keys.try_emplace(toLower(line.name), at);
}

const IniDocument::Index& IniDocument::index() const
{
    if (!m_index) {
        m_index.emplace();
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            indexLine(*m_index, m_lines[i], i);
    }
    return *m_index;
}

const IniDocument::Block* IniDocument::findBlock(const std::string& section) const
{
    const Index& idx = index();
    const auto it = idx.sections.find(toLower(section));
    return it == idx.sections.end() ? nullptr : &idx.blocks[it->second];
}

void IniDocument::append(Line line)
{
    m_lines.push_back(std::move(line));
    if (m_index)
        indexLine(*m_index, m_lines.back(), m_lines.size() - 1);
}

void IniDocument::insertAt(std::size_t pos, Line line)
{
    // The line before the new one needs a line end of its own.
    if (pos > 0 && m_lines[pos - 1].eol.empty())
        m_lines[pos - 1].eol = CrLf;
    if (pos == m_lines.size()) {
        append(std::move(line));
        return;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
    m_index.reset();
}

std::optional<std::string> IniDocument::value(const std::string& section, const std::string& key) const
{
    const Block* block = findBlock(trim(section));
    if (!block)
        return std::nullopt;
    const auto it = block->keys.find(toLower(trim(key)));
    if (it == block->keys.end())
        return std::nullopt;
    return m_lines[it->second].value;
}

bool IniDocument::setValue(const std::string& section, const std::string& key, const std::optional<std::string>& value)
{
    const std::string sectionName = trim(section);
    const std::string keyName = trim(key);
    // Anything that would not read back as this section and key is refused instead of written.
    if (hasLineBreak(section) || hasLineBreak(key) || keyName.empty() || keyName.find('=') != std::string::npos ||
        keyName.front() == '[' || keyName.front() == ';' || (value && hasLineBreak(*value)))
        return false;

    const Block* block = findBlock(sectionName);
    std::size_t keyLine = std::string::npos;
    std::size_t lastContent = 0;
    if (block) {
        if (const auto it = block->keys.find(toLower(keyName)); it != block->keys.end())
            keyLine = it->second;
        lastContent = block->lastContent;
    }
    if (!value) {
        if (keyLine != std::string::npos) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(keyLine));
            m_index.reset();
        }
        return true;
    }
    if (keyLine != std::string::npos) {
        // The same key name again: where the lines are and what they are stays as it was.
        m_lines[keyLine] = classify(m_lines[keyLine].name + "=" + *value, CrLf);
        return true;
    }
    if (!block) {
        insertAt(m_lines.size(), classify("[" + sectionName + "]", CrLf));
        lastContent = m_lines.size() - 1;
    }
    insertAt(lastContent + 1, classify(keyName + "=" + *value, CrLf));
    return true;
}

void IniDocument::removeSection(const std::string& section)
{
    const std::string name = trim(section);
    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    bool removing = false;
    for (Line& line : m_lines) {
        if (line.kind == Line::Kind::Header)
            removing = iequals(line.name, name);
        if (!removing)
            kept.push_back(std::move(line));
    }
    m_lines = std::move(kept);
    m_index.reset();
}

std::vector<std::string> IniDocument::sectionNames() const
{
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Kind::Header && seen.insert(toLower(line.name)).second)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> IniDocument::keyNames(const std::string& section) const
{
    std::vector<std::string> names;
    const Block* block = findBlock(trim(section));
    if (!block)
        return names;
    std::unordered_set<std::string> seen;
    for (std::size_t i = block->header + 1; i < block->end; ++i) {
        if (m_lines[i].kind == Line::Kind::Key && seen.insert(toLower(m_lines[i].name)).second)
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

// Hands the file to the scanner piece by piece until it has what it looks for. False when the file
// exists but cannot be read; a missing file is an empty one.
bool scan(const std::filesystem::path& file, IniKeyScanner& scanner)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    char buffer[65536];
    bool ok = true;
    while (!scanner.done()) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false; // also a directory (EISDIR)
            break;
        }
        if (n == 0)
            break;
        scanner.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    scanner.finish();
    ::close(fd);
    return ok;
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
    return readStrings(section, {key}, defaultValue, bufferSize, file).front();
}

std::vector<std::string> readStrings(const std::string& section, const std::vector<std::string>& keys,
                                     const std::string& defaultValue, std::size_t bufferSize,
                                     const std::filesystem::path& file)
{
    if (bufferSize == 0)
        return std::vector<std::string>(keys.size());
    IniKeyScanner scanner(section, keys, bufferSize - 1);
    const bool read = scan(file, scanner);
    // As the system does, trailing blanks of the default are dropped.
    std::string fallback = defaultValue.substr(0, defaultValue.find_last_not_of(' ') + 1);
    if (fallback.size() > bufferSize - 1)
        fallback.resize(bufferSize - 1);
    std::vector<std::string> values;
    for (std::size_t i = 0; i < keys.size(); ++i)
        values.push_back(read && scanner.value(i) ? *scanner.value(i) : fallback);
    return values;
}

int readInt(const std::string& section, const std::string& key, int defaultValue, const std::filesystem::path& file)
{
    // The whole value counts: the decimal rule reads every digit.
    IniKeyScanner scanner(section, {key}, std::numeric_limits<std::size_t>::max());
    return scan(file, scanner) && scanner.value(0) ? decimalInt(*scanner.value(0)) : defaultValue;
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
