#include "billing/formats/dds/DdsSniffer.h"

#include "billing/CAbrechnungsDatei.h"
#include "platform/Text.h"

namespace bv {

std::optional<int> sniffControlFile(const SniffedFile& file)
{
    if (file.extension == ".ini")
        return file_type::ControlIni;
    return std::nullopt;
}

std::optional<int> sniffDds(const SniffedFile& file)
{
    if (!file.head)
        return std::nullopt;
    const std::string& head = *file.head;
    if (!headerBytesAre(head, 254, "\r\n") || headerBytesAre(head, 126, "\r\n"))
        return std::nullopt;
    const int version = decimalInt(head.substr(8, 2));
    const int kind = decimalInt(head.substr(22, 4));
    const bool invoices = kind == 10 || kind == 100;
    if (kind == 0)
        return file_type::Unknown;
    if (version == 2 && invoices)
        return file_type::DdsV2;
    if (version == 2 && kind == 2828)
        return file_type::DdsV2Kind2828;
    if (version == 3 && invoices)
        return file_type::DdsV3;
    if (version == 3 && kind == 2828)
        return file_type::DdsV3Kind2828;
    return file_type::Unknown;
}

} // namespace bv
