#include "app/contents/FileAttachments.h"

#include "app/contents/ContentsTexts.h"
#include "app/contents/DdsReceipts.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/attachments/AttachmentIni.h"

#include <algorithm>
#include <climits>
#include <filesystem>

namespace bv {

class FileAttachments::Invoice : public AttachmentInvoice
{
public:
    std::vector<AttachmentReference>& references() override { return m_references; }
    // A receipt scanned here: the image must exist; its INI is written beside it by the commit.
    std::optional<AttachmentReference> createReference(const std::string& imagePath) override
    {
        std::error_code error;
        if (!std::filesystem::is_regular_file(imagePath, error))
            return std::nullopt;
        return AttachmentReference{imagePath, attachmentIniPath(imagePath), -1};
    }
    void addReference(const AttachmentReference& reference) override { m_references.push_back(reference); }

    std::vector<AttachmentReference> m_references;
};

FileAttachments::FileAttachments(CAbrechnungsDatei& file) : m_file(file)
{
    const auto receipts = ddsBoundReceipts(file);
    if (!receipts)
        return;
    for (const std::vector<BoundReceipt>& bound : *receipts) {
        auto invoice = std::make_unique<Invoice>();
        for (const BoundReceipt& receipt : bound) {
            const auto amount = static_cast<int>(std::clamp<std::int64_t>(receipt.labAmount, -1, INT_MAX));
            invoice->m_references.push_back({receipt.image, receipt.ini, amount});
        }
        m_invoices.push_back(std::move(invoice));
    }
}

FileAttachments::~FileAttachments() = default;

AttachmentInvoice* FileAttachments::invoice(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_invoices.size())
        return nullptr;
    return m_invoices[static_cast<std::size_t>(index)].get();
}

std::string FileAttachments::attachmentDirectory()
{
    if (auto directory = ddsAttachmentDirectory(m_file))
        return *directory;
    throw BV_ADZ_ERROR(adz::Structural, contentstext::CannotInitialise);
}

} // namespace bv
