#pragma once

#include "billing/formats/records/InvoiceObject.h"

#include <cstdint>
#include <string>

namespace bv {

// One invoice of a MAS file (or of a PAD file in its MAS form): its records from the 0100 or 0200
// record that starts it, what its invoice record (0300) says about the reductions ("Minderung") of
// its fees, and the sums of its service lines for the total record (0900).
class MasRechnung : public InvoiceObject
{
public:
    std::string groupCode;       // 0300 field 1: the invoice group ("40" and "41" spare some fees)
    std::string reductionMarker; // 0300 field 14: "M" reduces the fees after 6a
    std::string ostmindFlag;     // 0300 field 15: "M" reduces the fees by the east percentage
    double reductionPercent = 0; // 0300 field 7 in percent: the reduction after 6a
    bool subjectTo6a = false;    // PAD: 300 field 6 not 0 and field 7 not "N"
    bool totalsSeen = false;     // its 0900 record was read
    // The invoice amount as the file states it (0390 field 1, 0900 field 12), before the reductions:
    // the summary's control total is the practice software's sum of these. `amount` is the reduced one.
    std::int64_t statedAmount = 0;
    // Sums of its service lines (0700) in hundredths, before and after the reductions.
    std::int64_t amounts = 0;
    std::int64_t reducedAmounts = 0;
    std::int64_t secondValues = 0;
    std::int64_t reducedSecondValues = 0;
    std::int64_t thirdValues = 0;
};

} // namespace bv
