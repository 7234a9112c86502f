// "bvals_cl /v" on a spool directory holding a DDS-RZ file, unattended: the reader's refusal of a
// damaged file reaches the user with the spool directory and the service line, a valid file is read
// and then refused as a type this edition does not send. Neither changes the spool's files.

#include "app/ClientRun.h"
#include "billing/AttachmentSamples.h"
#include "billing/DdsSamples.h"
#include "config/Profile.h"
#include "platform/PrivateProfile.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

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
         samples::DdsFileBuilder(samples::DdsPlan{.invoices = 2}).setField(6, 0, "0003").bytes(),
         "MSG\tbrevalis\terror\tok\tFehler beim Zugriff auf " + m_spool.path().string() +
             "/:\\nRechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden:2 ;  in Zusammenfassung deklariert: 3!\\nBitte "
             "wenden Sie sich an die brevalis-Serviceline\\nunter der Telefonnummer 021 555 00 00."},
        {"valid", samples::ddsRzFile(samples::DdsPlan{.invoices = 2}),
         "MSG\tbrevalis\twarning\tok\tLe répertoire des factures contient un fichier dont le type n'est pas soutenu."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_spool.write("RZ0001.001", row.bytes);
        const auto result = send();
        ASSERT_FALSE(result.timedOut) << result.text();
        const auto messages = std::count_if(result.transcript.begin(), result.transcript.end(),
                                            [](const std::string& line) { return line.rfind("MSG\t", 0) == 0; });
        EXPECT_EQ(messages, 1) << result.text();
        EXPECT_NE(std::find(result.transcript.begin(), result.transcript.end(), row.message), result.transcript.end())
            << result.text();
        EXPECT_EQ(m_spool.read("RZ0001.001"), row.bytes);
    }
}

// A practice software that delivers RZ3 batches with a control file names the control files in the
// file filter; the status goes back into the control file. An RZ2 attachment container is a spool
// type this edition does not know.
TEST_F(DdsSendRun, Rz3DeliveryGetsItsStatusAndAnRz2ContainerIsRefused)
{
    // Record 3 references the scan by name, as the send dialog of a practice-software run matches them.
    const std::string dds = samples::DdsFileBuilder(samples::DdsPlan{.interfaceNumber = 3, .attachmentsPerInvoice = 1})
                                .setField(3, 1, "a1.tif")
                                .bytes();
    m_spool.write("RZ0001.001", dds);
    m_spool.write("scan/a1.tif", samples::multiPageTiff(2));
    const std::string control = m_spool.file("RZ0001.ini").string();
    const auto status = [&control](const char* key) { return profile::readString("Rueckgabe", key, "", 256, control); };
    Profile(m_registry.registry()).writeString(section::Abrechnungsversand, "file_filter", "RZ????.ini");
    const struct
    {
        const char* name;
        const char* invoices;
        const char* message;
        const char* status;
        const char* error;
    } rows[] = {
        {"valid", "1", "Le répertoire des factures contient un fichier dont le type n'est pas soutenu.", "-1",
         "(unbestimmter Zustand/vor Bearbeitung)"},
        {"wrong invoice count", "2", "Datenfehler in Kontrolldatei: Anzahl der Rechnungen nicht identisch", "-943",
         "Datenfehler in Kontrolldatei: Anzahl der Rechnungen nicht identisch in Abrechnungsdatei!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_spool.write("RZ0001.ini", samples::rz3ControlFile(samples::ControlPlan{
                                        .invoices = row.invoices,
                                        .attachments = "1",
                                        .values = {m_spool.file("scan/a1.tif").string() + " [0000001000]"}}));
        const auto result = send();
        ASSERT_FALSE(result.timedOut) << result.text();
        EXPECT_NE(result.text().find(row.message), std::string::npos) << result.text();
        EXPECT_EQ(status("Status"), row.status);
        EXPECT_EQ(status("Error"), row.error);
        EXPECT_EQ(m_spool.read("RZ0001.001"), dds);
    }

    Profile(m_registry.registry()).writeString(section::Abrechnungsversand, "file_filter", "RZ????.001");
    std::filesystem::remove(m_spool.file("RZ0001.ini"));
    const std::string container = samples::attachmentContainer(
        {.dds = samples::ddsRzFile(),
         .files = {{"a.tif", samples::multiPageTiff(1)}, {"a.ini", samples::rz2AttachmentIni("0000001000", "0")}}});
    m_spool.write("RZ0001.001", container);
    const auto result = send();
    EXPECT_NE(result.text().find("Falscher Spooltyp in CSendADDlg::OnInitDialog()"), std::string::npos)
        << result.text();
    EXPECT_EQ(m_spool.read("RZ0001.001"), container);
}

} // namespace
} // namespace bv
