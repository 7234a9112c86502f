#include "config/ConfigurationLoader.h"

#include "ConfigTestSupport.h"
#include "config/ConfigTexts.h"
#include "config/ProfileKeys.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

namespace bv {
namespace {

constexpr const char* ProgramPath = "/opt/brevalis/bvals_cl";

class ConfigurationLoaderTest : public test::RegistryTest
{
protected:
    // The machine key as the installer leaves it.
    void install()
    {
        TempRegistry::Installation values;
        values.loginUrl = "https://login.example/ch";
        values.loginBackupUrl = "https://backup.example/";
        values.clientVersion = "1.5.1";
        values.useBackupUrl = "0";
        values.useLan = "1";
        values.defaultSpooldir = "/srv/spool";
        values.useProxy = "1";
        values.scanDir = "/srv/scan";
        values.tmpDir = "/srv/tmp";
        m_temp.install(values);
    }
    std::optional<LoadedConfiguration> load(const std::string& name = {})
    {
        ConfigurationLoader loader(m_profile, m_boxes);
        return loader.load(name, "CH", ProgramPath);
    }

    test::RecordingMessageBoxes m_boxes;
};

TEST_F(ConfigurationLoaderTest, FirstStartCopiesTheMachineKeyIntoTheProfile)
{
    install();
    setProfile(section::General, profilekey::Kundennummer.name, "000012");
    const auto loaded = load();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->loginUrl, "https://login.example/ch");
    EXPECT_EQ(loaded->customerNumbers, "000012");
    EXPECT_TRUE(loaded->useProxy);
    struct Copied
    {
        const char* section;
        const char* name;
        const char* value;
    };
    const Copied rows[] = {
        {section::General, profilekey::LoginURL.name, "https://login.example/ch"},
        {section::General, profilekey::LoginBackupURL.name, "https://backup.example/"},
        {section::General, profilekey::ClientVersion.name, "1.5.1"},
        {section::General, profilekey::UseBackupURL.name, "0"},
        {section::General, profilekey::UseLan.name, "1"},
        {section::General, profilekey::ClientPath.name, ProgramPath},
        {section::Abrechnungsversand, profilekey::DefaultSpooldir.name, "/srv/spool"},
        {section::Abrechnungsversand, profilekey::spooldir.name, "/srv/spool"},
        {section::Abrechnungsversand, profilekey::UseProxy.name, "1"},
        {section::RZAnlagen, profilekey::ScanDir.name, "/srv/scan"},
        {section::RZAnlagen, profilekey::TmpDir.name, "/srv/tmp"},
    };
    for (const Copied& row : rows)
        EXPECT_EQ(profileValue(row.section, row.name), row.value) << row.name;
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(ConfigurationLoaderTest, NamedConfigurationSuppliesTheLoginAddress)
{
    install();
    setMachineValue(machinekey::configurationGeneral("Praxis2"), profilekey::LoginURL.name, "https://login.example/p2");
    const auto loaded = load("Praxis2");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->loginUrl, "https://login.example/p2");
    EXPECT_EQ(profileValue(section::General, profilekey::LoginURL.name), "https://login.example/p2");
}

TEST_F(ConfigurationLoaderTest, NamedConfigurationWithoutAddressFallsBackOnTheCountry)
{
    install();
    setMachineValue(machinekey::configurationGeneral("Praxis2"), profilekey::LoginURL.name, "");
    const auto loaded = load("Praxis2");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->loginUrl, "https://login.example/ch");
}

TEST_F(ConfigurationLoaderTest, MissingNamedConfigurationShowsItsMessageAndFails)
{
    install();
    EXPECT_FALSE(load("Praxis9"));
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Registryeinträge für Konfiguration Praxis9 sind nicht vorhanden.");
    EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(m_boxes.boxes[0].icon, MbIcon::Error);
    // Nothing was taken over: the load stopped before the login address.
    EXPECT_EQ(profileValue(section::General, profilekey::LoginURL.name), "<missing>");
    EXPECT_EQ(profileValue(section::General, profilekey::ClientPath.name), "<missing>");
}

class LoaderFailure;

// One way the installer's key can be incomplete, applied after install().
struct FailureRow
{
    const char* situation;
    std::function<void(LoaderFailure&)> damage;
};

void PrintTo(const FailureRow& row, std::ostream* os)
{
    *os << row.situation;
}

class LoaderFailure : public ConfigurationLoaderTest, public ::testing::WithParamInterface<FailureRow>
{
public:
    void removeKey(const std::string& bracketName) { removeMachineKey(bracketName); }
    void setValue(const std::string& bracketName, const char* name, const std::string& value)
    {
        setMachineValue(bracketName, name, value);
    }
    void setProfileValue(const char* section, const char* name, const std::string& value)
    {
        setProfile(section, name, value);
    }
};

TEST_P(LoaderFailure, FailsWithoutMessage)
{
    install();
    GetParam().damage(*this);
    EXPECT_FALSE(load());
    EXPECT_TRUE(m_boxes.boxes.empty());
    // The client's path is the last thing a successful load writes.
    EXPECT_EQ(profileValue(section::General, profilekey::ClientPath.name), "<missing>");
}

