#pragma once

#include "app/contents/ContentsPorts.h"

#include <memory>
#include <vector>

namespace bv {

class CAbrechnungsDatei;

// The receipts of a billing file as the contents dialog sees them. A DDS-RZ file names the images
// bound to each invoice (from its attachment container or its control file) with their INI files
// and laboratory amounts; a receipt scanned in the dialog is added to its invoice's list here, and
// the billing file takes the receipts over from the attachment directory after the dialog. Other
// formats have no receipts and no attachment directory.
class FileAttachments : public ContentsAttachments
{
public:
    explicit FileAttachments(CAbrechnungsDatei& file);
    ~FileAttachments() override;

    AttachmentInvoice* invoice(int index) override;
    std::string attachmentDirectory() override;

private:
    class Invoice;
    CAbrechnungsDatei& m_file;
    std::vector<std::unique_ptr<Invoice>> m_invoices;
};

} // namespace bv
