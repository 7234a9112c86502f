// The whole client as a user or practice software runs it: bvals_cl unattended against the local
// billing centre, with a temporary registry and spool directory.

#include "app/ClientRun.h"
#include "billing/DdsSamples.h"
#include "billing/SampleFiles.h"
#include "billing/ZipContents.h"
#include "bvcentre/BillingCentre.h"
#include "config/Profile.h"
#include "platform/PrivateProfile.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace bv {
namespace {

namespace fs = std::filesystem;
using testing::BillingCentre;
using testing::ClientRun;

const std::string Ean = "7601000555555";

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t indexOf(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0)
            return i;
    return lines.size();
}

class ClientEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_centre.addAccount({"dupont", "geheim", {{"123456", "Cabinet Dupont"}}, {}, false, false});
        ASSERT_TRUE(m_centre.start());
        TempRegistry::Installation installation;
        installation.loginUrl = m_centre.url("/login");
        installation.loginBackupUrl = m_centre.url("/backup");
        installation.defaultSpooldir = spool().string();
        m_registry.install(installation);
        // Not the first login on this workstation: no firewall hint.
        Profile(m_registry.registry()).writeString(section::General, "LoginSuccess", "1");
        fs::create_directories(spool());
    }

    fs::path spool() const { return m_dir.path() / "spool"; }

    void writeInvoices(int count)
    {
        for (int i = 0; i < count; ++i) {
            samples::XmlInvoicePlan invoice;
            invoice.ean = Ean;
            invoice.amountDue = "100.25";
            std::ofstream(spool() / ("rechnung" + std::to_string(i) + ".xml"), std::ios::binary)
                << samples::xmlInvoice(invoice);
        }
    }

    ClientRun client(std::vector<std::string> arguments, std::vector<std::string> answers) const
    {
        ClientRun run;
        run.arguments = std::move(arguments);
        run.answers = std::move(answers);
        run.registryDir = m_registry.directory();
        run.env["TMPDIR"] = m_dir.path().string();
        return run;
    }

    std::string profileValue(const std::string& section, const std::string& key) const
    {
        Registry registry(m_registry.machineFile(), m_registry.userFile());
        return Profile(registry).readString(section, key, "<missing>");
    }

    BillingCentre m_centre;
    TempRegistry m_registry;
    TempDir m_dir;
};

TEST_F(ClientEndToEnd, LogsInOpensTheSendDialogFromThePageSendsAndShowsTheNextPage)
{
    writeInvoices(2);
    m_centre.setStartPath("/app/send?auto=1"); // the first page sets BV_SENDAD when it loads

    const auto result = client({}, {"login\tdupont\tgeheim", "send", "close"}).run();
    ASSERT_FALSE(result.timedOut) << result.output;
    const auto& t = result.transcript;
    EXPECT_TRUE(contains(t, "DIALOG\tEnvoyer la facture\topen")) << result.output;
    EXPECT_TRUE(contains(t, "FIELD\tNombre de factures :\t2"));
    EXPECT_TRUE(contains(t, "DIALOG\tEnvoyer la facture\tclose\tok"));
    const std::size_t next = indexOf(t, "FIELD\tpage\t" + m_centre.url("/app/next"));
    ASSERT_LT(next, t.size()) << "the next page was not shown:\n" << joined(t);
    EXPECT_GT(next, indexOf(t, "DIALOG\tEnvoyer la facture\tclose"));

    // The billing centre received one package holding exactly the two invoices.
    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u);
    const fs::path package = m_dir.path() / "received.zip";
    std::ofstream(package, std::ios::binary) << uploads[0].body;
    const auto entries = samples::readZip(package);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].name, "rechnung0.xml");
    EXPECT_EQ((*entries)[1].name, "rechnung1.xml");
    EXPECT_EQ((*entries)[0].content, samples::xmlInvoice(Ean, "100.25", 1700000000));
    EXPECT_TRUE(fs::exists(spool() / "Sent" / "rechnung0.xml"));
    EXPECT_FALSE(fs::exists(spool() / "rechnung0.xml"));
    EXPECT_EQ(profileValue(section::Abrechnungsversand, Ean + ":last_stapel"), "1");
}

