#include "billing/FeeValueTable.h"

#include "config/Profile.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

TEST(FeeValueTable, ListsAreFoundByExactName)
{
    FeeValueTable table;
    EXPECT_TRUE(table.AddList("0", "01=100-250; 02 =50-60;;noequals;"));
    const FeeValueList* list = table.FindList("0");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->entryCount, 2);
    EXPECT_EQ(list->entries[1].code, "02");
    EXPECT_EQ(list->entries[1].lowest, 50);
    EXPECT_EQ(list->entries[1].highest, 60);
    EXPECT_EQ(table.FindList("00"), nullptr);
}

TEST(FeeValueTable, RefusedTextKeepsEarlierEntriesButTheListIsNotCounted)
{
    FeeValueList list;
    EXPECT_FALSE(FeeValueTable::ParseListText(list, "A=1-2;B=5;C=1-2"));
    EXPECT_EQ(list.entryCount, 1);

    FeeValueTable table;
    EXPECT_FALSE(table.AddList("bad", "A=1-2;B=5"));
    EXPECT_EQ(table.FindList("bad"), nullptr);
    // The next list takes the slot without the refused list's entries.
    EXPECT_TRUE(table.AddList("good", "C=3-4"));
    ASSERT_NE(table.FindList("good"), nullptr);
    EXPECT_EQ(table.FindList("good")->entryCount, 1);
    EXPECT_TRUE(FeeValueTable::InRange(*table.FindList("good"), "A", 99));
}

TEST(FeeValueTable, RangeCheck)
{
    FeeValueList list;
    EXPECT_TRUE(FeeValueTable::InRange(list, "X", -5)); // an empty list passes everything
    FeeValueTable::ParseListText(list, "X=100-200;X=0-0");
    const std::pair<int, bool> rows[] = {{99, false}, {100, true}, {200, true}, {201, false}, {0, false}};
    for (const auto& [value, ok] : rows)
        EXPECT_EQ(FeeValueTable::InRange(list, " X ", value), ok) << value; // code trimmed; first entry decides
    EXPECT_TRUE(FeeValueTable::InRange(list, "Y", 100000));
}

TEST(FeeValueTable, Classify)
{
    FeeValueList list;
    EXPECT_EQ(FeeValueTable::Classify(list, "X", 150, 10, 2006), 2);
    FeeValueTable::ParseListText(list, "X=100-200");
    const struct
    {
        int value;
        int year;
        int cls;
    } rows[] = {
        {150, 2006, 0}, {95, 2006, 1}, {90, 2006, 1},  {80, 2006, 3},  {180, 2006, 0},
        {201, 2006, 3}, {95, 2007, 5}, {250, 2007, 3}, {100, 2007, 4}, {200, 2008, 4},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FeeValueTable::Classify(list, "X", row.value, 10, row.year), row.cls) << row.value << "/" << row.year;
    EXPECT_EQ(FeeValueTable::Classify(list, "Z", 150, 10, 2006), 2);
}

TEST(FeeValueTable, LimitsOfThirtyListsAndThirtyEntries)
{
    FeeValueTable table;
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(table.AddList(std::to_string(i), "A=1-2"));
    EXPECT_FALSE(table.AddList("30", "A=1-2"));
    EXPECT_EQ(table.FindList("30"), nullptr);
    EXPECT_EQ(table.listCount(), 30);

    FeeValueList list;
    std::string text;
    for (int i = 0; i < 31; ++i)
        text += strFormat("C%d=1-2;", i);
    EXPECT_TRUE(FeeValueTable::ParseListText(list, text));
    EXPECT_EQ(list.entryCount, 30);
    EXPECT_FALSE(FeeValueTable::AddEntry(list, "C31", 1, 2));
    EXPECT_TRUE(FeeValueTable::InRange(list, "C30", 99)); // the 31st was not stored
}

TEST(FeeValueTable, FilledFromTheConfiguration)
{
    TempRegistry registry;
    Profile profile(registry.registry());
    profile.writeString(section::Ziffern, "Checks", "0;;empty;MAS");
    profile.writeString(section::Ziffern, "0", "01=100-250");
    profile.writeString(section::Ziffern, "MAS", "1234=5-6;99=1-1");
    FeeValueTable table;
    table.loadFromProfile(profile);
    EXPECT_EQ(table.listCount(), 2);
    ASSERT_NE(table.FindList("MAS"), nullptr);
    EXPECT_EQ(table.FindList("MAS")->entryCount, 2);
    EXPECT_EQ(table.FindList("empty"), nullptr);
}

} // namespace
} // namespace bv
