// bvals_cl started as a user or practice software would start it, unattended: what it writes into the
// profile, the interface file and the transcript.

#include "app/ClientRun.h"
#include "config/Profile.h"
#include "platform/PrivateProfile.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace bv {
namespace {

using testing::ClientRun;

class ClientStart : public ::testing::Test
{
protected:
    void SetUp() override { m_registry.install(); }

    ClientRun::Result start(std::vector<std::string> arguments, std::vector<std::string> answers = {})
    {
        ClientRun run;
        run.arguments = std::move(arguments);
        run.answers = std::move(answers);
        run.registryDir = m_registry.directory();
        return run.run();
    }

    std::string profileValue(const std::string& section, const std::string& key)
    {
        Registry registry(m_registry.machineFile(), m_registry.userFile());
        return Profile(registry).readString(section, key, "<missing>");
    }

    TempRegistry m_registry;
    TempDir m_dir;
};

TEST_F(ClientStart, IniImportWritesTheReportAndTheSpoolDirectory)
{
    {
        Profile profile(m_registry.registry());
        profile.writeString(section::General, "Kundennummer", "12;777;34");
        profile.writeString(section::Abrechnungsversand, "000012:last_stapel", "9998");
    }
    const auto ini = m_dir.write("schnittstelle.ini", "[Setup]\r\nRegisterSpooldir=/srv/abrechnung\r\n");

    const auto result = start({"/ini", ini.string()});
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_TRUE(result.transcript.empty()) << result.output;

    EXPECT_EQ(profileValue(section::Abrechnungsversand, "spooldir"), "/srv/abrechnung");
    // Three customer numbers and no explicit one: the report names the first and starts at batch 1.
    EXPECT_EQ(profile::readString("Status_Request", "Kundennummer", "~", 255, ini), "000012");
    EXPECT_EQ(profile::readString("Status_Request", "Abrechnungsverzeichnis", "~", 255, ini), "/srv/abrechnung");
    EXPECT_EQ(profile::readString("Status_Request", "AktuelleStapelnummer", "~", 255, ini), "1");
    // Start-up normalised the customer-number list and recorded where the client is installed.
    EXPECT_EQ(profileValue(section::General, "Kundennummer"), "000012;000777;000034");
    const auto clientPath = profileValue(section::General, "ClientPath");
    EXPECT_TRUE(std::filesystem::path(clientPath).is_absolute()) << clientPath;
    EXPECT_EQ(std::filesystem::path(clientPath).filename(), "bvals_cl");
}

TEST_F(ClientStart, SetupTypedWithMinusSignTakesTheUnattendedAnswer)
{
    const auto result = start({"-setup"}, {"setup\t/srv/spool\tuseproxy 1\tuselan 0"});
    ASSERT_FALSE(result.timedOut);
    const std::vector<std::string> expected{"DIALOG\tbrevalis\topen", "DIALOG\tbrevalis\tclose\tok"};
    EXPECT_EQ(result.transcript, expected) << result.output;
    EXPECT_EQ(profileValue(section::Abrechnungsversand, "spooldir"), "/srv/spool");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, "SavedSpooldir"), "/srv/spool");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, "UseProxy"), "1");
    EXPECT_EQ(profileValue(section::General, "UseLan"), "0");
}

TEST_F(ClientStart, SetupCancelledOrWithoutFittingAnswerChangesNothing)
{
    for (const std::vector<std::string>& answers :
         {std::vector<std::string>{"cancel"}, std::vector<std::string>{"yes"}, std::vector<std::string>{}}) {
        const auto result = start({"/setup"}, answers);
        ASSERT_FALSE(result.timedOut);
        const std::vector<std::string> expected{"DIALOG\tbrevalis\topen", "DIALOG\tbrevalis\tclose\tcancel"};
        EXPECT_EQ(result.transcript, expected) << result.output;
        EXPECT_EQ(profileValue(section::Abrechnungsversand, "SavedSpooldir"), "<missing>");
        EXPECT_EQ(profileValue(section::Abrechnungsversand, "spooldir"), "/tmp/spool");
    }
}

TEST_F(ClientStart, MissingInstallationEndsWithTheRegistryMessage)
{
    m_registry.writeMachineText("Windows Registry Editor Version 5.00\r\n");
    const auto result = start({"/setup"});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.transcript.size(), 1u) << result.output;
    EXPECT_EQ(result.transcript[0], "MSG\tBVALS_CL/ Registrierungsfehler\terror\tok\tProgrammausführung abgebrochen: "
                                    "Die Registrierungsdaten konnten nicht gelesen werden!");
}

TEST_F(ClientStart, NamedConfigurationWithoutKeyShowsBothMessagesInOrder)
{
    const auto result = start({"/conf", "Filiale"});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.transcript.size(), 2u) << result.output;
    EXPECT_EQ(result.transcript[0],
              "MSG\tbrevalis\terror\tok\tRegistryeinträge für Konfiguration Filiale sind nicht vorhanden.");
    EXPECT_EQ(result.transcript[1].rfind("MSG\tBVALS_CL/ Registrierungsfehler\terror\tok\t", 0), 0u);
}

TEST_F(ClientStart, UnknownSwitchIsTakenAsControlFileThatCannotBeOpened)
{
    const auto result = start({"/xyz"});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.transcript.size(), 1u) << result.output;
    EXPECT_EQ(result.transcript[0], "MSG\tbrevalis\terror\tok\tDie Steuerdatei /xyz konnte nicht geöffnet werden.");
}

TEST_F(ClientStart, FinishedUpdateInstallerIsDeletedAtTheNextStart)
{
    const auto installer = m_dir.write("bv_setup.exe", "installer");
    {
        Profile profile(m_registry.registry());
        profile.writeString(section::General, "AutoUpdateFile", installer.string());
        profile.writeString(section::General, "AutoUpdateSuccess", "1");
    }
    const auto ini = m_dir.write("if.ini", "");
    ASSERT_EQ(start({"/ini", ini.string()}).exitStatus, 0);
    EXPECT_FALSE(std::filesystem::exists(installer));
    EXPECT_EQ(profileValue(section::General, "AutoUpdateFile"), "");
    EXPECT_EQ(profileValue(section::General, "AutoUpdateSuccess"), "");
}

TEST_F(ClientStart, UnfinishedUpdateInstallerStays)
{
    const auto installer = m_dir.write("bv_setup.exe", "installer");
    {
        Profile profile(m_registry.registry());
        profile.writeString(section::General, "AutoUpdateFile", installer.string());
        profile.writeString(section::General, "AutoUpdateSuccess", "0");
    }
    const auto ini = m_dir.write("if.ini", "");
    ASSERT_EQ(start({"/ini", ini.string()}).exitStatus, 0);
    EXPECT_TRUE(std::filesystem::exists(installer));
    EXPECT_EQ(profileValue(section::General, "AutoUpdateFile"), installer.string());
}

} // namespace
} // namespace bv
