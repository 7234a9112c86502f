#include "app/send/SendLaboratory.h"

#include "app/contents/ContentsController.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "platform/Files.h"

namespace bv {

bool FileLaboratory::hasScannedReceipts(CAbrechnungsDatei& file)
{
    // Receipts are scanned into the attachment directory of an RZ2 file that did not come packed
    // with its own.
    auto* rz2 = readerOf<DDSrz2Datei>(file);
    if (!rz2 || !rz2->containerPath().empty())
        return false;
    for (const files::DirEntry& entry : files::listDirectory(rz2->AttachmentDirectory(), "*.tif")) {
        if (!entry.isDirectory)
            return true;
    }
    return false;
}

void FileLaboratory::discardScannedReceipts(CAbrechnungsDatei& file)
{
    if (auto* dds = readerOf<DDSrzDatei>(file)) {
        dds->DiscardAttachmentList();
        dds->EmptyAttachmentDirectory(false);
    }
}

void FileLaboratory::takeOverReceipts(CAbrechnungsDatei& file)
{
    auto* dds = readerOf<DDSrzDatei>(file);
    if (!dds)
        return;
    auto* rz2 = readerOf<DDSrz2Datei>(file);
    if (rz2 && rz2->containerPath().empty()) {
        rz2->DiscardAttachmentList();
        rz2->AddFromTempDDS();
    } else {
        dds->AdoptReceiptInis();
    }
}

std::string FileLaboratory::writeContainer(CAbrechnungsDatei& file)
{
    auto* dds = readerOf<DDSrzDatei>(file);
    return dds ? dds->WriteContainer() : std::string();
}

int FileLaboratory::checkContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs)
{
    return bv::checkContents(m_profile, m_boxes, file, variant, labs);
}

} // namespace bv
