// "bvals_cl /v" as a user starts it, unattended, against a local billing centre: it logs in, shows
// what waits in the spool directory, and on "send" transmits it and books the result.

#include "CentreSendFixture.h"

#include "app/ClientRun.h"
#include "billing/SampleFiles.h"
#include "billing/ZipContents.h"
#include "bvcentre/BillingCentre.h"
#include "config/Profile.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

namespace bv {
namespace {

namespace fs = std::filesystem;
using testing::ClientRun;

class SendRun : public test::CentreSendFixture
{
protected:
    ClientRun::Result send(std::vector<std::string> answers, std::map<std::string, std::string> env = {})
    {
        return client(std::move(answers), std::move(env)).run();
    }

    std::string profileValue(const std::string& key)
    {
        Registry registry(m_registry.machineFile(), m_registry.userFile());
        return Profile(registry).readString(section::Abrechnungsversand, key, "<missing>");
    }

    // The entry names of a package as the billing centre received it.
    std::set<std::string> packageNames(const std::string& body)
    {
        TempDir scratch("bv-e2e-package-");
        const auto entries = samples::readZip(scratch.write("received.zip", body));
        std::set<std::string> names;
        for (const auto& entry : entries.value_or(std::vector<samples::ZipEntry>{}))
            names.insert(entry.name);
        return names;
    }
};

TEST_F(SendRun, XmlInvoicesTravelAsOnePackageAndMoveToSent)
{
    samples::XmlInvoicePlan sample;
    sample.ean = "7601000000017";
    m_spool.write("r1.xml", samples::xmlInvoice(sample));
    m_spool.write("r2.xml", samples::xmlInvoice(sample));
    m_spool.write("zz-defekt.xml", "<invoice:request"); // not well-formed: quarantined, not sent

    const auto result = send({std::string("login\t") + User + "\t" + Password, "send", "close"});
    ASSERT_FALSE(result.timedOut) << result.text();
    EXPECT_TRUE(result.hasLine("DIALOG\tEnvoyer la facture\topen")) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tNombre de factures :\t2")) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tClient :\tPraxis Dr. Beispiel")) << result.text();
    EXPECT_TRUE(result.hasLine("DIALOG\tEnvoyer la facture\tclose\tok")) << result.text();

    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u) << result.text();
    const auto& upload = uploads[0];
    // XML invoices carry no customer number: the package goes under that of -1, by its sender EAN.
    EXPECT_EQ(upload.query.find("vertnr")->second, "-00001");
    EXPECT_EQ(upload.query.find("ean_party")->second, "7601000000017");
    EXPECT_EQ(upload.query.find("nichtbuchen")->second, "0");
    EXPECT_EQ(upload.httpVersion, "HTTP/1.0");
    EXPECT_EQ(packageNames(upload.body), (std::set<std::string>{"r1.xml", "r2.xml"}));

    EXPECT_TRUE(fs::exists(m_spool.file("Sent/r1.xml")));
    EXPECT_TRUE(fs::exists(m_spool.file("Sent/r2.xml")));
    EXPECT_FALSE(fs::exists(m_spool.file("r1.xml")));
    EXPECT_TRUE(fs::exists(m_spool.file("Error/zz-defekt.xml")));
    EXPECT_EQ(profileValue("7601000000017:last_stapel"), "1");
    EXPECT_EQ(profileValue("7601000000017:last_send").size(), 15u); // yyyymmdd:hhmmss
}

// Practice software writes the published versions 4.0 to 5.0, with the usual prefix or none under a
// default namespace: one set of them is shown with its sum, sender and dates, and sent as one package.
TEST_F(SendRun, InvoicesOfEveryVersionTravelTogether)
{
    const samples::XmlVersion versions[] = {samples::XmlVersion::V40, samples::XmlVersion::V44,
                                            samples::XmlVersion::V45, samples::XmlVersion::V50};
    std::set<std::string> written;
    for (int i = 0; i < 8; ++i) {
        samples::XmlInvoicePlan sample;
        sample.version = versions[i % 4];
        sample.prefix = i < 4 ? "invoice" : "";
        sample.ean = "7601000000024";
        sample.amountDue = i == 5 ? "-30.25" : "100.50"; // one credit note
        sample.timestamp = i == 7 ? 1700100000 : 1700000000;
        sample.companyName = "Cabinet Vaudois";
        const std::string name = "facture" + std::to_string(i) + ".xml";
        m_spool.write(name, samples::xmlInvoice(sample));
        written.insert(name);
    }

    const auto result = send({std::string("login\t") + User + "\t" + Password, "send", "close"}, {{"TZ", "UTC0"}});
    ASSERT_FALSE(result.timedOut) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tNombre de factures :\t8")) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tMontant total :\t673,25 CHF    ")) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tDate d'établissement :\t14.11.2023 - 16.11.2023")) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tClient :\tCabinet Vaudois")) << result.text();

    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u) << result.text();
    EXPECT_EQ(uploads[0].query.find("ean_party")->second, "7601000000024");
    EXPECT_EQ(packageNames(uploads[0].body), written);
    for (const auto& name : written)
        EXPECT_TRUE(fs::exists(m_spool.file("Sent/" + name))) << name;
    EXPECT_FALSE(fs::exists(m_spool.file("Error")) && !fs::is_empty(m_spool.file("Error")));
}

