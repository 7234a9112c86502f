// "bvals_cl /v" on a spool directory holding a MAS or a PAD file, unattended: the reader's refusal of
// a damaged file reaches the user with the spool directory and the service line, a valid file is read
// and then refused as a type this edition does not send. Neither changes the spool's files.

#include "app/ClientRun.h"
#include "billing/MasSamples.h"
#include "billing/PadSamples.h"
#include "config/Profile.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace bv {
namespace {

using testing::ClientRun;

class MasPadSendRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TempRegistry::Installation installation;
        installation.defaultSpooldir = m_spool.path().string();
        m_registry.install(installation);
        Profile profile(m_registry.registry());
        profile.writeString(section::General, "ServicelineTel", "021 555 00 00");
        profile.writeString(section::Abrechnungsversand, "spooldir", m_spool.path().string());
    }

    ClientRun::Result send()
    {
        ClientRun run;
        run.arguments = {"/v"};
        run.registryDir = m_registry.directory();
        return run.run();
    }

    std::string accessError(const std::string& reason) const
    {
        return "MSG\tbrevalis\terror\tok\tFehler beim Zugriff auf " + m_spool.path().string() + "/:\\n" + reason +
               "\\nBitte wenden Sie sich an die brevalis-Serviceline\\nunter der Telefonnummer 021 555 00 00.";
    }

    TempRegistry m_registry;
    TempDir m_spool{"bv-e2e-maspad-"};
};

TEST_F(MasPadSendRun, DamagedFileIsReportedAndValidFileRefusedAsNotSent)
{
    samples::MasFileBuilder damagedMas;
    damagedMas.setField(damagedMas.summaryIndex(), 4, "0002");
    samples::PadFileBuilder damagedPad;
    damagedPad.setField(damagedPad.indicesOf(300).front(), 12, "DM");
    const std::string unsupported =
        "MSG\tbrevalis\twarning\tok\tLe répertoire des factures contient un fichier dont le type n'est pas soutenu.";
    const struct
    {
        const char* name;
        const char* file;
        std::string bytes;
        std::string message;
    } rows[] = {
        {"MAS declaring one invoice too many", "M00001.001", damagedMas.bytes(),
         accessError("Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden: 1; in Zusammenfassung deklariert: 2!")},
        {"valid MAS", "M00001.001", samples::masFile(samples::MasPlan{.invoices = 2}), unsupported},
        {"PAD with an invoice in another currency", "PV123456.DAT", damagedPad.bytes(),
         accessError("Die Währung mindestens einer Rechnung weicht von der Währung der Datei (EUR) ab.\\nDaher ist "
                     "eine Verarbeitung durch brevalis nicht möglich!\\n(Nummer der Rechnung: 1)")},
        {"valid PAD", "PV123456.DAT", samples::padFile(samples::PadPlan{.invoices = 2}), unsupported},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(m_spool.path());
        std::filesystem::create_directories(m_spool.path());
        m_spool.write(row.file, row.bytes);
        const auto result = send();
        ASSERT_FALSE(result.timedOut) << result.text();
        const auto messages = std::count_if(result.transcript.begin(), result.transcript.end(),
                                            [](const std::string& line) { return line.rfind("MSG\t", 0) == 0; });
        EXPECT_EQ(messages, 1) << result.text();
        EXPECT_NE(std::find(result.transcript.begin(), result.transcript.end(), row.message), result.transcript.end())
            << result.text();
        EXPECT_EQ(m_spool.read(row.file), row.bytes);
    }
}

} // namespace
} // namespace bv
