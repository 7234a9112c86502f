#include "config/ConfigurationInterface.h"

#include "ConfigTestSupport.h"
#include "config/ProfileKeys.h"
#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace bv {
namespace {

using Variant = ConfigurationInterface::Variant;

TEST(BatchNumber, RunsFromOneTo9998)
{
    const std::pair<long long, int> rows[] = {
        {0, 1},
        {1, 2},
        {41, 42},
        {9997, 9998},
        {9998, 1}, // 9999 is skipped
        {9999, 1}, // 10000 modulo 10000 is 0
        {10041, 42},
        {-1, 1},
        {-5, 9996}, // a damaged counter still gives a batch number in range
        {9223372036854775807LL, 5808},
    };
    for (const auto& [last, next] : rows)
        EXPECT_EQ(ConfigurationInterface::nextBatchNumber(last), next) << "last " << last;
}

class ConfigurationInterfaceTest : public test::RegistryTest
{
protected:
    void SetUp() override
    {
        setProfile(section::General, profilekey::Kundennummer.name, "000012");
        setProfile(section::Abrechnungsversand, profilekey::spooldir.name, "/home/praxis/spool");
        setProfile(section::Abrechnungsversand, profilekey::DefaultSpooldir.name, "/srv/default");
        setProfile(section::Abrechnungsversand, profilekey::file_filter.name, "*.xml");
        setProfile(section::Abrechnungsversand, "000012:last_stapel", "41");
        setProfile(section::Abrechnungsversand, "000012:last_send", "20240105");
        setProfile(section::Abrechnungsversand, "000034:last_stapel", "9998");
        setProfile(section::Abrechnungsversand, "000034:last_send", "20231231");
    }
    bool run(Variant variant, const std::filesystem::path& interfaceFile)
    {
        ConfigurationInterface interface(variant, m_profile, m_boxes, m_err);
        return interface.run(interfaceFile);
    }
    void writeInterfaceFile(const std::string& content) { std::ofstream(m_file, std::ios::binary) << content; }
    std::string reported(const char* key) const
    {
        return profile::readString(interfacekey::Status_Request, key, "<missing>", 1024, m_file);
    }

    std::filesystem::path m_file = file("bvconf.ini");
    test::RecordingMessageBoxes m_boxes;
    std::ostringstream m_err;
};

TEST_F(ConfigurationInterfaceTest, ClientReportsForTheOnlyCustomer)
{
    ASSERT_TRUE(run(Variant::Client, m_file)); // the file does not exist yet: the writes create it
    EXPECT_EQ(reported("Kundennummer"), "000012");
    EXPECT_EQ(reported("Abrechnungsverzeichnis"), "/home/praxis/spool");
    EXPECT_EQ(reported("Abrechnungsverzeichniss"), "/home/praxis/spool");
    EXPECT_EQ(reported("Abrechnungsdateifilter"), "*.xml");
    EXPECT_EQ(reported("AktuelleStapelnummer"), "42");
    EXPECT_EQ(reported("LetztesVersendeDatum"), "20240105");
    const std::vector<std::string> order = {
        "Kundennummer",           "Abrechnungsverzeichnis", "Abrechnungsverzeichniss",
        "Abrechnungsdateifilter", "AktuelleStapelnummer",   "LetztesVersendeDatum"};
    EXPECT_EQ(profile::keyNames(interfacekey::Status_Request, m_file), order);
    EXPECT_TRUE(m_boxes.boxes.empty());
    EXPECT_EQ(m_err.str(), "");
}

TEST_F(ConfigurationInterfaceTest, ToolWritesTheSecondDirectoryKeyFirst)
{
    ASSERT_TRUE(run(Variant::Tool, m_file));
    const std::vector<std::string> order = {"Kundennummer",           "Abrechnungsverzeichniss",
                                            "Abrechnungsverzeichnis", "Abrechnungsdateifilter",
                                            "AktuelleStapelnummer",   "LetztesVersendeDatum"};
    EXPECT_EQ(profile::keyNames(interfacekey::Status_Request, m_file), order);
}

TEST_F(ConfigurationInterfaceTest, SeveralCustomersWithoutRequestNameTheFirstAndStartAtOne)
{
    setProfile(section::General, profilekey::Kundennummer.name, "000012;000034;000056");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(reported("Kundennummer"), "000012");
    EXPECT_EQ(reported("AktuelleStapelnummer"), "1");
    EXPECT_EQ(reported("LetztesVersendeDatum"), "20240105");
}

TEST_F(ConfigurationInterfaceTest, ExplicitCustomerUsesItsOwnCounter)
{
    setProfile(section::General, profilekey::Kundennummer.name, "000012;000034;000056");
    writeInterfaceFile("[Status_Request]\r\nKundennummer=34\r\nAndere=bleibt\r\n");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(reported("Kundennummer"), "000034");
    EXPECT_EQ(reported("AktuelleStapelnummer"), "1"); // after 9998
    EXPECT_EQ(reported("LetztesVersendeDatum"), "20231231");
    EXPECT_EQ(reported("Andere"), "bleibt");
}

TEST_F(ConfigurationInterfaceTest, ExplicitCustomerWithoutValuesGetsDefaults)
{
    writeInterfaceFile("[Status_Request]\r\nKundennummer=777\r\n");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(reported("Kundennummer"), "000777");
    EXPECT_EQ(reported("AktuelleStapelnummer"), "1");
    EXPECT_EQ(reported("LetztesVersendeDatum"), "");
}

TEST_F(ConfigurationInterfaceTest, RegisterSpooldirChangesTheProfile)
{
    writeInterfaceFile("[Setup]\r\nRegisterSpooldir=/home/praxis/neu\r\n");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/home/praxis/neu");
    EXPECT_EQ(reported("Abrechnungsverzeichnis"), "/home/praxis/neu");
}

TEST_F(ConfigurationInterfaceTest, RegisterSpooldirStartingWithTildeIsIgnored)
{
    writeInterfaceFile("[Setup]\r\nRegisterSpooldir=~/spool\r\n");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/home/praxis/spool");
}

TEST_F(ConfigurationInterfaceTest, RegisterSpooldirIsReadThroughTheBuffer)
{
    writeInterfaceFile("[Setup]\r\nRegisterSpooldir=/" + std::string(300, 'd') + "\r\n");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name).size(),
              ConfigurationInterface::ReadBufferSize - 1);
}