using T = LoaderFailure;
const FailureRow failureRows[] = {
    {"no login address in either configuration key", [](T& t) { t.removeKey(machinekey::configurationGeneral("CH")); }},
    {"empty login address", [](T& t) { t.setValue(machinekey::configurationGeneral("CH"), "LoginURL", ""); }},
    {"machine Abrechnungsversand missing, profile without spool directory",
     [](T& t) {
         t.setProfileValue(section::Abrechnungsversand, profilekey::UseProxy.name, "0");
         t.removeKey(machinekey::abrechnungsversand());
     }},
    {"machine Abrechnungsversand missing, profile without proxy choice",
     [](T& t) {
         t.setProfileValue(section::Abrechnungsversand, profilekey::spooldir.name, "/srv/spool");
         t.removeKey(machinekey::abrechnungsversand());
     }},
    {"empty LoginBackupURL", [](T& t) { t.setValue(machinekey::general(), "LoginBackupURL", ""); }},
    {"LoginBackupURL longer than the read buffer",
     [](T& t) {
         t.setValue(machinekey::general(), "LoginBackupURL", std::string(RegistryKeyReader::BufferSize, 'x'));
     }},
    {"empty ClientVersion", [](T& t) { t.setValue(machinekey::general(), "ClientVersion", ""); }},
    {"machine General missing, profile without UseBackupURL",
     [](T& t) {
         t.setProfileValue(section::General, profilekey::UseLan.name, "1");
         t.removeKey(machinekey::general());
     }},
    {"machine General missing, profile without UseLan",
     [](T& t) {
         t.setProfileValue(section::General, profilekey::UseBackupURL.name, "0");
         t.removeKey(machinekey::general());
     }},
    {"empty ScanDir", [](T& t) { t.setValue(machinekey::rzAnlagen(), "ScanDir", ""); }},
    {"empty TmpDir", [](T& t) { t.setValue(machinekey::rzAnlagen(), "TmpDir", ""); }},
};

INSTANTIATE_TEST_SUITE_P(Rows, LoaderFailure, ::testing::ValuesIn(failureRows),
                         [](const ::testing::TestParamInfo<FailureRow>& info) {
                             std::string name;
                             for (const char* c = info.param.situation; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST_F(ConfigurationLoaderTest, FilledProfileStartsWithoutMachineAbrechnungsversand)
{
    install();
    removeMachineKey(machinekey::abrechnungsversand());
    setProfile(section::Abrechnungsversand, profilekey::spooldir.name, "/home/praxis/spool");
    setProfile(section::Abrechnungsversand, profilekey::UseProxy.name, "0");
    setProfile(section::General, profilekey::UseBackupURL.name, "1");
    setProfile(section::General, profilekey::UseLan.name, "0");
    const auto loaded = load();
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->useProxy);
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/home/praxis/spool");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::DefaultSpooldir.name), "<missing>");
    EXPECT_EQ(profileValue(section::General, profilekey::UseBackupURL.name), "1");
    EXPECT_EQ(profileValue(section::General, profilekey::UseLan.name), "0");
}

TEST_F(ConfigurationLoaderTest, OnlyTheConfigurationKeyIsNeededOnceTheProfileIsFilled)
{
    install();
    ASSERT_TRUE(load());
    removeMachineKey(machinekey::general());
    removeMachineKey(machinekey::abrechnungsversand());
    removeMachineKey(machinekey::rzAnlagen());
    ASSERT_TRUE(load());
    // Missing machine keys leave the values copied before.
    EXPECT_EQ(profileValue(section::General, profilekey::LoginBackupURL.name), "https://backup.example/");
    EXPECT_EQ(profileValue(section::RZAnlagen, profilekey::TmpDir.name), "/srv/tmp");
}

TEST_F(ConfigurationLoaderTest, InstallerValuesAreCopiedAgainAtEveryStartUserChoicesAreNot)
{
    install();
    ASSERT_TRUE(load());
    setMachineValue(machinekey::general(), profilekey::LoginBackupURL.name, "https://backup2.example/");
    setMachineValue(machinekey::general(), profilekey::ClientVersion.name, "1.5.2");
    setMachineValue(machinekey::rzAnlagen(), profilekey::ScanDir.name, "/srv/scan2");
    setMachineValue(machinekey::rzAnlagen(), profilekey::TmpDir.name, "/srv/tmp2");
    setMachineValue(machinekey::general(), profilekey::UseLan.name, "0");
    setMachineValue(machinekey::abrechnungsversand(), profilekey::UseProxy.name, "0");
    setMachineValue(machinekey::abrechnungsversand(), profilekey::DefaultSpooldir.name, "/srv/spool2");
    ASSERT_TRUE(load());
    EXPECT_EQ(profileValue(section::General, profilekey::LoginBackupURL.name), "https://backup2.example/");
    EXPECT_EQ(profileValue(section::General, profilekey::ClientVersion.name), "1.5.2");
    EXPECT_EQ(profileValue(section::RZAnlagen, profilekey::ScanDir.name), "/srv/scan2");
    EXPECT_EQ(profileValue(section::RZAnlagen, profilekey::TmpDir.name), "/srv/tmp2");
    EXPECT_EQ(profileValue(section::General, profilekey::UseLan.name), "1");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::UseProxy.name), "1");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/srv/spool");
}

TEST_F(ConfigurationLoaderTest, EmptySpoolDirectoryTakesTheProfilesDefaultFirst)
{
    install();
    setProfile(section::Abrechnungsversand, profilekey::DefaultSpooldir.name, "/home/praxis/default");
    ASSERT_TRUE(load());
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/home/praxis/default");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::DefaultSpooldir.name), "/home/praxis/default");
}

TEST_F(ConfigurationLoaderTest, UnwritableProfileFailsTheLoad)
{
    install();
    breakUserHive();
    EXPECT_FALSE(load());
}

} // namespace
} // namespace bv
