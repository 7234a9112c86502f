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

// Appends the fields of a data area at their fixed widths, as the printf formats of the layouts would
// write them for values that fit, without a formatting call per field: the areas of every service line
// of a file are written this way.
class AreaWriter
{
public:
    AreaWriter() { m_out.reserve(AreaLength); }

    // "%-Ns" of a text cut to N characters (for an N-character text also "%Ns").
    AreaWriter& text(std::string_view value, std::size_t width)
    {
        value = value.substr(0, width);
        m_out.append(value);
        m_out.append(width - value.size(), ' ');
        return *this;
    }
    AreaWriter& blanks(std::size_t width)
    {
        m_out.append(width, ' ');
        return *this;
    }
    AreaWriter& character(char c)
    {
        m_out.push_back(c);
        return *this;
    }
    // "%0Nd" of a value with at most N digits, or at most N - 1 digits when negative.
    AreaWriter& zeroPadded(std::int64_t value, std::size_t width)
    {
        std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        if (value < 0) {
            m_out.push_back('-');
            --width;
        }
        const std::size_t end = m_out.size() + width;
        m_out.append(width, '0');
        for (std::size_t i = end; i > end - width && magnitude > 0; --i, magnitude /= 10)
            m_out[i - 1] = static_cast<char>('0' + magnitude % 10);
        return *this;
    }
    // A sign character ("-" or blank) and "%0Nd" of the absolute value.
    AreaWriter& signedDigits(std::int64_t value, std::size_t width)
    {
        character(value < 0 ? '-' : ' ');
        return zeroPadded(value < 0 ? -value : value, width);
    }
    std::string take() { return m_out.size() == AreaLength ? std::move(m_out) : std::string(); }

private:
    std::string m_out;
};

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
    // "%8s%c%-7s%-4s%-8s%c%07d%c%7s%c%07d%c%07d%-40s" and "%04d%9s" (or 13 blanks in the 1.0 layout).
    AreaWriter area;
    area.text(line.date, 8).character(line.kind).text(line.fee, 7).text(line.quantity, 4).text(line.factor, 8);
    area.signedDigits(line.amount, 7).character(line.valueSign).text(line.value, 7);
    area.signedDigits(line.secondValue, 7).signedDigits(line.thirdValue, 7).text(line.text, 40);
    if (withEastPercent)
        area.zeroPadded(east, 4).blanks(9);
    else
        area.blanks(13);
    return area.take();
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
    // "%c%08d%c%08d%c%08d%c%08d%c%08d%05d%c%08d%54s".
    AreaWriter area;
    area.signedDigits(reducedAmounts, 8).signedDigits(reducedSecondValues, 8).signedDigits(thirdValues, 8);
    area.signedDigits(value7, 8).signedDigits(value9, 8).zeroPadded(recordCount, 5);
    area.signedDigits(invoiceAmount, 8).blanks(54);
    return area.take();
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
