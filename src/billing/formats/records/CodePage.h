#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace bv::records {

// The code-page step of a fixed-record file: practice software writes its records in the DOS code
// page of its machine (CP850 or CP437) or in ANSI; records are read as Windows-1252, converted in
// place, one byte for one byte.
class CodePageStep
{
public:
    enum class Kind
    {
        None,      // the file is ANSI (Windows-1252) already
        Oem850,    // DOS Latin-1
        Oem437,    // DOS US
        German7Bit // ISO 646-DE: {|}~[\] are the German letters
    };

    CodePageStep() = default;
    explicit CodePageStep(Kind kind);
    // The step a DDS-RZ control record's character-set identifier asks for: none when it is empty or
    // "ANSI", CP437 for "C437", CP850 (the DOS code page of German practice machines) for any other.
    static CodePageStep ForDdsIdentifier(std::string_view identifier);

    Kind kind() const { return m_kind; }
    void apply(char* buffer, std::size_t length) const;

private:
    Kind m_kind = Kind::None;
    std::array<unsigned char, 256> m_table{};
};

} // namespace bv::records