TEST_F(SendRun, ChzFileIsSentByteForByteAndBooked)
{
    samples::ChzPlan sample;
    sample.stapelNr = "27";
    const std::string chz = samples::chzFile(sample) + std::string(5000, '\x01');
    m_spool.write("abrechnung.chz", chz);

    const auto result = send({std::string("login\t") + User + "\t" + Password, "send", "close"});
    ASSERT_FALSE(result.timedOut) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tpage\t" + m_centre.url("/app/next"))) << result.text();
    EXPECT_TRUE(result.hasLine("FIELD\tClient / pile:\t004711 / 27")) << result.text();
    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u) << result.text();
    EXPECT_EQ(uploads[0].body, chz);
    EXPECT_EQ(uploads[0].query.find("vertnr")->second, "004711");
    EXPECT_FALSE(fs::exists(m_spool.file("abrechnung.chz")));
    EXPECT_TRUE(fs::exists(m_spool.file("abrechnung.~RZ")));
    EXPECT_EQ(profileValue("004711:last_stapel"), "27");
}

TEST_F(SendRun, CancelOrRefusedUploadLeavesEverythingInPlace)
{
    m_spool.write("abrechnung.chz", samples::chzFile({}));

    auto result = send({std::string("login\t") + User + "\t" + Password, "cancel"});
    ASSERT_FALSE(result.timedOut) << result.text();
    EXPECT_TRUE(result.hasLine("DIALOG\tEnvoyer la facture\tclose\tcancel")) << result.text();
    EXPECT_TRUE(m_centre.requests("/upload").empty());

    testing::ScriptedReply refusal;
    refusal.body = "Stapel abgelehnt";
    m_centre.script("/upload", refusal);
    result = send({std::string("login\t") + User + "\t" + Password, "send"});
    ASSERT_FALSE(result.timedOut) << result.text();
    EXPECT_EQ(m_centre.requests("/upload").size(), 1u) << result.text();
    EXPECT_TRUE(result.hasLine("MSG\tbrevalis\terror\tok\tBeim Versenden der Abrechnungsdatei ist ein Fehler "
                               "aufgetreten:\\nStapel abgelehnt"))
        << result.text();

    EXPECT_TRUE(fs::exists(m_spool.file("abrechnung.chz")));
    EXPECT_EQ(profileValue("004711:last_stapel"), "<missing>");
}

TEST_F(SendRun, TwoRunsStartedTogetherOnOneSpoolSendItOnce)
{
    const std::string running = "MSG\tbrevalis\twarning\tok\tUne transmission de ce répertoire est déjà en "
                                "cours !\\n(Répertoire : " +
                                m_spool.path().string() + "/)";
    for (const bool xml : {true, false}) {
        SCOPED_TRACE(xml ? "50 XML invoices" : "a CHZ batch");
        std::set<std::string> billingFiles;
        if (xml) {
            samples::XmlInvoicePlan sample;
            for (int i = 0; i < 50; ++i) {
                sample.familyName = "Patient" + std::to_string(i);
                const std::string name = "r" + std::to_string(100 + i) + ".xml";
                m_spool.write(name, samples::xmlInvoice(sample));
                billingFiles.insert(name);
            }
        } else {
            m_spool.write("abrechnung.chz", samples::chzFile({}));
            billingFiles.insert("abrechnung.chz");
        }
        // The billing centre takes a second to answer the upload. Without a next page no main window
        // follows the transmission.
        testing::ScriptedReply slow;
        slow.body = "BV_SENDOK: NOMSG\r\n";
        slow.delayBeforeHeaders = std::chrono::seconds(1);
        m_centre.script("/upload", slow);

        const ClientRun run = client({std::string("login\t") + User + "\t" + Password, "send"});
        auto first = run.start();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        auto second = run.start();
        const ClientRun::Result results[] = {first.wait(std::chrono::seconds(60)),
                                             second.wait(std::chrono::seconds(60))};

        int refused = 0;
        for (const auto& result : results) {
            ASSERT_FALSE(result.timedOut) << result.text();
            refused += result.hasLine(running) ? 1 : 0;
        }
        EXPECT_EQ(refused, 1) << results[0].text() << results[1].text();
        EXPECT_EQ(m_centre.requests("/upload").size(), 1u);
        for (const auto& name : billingFiles) {
            EXPECT_FALSE(fs::exists(m_spool.file(name))) << name;
            if (xml)
                EXPECT_TRUE(fs::exists(m_spool.file("Sent/" + name))) << name;
        }
        m_centre.clearScripts();
        m_centre.clearRequests();
    }
}

} // namespace
} // namespace bv
