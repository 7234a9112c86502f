#include "billing/formats/pad/MasPadSniffer.h"

#include "billing/CAbrechnungsDatei.h"
#include "billing/OpenFile.h"

#include <cstdint>

namespace bv {

std::optional<int> sniffMasOrPad(const SniffedFile& sniffed)
{
    if (!sniffed.head)
        return std::nullopt;
    const std::string& head = *sniffed.head;
    OpenFile& file = sniffed.file;
    const bool lines = headerBytesAre(head, 128, "\r\n");
    const std::int64_t size = file.size();
    bool endsWithLineEnd = false;
    if (lines) {
        char tail[2] = {};
        endsWithLineEnd = file.readAt(size - 2, tail, 2) == 2 && tail[0] == '\r' && tail[1] == '\n';
    }
    const std::int64_t lastStart = size - 128 - ((lines && endsWithLineEnd) ? 2 : 0);
    std::string last(128, '\0');
    if (lastStart < 0 || file.readAt(lastStart, last.data(), last.size()) != 128)
        return file_type::Unknown;
    if (!headerBytesAre(head, 12, "000") || !headerBytesAre(last, 12, "990") || head.compare(0, 6, last, 0, 6) != 0)
        return file_type::Unknown;
    std::string trailer = last.substr(29, 4);
    trailer = trailer.substr(0, trailer.find('\0'));
    if (trailer.find_first_not_of(' ') != std::string::npos)
        return file_type::Mas;
    return lines ? file_type::PadLines : file_type::Pad;
}

} // namespace bv
