#include "billing/AdzCodes.h"
#include "billing/CAbrechnungSpool.h"

#include "billing/FakeUploadStarter.h"
#include "billing/SampleFiles.h"
#include "billing/SendJournal.h"
#include "billing/SpoolFixtures.h"
#include "billing/formats/cha/CCHADatei.h"
#include "billing/formats/cha/CCHASpool.h"
#include "billing/formats/chz/CCHZSpool.h"
#include "config/Profile.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <regex>

namespace bv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const SendFailed = "Beim Versenden der Abrechnungsdatei ist ein Fehler aufgetreten:\n";

std::string nowText()
{
    return LocalTimeText(std::time(nullptr), "%Y%m%d:%H%M%S");
}

class SendBookkeepingTest : public ::testing::Test
{
protected:
    void SetUp() override { m_profile.writeString(section::Abrechnungsversand, "URL", "http://centre.test/upload"); }

    std::unique_ptr<CAbrechnungSpool> chzSpool(const samples::ChzPlan& chz = {})
    {
        m_spool.write("abrechnung.chz", samples::chzFile(chz));
        return std::make_unique<CCHZSpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }
    std::unique_ptr<CAbrechnungSpool> chaSpool(const std::string& ean = "7601000000055")
    {
        samples::XmlInvoicePlan invoice;
        invoice.ean = ean;
        m_spool.write("r1.xml", samples::xmlInvoice(invoice));
        m_spool.write("r2.xml", samples::xmlInvoice(invoice));
        return std::make_unique<CCHASpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }

    SendContext context()
    {
        SendContext ctx;
        ctx.sessionId = "S1";
        ctx.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
        ctx.useProxy = true;
        ctx.starter = &m_starter;
        return ctx;
    }

    // Sends and evaluates the answer the fake thread gives.
    void sendAndFinish(CAbrechnungSpool& spool)
    {
        ASSERT_EQ(spool.StartSend(context()), 1);
        ASSERT_TRUE(spool.sendRequest().done.wait(5s));
        spool.FinishSend();
    }

    std::map<std::string, std::string> spoolFiles() const { return filesBelow(m_spool.path()); }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool;
    ScopedTemporaryDirectory m_temp;
    RecordingMessageBoxes m_boxes;
    FakeRemovableProbe m_probe;
    FakeUploadStarter m_starter;
};

// ---- Starting ----

TEST_F(SendBookkeepingTest, StartFillsTheSendRequestBlock)
{
    auto spool = chzSpool();
    SendRequestBlock& block = spool->sendRequest();
    block.replyBody = "old";
    block.replyHeaders = "old";
    block.cancel.set();
    block.cancelled.set();
    block.done.set();
    block.ready.tryWait();
    m_starter.replyGate.reset(); // the thread stays at the answer until the test lets it go

    EXPECT_EQ(spool->StartSend(context()), 1);
    EXPECT_TRUE(spool->uploadRunning());
    EXPECT_EQ(block.url, "http://centre.test/upload?vertnr=004711&ean_party=-1&stpnr=12&typ=CZ&session-id=S1"
                         "&nichtbuchen=0");
    EXPECT_EQ(block.uploadFile, spool->workingCopy());
    EXPECT_EQ(block.agent, "brevalis-Client 1.5.1 (Build 1051) CH-FR");
    EXPECT_TRUE(block.useSystemSettings);
    EXPECT_TRUE(block.replyHeaders.empty());
    EXPECT_TRUE(block.ready.isSet());
    EXPECT_FALSE(block.cancel.isSet());
    EXPECT_FALSE(block.done.isSet());
    ASSERT_EQ(m_starter.bodies().size(), 1u);
    EXPECT_EQ(m_starter.bodies()[0], m_spool.read("abrechnung.chz"));

    // A second start while the thread runs starts nothing.
    EXPECT_EQ(spool->StartSend(context()), 0);
    EXPECT_EQ(m_starter.starts(), 1);
    m_starter.replyGate.set();
    ASSERT_TRUE(block.done.wait(5s));
    spool->FinishSend();
    EXPECT_FALSE(spool->uploadRunning());
}

TEST_F(SendBookkeepingTest, StartAddressesXmlInvoicesByTheSenderEan)
{
    auto spool = chaSpool();
    spool->setDoNotBook(true);
    ASSERT_EQ(spool->StartSend(context()), 1);
    EXPECT_EQ(spool->sendRequest().url, "http://centre.test/upload?vertnr=-00001&ean_party=7601000000055&stpnr=-1"
                                        "&typ=CA&session-id=S1&nichtbuchen=1");
    EXPECT_EQ(spool->sendRequest().uploadFile, static_cast<CCHASpool&>(*spool).chaFile()->packagePath());
}

