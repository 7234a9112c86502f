#include "billing/attachments/AttachmentStore.h"

#include "billing/attachments/AttachmentIni.h"
#include "billing/attachments/AttachmentTexts.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <sys/stat.h>

namespace bv {

namespace t = attachmenttext;

std::string AttachmentLayout::numberedImage(int invoiceIndex, int serviceIndex) const
{
    return strFormat("%s%04d%04d.tif", attachmentDirectory.c_str(), invoiceIndex, serviceIndex);
}

std::string AttachmentLayout::numberedIni(int invoiceIndex, int serviceIndex) const
{
    return strFormat("%s%04d%04d.ini", attachmentDirectory.c_str(), invoiceIndex, serviceIndex);
}

AttachmentStore::AttachmentStore(AttachmentLayout layout, MessageBoxes& boxes, std::function<std::time_t()> now)
    : m_layout(std::move(layout)), m_boxes(boxes), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return std::time(nullptr); };
}

AttachmentEntry AttachmentStore::freshEntry(const AttachmentInvoiceRow& row, const LabService& service,
                                            bool undecided) const
{
    AttachmentEntry entry;
    entry.amount = service.amount;
    entry.recipientName = row.recipientName;
    entry.labKind = service.kind;
    entry.receiptFlag = undecided;
    entry.partnerFlag = undecided;
    return entry;
}

void AttachmentStore::buildEntries(AttachmentInvoiceRow& row, const std::vector<LabService>& services) const
{
    if (m_layout.kind == AttachmentLayout::Kind::Numbered)
        buildNumbered(row, services);
    else if (!m_layout.readOnly)
        buildReferenced(row, services);
}

void AttachmentStore::buildNumbered(AttachmentInvoiceRow& row, const std::vector<LabService>& services) const
{
    for (std::size_t i = 0; i < services.size(); ++i) {
        AttachmentEntry entry = freshEntry(row, services[i], false);
        const AttachmentReference* match = nullptr;
        if (row.invoice) {
            for (const AttachmentReference& ref : row.invoice->references()) {
                if (ref.labAmount == entry.amount) {
                    match = &ref;
                    break;
                }
            }
        }
        if (match) {
            entry.receiptPath = match->imagePath;
            entry.receiptFlag = true;
            if (!match->iniPath.empty())
                readAttachmentIni(entry, match->iniPath, IniStrictness::Lenient);
        } else if (!readAttachmentIni(entry, m_layout.numberedIni(row.index, static_cast<int>(i)),
                                      IniStrictness::Lenient)) {
            entry.receiptFlag = true;
            entry.partnerFlag = true;
        }
        row.entries.push_back(std::move(entry));
    }
}

void AttachmentStore::buildReferenced(AttachmentInvoiceRow& row, const std::vector<LabService>& services) const
{
    for (const LabService& service : services) {
        AttachmentEntry entry = freshEntry(row, service, true);
        if (row.invoice) {
            for (const AttachmentReference& ref : row.invoice->references()) {
                if (!ref.iniPath.empty() && readAttachmentIni(entry, ref.iniPath, IniStrictness::Strict)) {
                    entry.receiptPath = ref.imagePath;
                    break;
                }
            }
        }
        row.entries.push_back(std::move(entry));
    }
}

void AttachmentStore::commit(std::vector<AttachmentInvoiceRow>& rows) const
{
    if (m_layout.kind == AttachmentLayout::Kind::Referenced && m_layout.readOnly)
        return;
    for (AttachmentInvoiceRow& row : rows) {
        for (const AttachmentEntry& entry : row.entries) {
            const std::string iniPath = writeAttachmentIni(row, entry, m_boxes, m_now());
            if (!row.invoice)
                continue;
            if (m_layout.kind == AttachmentLayout::Kind::Numbered) {
                if (entry.receiptFlag && !entry.receiptPath.empty()) {
                    if (const auto ref = row.invoice->createReference(entry.receiptPath))
                        row.invoice->addReference(*ref);
                }
            } else if (!iniPath.empty()) {
                for (AttachmentReference& ref : row.invoice->references()) {
                    if (iequals(ref.imagePath, entry.receiptPath) && ref.iniPath.empty())
                        ref.iniPath = iniPath;
                }
            }
        }
    }
}

std::optional<ReceiptRequest> AttachmentStore::prepareForReceipt(AttachmentInvoiceRow& row, std::size_t entryIndex,
                                                                 const AttachmentChooser& choose,
                                                                 const std::string& servicelineTel) const
{
    AttachmentEntry& entry = row.entries.at(entryIndex);
    if (m_layout.kind == AttachmentLayout::Kind::Numbered) {
        ReceiptRequest request;
        request.withPartnerLabs = !entry.ownLaboratory();
        if (!entry.receiptFlag || entry.receiptPath.empty()) {
            entry.receiptPath = m_layout.numberedImage(row.index, static_cast<int>(entryIndex));
            request.mode = ReceiptMode::New;
        } else {
            request.mode = ReceiptMode::Existing;
        }
        return request;
    }
    if (entry.receiptPath.empty()) {
        const std::vector<AttachmentReference> refs =
            row.invoice ? row.invoice->references() : std::vector<AttachmentReference>{};
        if (refs.empty()) {
            m_boxes.show(strFormat(t::NoAttachment, servicelineTel.c_str()), t::Caption, MbIcon::Error);
            return std::nullopt;
        }
        std::size_t chosen = 0;
        if (refs.size() > 1) {
            const auto pick = choose ? choose(refs) : std::nullopt;
            if (!pick || *pick >= refs.size())
                return std::nullopt;
            chosen = *pick;
        }
        entry.receiptPath = refs[chosen].imagePath;
    }
    return ReceiptRequest{ReceiptMode::Referenced, true};
}

bool AttachmentStore::hasForeignIni(const std::vector<AttachmentInvoice*>& invoices)
{
    for (AttachmentInvoice* invoice : invoices) {
        if (!invoice)
            continue;
        for (const AttachmentReference& ref : invoice->references()) {
            if (!ref.iniPath.empty() && readIniCreator(ref.iniPath).value_or("") != t::Creator)
                return true;
        }
    }
    return false;
}

int removeOwnIniFiles(const std::string& spoolDirectory)
{
    SystemError listError;
    const std::vector<files::DirEntry> entries = files::listDirectory(spoolDirectory, "*.ini", &listError);
    if (listError)
        return -2;
    int removed = 0;
    for (const files::DirEntry& dirEntry : entries) {
        if (dirEntry.isDirectory)
            continue;
        const std::filesystem::path path = std::filesystem::path(spoolDirectory) / dirEntry.name;
        struct stat st
        {
        };
        // Only a regular file is this program's INI; a link, pipe or device is never touched.
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (readIniCreator(path.string()).value_or("") != t::Creator)
            continue;
        if ((st.st_mode & 0222) == 0 || files::removeFile(path))
            return -3;
        ++removed;
    }
    return removed;
}

} // namespace bv
