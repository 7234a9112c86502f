#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bv {

class OpenFile;

// What spool detection knows of a file when it asks each format whether the file is one of its own.
struct SniffedFile
{
    const std::string& path;
    std::string extension; // lower case, with its dot
    OpenFile& file;
    // The first 256 bytes, when the file has them and they hold no zero byte (the header of the
    // fixed-record formats is read as text).
    std::optional<std::string> head;
};

// A format's test (file_type::...): the type when the file belongs to the format's family — also
// file_type::Unknown when it has the family's shape but none of its types —, nullopt when it does not.
// Detection asks the formats in the order of its table; the first answer decides.
using FileSniffer = std::optional<int> (*)(const SniffedFile& file);

// The bytes at `pos` of a header are `expected`.
inline bool headerBytesAre(std::string_view header, std::size_t pos, std::string_view expected)
{
    return header.size() >= pos + expected.size() && header.substr(pos, expected.size()) == expected;
}

} // namespace bv
