#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bv {

class CAbrechnungsDatei;

// A receipt image that a DDS-RZ file binds to an invoice, with its INI file (may be empty) and the
// laboratory amount read from that INI (-1 when none).
struct BoundReceipt
{
    std::string image;
    std::string ini;
    std::int64_t labAmount = -1;
};

// The receipt images of each invoice of a DDS-RZ file, in invoice order; nullopt for other formats.
// (Kept apart from the attachment store's types: the reader's attachment list has its own.)
std::optional<std::vector<std::vector<BoundReceipt>>> ddsBoundReceipts(CAbrechnungsDatei& file);
// The attachment directory of a DDS-RZ file ("/" at the end), made when missing; nullopt for other
// formats. A directory that cannot be made is thrown as the reader's CAdzException.
std::optional<std::string> ddsAttachmentDirectory(CAbrechnungsDatei& file);

} // namespace bv
