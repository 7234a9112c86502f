#include "config/SetupController.h"

#include "ConfigTestSupport.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

using Choice = SetupState::Choice;

// A machine with the floppy drives the test asks for.
class FakeDriveProbe : public files::DriveProbe
{
public:
    FakeDriveProbe(bool a, bool b) : m_a(a), m_b(b) {}
    bool driveExists(char letter) const override { return (letter == 'A' && m_a) || (letter == 'B' && m_b); }

private:
    bool m_a;
    bool m_b;
};

struct OpeningRow
{
    const char* spooldir;
    const char* saved;
    bool driveA;
    bool driveB;
    Choice choice;
    const char* text;
};

class SetupControllerTest : public test::RegistryTest
{
protected:
    void store(const char* spooldir, const char* saved)
    {
        setProfile(section::Abrechnungsversand, profilekey::spooldir.name, spooldir);
        setProfile(section::Abrechnungsversand, profilekey::SavedSpooldir.name, saved);
    }
};

TEST_F(SetupControllerTest, OpeningSelectsTheStoredLocation)
{
    const OpeningRow rows[] = {
        {"A:\\", "", true, false, Choice::DriveA, "A:\\"},
        {"a:\\", "/home/praxis/spool", true, true, Choice::DriveA, "/home/praxis/spool"},
        {"B:\\", "", true, true, Choice::DriveB, "B:\\"},
        {"b:\\", "/saved", false, true, Choice::DriveB, "/saved"},
        // The drive is gone: the directory choice, with the saved directory or the drive's root.
        {"A:\\", "", false, false, Choice::Directory, "A:\\"},
        {"B:\\", "", true, false, Choice::Directory, "B:\\"},
        {"B:\\", "/saved", false, false, Choice::Directory, "/saved"},
        // Anything else is a directory.
        {"/home/praxis/spool", "/saved", true, true, Choice::Directory, "/home/praxis/spool"},
        {"A:/", "", true, true, Choice::Directory, "A:/"},
        {"A:", "", true, true, Choice::Directory, "A:"},
        {"", "/saved", false, false, Choice::Directory, ""},
    };
    for (const OpeningRow& row : rows) {
        SCOPED_TRACE(std::string(row.spooldir) + " | " + row.saved + " | A " + (row.driveA ? "yes" : "no") + " B " +
                     (row.driveB ? "yes" : "no"));
        store(row.spooldir, row.saved);
        const FakeDriveProbe drives(row.driveA, row.driveB);
        const SetupController controller(m_profile, drives);
        EXPECT_EQ(controller.opening().choice, row.choice);
        EXPECT_EQ(controller.opening().directory, row.text);
        EXPECT_EQ(controller.openingDirectoryField().enabled, row.choice == Choice::Directory);
        EXPECT_EQ(controller.openingDirectoryField().text, row.text);
        EXPECT_EQ(controller.driveEnabled(Choice::DriveA), row.driveA);
        EXPECT_EQ(controller.driveEnabled(Choice::DriveB), row.driveB);
        EXPECT_TRUE(controller.driveEnabled(Choice::Directory));
    }
}

TEST_F(SetupControllerTest, CheckBoxesShowOnlyTheValueOne)
{
    const std::tuple<const char*, const char*, bool, bool> rows[] = {
        {"1", "1", true, true}, {"0", "1", false, true}, {"yes", "", false, false}, {"1", " 1", true, false}};
    const FakeDriveProbe drives(false, false);
    for (const auto& [proxy, lan, proxyOn, lanOn] : rows) {
        setProfile(section::Abrechnungsversand, profilekey::UseProxy.name, proxy);
        setProfile(section::General, profilekey::UseLan.name, lan);
        const SetupController controller(m_profile, drives);
        EXPECT_EQ(controller.opening().useProxy, proxyOn) << proxy;
        EXPECT_EQ(controller.opening().useLan, lanOn) << lan;
    }
}

TEST_F(SetupControllerTest, SelectingADriveDisablesTheFieldAndKeepsItsText)
{
    const FakeDriveProbe drives(true, true);
    const SetupController controller(m_profile, drives);
    DirectoryField field = controller.select(Choice::DriveA, "/typed");
    EXPECT_FALSE(field.enabled);
    EXPECT_EQ(field.text, "/typed");
    field = controller.select(Choice::Directory, field.text);
    EXPECT_TRUE(field.enabled);
    EXPECT_EQ(field.text, "/typed");
}

TEST_F(SetupControllerTest, OkStoresTheLocationAndTheChoices)
{
    struct Row
    {
        SetupState edited;
        const char* spooldir;
        const char* proxy;
        const char* lan;
    };
    const Row rows[] = {
        {{Choice::DriveA, "/saved", true, false}, "A:\\", "1", "0"},
        {{Choice::DriveB, "/other", false, true}, "B:\\", "0", "1"},
        {{Choice::Directory, "/home/praxis/spool", false, false}, "/home/praxis/spool", "0", "0"},
    };
    const FakeDriveProbe drives(true, true);
    for (const Row& row : rows) {
        SetupController controller(m_profile, drives);
        EXPECT_TRUE(controller.accept(row.edited));
        EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::SavedSpooldir.name), row.edited.directory);
        EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), row.spooldir);
        EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::UseProxy.name), row.proxy);
        EXPECT_EQ(profileValue(section::General, profilekey::UseLan.name), row.lan);
        // What was stored opens again as it was left.
        EXPECT_EQ(SetupController(m_profile, drives).opening(), row.edited);
    }
}

TEST_F(SetupControllerTest, OkWithoutChangesKeepsADriveThatIsGone)
{
    store("B:\\", "");
    const FakeDriveProbe drives(true, false);
    SetupController controller(m_profile, drives);
    ASSERT_TRUE(controller.accept(controller.opening()));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "B:\\");
}

TEST_F(SetupControllerTest, OkRefusesADriveThatDoesNotExist)
{
    store("/home/praxis/spool", "");
    const FakeDriveProbe drives(false, false);
    SetupController controller(m_profile, drives);
    EXPECT_FALSE(controller.accept({Choice::DriveA, "/x", true, true}));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/home/praxis/spool");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::UseProxy.name), "<missing>");
}

TEST_F(SetupControllerTest, OkReportsAProfileThatCannotBeWritten)
{
    const FakeDriveProbe drives(false, false);
    SetupController controller(m_profile, drives);
    breakUserHive();
    EXPECT_FALSE(controller.accept({Choice::Directory, "/x", true, true}));
}

} // namespace
} // namespace bv
