// "bvals_cl /v" of an edition that sends DDS-RZ files, unattended, against a local billing centre: the
// laboratory checks find undecided laboratory services, the contents dialog opens, a receipt is
// scanned from SANE's virtual scanner (or partner billing declined), and the billing file travels
// packed with its receipts in its attachment container.

#include "CentreSendFixture.h"

#include "app/ClientRun.h"
#include "billing/AttachmentSamples.h"
#include "billing/DdsSamples.h"
#include "bvcentre/BillingCentre.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace bv {
namespace {

namespace fs = std::filesystem;
using testing::ClientRun;

const std::string Login = "login\tdupont\tgeheim";

class LabSendRun : public test::CentreSendFixture
{
protected:
    void SetUp() override
    {
        CentreSendFixture::SetUp();
        Profile profile(m_registry.registry());
        profile.write(profilekey::TmpDir, m_work.file("receipts").string());
        profile.write(profilekey::SELECTSOURCE, "FALSE");
        profile.write(profilekey::MEDIANFILTER, "FALSE");
        profile.write(profilekey::SHOW_USER_INTERFACE, "FALSE");
        profile.writeInt(profilekey::XRESOLUTION, 50);
        profile.writeInt(profilekey::YRESOLUTION, 50);
        profile.writeInt(profilekey::PIXELTYPE, 1);
        m_work.write("sane/dll.conf", "test\n");
        fs::create_directories(m_work.file("receipts"));
        fs::create_directories(m_work.file("tmp"));
    }

    ClientRun::Result send(std::vector<std::string> answers)
    {
        ClientRun run = client(std::move(answers));
        run.program = testing::binPath("bvals_cl_lab_edition");
        run.env["SANE_CONFIG_DIR"] = m_work.file("sane").string();
        run.env["TMPDIR"] = m_work.file("tmp").string();
        run.timeout = std::chrono::seconds(90);
        return run.run();
    }

    // The attachment container as the billing centre received it: record 0 of type 2828.
    static bool isContainer(const std::string& body) { return body.size() >= 256 && body.compare(22, 4, "2828") == 0; }

    TempDir m_work{"bv-e2e-lab-"};
};

// An RZ2 file with an external laboratory service and no receipt: the check asks for receipts, the
// contents dialog edits the service, the receipt dialog scans one page, and the container with the
// TIFF and its INI file is what the billing centre receives.
TEST_F(LabSendRun, Rz2ReceiptIsScannedAndTravelsInTheContainer)
{
    const std::string dds = samples::DdsLabFile(1).add(0, 500, {{"Fremdlabor Zahnersatz", 5000}}).bytes();
    m_spool.write("RZ0001.001", dds);

    const auto result =
        send({Login, "inhalt\tedit\t0000/0000", "beleg\tscan", "beleg\tok", "inhalt\tok", "send", "close"});
    ASSERT_FALSE(result.timedOut) << result.text();
    EXPECT_TRUE(result.hasLine("MSG\tbrevalis-Client 1.5.1 (Build 1051) CH-FR\tinformation\tok\tIn dieser Datei "
                               "werden Laborleistungen abgerechnet.\\nBitte fügen Sie vor dem Versand die "
                               "entsprechenden Belege hinzu."))
        << result.text();
    EXPECT_TRUE(result.hasLine("DIALOG\tInhalt der Abrechnungsdatei\tclose\tok")) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tSeiten\t1")) << result.text();
    EXPECT_TRUE(result.hasLine("DIALOG\tEnvoyer la facture\tclose\tok")) << result.text();

    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u) << result.text();
    const std::string& body = uploads[0].body;
    ASSERT_TRUE(isContainer(body)) << result.text();
    EXPECT_NE(body.find("00000000.tif"), std::string::npos);
    EXPECT_NE(body.find("00000000.ini"), std::string::npos);
    EXPECT_NE(body.find("Laborbetrag=50,00 EUR"), std::string::npos);
    EXPECT_NE(body.find(dds.substr(0, 256)), std::string::npos); // the billing file inside, byte for byte
    EXPECT_FALSE(fs::exists(m_spool.file("RZ0001.001"))) << "marked as sent";
}

// An RZ3 delivery with a practice-software control file and one scanned attachment, for a contract with
// a partner laboratory: the check asks for the partner billing, the user declines it for the service,
// and the container carries the attachment with the decision's INI file.
TEST_F(LabSendRun, Rz3PartnerBillingIsDecidedBeforeSending)
{
    // The 0850 record names the scan as the control file does.
    const std::string dds = samples::DdsLabFile(samples::DdsPlan{.interfaceNumber = 3, .attachmentsPerInvoice = 1})
                                .set(0, 850, 1, "a1.tif")
                                .add(0, 500, {{"Dentallabor Krone", 12000}})
                                .bytes();
    m_spool.write("RZ0001.001", dds);
    m_spool.write("scan/a1.tif", samples::multiPageTiff(1));
    m_spool.write(
        "RZ0001.ini",
        samples::rz3ControlFile(samples::ControlPlan{
            .invoices = "1", .attachments = "1", .values = {m_spool.file("scan/a1.tif").string() + " [0000001000]"}}));
    Profile profile(m_registry.registry());
    profile.writeString(section::Abrechnungsversand, "file_filter", "RZ????.ini");
    profile.writeString(section::General, "004711:Partnerlabore", "900001=\"Labor Muster\"");

    const auto result =
        send({Login, "inhalt\tedit\t0000/0000", "beleg\tpartner\t0", "beleg\tok", "inhalt\tok", "send", "close"});
    ASSERT_FALSE(result.timedOut) << result.text();
    EXPECT_TRUE(result.hasLine("MSG\tbrevalis-Client 1.5.1 (Build 1051) CH-FR\tinformation\tok\tBitte geben Sie "
                               "vor dem Versand die notwendigen Informationen\\nzur Partnerabrechnung an."))
        << result.text();
    EXPECT_TRUE(result.hasLine("DIALOG\tEnvoyer la facture\tclose\tok")) << result.text();
    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u) << result.text();
    ASSERT_TRUE(isContainer(uploads[0].body)) << result.text();
    EXPECT_NE(uploads[0].body.find("a1.tif"), std::string::npos);
    EXPECT_NE(uploads[0].body.find("a1.ini"), std::string::npos);
    EXPECT_NE(uploads[0].body.find("Partnerabrechnung=0"), std::string::npos);
    // The batch is marked as sent in the spool and in its control file.
    EXPECT_FALSE(fs::exists(m_spool.file("RZ0001.001")));
    EXPECT_NE(m_spool.read("RZ0001.ini").find("wurde versendet"), std::string::npos);
}

} // namespace
} // namespace bv
