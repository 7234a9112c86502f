#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace bv {

// What the user decided about one laboratory service of an invoice: whether a scanned receipt (the
// laboratory's invoice, "Beleg") is attached, and whether the service is settled through partner
// billing with one of the practice's partner laboratories. The pair of flags with the receipt path
// and the customer number encodes the decision states that the contents dialog shows; a fresh
// entry with both flags set and empty strings is undecided in both respects.
struct AttachmentEntry
{
    std::string receiptPath;           // multi-page TIFF; empty while none is assigned
    std::string partnerCustomerNumber; // brevalis-Kundennummer of the partner laboratory
    std::string labInvoiceNumber;      // number of the laboratory's invoice (partner billing)
    std::time_t labInvoiceDate = 0;    // local midnight of the laboratory's invoice date; 0 = none
    int amount = 0;                    // cents; with partner billing the laboratory invoice's amount
    std::string recipientName;         // the invoice recipient, shown in the receipt dialog's title
    bool receiptFlag = false;          // Beleg
    bool partnerFlag = false;          // Partnerabrechnung
    char labKind = 'F';                // 'E' own (practice) laboratory, anything else external

    bool ownLaboratory() const { return labKind == 'E'; }
};

// A receipt image that the billing file binds to an invoice, with the attachment INI beside it (may
// be empty) and the laboratory amount that the billing file read from that INI's Laborbetrag.
struct AttachmentReference
{
    std::string imagePath;
    std::string iniPath;
    int labAmount = -1;
};

// The invoice of a billing file as the attachment store sees it: its references in order, and the
// two operations by which a receipt scanned here travels with the billing file.
class AttachmentInvoice
{
public:
    virtual ~AttachmentInvoice() = default;
    virtual std::vector<AttachmentReference>& references() = 0;
    // A reference for an image file; nullopt when the billing file cannot bind it.
    virtual std::optional<AttachmentReference> createReference(const std::string& imagePath) = 0;
    virtual void addReference(const AttachmentReference& reference) = 0;
};

// One invoice of the billing file with the entries of its laboratory services, in service order.
struct AttachmentInvoiceRow
{
    AttachmentInvoice* invoice = nullptr;
    int index = 0;             // position of the invoice in the billing file, from 0
    std::string invoiceNumber; // the practice's invoice number, trailing blanks removed
    std::string recipientName; // copied into each entry
    std::vector<AttachmentEntry> entries;
};

// A laboratory service found in an invoice: its amount and the laboratory kind character.
struct LabService
{
    int amount = 0;
    char kind = 'F';
};

// How receipt images and their INI files are named and placed. Numbered (VDDS-RZ version 2): both
// are numbered by invoice and service index in the billing file's attachment directory. Referenced
// (VDDS-RZ version 3 and control-file deliveries): the practice software delivered the image, and
// the INI lies beside it.
struct AttachmentLayout
{
    enum class Kind
    {
        Numbered,
        Referenced
    };
    Kind kind = Kind::Numbered;
    std::string attachmentDirectory; // numbered layout: ends in "/"
    bool readOnly = false;           // referenced layout with an INI of another creator

    std::string numberedImage(int invoiceIndex, int serviceIndex) const;
    std::string numberedIni(int invoiceIndex, int serviceIndex) const;
};

} // namespace bv