TEST_F(SendBookkeepingTest, ValuesFromOutsideCannotChangeTheRequest)
{
    // An EAN read from an invoice, and a session id, that would add a parameter if inserted as they are.
    auto spool = chaSpool("1&amp;nichtbuchen=1");
    SendContext ctx = context();
    ctx.sessionId = "S 1/#?";
    ASSERT_EQ(spool->StartSend(ctx), 1);
    EXPECT_EQ(spool->sendRequest().url, "http://centre.test/upload?vertnr=-00001&ean_party=1%26nichtbuchen%3D1"
                                        "&stpnr=-1&typ=CA&session-id=S%201%2F%23%3F&nichtbuchen=0");
}

TEST_F(SendBookkeepingTest, NothingToSendIsRefused)
{
    const auto expectNothingToSend = [this](CAbrechnungSpool& spool) {
        try {
            spool.StartSend(context());
            FAIL() << "no error";
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), adz::NothingToSend);
            EXPECT_EQ(e.message(), "Keine Datei zum Versenden vorhanden!");
        }
        EXPECT_FALSE(spool.uploadRunning());
    };
    CCHZSpool noChz(m_boxes, m_profile, m_probe, m_spool.path().string());
    expectNothingToSend(noChz);
    CCHASpool noXml(m_boxes, m_profile, m_probe, m_spool.path().string());
    expectNothingToSend(noXml);

    // After a confirmed transmission the file is gone from the spool.
    auto spool = chzSpool();
    sendAndFinish(*spool);
    ASSERT_TRUE(spool->transmissionConfirmed());
    expectNothingToSend(*spool);
    EXPECT_EQ(m_starter.starts(), 1);
}

// ---- Confirmed transmissions ----

TEST_F(SendBookkeepingTest, ConfirmedChzIsBookedUnderTheCustomerAndLeavesOnlyItsWorkingCopy)
{
    m_profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "11");
    auto spool = chzSpool();
    const std::string sent = m_spool.read("abrechnung.chz");
    const std::string before = nowText();
    sendAndFinish(*spool);
    const std::string after = nowText();

    EXPECT_TRUE(spool->transmissionConfirmed());
    EXPECT_EQ(spool->nextUrl(), "http://centre.test/app/next");
    EXPECT_TRUE(m_boxes.boxes.empty()) << "NOMSG confirms silently";
    EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "004711:last_stapel"), "12");
    const std::string lastSend = m_profile.readString(section::Abrechnungsversand, "004711:last_send");
    EXPECT_TRUE(std::regex_match(lastSend, std::regex("[0-9]{8}:[0-9]{6}"))) << lastSend;
    EXPECT_LE(before, lastSend);
    EXPECT_GE(after, lastSend);
    EXPECT_EQ(spool->lastBatchNumber(), 12);
    EXPECT_EQ(spool->GetLastBatchNumber(), 12);
    EXPECT_EQ(spool->lastSend(), lastSend);
    EXPECT_EQ(spool->batchNumber(), 0);
    EXPECT_TRUE(spool->IsEmpty());
    EXPECT_EQ(spool->billingFile(), nullptr);
    EXPECT_EQ(spoolFiles(), (std::map<std::string, std::string>{{"abrechnung.~RZ", sent}}));
}

TEST_F(SendBookkeepingTest, ConfirmedXmlInvoicesCountPackagesUnderTheEan)
{
    // The first package of a sender counts 1, a later one the stored count plus one; the value read
    // at construction under the customer number text plays no part.
    m_profile.writeString(section::Abrechnungsversand, "-00001:last_stapel", "40");
    for (const int expected : {1, 2}) {
        SCOPED_TRACE(expected);
        auto spool = chaSpool();
        const std::string package = spool->uploadFile();
        const std::string invoice = m_spool.read("r1.xml");
        sendAndFinish(*spool);
        ASSERT_TRUE(spool->transmissionConfirmed());
        EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "7601000000055:last_stapel"),
                  std::to_string(expected));
        EXPECT_EQ(spool->GetLastBatchNumber(), expected);
        EXPECT_EQ(m_spool.read("Sent/r1.xml"), invoice);
        EXPECT_TRUE(fs::exists(m_spool.file("Sent/r2.xml")));
        EXPECT_FALSE(fs::exists(m_spool.file("r1.xml")));
        EXPECT_FALSE(fs::exists(package));
        EXPECT_EQ(spool->billingFile(), nullptr);
    }
    EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "-00001:last_stapel"), "40");
    EXPECT_FALSE(m_profile.exists(section::Abrechnungsversand, "-00001:last_send"));
    const auto lastSend = m_profile.readString(section::Abrechnungsversand, "7601000000055:last_send");
    EXPECT_TRUE(std::regex_match(lastSend, std::regex("[0-9]{8}:[0-9]{6}"))) << lastSend;
}

