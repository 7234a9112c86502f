#include "billing/formats/mas/MasServiceLines.h"

#include "billing/FeeValueTable.h"
#include "billing/formats/mas/MasTexts.h"
#include "platform/Text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace bv::mas {

namespace {

constexpr std::size_t AreaLength = 113;
constexpr std::int64_t SevenDigits = 9'999'999;
constexpr std::int64_t EightDigits = 99'999'999;

std::string cut(std::string_view text, std::size_t width)
{
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

bool fits(std::int64_t value, std::int64_t highest)
{
    return value >= -highest && value <= highest;
}

// Classes of FeeValueTable::Classify.
enum FeeClass
{
    Unreduced06 = 0,
    Reduced06 = 1,
    NotChecked = 2,
    Undetermined = 3,
    Unreduced07 = 4,
    Reduced07 = 5,
};

} // namespace

std::int64_t reduceBy(std::int64_t x, double percent)
{
    return static_cast<std::int64_t>(std::floor((1.0 - percent / 100.0) * static_cast<double>(x) + 0.5));
}

int percentHundredths(double percent)
{
    return static_cast<int>(std::lround(std::clamp(percent, -1e6, 1e6) * 100.0));
}

char signOf(std::int64_t value)
{
    return value < 0 ? '-' : ' ';
}

std::int64_t signedValue(std::string_view sign, std::string_view digits)
{
    const std::int64_t value = decimalValue(digits);
    return sign == "-" ? -value : value;
}

std::string serviceArea(const ServiceLine& line, bool withEastPercent)
{
    if (!fits(line.amount, SevenDigits) || !fits(line.secondValue, SevenDigits) || !fits(line.thirdValue, SevenDigits))
        return {};
    const int east = percentHundredths(line.eastPercent);
    if (withEastPercent && (east < -999 || east > 9999))
        return {};
    std::string area = strFormat(
        "%8s%c%-7s%-4s%-8s%c%07lld%c%7s%c%07lld%c%07lld%-40s", cut(line.date, 8).c_str(), line.kind,
        cut(line.fee, 7).c_str(), cut(line.quantity, 4).c_str(), cut(line.factor, 8).c_str(), signOf(line.amount),
        std::llabs(line.amount), line.valueSign, cut(line.value, 7).c_str(), signOf(line.secondValue),
        std::llabs(line.secondValue), signOf(line.thirdValue), std::llabs(line.thirdValue), cut(line.text, 40).c_str());
    area += withEastPercent ? strFormat("%04d%9s", east, "") : std::string(13, ' ');
    return area.size() == AreaLength ? area : std::string();
}

std::string totalsArea(std::int64_t reducedAmounts, std::int64_t reducedSecondValues, std::int64_t thirdValues,
                       std::int64_t value7, std::int64_t value9, int recordCount, std::int64_t invoiceAmount)
{
    for (const std::int64_t v : {reducedAmounts, reducedSecondValues, thirdValues, value7, value9, invoiceAmount}) {
        if (!fits(v, EightDigits))
            return {};
    }
    if (recordCount < -9999 || recordCount > 99999)
        return {};
    std::string area =
        strFormat("%c%08lld%c%08lld%c%08lld%c%08lld%c%08lld%05d%c%08lld%54s", signOf(reducedAmounts),
                  std::llabs(reducedAmounts), signOf(reducedSecondValues), std::llabs(reducedSecondValues),
                  signOf(thirdValues), std::llabs(thirdValues), signOf(value7), std::llabs(value7), signOf(value9),
                  std::llabs(value9), recordCount, signOf(invoiceAmount), std::llabs(invoiceAmount), "");
    return area.size() == AreaLength ? area : std::string();
}

void ReductionStatistics::addLine(int year, int feeClass)
{
    ++services;
    ++(year < 2007 ? before2007 : from2007);
    switch (feeClass) {
    case Unreduced06:
        ++unreduced06;
        break;
    case Reduced06:
        ++reduced06;
        break;
    case Unreduced07:
        ++unreduced07;
        break;
    case Reduced07:
        ++reduced07;
        break;
    case Undetermined:
        ++undetermined;
        break;
    default:
        return; // not checked
    }
    ++checked;
}

void ReductionStatistics::addLine(int year, const FeeValueList* list, std::string_view feeCode, long long value,
                                  double percent)
{
    if (!list) {
        addLine(year, NotChecked);
        return;
    }
    const int v = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    addLine(year, FeeValueTable::Classify(*list, std::string(feeCode), v, percent, year));
}

std::string ReductionStatistics::text() const
{
    return strFormat(mas_texts::ReductionStatistics, services, checked, unreduced06, reduced06, unreduced07, reduced07,
                     undetermined);
}

int ReductionStatistics::masKind() const
{
    if (reduced07 > 0)
        return 4;
    if (from2007 > 0 && unreduced07 == 0)
        return 2;
    if (before2007 > 0 && unreduced06 == 0 && reduced06 == 0)
        return 2;
    if (unreduced06 > 0 && reduced06 > 0)
        return 2;
    if (unreduced06 > 0)
        return 1;
    if (reduced06 > 0)
        return 0;
    return unreduced07 > 0 ? 3 : 2;
}

int ReductionStatistics::padKind() const
{
    if (reduced07 > 0)
        return 4;
    if (unreduced07 == 0 && from2007 > 0)
        return 2;
    if (reduced06 == 0 && unreduced06 == 0 && before2007 > 0)
        return 2;
    if (unreduced07 > 0 && unreduced06 == 0)
        return reduced06 > 0 ? 0 : 3;
    if (unreduced06 > 0 && reduced06 == 0)
        return 1;
    if (unreduced06 > 0 && reduced06 > 0)
        return 2;
    if (reduced06 > 0)
        return 0;
    return 2;
}

} // namespace bv::mas
