#pragma once

namespace bv {

// How the send dialog names the customer of a billing file.
enum class CustomerShown
{
    NumberAndBatch, // the customer number, with the batch number when the file has one
    Name,           // the name the file gives (the provider of a package of XML invoices)
};

// What the send dialog's last-batch field counts.
enum class LastBatchShown
{
    BatchNumber,  // the batch number of the customer's last transmission
    PackagesSent, // the packages sent so far for the sender
};

// The file-contents button of the send dialog.
enum class ContentsButton
{
    AsDrawn, // left as the dialog draws it
    Hidden,
    Shown, // with the caption of the fixed-record formats
};

// The variant of the invoice contents dialog that shows a billing file.
enum class ContentsView
{
    None,
    Plain,
    NumberedLaboratory,   // laboratory services numbered per invoice
    ReferencedLaboratory, // laboratory services referenced to partner laboratories
};

// The variant lists laboratory services (and the file keeps receipts for them).
inline bool isLaboratory(ContentsView view)
{
    return view == ContentsView::NumberedLaboratory || view == ContentsView::ReferencedLaboratory;
}

// What the send dialog shows and checks differently per format: one row per file type.
struct FormatFacts
{
    int fileType;
    CustomerShown customer;
    LastBatchShown lastBatch;
    bool contractChecked; // the file's customer number must be one of the user's contracts
    ContentsButton contentsButton;
    ContentsView contents;
    bool patientNumbers = true; // its invoices carry a patient number (a PAD file's do not)
};

// The row of a file type (file_type::...); a file type without a row of its own gets the facts of
// a fixed-record file without contents view.
const FormatFacts& formatFacts(int fileType);

} // namespace bv
