#include "billing/FormatFacts.h"

#include "billing/CAbrechnungsDatei.h"

namespace bv {

namespace {

using enum CustomerShown;
using enum LastBatchShown;
using enum ContentsButton;
using enum ContentsView;

constexpr FormatFacts Formats[] = {
    {file_type::DdsV2, NumberAndBatch, BatchNumber, true, Shown, NumberedLaboratory},
    {file_type::DdsV3, NumberAndBatch, BatchNumber, true, Shown, ReferencedLaboratory},
    {file_type::DdsV3Kind2828, NumberAndBatch, BatchNumber, true, Shown, ReferencedLaboratory},
    {file_type::ControlIni, NumberAndBatch, BatchNumber, true, AsDrawn, ReferencedLaboratory},
    {file_type::Mas, NumberAndBatch, BatchNumber, true, Shown, Plain},
    {file_type::Pad, NumberAndBatch, BatchNumber, true, Shown, Plain, false},
    {file_type::Chz, NumberAndBatch, BatchNumber, true, Hidden, None},
    // XML invoices are addressed by the sender's EAN, not by a contract, and count packages.
    {file_type::Cha, Name, PackagesSent, false, Hidden, None},
};

constexpr FormatFacts OtherFormat{file_type::Unknown, NumberAndBatch, BatchNumber, true, AsDrawn, None};

} // namespace

const FormatFacts& formatFacts(int fileType)
{
    for (const FormatFacts& row : Formats) {
        if (row.fileType == fileType)
            return row;
    }
    return OtherFormat;
}

} // namespace bv