TEST_F(SendBookkeepingTest, ServerMessageOfAConfirmationIsShown)
{
    m_starter.answer.body = "BV_SENDOK: Merci pour votre envoi.\\nA bient\xC3\xB4t\r\nBV_NEXTURL: http://c/n\r\n";
    auto spool = chzSpool();
    sendAndFinish(*spool);
    EXPECT_TRUE(spool->transmissionConfirmed());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Merci pour votre envoi.\nA bient\xC3\xB4t");
    EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(m_boxes.boxes[0].icon, MbIcon::None);
    EXPECT_EQ(m_boxes.boxes[0].buttons, MbButtons::Ok);
    EXPECT_EQ(spool->nextUrl(), "http://c/n");
}

// ---- Unconfirmed transmissions ----

struct FailureRow
{
    const char* name;
    FakeUploadStarter::Answer answer;
    std::string message;
};

class UnconfirmedTransmission : public SendBookkeepingTest, public ::testing::WithParamInterface<FailureRow>
{
};

TEST_P(UnconfirmedTransmission, LeavesFilesAndProfileAsTheyWere)
{
    const FailureRow& row = GetParam();
    m_starter.answer = row.answer;
    m_profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "11");
    m_profile.writeString(section::Abrechnungsversand, "7601000000055:last_stapel", "3");

    for (const bool xml : {false, true}) {
        SCOPED_TRACE(xml ? "CHA" : "CHZ");
        m_boxes.boxes.clear();
        auto spool = xml ? chaSpool() : chzSpool();
        const auto filesBefore = spoolFiles();
        const std::string profileBefore = m_registry.userText();

        sendAndFinish(*spool);
        EXPECT_FALSE(spool->transmissionConfirmed());
        EXPECT_EQ(spool->nextUrl(), "");
        EXPECT_FALSE(spool->uploadRunning());
        ASSERT_EQ(m_boxes.boxes.size(), 1u);
        EXPECT_EQ(m_boxes.boxes[0].text, row.message);
        EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis");
        EXPECT_EQ(m_boxes.boxes[0].icon, MbIcon::Error);
        EXPECT_EQ(spoolFiles(), filesBefore);
        EXPECT_EQ(m_registry.userText(), profileBefore);

        // The file stays ready for the next try.
        ASSERT_FALSE(spool->IsEmpty());
        EXPECT_EQ(spool->StartSend(context()), 1);
        ASSERT_TRUE(spool->sendRequest().done.wait(5s));
        spool->FinishSend();
        fs::remove_all(m_spool.path());
        fs::create_directories(m_spool.path());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, UnconfirmedTransmission,
    ::testing::Values(
        FailureRow{"HttpError",
                   {-3, "L'erreur http 500 est apparue ! ", 500, "BV_SENDOK: NOMSG"},
                   std::string(SendFailed) + "L'erreur http 500 est apparue ! "},
        FailureRow{"ConnectionLost",
                   {12030, "Die Verbindung mit dem Server wurde beendet.", 0, ""},
                   std::string(SendFailed) + "Die Verbindung mit dem Server wurde beendet."},
        FailureRow{
            "NoConfirmation", {0, "", 200, "Fehler im Stapel 12"}, std::string(SendFailed) + "Fehler im Stapel 12"},
        FailureRow{"ConfirmationWithoutMessage", {0, "", 200, "BV_SENDOK"}, std::string(SendFailed) + "BV_SENDOK"},
        FailureRow{"EmptyConfirmationLine",
                   {0, "", 200, "BV_SENDOK: \r\nBV_NEXTURL: http://c/n\r\n"},
                   std::string(SendFailed) + "BV_SENDOK: \r\nBV_NEXTURL: http://c/n\r\n"},
        FailureRow{"SessionExpired",
                   {0, "", 200, "BV_SESSIONEND\r\nBV_SENDOK: NOMSG\r\nBV_NEXTURL: http://c/n\r\n"},
                   "Die Sitzung ist wegen Zeitüberschreitung abgelaufen!"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Cancelling ----

TEST_F(SendBookkeepingTest, CancelStopsTheBodyAndNothingIsBooked)
{
    auto spool = chzSpool();
    const auto filesBefore = spoolFiles();
    const std::string profileBefore = m_registry.userText();
    m_starter.blocks = 100000;
    m_starter.blockDelay = 1ms;
    ASSERT_EQ(spool->StartSend(context()), 1);
    spool->CancelSend();
    EXPECT_FALSE(spool->uploadRunning());
    ASSERT_TRUE(spool->sendRequest().done.wait(5s));
    spool->FinishSend();
    EXPECT_FALSE(spool->transmissionConfirmed());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, std::string(SendFailed) + "L'envoi a été abandonné.");
    EXPECT_EQ(spoolFiles(), filesBefore);
    EXPECT_EQ(m_registry.userText(), profileBefore);

    // Without a running upload there is nothing to wait for.
    spool->CancelSend();
}

TEST_F(SendBookkeepingTest, CancelAfterTheBodyWasHandedOverReturnsAtOnce)
{
    auto spool = chzSpool();
    m_starter.blocks = 0; // no block test left: the body counts as handed over at once
    m_starter.replyGate.reset();
    ASSERT_EQ(spool->StartSend(context()), 1);
    spool->CancelSend(); // the body is out: the thread only waits for the billing centre's answer
    EXPECT_FALSE(spool->uploadRunning());
    // The ending thread still owns the send request block: no new transmission on it yet.
    EXPECT_EQ(spool->StartSend(context()), 0);
    EXPECT_EQ(m_starter.starts(), 1);

    // The billing centre confirms what it received, so the file is marked as sent.
    m_starter.replyGate.set();
    ASSERT_TRUE(spool->sendRequest().done.wait(5s));
    spool->FinishSend();
    EXPECT_TRUE(spool->transmissionConfirmed());
    EXPECT_FALSE(fs::exists(m_spool.file("abrechnung.chz")));
}

TEST_F(SendBookkeepingTest, ClosingTheSpoolDuringAnUploadEndsTheThreadFirst)
{
    auto spool = chzSpool();
    m_starter.blocks = 100000;
    m_starter.blockDelay = 1ms;
    ASSERT_EQ(spool->StartSend(context()), 1);
    spool.reset(); // must neither hang nor leave the thread on a destroyed block
    EXPECT_TRUE(fs::exists(m_spool.file("abrechnung.chz")));
    EXPECT_FALSE(m_profile.exists(section::Abrechnungsversand, "004711:last_stapel"));
}

TEST_F(SendBookkeepingTest, FinishWithoutATransmissionDoesNothing)
{
    auto spool = chzSpool();
    spool->FinishSend();
    EXPECT_TRUE(m_boxes.boxes.empty());
    EXPECT_FALSE(spool->transmissionConfirmed());

    // A second completion notice of one transmission books nothing twice.
    sendAndFinish(*spool);
    ASSERT_TRUE(spool->transmissionConfirmed());
    m_profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "99");
    spool->FinishSend();
    EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "004711:last_stapel"), "99");
    EXPECT_TRUE(m_boxes.boxes.empty());
}

