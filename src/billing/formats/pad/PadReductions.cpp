#include "billing/formats/pad/PadReductions.h"

#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/formats/pad/PadTexts.h"
#include "config/ProfileKeys.h"
#include "config/ProfileStore.h"
#include "platform/Text.h"

#include <charconv>
#include <cmath>

namespace bv {

namespace {

double percentage(const std::string& text, const std::string& setting)
{
    const std::string trimmed = trim(text);
    // Read as a decimal number with a point whatever the locale; no number reads as 0.
    double value = 0;
    std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    // A percentage of 100 or more would reduce a fee to nothing or below; a negative one raise it.
    if (!std::isfinite(value) || value < 0 || value >= 100)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(pad_texts::PercentageRefused, trimmed.c_str(), setting.c_str()));
    return value;
}

} // namespace

std::vector<std::pair<std::string, double>> PadReductions::ParseEastTable(std::string_view text)
{
    std::vector<std::pair<std::string, double>> table;
    for (const std::string& entry : split(text, ';')) {
        const auto equals = entry.find('=');
        if (equals == std::string::npos)
            continue;
        if (table.size() == MaxEastEntries)
            break;
        table.emplace_back(entry.substr(0, std::min<std::size_t>(equals, 8)),
                           percentage(entry.substr(equals + 1), profilekey::Ostabschlag.name));
    }
    return table;
}

PadReductions PadReductions::FromProfile(const ProfileStore& profile, const std::string& customerText)
{
    PadReductions reductions;
    reductions.east = ParseEastTable(profile.read(profilekey::Ostabschlag));
    reductions.percent6a =
        percentage(profile.read(profilekey::StatMind, customerText), profilekey::StatMind.name(customerText));
    return reductions;
}

double PadReductions::eastPercentOn(std::string_view date) const
{
    double percent = 0;
    for (const auto& [from, value] : east) {
        if (from > "00000000" && from < date)
            percent = value;
    }
    return percent;
}

bool PadReductions::anyEastReduction() const
{
    for (const auto& entry : east) {
        if (entry.second > 0)
            return true;
    }
    return false;
}

std::string PadReductions::ReductionText(int invoicesSubjectTo6a) const
{
    if (invoicesSubjectTo6a <= 0 && !anyEastReduction())
        return pad_texts::NoReductions;
    std::string text = pad_texts::ReductionsIntro;
    if (invoicesSubjectTo6a > 0)
        text += strFormat(pad_texts::Reduction6a, static_cast<int>(std::ceil(percent6a)), invoicesSubjectTo6a,
                          invoicesSubjectTo6a == 1 ? pad_texts::InvoiceSingular : pad_texts::InvoicePlural);
    if (anyEastReduction())
        text += pad_texts::EastReduction;
    return text;
}

} // namespace bv
