#pragma once

#include <filesystem>
#include <optional>
#include <string>
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

// The same semantics on a text already in memory (for readers of outside input and fuzzing).
// A UTF-8 byte order mark at the start is skipped for reading and kept for writing; every line
// keeps its own line end unless it is written anew.
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
    static Line classify(std::string raw, std::string eol);
    std::size_t findSection(const std::string& section) const; // index of the header or npos
    std::size_t blockEnd(std::size_t header) const;            // index of the next header or end

    std::string m_bom;
    std::vector<Line> m_lines;
};

} // namespace bv