// ---- Only what was read is sent, and only what was sent is marked ----

TEST_F(SendBookkeepingTest, UploadFileChangedSinceReadingIsNotSent)
{
    struct Row
    {
        const char* name;
        bool xml;
        std::function<std::string(const std::string&)> change; // new bytes of the upload file
    };
    const Row rows[] = {
        {"working copy cut", false, [](const std::string&) { return std::string(); }},
        {"working copy rewritten", false, [](const std::string& bytes) { return std::string(bytes.size(), 'x'); }},
        {"package grown", true, [](const std::string& bytes) { return bytes + "x"; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto spool = row.xml ? chaSpool() : chzSpool();
        const std::string upload = spool->uploadFile();
        m_spool.write(fs::relative(upload, m_spool.path()), row.change(files::readFile(upload).value()));
        const auto filesBefore = spoolFiles();
        const std::string profileBefore = m_registry.userText();
        try {
            spool->StartSend(context());
            FAIL() << "sent";
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), adz::Structural);
            EXPECT_EQ(e.message(), "Temporäre Datei \"" + upload + "\" wurde nach dem Einlesen verändert!");
        }
        EXPECT_EQ(m_starter.starts(), 0);
        EXPECT_EQ(spoolFiles(), filesBefore);
        EXPECT_EQ(m_registry.userText(), profileBefore);
        spool.reset();
        fs::remove_all(m_spool.path());
        fs::create_directories(m_spool.path());
    }
}