TEST_F(ClientEndToEnd, SecondStartHandsItsRequestFileToTheRunningInstance)
{
    auto first = client({}, {"login\tdupont\tgeheim"}).start();
    ASSERT_TRUE(first.waitForLine("FIELD\tpage\t" + m_centre.url("/app/start"), std::chrono::seconds(60), true))
        << "the first instance did not reach its start page";

    const fs::path request = m_dir.path() / "anfrage dupont.ini";
    std::ofstream(request, std::ios::binary) << "[RECHNUNGSEMPFAENGER]\r\nNAME=Dupont\r\n";
    const auto second = client({"/req", request.string()}, {}).run();
    EXPECT_FALSE(second.timedOut);
    EXPECT_EQ(second.exitStatus, 0);
    EXPECT_TRUE(second.transcript.empty()) << "the second start must not open a window";

    ASSERT_TRUE(m_centre.waitForRequests("/request", 1, std::chrono::seconds(30)));
    const auto posted = m_centre.requests("/request").front();
    EXPECT_EQ(posted.method, "POST");
    EXPECT_EQ(posted.body, "[RECHNUNGSEMPFAENGER]\r\nNAME=Dupont\r\n");
    EXPECT_EQ(posted.query.find("filename")->second, request.string());
    EXPECT_EQ(posted.query.find("vertnr")->second, "123456");
    first.terminate();
}

TEST_F(ClientEndToEnd, ControlFileTransferOfADdsFileIsRefusedAndReportedWithReadyLast)
{
    const fs::path billing = m_dir.path() / "RZ0001.001";
    // A valid DDS-RZ file: the send dialog reads it, then refuses its type.
    std::ofstream(billing, std::ios::binary) << samples::ddsRzFile();
    const fs::path control = m_dir.path() / "steuer.ini";
    std::ofstream(control, std::ios::binary) << "[SENDEN]\r\nDatei=" << billing.string() << "\r\nPXID=4711\r\n";

    const auto result = client({control.string()}, {}).run();
    ASSERT_FALSE(result.timedOut) << result.output;
    EXPECT_TRUE(contains(result.transcript,
                         "MSG\tbrevalis\twarning\tok\tLe répertoire des factures contient un fichier "
                         "dont le type n'est pas soutenu."))
        << result.output;
    EXPECT_EQ(profile::readString("STATUS", "ERRORLEVEL", "~", 255, control), "-1");
    EXPECT_EQ(profile::readString("STATUS", "READY", "~", 255, control), "1");
    // READY is the last line the client wrote.
    std::ifstream in(control, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_GT(text.rfind("READY=1"), text.rfind("ERRORLEVEL=-1"));
    EXPECT_TRUE(fs::exists(billing)) << "the practice software's file stays where it was";
}

TEST_F(ClientEndToEnd, UpdateOfferedAtLoginIsDownloadedAndTheInstallQuestionAsked)
{
    m_centre.setInstallerSize(300000);
    m_centre.setUpdateOffer("Une nouvelle version est disponible.\\nLa télécharger maintenant ?");

    const auto result = client({}, {"login\tdupont\tgeheim", "yes", "no"}).run();
    ASSERT_FALSE(result.timedOut) << result.output;
    const auto& t = result.transcript;
    const std::size_t offer = indexOf(t, "MSG\tbrevalis\tquestion\tyesno\tUne nouvelle version est disponible.\\n");
    const std::size_t install = indexOf(t, "MSG\tbrevalis\tquestion\tyesno\tDas Update wurde vollständig "
                                           "heruntergeladen.\\nSoll die neue brevalis-Softwareversion nun installiert "
                                           "werden?");
    ASSERT_LT(offer, t.size()) << result.output;
    ASSERT_LT(install, t.size()) << result.output;
    EXPECT_LT(offer, install);
    EXPECT_EQ(m_centre.requests("/download/bv_setup.exe").size(), 1u);
    // Declined: the installer is deleted and nothing is recorded for the next start.
    EXPECT_FALSE(fs::exists(m_dir.path() / "bv_setup.exe"));
    EXPECT_EQ(profileValue(section::General, "AutoUpdateFile"), "<missing>");
}

} // namespace
} // namespace bv