TEST_F(ConfigurationInterfaceTest, InterfaceFileIsExchangedInWindows1252)
{
    writeInterfaceFile("[Setup]\r\nRegisterSpooldir=/praxis/M\xFCller\r\n");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/praxis/Müller");
    EXPECT_EQ(reported("Abrechnungsverzeichnis"), "/praxis/M\xFCller");

    // A practice software that already writes UTF-8 is understood as well.
    writeInterfaceFile("[Setup]\r\nRegisterSpooldir=/praxis/Zoë\r\n");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/praxis/Zoë");
}

TEST_F(ConfigurationInterfaceTest, EmptySpoolDirectoryIsReportedAsDefaultByTheToolOnly)
{
    setProfile(section::Abrechnungsversand, profilekey::spooldir.name, "");
    ASSERT_TRUE(run(Variant::Client, m_file));
    EXPECT_EQ(reported("Abrechnungsverzeichnis"), "");
    ASSERT_TRUE(run(Variant::Tool, m_file));
    EXPECT_EQ(reported("Abrechnungsverzeichnis"), "/srv/default");
    EXPECT_EQ(reported("Abrechnungsverzeichniss"), "/srv/default");
}

TEST_F(ConfigurationInterfaceTest, UnwritableInterfaceFileStopsWithTheErrorBox)
{
    std::ofstream(file("plain")) << "a file, not a directory";
    for (const std::filesystem::path& target : {file("missing") / "bvconf.ini", file("plain") / "bvconf.ini"}) {
        for (Variant variant : {Variant::Client, Variant::Tool}) {
            m_boxes.boxes.clear();
            EXPECT_FALSE(run(variant, target));
            ASSERT_EQ(m_boxes.boxes.size(), 1u);
            EXPECT_EQ(m_boxes.boxes[0].text, "Fehler bei Zugriff auf Profile-Datei:\n\n\"" + target.string() + "\"\n");
            EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis-Konfigurationsschnittstelle:");
            EXPECT_EQ(m_boxes.boxes[0].icon, MbIcon::Error);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(file("missing")));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/home/praxis/spool");
    EXPECT_EQ(m_err.str(), "");
}

TEST_F(ConfigurationInterfaceTest, ToolReportsAFailedSpoolDirectoryAndGoesOn)
{
    writeInterfaceFile("[Setup]\r\nRegisterSpooldir=/home/praxis/neu\r\n");
    breakUserHive();
    ASSERT_TRUE(run(Variant::Tool, m_file));
    EXPECT_EQ(m_err.str(), "Unbekannter Fehler: Setzen des Abrechnungsverzeichnisses gescheitert!\n");
    EXPECT_EQ(reported("Kundennummer"), "000000");
    EXPECT_EQ(reported("AktuelleStapelnummer"), "1");
}

} // namespace
} // namespace bv
