#pragma once

#include "billing/attachments/AttachmentEntry.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bv {

class MessageBoxes;

// How the receipt dialog opens an entry: on an image the practice software delivered (scanning
// hidden), on a receipt scanned before, or for a new receipt.
enum class ReceiptMode
{
    Referenced = 0,
    Existing = 1,
    New = 2
};

// The receipt dialog's request for one entry: its mode, and whether the partner laboratories are
// offered (never for the practice's own laboratory in the numbered layout).
struct ReceiptRequest
{
    ReceiptMode mode = ReceiptMode::New;
    bool withPartnerLabs = true;
};

// Picks one of several references of an invoice (dialog "Auswahl der Anlage"); nullopt when the
// user cancels.
using AttachmentChooser = std::function<std::optional<std::size_t>(const std::vector<AttachmentReference>&)>;

// The per-invoice attachment store: it builds the entries of an invoice's laboratory services from
// the billing file's references and the INI files, writes every entry's INI on commit and hands
// finished receipts to the billing file so that they travel with it.
class AttachmentStore
{
public:
    AttachmentStore(AttachmentLayout layout, MessageBoxes& boxes, std::function<std::time_t()> now = {});

    const AttachmentLayout& layout() const { return m_layout; }

    // One entry per laboratory service, in service order, appended to the row's entries; nothing
    // in a read-only referenced layout.
    void buildEntries(AttachmentInvoiceRow& row, const std::vector<LabService>& services) const;
    // Writes every entry's INI and registers finished receipts with the billing file; nothing in a
    // read-only referenced layout.
    void commit(std::vector<AttachmentInvoiceRow>& rows) const;
    // Prepares an entry for the receipt dialog; nullopt when it cannot be edited (the reason has been
    // shown) or the choice among several images was cancelled.
    std::optional<ReceiptRequest> prepareForReceipt(AttachmentInvoiceRow& row, std::size_t entryIndex,
                                                    const AttachmentChooser& choose,
                                                    const std::string& servicelineTel) const;

    // True when an INI that one of the invoices references was written by another program; the
    // referenced layout is then read-only.
    static bool hasForeignIni(const std::vector<AttachmentInvoice*>& invoices);

private:
    void buildNumbered(AttachmentInvoiceRow& row, const std::vector<LabService>& services) const;
    void buildReferenced(AttachmentInvoiceRow& row, const std::vector<LabService>& services) const;
    AttachmentEntry freshEntry(const AttachmentInvoiceRow& row, const LabService& service, bool undecided) const;

    AttachmentLayout m_layout;
    MessageBoxes& m_boxes;
    std::function<std::time_t()> m_now;
};

// Removes the attachment INI files this program wrote ([GENERAL] Ersteller=bvals_cl) from the spool
// directory. INI files of other creators and anything that is not a regular file stay. Result: the
// number removed; -2 when the directory cannot be listed; -3 when a removal failed (the sweep stops
// there). A file without write permission counts as read-only and is not removed, as on the
// system's own platform.
int removeOwnIniFiles(const std::string& spoolDirectory);

} // namespace bv
