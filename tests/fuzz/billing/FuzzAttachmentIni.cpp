// Attachment INI files: any text, read leniently and strictly and in pieces, never crashes; the
// strict reading refuses every text whose creator is not this program and then leaves the entry
// alone; flags obey their rule (no partner billing without a receipt), and a reading in pieces
// gives what a reading in one piece gives.
#include "billing/attachments/AttachmentIni.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bv::AttachmentEntry whole;
    whole.amount = 42;
    bv::readAttachmentIniText(whole, text, bv::IniStrictness::Lenient);
    if (whole.partnerFlag && !whole.receiptFlag)
        std::abort();

    bv::AttachmentIniReader pieces;
    for (std::size_t at = 0; at < text.size(); at += 7)
        pieces.feed(text.substr(at, 7));
    pieces.finish();
    bv::AttachmentEntry split;
    split.amount = 42;
    pieces.applyTo(split);
    if (split.receiptFlag != whole.receiptFlag || split.partnerFlag != whole.partnerFlag ||
        split.partnerCustomerNumber != whole.partnerCustomerNumber || split.amount != whole.amount ||
        split.labInvoiceDate != whole.labInvoiceDate || split.labInvoiceNumber != whole.labInvoiceNumber)
        std::abort();

    bv::AttachmentEntry strict;
    strict.receiptPath = "x";
    strict.receiptFlag = true;
    strict.partnerFlag = true;
    const bool read = bv::readAttachmentIniText(strict, text, bv::IniStrictness::Strict);
    if (read != (pieces.creator() == "bvals_cl"))
        std::abort();
    if (!read && !(strict.receiptFlag && strict.partnerFlag))
        std::abort();
    if (strict.receiptPath != "x")
        std::abort();
    return 0;
}
