#include "Bvlsreg.h"

#include "ConfigTestSupport.h"
#include "config/ProfileKeys.h"
#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace bv {
namespace {

const std::string Usage = "\nbrevalis-Konfigurationsschnittstelle V.4.1.0 (Build 1001)\n\n"
                          "Aufruf:                      \tbvlsreg /ini <iniDateiname>\n\n"
                          "Rueckgabewert/Errorlevel <0 :\tFehler / Text nach stderr \n";

class BvlsregTest : public test::RegistryTest
{
protected:
    int run(const std::vector<std::string>& args)
    {
        m_out.str({});
        m_err.str({});
        return runBvlsreg(args, m_out, m_err, m_registry, m_boxes);
    }
    void installClient()
    {
        setProfile(section::General, profilekey::ClientPath.name, "/opt/brevalis/bvals_cl");
        setProfile(section::General, profilekey::Kundennummer.name, "000012");
        setProfile(section::Abrechnungsversand, profilekey::spooldir.name, "/home/praxis/spool");
    }

    std::ostringstream m_out;
    std::ostringstream m_err;
    test::RecordingMessageBoxes m_boxes;
    std::filesystem::path m_file = file("praxis.ini");
};

TEST_F(BvlsregTest, AnythingElsePrintsTheUsage)
{
    installClient();
    const std::vector<std::vector<std::string>> rows = {
        {},    {"/ini"}, {"/ini", "a.ini", "b.ini"}, {"/setup"}, {"ini", "a.ini"}, {"/in", "a.ini"}, {"/w", "x"},
        {"W"}, {"-w"},
    };
    for (const auto& args : rows) {
        EXPECT_EQ(run(args), -3) << ::testing::PrintToString(args);
        EXPECT_EQ(m_out.str(), Usage);
        EXPECT_EQ(m_err.str(), "");
    }
}

TEST_F(BvlsregTest, SlashWPrintsTheClientPath)
{
    installClient();
    for (const char* arg : {"/W", "/w", "/wo"}) {
        EXPECT_EQ(run({arg}), 0) << arg;
        EXPECT_EQ(m_out.str(), "/opt/brevalis/bvals_cl\n");
    }
}

TEST_F(BvlsregTest, IniRunsTheInterfaceInAnyCase)
{
    installClient();
    for (const char* ini : {"/ini", "/INI", "/Ini"}) {
        std::filesystem::remove(m_file);
        EXPECT_EQ(run({ini, m_file.string()}), 0) << ini;
        EXPECT_EQ(profile::readString("Status_Request", "Kundennummer", "", 255, m_file), "000012");
        EXPECT_EQ(profile::readString("Status_Request", "Abrechnungsverzeichnis", "", 255, m_file),
                  "/home/praxis/spool");
        EXPECT_EQ(m_out.str(), "");
    }
}

TEST_F(BvlsregTest, IniWithoutInstalledClientFails)
{
    setProfile(section::General, profilekey::Kundennummer.name, "000012");
    EXPECT_EQ(run({"/ini", m_file.string()}), -1);
    EXPECT_EQ(m_err.str(), "Fehler: brevalis ist nicht korrekt installiert!\n");
    EXPECT_FALSE(std::filesystem::exists(m_file));
}

TEST_F(BvlsregTest, FailedInterfaceRunStillEndsWithZero)
{
    installClient();
    EXPECT_EQ(run({"/ini", (file("missing") / "x.ini").string()}), 0);
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis-Konfigurationsschnittstelle:");
}

} // namespace
} // namespace bv
