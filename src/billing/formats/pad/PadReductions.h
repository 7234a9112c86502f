#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bv {

class ProfileStore;

// The reductions a PAD file's fees are subject to: the east reduction ("Ostminderung"), a table of
// dates from which a percentage applies, and the reduction after 6a, Abs.1 GOÄ configured per customer.
struct PadReductions
{
    static constexpr std::size_t MaxEastEntries = 20;

    // The east reduction table from its setting ("YYYYMMDD=percent;..."): at most 20 entries, an
    // entry without "=" skipped. Throws CAdzException -1 for a percentage outside 0 up to below 100.
    static std::vector<std::pair<std::string, double>> ParseEastTable(std::string_view text);
    // The settings of section PAD for a customer ("Ostabschlag", "<customer>:StatMind"); the same
    // refusal for a percentage that is none.
    static PadReductions FromProfile(const ProfileStore& profile, const std::string& customerText);

    // The east percentage on a date (YYYYMMDD): the last entry dated after "00000000" and before the
    // date; an entry dated exactly that day does not apply yet. 0 when none applies.
    double eastPercentOn(std::string_view date) const;
    // Some east entry has a percentage above 0.
    bool anyEastReduction() const;

    // The reduction text of the summary for the invoices subject to the reduction after 6a.
    std::string ReductionText(int invoicesSubjectTo6a) const;

    std::vector<std::pair<std::string, double>> east; // date text (8) and percentage
    double percent6a = 0;
};

} // namespace bv
