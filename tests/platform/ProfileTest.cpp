#include "config/Profile.h"
#include "platform/MemoryProfileStore.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

class ProfileStore : public ::testing::Test
{
protected:
    TempRegistry reg;
    Profile profile{reg.registry()};
};

TEST_F(ProfileStore, SectionsLiveUnderTheUserProfileKey)
{
    EXPECT_EQ(profile.sectionKey("General"),
              "HKEY_CURRENT_USER\\Software\\Brevalis - Abrechnungsservice f\xC3\xBCr Heilberufe\\BVALS_CL\\General");
    ASSERT_TRUE(profile.writeString(section::Abrechnungsversand, "spooldir", "/var/spool/brevalis"));
    EXPECT_NE(reg.userText().find("[HKEY_CURRENT_USER\\Software\\Brevalis - Abrechnungsservice f\xC3\xBCr "
                                  "Heilberufe\\BVALS_CL\\Abrechnungsversand]\n\"spooldir\"=\"/var/spool/brevalis\""),
              std::string::npos);
    EXPECT_EQ(reg.machineText(), "");
}

TEST_F(ProfileStore, ReadsDefaultsAndConvertsBetweenTypes)
{
    EXPECT_EQ(profile.readString("General", "RegVersion", "-1"), "-1");
    EXPECT_EQ(profile.readInt("General", "AliveTimeout", 60000), 60000);
    EXPECT_FALSE(profile.exists("General", "RegVersion"));

    ASSERT_TRUE(profile.writeInt("General", "Zahl", 42));
    ASSERT_TRUE(profile.writeInt("General", "Negativ", -5));
    ASSERT_TRUE(profile.writeString("General", "Text", "0034abc"));
    ASSERT_TRUE(profile.writeString("General", "Leer", ""));
    EXPECT_EQ(profile.readString("General", "Zahl"), "42");
    EXPECT_EQ(profile.readString("General", "Negativ"), "-5");
    EXPECT_EQ(profile.readInt("General", "Negativ", 0), -5);
    EXPECT_EQ(profile.readInt("General", "Text", 7), 34);
    EXPECT_EQ(profile.readInt("General", "Leer", 7), 0);
    EXPECT_EQ(profile.readString("General", "Leer", "x"), "");
    EXPECT_TRUE(profile.exists("general", "LEER"));
}

TEST_F(ProfileStore, SectionAndValueNamesIgnoreCase)
{
    ASSERT_TRUE(profile.writeString("Abrechnungsversand", "UseProxy", "1"));
    ASSERT_TRUE(profile.writeString("AbrechnungsVersand", "useproxy", "0"));
    EXPECT_EQ(profile.readString("ABRECHNUNGSVERSAND", "USEPROXY"), "0");
    EXPECT_EQ(reg.userText().find("AbrechnungsVersand"), std::string::npos);
}

TEST_F(ProfileStore, ABrokenHiveGivesDefaultsAndRefusesWrites)
{
    reg.writeUserText("kein Registry-Text\n");
    EXPECT_EQ(profile.readString("General", "LoginURL", "default"), "default");
    EXPECT_FALSE(profile.writeString("General", "LoginURL", "x"));
    EXPECT_EQ(reg.userText(), "kein Registry-Text\n");
}

// Reads by the key table give the table's default for a missing value, stored() gives what is there;
// the hive and the tests' map behave alike.
void checkKeyTable(bv::ProfileStore& store)
{
    EXPECT_EQ(store.read(profilekey::file_filter), "RZ????.001");
    EXPECT_EQ(store.stored(profilekey::file_filter), "");
    EXPECT_EQ(store.readInt(profilekey::AliveTimeout), 60000);
    EXPECT_EQ(store.read(profilekey::LastStapel, "004711"), "-1");
    EXPECT_EQ(store.stored(profilekey::LastStapel, "004711"), "");
    EXPECT_FALSE(store.exists(profilekey::spooldir));

    ASSERT_TRUE(store.write(profilekey::file_filter, "*.RZD"));
    ASSERT_TRUE(store.write(profilekey::LastStapel, "004711", "12"));
    ASSERT_TRUE(store.writeInt(profilekey::receiptCx, 900));
    ASSERT_TRUE(store.write(profilekey::spooldir, ""));
    EXPECT_EQ(store.read(profilekey::file_filter), "*.RZD");
    EXPECT_EQ(store.readString(section::Abrechnungsversand, "004711:last_stapel"), "12");
    EXPECT_EQ(store.readInt(profilekey::receiptCx), 900);
    EXPECT_EQ(store.readInt(profilekey::cx), 810); // the main window's size is another section
    EXPECT_TRUE(store.exists(profilekey::spooldir));
}

TEST_F(ProfileStore, KeyTableOnTheHiveAndInMemory)
{
    checkKeyTable(profile);
    test::MemoryProfileStore memory;
    checkKeyTable(memory);
}

} // namespace
} // namespace bv
