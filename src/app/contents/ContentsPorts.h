#pragma once

#include "app/contents/TableDescription.h"
#include "app/send/PartnerLabList.h"
#include "billing/attachments/AttachmentStore.h"

#include <optional>
#include <string>
#include <vector>

namespace bv {

// The contents dialog's window as its controller sees it.
class ContentsWindow
{
public:
    virtual ~ContentsWindow() = default;
    // The whole grid; the window widens itself to `width` (the grid's columns and a margin).
    virtual void showTable(const TableDescription& table, int width) = 0;
    // One row again, found by its key (after its decisions were edited).
    virtual void updateRow(const TableRow& row) = 0;
    // The text under the grid, empty for none.
    virtual void setFootnote(const std::string& text) = 0;
    // Prints the grid with a title and a footnote.
    virtual void print(const std::string& title, const std::string& footnote) = 0;
    // The same into a PDF file, without asking for a printer (a window that cannot print ignores it).
    virtual void printToFile(const std::string& /*path*/, const std::string& /*title*/, const std::string& /*footnote*/)
    {}
    // Ends the modal dialog with OK or Cancel.
    virtual void closeDialog(bool ok) = 0;
};

// The dialogs the contents dialog opens; each runs modally and returns when done.
class ContentsDialogs
{
public:
    virtual ~ContentsDialogs() = default;
    // The receipt dialog "Beleg" on one entry; true after OK. It edits the entry in place.
    virtual bool runReceipt(AttachmentEntry& entry, ReceiptMode mode, const PartnerLabList& labs) = 0;
    // "Auswahl der Anlage": one of several images of an invoice; nullopt when cancelled.
    virtual std::optional<std::size_t> chooseAttachment(const std::vector<AttachmentReference>& references) = 0;
};

// The billing file's side of its receipts: one attachment invoice per invoice, and the directory of
// numbered receipt images.
class ContentsAttachments
{
public:
    virtual ~ContentsAttachments() = default;
    // The invoice with this index (from 0); null when the file keeps no references for it.
    virtual AttachmentInvoice* invoice(int index) = 0;
    // The billing file's attachment directory, ending in "/"; it is made when missing (a failure is
    // shown and thrown as the billing library's error).
    virtual std::string attachmentDirectory() = 0;
};

} // namespace bv
