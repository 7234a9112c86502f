#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bv {

// The private-profile (INI) functions with the Windows semantics, byte-transparent: sections and
// keys compare case-insensitively, blanks around keys and values are trimmed, a value enclosed in
// one pair of matching quotes loses them, a missing key gives the default, and a read through a
// buffer of N bytes returns at most N-1 bytes. Writes create the file and the section, keep every
// other line as it was, write CR LF line ends and replace the file atomically.
namespace profile {

// GetPrivateProfileString: at most bufferSize-1 bytes of the value or of the default.
std::string readString(const std::string& section, const std::string& key, const std::string& defaultValue,
                       std::size_t bufferSize, const std::filesystem::path& file);

// Several keys of one section in one pass over the file, each as readString would read it.
std::vector<std::string> readStrings(const std::string& section, const std::vector<std::string>& keys,
                                     const std::string& defaultValue, std::size_t bufferSize,
                                     const std::filesystem::path& file);

// GetPrivateProfileInt: the decimal rule on the value, the default when the key is missing.
int readInt(const std::string& section, const std::string& key, int defaultValue, const std::filesystem::path& file);

// WritePrivateProfileString: a value writes or replaces key=value; nullopt deletes the key.
// Returns false when the file could not be written (errno tells why; EINVAL when the names or
// the value cannot be written, see IniDocument::setValue).
bool writeString(const std::string& section, const std::string& key, const std::optional<std::string>& value,
                 const std::filesystem::path& file);

// Deletes a whole section.
bool deleteSection(const std::string& section, const std::filesystem::path& file);

// Names of the sections, and the keys of one section, in file order.
std::vector<std::string> sectionNames(const std::filesystem::path& file);
std::vector<std::string> keyNames(const std::string& section, const std::filesystem::path& file);

} // namespace profile

// Reads keys of one section from an INI text handed over in pieces, with the reading rules of
// IniDocument::value (the first block of the section, the first line of a key). It keeps only the
// names it looks for and the first `valueLimit` bytes of a value, so a file of any size, with lines
// of any length, is read in one pass with memory of its own bounded by those.
class IniKeyScanner
{
public:
    IniKeyScanner(std::string_view section, const std::vector<std::string>& keys, std::size_t valueLimit);

    void feed(std::string_view bytes);
    void finish(); // the text has ended (its last line may have no line end)
    // True once every key was found or the section has ended: the rest of the text changes nothing.
    bool done() const { return m_done; }
    // At most valueLimit bytes of the key's value; nullopt when it is missing.
    const std::optional<std::string>& value(std::size_t index) const { return m_values[index]; }

private:
    enum class State
    {
        LineStart,  // only blanks so far
        HeaderName, // after "["
        KeyName,    // before the first "=" of a line in the section
        KeyValue,   // after it, on the line of a key looked for
        SkipLine    // nothing on this line can matter
    };
    void byte(char c);
    void endLine();
    void keep(char c, std::size_t limit);

    std::string m_section;
    std::vector<std::string> m_keys;
    std::vector<std::optional<std::string>> m_values;
    std::size_t m_valueLimit;
    std::size_t m_nameLimit = 0;
    std::size_t m_found = 0;
    bool m_inSection = false;
    bool m_done = false;
    std::string m_bomProbe;
    bool m_bomChecked = false;

    // The current line: the text kept from its first non-blank byte of interest, how many bytes
    // that part has, where its last non-blank byte is, and for a header where its name ends.
    State m_state = State::LineStart;
    std::string m_text;
    std::size_t m_length = 0;
    std::size_t m_lastNonBlank = 0; // one past the last non-blank byte, 0 when none
    std::size_t m_nameEnd = 0;      // for a header: one past the last non-blank byte before its last "]"
    bool m_closed = false;          // for a header: a "]" was seen
    char m_lastChar = 0;            // the last non-blank byte
    std::string m_matched;          // the key name of a line looked for
};

// The same semantics on a text already in memory (for readers of outside input and fuzzing).
// A UTF-8 byte order mark at the start is skipped for reading and kept for writing; every line
// keeps its own line end unless it is written anew. Sections and keys are found through an index
// built on first use and kept while lines are only added at the end, so reading or adding the
// keys of a file one by one takes time in proportion to its size.
class IniDocument
{
public:
    static IniDocument parse(std::string_view bytes);

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    // False (and no change) when the names or the value cannot be written as one line that reads
    // back as the same section and key: a line break anywhere, an empty key, a key with "=" or
    // starting with "[" or ";".
    bool setValue(const std::string& section, const std::string& key, const std::optional<std::string>& value);
    void removeSection(const std::string& section);
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(const std::string& section) const;
    std::string serialize() const; // lines written anew end in CR LF

private:
    struct Line
    {
        enum class Kind
        {
            Other, // blank, comment or a line without "=": kept, but means nothing
            Header,
            Key
        };
        std::string raw; // the line as read, without its line end
        std::string eol; // "\r\n", "\n", or "" for a last line without line end
        Kind kind = Kind::Other;
        std::string name;  // section name of a header, trimmed key of a key line
        std::string value; // trimmed, unquoted value of a key line
    };
    // The lines from one header up to the next.
    struct Block
    {
        std::size_t header = 0;
        std::size_t end = 0;                               // index of the next header, or the line count
        std::size_t lastContent = 0;                       // the last line that is not blank (the header when none is)
        std::unordered_map<std::string, std::size_t> keys; // folded key -> its first line
    };
    struct Index
    {
        std::unordered_map<std::string, std::size_t> sections; // folded name -> block of its first header
        std::vector<Block> blocks;                             // every header's block, in file order
    };

    static Line classify(std::string raw, std::string eol);
    const Index& index() const;
    static void indexLine(Index& index, const Line& line, std::size_t at);
    const Block* findBlock(const std::string& section) const; // the first block of the section
    void append(Line line);
    void insertAt(std::size_t pos, Line line);

    std::string m_bom;
    std::vector<Line> m_lines;
    mutable std::optional<Index> m_index; // dropped by any change other than adding at the end
};

} // namespace bv
