#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bv
{

// The private-profile (INI) functions with the Windows semantics, byte-transparent: sections and
// keys compare case-insensitively, blanks around keys and values are trimmed, a value enclosed in
// one pair of matching quotes loses them, a missing key gives the default, and a read through a
// buffer of N bytes returns at most N-1 bytes. Writes create the file and the section, keep every
// other line as it was, write CR LF line ends and replace the file atomically.
namespace profile
{

// GetPrivateProfileString: at most bufferSize-1 bytes of the value or of the default.
std::string readString(const std::string& section, const std::string& key, const std::string& defaultValue,
                       std::size_t bufferSize, const std::filesystem::path& file);

// GetPrivateProfileInt: the decimal rule on the value, the default when the key is missing.
int readInt(const std::string& section, const std::string& key, int defaultValue,
            const std::filesystem::path& file);

// WritePrivateProfileString: a value writes or replaces key=value; nullopt deletes the key.
// Returns false when the file could not be written (errno tells why).
bool writeString(const std::string& section, const std::string& key, const std::optional<std::string>& value,
                 const std::filesystem::path& file);

// Deletes a whole section.
bool deleteSection(const std::string& section, const std::filesystem::path& file);

// Names of the sections, and the keys of one section, in file order.
std::vector<std::string> sectionNames(const std::filesystem::path& file);
std::vector<std::string> keyNames(const std::string& section, const std::filesystem::path& file);

} // namespace profile

// The same semantics on a text already in memory (for readers of outside input and fuzzing).
class IniDocument
{
public:
    static IniDocument parse(std::string_view bytes);

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    void setValue(const std::string& section, const std::string& key, const std::optional<std::string>& value);
    void removeSection(const std::string& section);
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(const std::string& section) const;
    std::string serialize() const; // CR LF line ends

private:
    struct Line
    {
        std::string raw;     // the line as read, without its line end
        std::string section; // section this line belongs to (empty before the first header)
        bool isHeader = false;
        bool isKey = false;
        std::string key;   // trimmed key of a key line
        std::string value; // trimmed, unquoted value of a key line
    };
    std::vector<Line> m_lines;
};

} // namespace bv
