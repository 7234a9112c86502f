#include "billing/FeeValueTable.h"

#include "config/ProfileStore.h"
#include "platform/Text.h"

namespace bv {

namespace {

constexpr std::size_t ChecksLength = 255;

const FeeValueList::Entry* findEntry(const FeeValueList& list, const std::string& code)
{
    const std::string key = trimBlanks(code);
    for (int i = 0; i < list.entryCount; ++i) {
        if (list.entries[static_cast<std::size_t>(i)].code == key)
            return &list.entries[static_cast<std::size_t>(i)];
    }
    return nullptr;
}

} // namespace

bool FeeValueTable::AddList(const std::string& name, const std::string& text)
{
    if (m_listCount >= MaxLists)
        return false;
    // A slot left by a refused text is filled afresh, so no entries of it leak into the next list.
    FeeValueList& list = m_lists[static_cast<std::size_t>(m_listCount)];
    list = FeeValueList{};
    list.name = name;
    if (!ParseListText(list, text))
        return false;
    ++m_listCount;
    return true;
}

bool FeeValueTable::ParseListText(FeeValueList& list, const std::string& text)
{
    for (const std::string& piece : split(text, ';')) {
        if (piece.empty())
            continue;
        const auto equals = piece.find('=');
        if (equals == std::string::npos)
            continue;
        const auto dash = piece.find('-', equals + 1);
        if (dash == std::string::npos)
            return false;
        AddEntry(list, piece.substr(0, equals),
                 decimalInt(std::string_view(piece).substr(equals + 1, dash - equals - 1)),
                 decimalInt(std::string_view(piece).substr(dash + 1)));
    }
    return true;
}

bool FeeValueTable::AddEntry(FeeValueList& list, const std::string& code, int lowest, int highest)
{
    if (list.entryCount >= FeeValueList::MaxEntries)
        return false;
    list.entries[static_cast<std::size_t>(list.entryCount++)] = {trimBlanks(code), lowest, highest};
    return true;
}

const FeeValueList* FeeValueTable::FindList(const std::string& name) const
{
    for (int i = 0; i < m_listCount; ++i) {
        if (m_lists[static_cast<std::size_t>(i)].name == name)
            return &m_lists[static_cast<std::size_t>(i)];
    }
    return nullptr;
}

bool FeeValueTable::InRange(const FeeValueList& list, const std::string& code, int value)
{
    if (list.entryCount == 0)
        return true;
    const auto* entry = findEntry(list, code);
    return !entry || (entry->lowest <= value && value <= entry->highest);
}

int FeeValueTable::Classify(const FeeValueList& list, const std::string& code, int value, double reductionPercent,
                            int year)
{
    if (list.entryCount == 0)
        return 2;
    const auto* entry = findEntry(list, code);
    if (!entry)
        return 2;
    if (year < 2007) {
        if (entry->lowest <= value && value <= entry->highest)
            return 0;
        const double factor = 1.0 - reductionPercent * 0.01;
        if (entry->lowest * factor <= value && value <= entry->highest * factor)
            return 1;
        return 3;
    }
    if (value < entry->lowest)
        return 5;
    if (value > entry->highest)
        return 3;
    return 4;
}

void FeeValueTable::loadFromProfile(const ProfileStore& profile)
{
    std::string names = profile.read(profilekey::Checks);
    if (names.size() > ChecksLength - 1)
        names.resize(ChecksLength - 1);
    for (const std::string& name : split(names, ';')) {
        if (name.empty())
            continue;
        const std::string text = profile.read(profilekey::FeeValueList, name);
        if (!text.empty())
            AddList(name, text);
    }
}

} // namespace bv
