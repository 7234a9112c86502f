#include "billing/formats/records/CodePage.h"

#include "billing/formats/records/FieldChecks.h"
#include "platform/Text.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace bv::records {

CodePageStep::CodePageStep(Kind kind) : m_kind(kind)
{
    if (kind != Kind::Oem850 && kind != Kind::Oem437)
        return;
    // The conversion table of the code page, as iconv maps each byte.
    std::string bytes(256, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i);
    const std::string converted = oemToAnsi(bytes, kind == Kind::Oem437 ? 437 : 850);
    for (std::size_t i = 0; i < m_table.size(); ++i)
        m_table[i] = static_cast<unsigned char>(i < converted.size() ? converted[i] : bytes[i]);
}

CodePageStep CodePageStep::ForDdsIdentifier(std::string_view identifier)
{
    if (identifier.empty() || identifier == "ANSI")
        return CodePageStep(Kind::None);
    return CodePageStep(identifier == "C437" ? Kind::Oem437 : Kind::Oem850);
}

void CodePageStep::apply(char* buffer, std::size_t length) const
{
    switch (m_kind) {
    case Kind::None:
        return;
    case Kind::German7Bit:
        TranslateGerman7Bit(buffer, length);
        return;
    case Kind::Oem850:
    case Kind::Oem437: {
        // Both code pages agree with Windows-1252 below 0x80, so runs of eight such bytes are skipped.
        std::size_t i = 0;
        for (; i + 8 <= length; i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, buffer + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0)
                continue;
            for (std::size_t k = i; k < i + 8; ++k)
                buffer[k] = static_cast<char>(m_table[static_cast<unsigned char>(buffer[k])]);
        }
        for (; i < length; ++i)
            buffer[i] = static_cast<char>(m_table[static_cast<unsigned char>(buffer[i])]);
        return;
    }
    }
}

} // namespace bv::records
