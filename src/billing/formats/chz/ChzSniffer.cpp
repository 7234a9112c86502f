#include "billing/formats/chz/ChzSniffer.h"

#include "billing/CAbrechnungsDatei.h"

namespace bv {

std::optional<int> sniffChz(const SniffedFile& file)
{
    if (file.extension == ".chz")
        return file_type::Chz;
    return std::nullopt;
}

} // namespace bv
