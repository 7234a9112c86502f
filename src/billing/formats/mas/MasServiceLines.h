#pragma once

#include "billing/formats/records/FieldTables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bv {
struct FeeValueList;
}

namespace bv::mas {

// Fees are reduced as the billing centre reduces them: x by p percent is the whole number below
// (1 - p/100) * x + 0.5, in floating point.
std::int64_t reduceBy(std::int64_t x, double percent);
// A percentage in hundredths of a percent, rounded (29 % is 2900, not the 2899 a plain cast gives).
int percentHundredths(double percent);
// "-" for a negative value, a blank otherwise.
char signOf(std::int64_t value);
// A value with the sign character that stands before it ("-" makes it negative).
std::int64_t signedValue(std::string_view sign, std::string_view digits);

// A service line (0700) as it is written back after its reductions.
struct ServiceLine
{
    std::string_view date;     // YYYYMMDD
    char kind = ' ';           // field 1 ("L": a laboratory fee, never reduced after 6a)
    std::string_view fee;      // fee code, cut or padded to 7
    std::string_view quantity; // 4 characters
    std::string_view factor;   // 8 characters
    std::int64_t amount = 0;   // reduced
    char valueSign = ' ';
    std::string_view value;       // 7 characters, as read
    std::int64_t secondValue = 0; // reduced
    std::int64_t thirdValue = 0;
    std::string_view text; // service text, 40
    double eastPercent = 0;
};

// The 113-character data area of a service record: the layout of version 1.1 and later, whose last
// fields are the east percentage and blanks; `withEastPercent` false gives the 1.0 layout, the service
// text followed by 13 blanks. Empty when a value does not fit its digits.
std::string serviceArea(const ServiceLine& line, bool withEastPercent);

// The 113-character data area of a total record (0900): the sums of the reduced amounts, the reduced
// second values and the third values, the two further values, the record count and the invoice
// amount. Empty when a value does not fit its digits.
std::string totalsArea(std::int64_t reducedAmounts, std::int64_t reducedSecondValues, std::int64_t thirdValues,
                       std::int64_t value7, std::int64_t value9, int recordCount, std::int64_t invoiceAmount);

// The reduction statistics of a file: its service lines classified against the fee value lists.
class ReductionStatistics
{
public:
    // Class of a line as FeeValueTable::Classify gives it.
    void addLine(int year, int feeClass);
    // Classifies a service line's single value against a list (none: not checked) and counts it.
    void addLine(int year, const FeeValueList* list, std::string_view feeCode, long long value, double percent);

    // The text of the summary.
    std::string text() const;
    // The kind code of a MAS file's summary, and of a PAD file's (they differ in a few mixes).
    int masKind() const;
    int padKind() const;

    int services = 0;
    int checked = 0;
    int unreduced06 = 0;
    int reduced06 = 0;
    int unreduced07 = 0;
    int reduced07 = 0;
    int undetermined = 0;
    int before2007 = 0;
    int from2007 = 0;
};

} // namespace bv::mas