TEST_F(SendBookkeepingTest, BillingFileRewrittenAfterReadingStaysInTheSpool)
{
    // The practice software writes batch 43 while the dialog shows batch 12: 12 is sent and booked,
    // 43 stays for the next transmission.
    auto chz = chzSpool();
    const std::string shown = m_spool.read("abrechnung.chz");
    samples::ChzPlan next;
    next.stapelNr = "43";
    m_spool.write("abrechnung.chz", samples::chzFile(next));
    sendAndFinish(*chz);
    EXPECT_TRUE(chz->transmissionConfirmed());
    EXPECT_EQ(m_starter.bodies().at(0), shown);
    EXPECT_EQ(m_spool.read("abrechnung.chz"), samples::chzFile(next));
    EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "004711:last_stapel"), "12");

    // XML invoices: the one rewritten stays, the others go to Sent.
    auto cha = chaSpool();
    m_spool.write("r2.xml", m_spool.read("r2.xml") + "\n");
    sendAndFinish(*cha);
    EXPECT_TRUE(cha->transmissionConfirmed());
    EXPECT_TRUE(fs::exists(m_spool.file("Sent/r1.xml")));
    EXPECT_TRUE(fs::exists(m_spool.file("r2.xml")));
    EXPECT_FALSE(fs::exists(m_spool.file("Sent/r2.xml")));

    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    for (const auto& [box, name] : {std::pair{m_boxes.boxes[0], "abrechnung.chz"}, {m_boxes.boxes[1], "r2.xml"}}) {
        EXPECT_EQ(box.text, "Die Datei " + m_spool.file(name).string() +
                                " wurde nach dem Einlesen verändert.\nSie wurde nicht als erfolgreich versendet "
                                "markiert und bleibt im Abrechnungsverzeichnis.");
        EXPECT_EQ(box.icon, MbIcon::Warning);
    }
}

TEST_F(SendBookkeepingTest, UnreadableUploadFileIsNamedWithTheSystemText)
{
    // Gone before "Envoyer": nothing is started. Unreadable for the upload thread: it reports the number.
    struct Row
    {
        const char* name;
        bool removeCopy;
        int threadError;
        std::string detail;
    };
    const Row rows[] = {
        {"working copy gone", true, 0, "L'erreur 2 est apparue ! "},
        {"thread cannot read it", false, 5, "L'erreur 5 est apparue ! "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_boxes.boxes.clear();
        auto spool = chzSpool();
        if (row.removeCopy)
            fs::remove(spool->workingCopy());
        m_starter.answer = {row.threadError, row.detail, 0, ""};
        const int startsBefore = m_starter.starts();
        sendAndFinish(*spool);
        EXPECT_EQ(m_starter.starts() - startsBefore, row.removeCopy ? 0 : 1);
        EXPECT_FALSE(spool->transmissionConfirmed());
        ASSERT_EQ(m_boxes.boxes.size(), 1u);
        const std::string systemText =
            row.threadError == 0 ? "Das System kann die angegebene Datei nicht finden." : "Zugriff verweigert.";
        EXPECT_EQ(m_boxes.boxes[0].text,
                  std::string(SendFailed) + row.detail + "\n" + spool->workingCopy() + "\n" + systemText);
        EXPECT_TRUE(fs::exists(m_spool.file("abrechnung.chz")));
    }
}

// ---- The send journal ----

TEST_F(SendBookkeepingTest, JournalSaysConfirmedBeforeAnythingIsBookedAndGoesWhenAllIsDone)
{
    m_starter.answer.body = "BV_SENDOK: Merci\r\n";
    auto spool = chzSpool();
    m_starter.replyGate.reset();
    ASSERT_EQ(spool->StartSend(context()), 1);
    const auto pending = SendJournal::parse(m_spool.read("Tmp/send.journal"));
    ASSERT_TRUE(pending);
    EXPECT_EQ(pending->state, SendJournal::State::Pending);
    ASSERT_EQ(pending->files.size(), 1u);
    EXPECT_EQ(pending->files[0].identity, files::fileIdentity(m_spool.file("abrechnung.chz")));

    // While the billing centre's message is shown, the confirmation is on disk and nothing else yet.
    std::optional<SendJournal> atMessage;
    bool bookedAtMessage = true;
    m_boxes.onShow = [&] {
        atMessage = SendJournal::parse(m_spool.read("Tmp/send.journal"));
        bookedAtMessage = m_profile.exists(section::Abrechnungsversand, "004711:last_stapel");
    };
    m_starter.replyGate.set();
    ASSERT_TRUE(spool->sendRequest().done.wait(5s));
    spool->FinishSend();
    ASSERT_TRUE(atMessage);
    EXPECT_EQ(atMessage->state, SendJournal::State::Confirmed);
    EXPECT_EQ(atMessage->sendTime, m_profile.readString(section::Abrechnungsversand, "004711:last_send"));
    EXPECT_FALSE(bookedAtMessage);
    EXPECT_FALSE(fs::exists(m_spool.file("Tmp/send.journal")));
}

TEST_F(SendBookkeepingTest, TransmissionThatCannotBeJournaledIsNotStarted)
{
    auto spool = chzSpool();
    m_spool.write("Tmp", "a file where the Tmp directory belongs");
    try {
        spool->StartSend(context());
        FAIL() << "started";
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Structural);
        EXPECT_NE(e.message().find(m_spool.file("Tmp/send.journal").string()), std::string::npos) << e.message();
    }
    EXPECT_EQ(m_starter.starts(), 0);
}

