#include "billing/formats/cha/ChaSniffer.h"

#include "billing/CAbrechnungsDatei.h"
#include "billing/formats/xml/XmlInvoice.h"

namespace bv {

std::optional<int> sniffXmlInvoice(const SniffedFile& file)
{
    if (file.extension == ".xml" && XmlInvoice(file.path).IsInvoice(false))
        return file_type::Cha;
    return std::nullopt;
}

} // namespace bv
