#pragma once

#include <array>
#include <string>

namespace bv {

class ProfileStore;

// One named list of fee codes with the value range each code may take.
struct FeeValueList
{
    static constexpr int MaxEntries = 30;
    struct Entry
    {
        std::string code;
        int lowest = 0;
        int highest = 0;
    };
    std::string name;
    int entryCount = 0;
    std::array<Entry, MaxEntries> entries;
};

// The fee value table: named lists of allowed value ranges per fee code, filled from the
// configuration (section "Ziffern") when the send dialog opens, and looked up by the readers that
// check fee positions. At most 30 lists of at most 30 entries; a full table or list, or a refused
// list text, only makes the operations return false.
class FeeValueTable
{
public:
    static constexpr int MaxLists = 30;

    // Adds a list from its text ("code=lowest-highest;..."); false when the table is full or the
    // text is refused.
    bool AddList(const std::string& name, const std::string& text);
    // Adds the entries of a list text; a piece with "=" but no "-" after it refuses the whole text
    // (entries of earlier pieces stay in the list).
    static bool ParseListText(FeeValueList& list, const std::string& text);
    static bool AddEntry(FeeValueList& list, const std::string& code, int lowest, int highest);
    // The first list of that exact name, or null.
    const FeeValueList* FindList(const std::string& name) const;
    // Passes when the list is empty, has no entry for the code, or the code's first entry holds the value.
    static bool InRange(const FeeValueList& list, const std::string& code, int value);
    // How a value relates to its range for the reduction statistics: before 2007 0 full fee, 1
    // reduced fee, 3 not determinable; from 2007 4 within, 5 below, 3 above; 2 without an entry.
    static int Classify(const FeeValueList& list, const std::string& code, int value, double reductionPercent,
                        int year);

    // Fills the table from the configuration: "Checks" in section "Ziffern" names the lists
    // (separated by ";", read through 255 characters), each name's value there is its text.
    void loadFromProfile(const ProfileStore& profile);

    int listCount() const { return m_listCount; }

private:
    std::array<FeeValueList, MaxLists> m_lists;
    int m_listCount = 0;
};

} // namespace bv
