// "bvals_cl /v" on a spool directory holding a DDS-RZ file, unattended: the reader's refusal of a
// damaged file reaches the user with the spool directory and the service line, a valid file is read
// and then refused as a type this edition does not send. Neither changes the spool's files.

#include "app/ClientRun.h"
#include "billing/DdsSamples.h"
#include "config/Profile.h"
#include "registry/TempDir.h"
#include "registry/TempRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace bv {
namespace {

using testing::ClientRun;

class DdsSendRun : public ::testing::Test
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

    static std::string transcript(const ClientRun::Result& result)
    {
        std::string text;
        for (const auto& line : result.transcript)
            text += line + "\n";
        return text + result.output;
    }

    TempRegistry m_registry;
    TempDir m_spool{"bv-e2e-dds-"};
};

TEST_F(DdsSendRun, DamagedFileIsReportedAndValidFileRefusedAsNotSent)
{
    const struct
    {
        const char* name;
        std::string bytes;
        std::string message;
    } rows[] = {
        {"declares one invoice too many",
         samples::DdsFileBuilder(samples::DdsSpec{.invoices = 2}).setField(6, 0, "0003").bytes(),
         "MSG\tbrevalis\terror\tok\tFehler beim Zugriff auf " + m_spool.path().string() +
             "/:\\nRechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden:2 ;  in Zusammenfassung deklariert: 3!\\nBitte "
             "wenden Sie sich an die brevalis-Serviceline\\nunter der Telefonnummer 021 555 00 00."},
        {"valid", samples::ddsRzFile(samples::DdsSpec{.invoices = 2}),
         "MSG\tbrevalis\twarning\tok\tLe répertoire des factures contient un fichier dont le type n'est pas soutenu."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_spool.write("RZ0001.001", row.bytes);
        const auto result = send();
        ASSERT_FALSE(result.timedOut) << transcript(result);
        const auto messages = std::count_if(result.transcript.begin(), result.transcript.end(),
                                            [](const std::string& line) { return line.rfind("MSG\t", 0) == 0; });
        EXPECT_EQ(messages, 1) << transcript(result);
        EXPECT_NE(std::find(result.transcript.begin(), result.transcript.end(), row.message), result.transcript.end())
            << transcript(result);
        EXPECT_EQ(m_spool.read("RZ0001.001"), row.bytes);
    }
}

} // namespace
} // namespace bv