// ---- Removable spool drive ----

TEST_F(SendBookkeepingTest, RemovableDriveSendsFromATemporaryCopyAndRenamesTheSource)
{
    m_probe.removable = true;
    auto spool = chzSpool();
    const std::string bytes = m_spool.read("abrechnung.chz");
    const fs::path copy = m_temp.path() / "abrechnung.~RZ";
    EXPECT_EQ(spool->uploadFile(), copy.string());
    EXPECT_EQ(files::readFile(copy).value_or(""), bytes);
    EXPECT_FALSE(fs::exists(m_spool.file("abrechnung.~RZ")));

    sendAndFinish(*spool);
    EXPECT_TRUE(spool->transmissionConfirmed());
    EXPECT_EQ(m_starter.bodies().at(0), bytes);
    EXPECT_EQ(spoolFiles(), (std::map<std::string, std::string>{{"abrechnung.~RZ", bytes}}));
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(SendBookkeepingTest, WriteProtectedRemovableDriveAsksToRetry)
{
    struct Row
    {
        std::vector<MbResult> answers;
        bool markedInTheEnd;
    };
    for (const Row& row : {Row{{MbResult::Cancel}, false}, Row{{MbResult::Retry, MbResult::Retry}, true}}) {
        SCOPED_TRACE(row.answers.size());
        m_probe.removable = true;
        m_boxes.boxes.clear();
        auto spool = chzSpool();
        // A folder holding a file in the way of the rename fails it like a write-protected medium;
        // the second retry finds it gone.
        fs::create_directories(m_spool.file("abrechnung.~RZ/x"));
        m_boxes.answers.assign(row.answers.begin(), row.answers.end());
        int asked = 0;
        ASSERT_EQ(spool->StartSend(context()), 1);
        ASSERT_TRUE(spool->sendRequest().done.wait(5s));
        if (row.markedInTheEnd) {
            // Removing the obstacle during the questions: emulate the user taking the protection off.
            m_boxes.onShow = [this, &asked] {
                if (++asked == 2)
                    fs::remove_all(m_spool.file("abrechnung.~RZ"));
            };
        }
        spool->FinishSend();
        m_boxes.onShow = nullptr;

        EXPECT_TRUE(spool->transmissionConfirmed());
        EXPECT_EQ(m_boxes.boxes.size(), row.answers.size()) << "one question per failed rename";
        for (const auto& box : m_boxes.boxes)
            EXPECT_EQ(box.buttons, MbButtons::RetryCancel) << box.text;
        EXPECT_EQ(fs::exists(m_spool.file("abrechnung.chz")), !row.markedInTheEnd);
        EXPECT_EQ(fs::is_regular_file(m_spool.file("abrechnung.~RZ")), row.markedInTheEnd);
        EXPECT_FALSE(fs::exists(m_temp.path() / "abrechnung.~RZ")) << "the temporary copy goes in both cases";
        // The booking stays even when the marking was given up.
        EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "004711:last_stapel"), "12");
        fs::remove_all(m_spool.path());
        fs::create_directories(m_spool.path());
    }
}

} // namespace
} // namespace bv
