// Runs the real bvlsreg program against a registry directory and INI files of its own.

#include "ConfigTestSupport.h"
#include "config/ProfileKeys.h"
#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace bv {
namespace {

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string slurp(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class BvlsregBinaryTest : public test::RegistryTest
{
protected:
    struct Outcome
    {
        int status = -1;
        std::string out;
        std::string err;
    };

    Outcome run(const std::string& arguments)
    {
        const char* binDir = std::getenv("BV_BIN_DIR");
        if (binDir == nullptr)
            ADD_FAILURE() << "BV_BIN_DIR is not set";
        const std::string program = std::string(binDir ? binDir : ".") + "/bvlsreg";
        const std::filesystem::path out = file("stdout");
        const std::filesystem::path err = file("stderr");
        const std::string command = "BVALS_REGISTRY_DIR=" + quoted(m_temp.directory().string()) + " " +
                                    quoted(program) + " " + arguments + " >" + quoted(out.string()) + " 2>" +
                                    quoted(err.string());
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = slurp(out);
        outcome.err = slurp(err);
        return outcome;
    }

    std::filesystem::path m_file = file("praxis.ini");
};

TEST_F(BvlsregBinaryTest, ReportsIntoTheIniFileOfAnInstalledClient)
{
    setProfile(section::General, profilekey::ClientPath.name, "/opt/brevalis/bvals_cl");
    setProfile(section::General, profilekey::Kundennummer.name, "000012;000034");
    setProfile(section::Abrechnungsversand, profilekey::spooldir.name, "/home/praxis/spool");
    setProfile(section::Abrechnungsversand, profilekey::file_filter.name, "*.xml");
    setProfile(section::Abrechnungsversand, "000034:last_stapel", "77");
    setProfile(section::Abrechnungsversand, "000034:last_send", "20240301");
    std::ofstream(m_file, std::ios::binary) << "[Setup]\r\nRegisterSpooldir=/home/praxis/neu\r\n"
                                            << "[Status_Request]\r\nKundennummer=34\r\n";

    const Outcome outcome = run("/ini " + quoted(m_file.string()));
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(slurp(m_file), "[Setup]\r\nRegisterSpooldir=/home/praxis/neu\r\n"
                             "[Status_Request]\r\nKundennummer=000034\r\n"
                             "Abrechnungsverzeichniss=/home/praxis/neu\r\n"
                             "Abrechnungsverzeichnis=/home/praxis/neu\r\n"
                             "Abrechnungsdateifilter=*.xml\r\n"
                             "AktuelleStapelnummer=78\r\n"
                             "LetztesVersendeDatum=20240301\r\n");
    EXPECT_EQ(profileValue(section::Abrechnungsversand, profilekey::spooldir.name), "/home/praxis/neu");

    const Outcome where = run("/w");
    EXPECT_EQ(where.status, 0);
    EXPECT_EQ(where.out, "/opt/brevalis/bvals_cl\n");
}

TEST_F(BvlsregBinaryTest, ErrorsEndWithNegativeStatuses)
{
    const Outcome notInstalled = run("/INI " + quoted(m_file.string()));
    EXPECT_EQ(notInstalled.status, 255); // -1
    EXPECT_EQ(notInstalled.err, "Fehler: brevalis ist nicht korrekt installiert!\n");
    EXPECT_FALSE(std::filesystem::exists(m_file));

    const Outcome usage = run("/ini");
    EXPECT_EQ(usage.status, 253); // -3
    EXPECT_EQ(usage.out, "\nbrevalis-Konfigurationsschnittstelle V.4.1.0 (Build 1001)\n\n"
                         "Aufruf:                      \tbvlsreg /ini <iniDateiname>\n\n"
                         "Rueckgabewert/Errorlevel <0 :\tFehler / Text nach stderr \n");
}

} // namespace
} // namespace bv
