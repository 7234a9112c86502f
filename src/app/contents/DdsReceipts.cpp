#include "app/contents/DdsReceipts.h"

#include "billing/formats/dds/DDSrzDatei.h"

#include <algorithm>

namespace bv {

std::optional<std::vector<std::vector<BoundReceipt>>> ddsBoundReceipts(CAbrechnungsDatei& file)
{
    DDSrzDatei* dds = readerOf<DDSrzDatei>(file);
    if (!dds)
        return std::nullopt;
    std::vector<std::vector<BoundReceipt>> receipts;
    for (const DDSrzRechnung& invoice : dds->invoices()) {
        std::vector<BoundReceipt>& bound = receipts.emplace_back();
        const int count = std::clamp(invoice.boundAttachments, 0, DDSrzRechnung::MaxAttachments);
        for (int k = 0; k < count; ++k) {
            if (const auto* attachment = invoice.attachments[static_cast<std::size_t>(k)])
                bound.push_back({attachment->path, attachment->companionPath, attachment->laboratoryAmount});
        }
    }
    return receipts;
}

std::optional<std::string> ddsAttachmentDirectory(CAbrechnungsDatei& file)
{
    DDSrzDatei* dds = readerOf<DDSrzDatei>(file);
    if (!dds)
        return std::nullopt;
    return dds->AttachmentDirectory();
}

} // namespace bv
