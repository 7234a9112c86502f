#include "billing/CAbrechnungSpool.h"

#include "billing/SampleFiles.h"
#include "billing/SpoolFixtures.h"
#include "billing/ZipContents.h"
#include "billing/formats/cha/CCHASpool.h"
#include "billing/formats/chz/CCHZSpool.h"
#include "bvcentre/BillingCentre.h"
#include "config/Profile.h"
#include "net/InternetRequest.h"
#include "net/UploadThread.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace bv {
namespace {

namespace fs = std::filesystem;
using bv::testing::BillingCentre;
using bv::testing::ScriptedReply;
using namespace std::chrono_literals;

const char* const SendFailed = "Beim Versenden der Abrechnungsdatei ist ein Fehler aufgetreten:\n";

ScriptedReply reply(int status, std::string body, std::chrono::milliseconds delay = {})
{
    ScriptedReply scripted;
    scripted.status = status;
    scripted.body = std::move(body);
    scripted.delayBeforeHeaders = delay;
    return scripted;
}

// A server that takes the first bytes of a request and then drops the connection: a line that
// breaks while the body is on its way.
class DroppingServer
{
public:
    explicit DroppingServer(std::size_t bytesBeforeDrop) : m_limit(bytesBeforeDrop)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~DroppingServer()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        if (m_thread.joinable())
            m_thread.join();
    }
    DroppingServer(const DroppingServer&) = delete;
    DroppingServer& operator=(const DroppingServer&) = delete;

    int port() const { return m_port; }
    std::size_t received() const { return m_received; }

private:
    void serve()
    {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        char buffer[4096];
        while (m_received < m_limit) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            m_received += static_cast<std::size_t>(n);
        }
        // Unread bytes make the close a reset, as when the line breaks.
        ::close(client);
    }

    std::size_t m_limit;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<std::size_t> m_received{0};
    std::thread m_thread;
};

// Holds the upload at its first block report after the start of the body until the test has asked
// it to stop, so that the cancel comes while the body is surely on its way.
class HoldingObserver : public UploadObserver
{
public:
    explicit HoldingObserver(SendRequestBlock& block) : m_block(block) {}

    void uploadProgress(int percent) override
    {
        if (percent <= 0 || percent >= 90 || m_held)
            return;
        m_held = true;
        {
            std::lock_guard lock(m_mutex);
            m_reached = true;
        }
        m_changed.notify_all();
        for (int i = 0; i < 5000 && !m_block.cancel.isSet(); ++i)
            std::this_thread::sleep_for(1ms);
    }
    void uploadStatus(const std::string&) override {}
    void uploadOpened() override {}
    void uploadFinished() override {}

    bool waitUntilReached()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 10s, [this] { return m_reached; });
    }

private:
    SendRequestBlock& m_block;
    std::atomic<bool> m_held{false};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_reached = false;
};

class SendTransmissionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_centre.start());
        m_centre.addAccount({"demo", "geheim", {{"004711", "Cabinet"}}, {}, false, false});
        InternetRequest login;
        login.address = m_centre.url("/login");
        login.formBody = "benutzer=demo&passwort=geheim";
        runFormPost(login);
        const std::size_t at = login.reply.find("SESSIONID: ");
        ASSERT_NE(at, std::string::npos) << login.reply;
        m_session = login.reply.substr(at + 11, login.reply.find("\r\n", at) - at - 11);
        setUploadUrl(m_centre.url("/upload"));
    }

    void setUploadUrl(const std::string& url) { m_profile.writeString(section::Abrechnungsversand, "URL", url); }

    void writeChz(std::size_t padding = 0)
    {
        m_spool.write("abrechnung.chz", samples::chzFile({}) + std::string(padding, 'x'));
    }
    void writeXml(const std::string& name, const std::string& ean = "7601000000055")
    {
        samples::XmlInvoicePlan invoice;
        invoice.ean = ean;
        invoice.familyName = name; // every invoice its own bytes
        m_spool.write(name, samples::xmlInvoice(invoice));
    }
    std::unique_ptr<CAbrechnungSpool> openSpool(bool xml)
    {
        if (xml)
            return std::make_unique<CCHASpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
        return std::make_unique<CCHZSpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }

    SendContext context(UploadObserver* observer = nullptr)
    {
        SendContext ctx;
        ctx.sessionId = m_session;
        ctx.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
        ctx.starter = &m_starter;
        ctx.observer = observer;
        return ctx;
    }

    void sendAndFinish(CAbrechnungSpool& spool, UploadObserver* observer = nullptr)
    {
        ASSERT_EQ(spool.StartSend(context(observer)), 1);
        ASSERT_TRUE(spool.sendRequest().done.wait(20s));
        spool.FinishSend();
    }

    std::map<std::string, std::string> spoolFiles() const { return filesBelow(m_spool.path()); }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool{"bv-spool-"};
    TempDir m_scratch;
    RecordingMessageBoxes m_boxes;
    files::RemovableProbe m_probe;
    UploadSettings m_settings = [] {
        UploadSettings settings;
        settings.connectTimeout = 5s;
        settings.idleTimeout = 5s;
        return settings;
    }();
    CurlUploadStarter m_starter{m_settings};
    BillingCentre m_centre;
    std::string m_session;
};

// ---- Confirmed ----

TEST_F(SendTransmissionTest, ChzArrivesByteForByteAndIsBooked)
{
    writeChz(5000);
    auto spool = openSpool(false);
    const std::string workingCopy = files::readFile(spool->workingCopy()).value_or("");
    ASSERT_EQ(workingCopy, m_spool.read("abrechnung.chz"));
    sendAndFinish(*spool);

    ASSERT_TRUE(spool->transmissionConfirmed()) << ::testing::PrintToString(spool->sendRequest().replyBody);
    EXPECT_EQ(spool->nextUrl(), m_centre.url("/app/next"));
    EXPECT_TRUE(m_boxes.boxes.empty());
    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].body, workingCopy);
    EXPECT_EQ(uploads[0].httpVersion, "HTTP/1.0");
    EXPECT_EQ(uploads[0].rawQuery,
              "vertnr=004711&ean_party=-1&stpnr=12&typ=CZ&session-id=" + m_session + "&nichtbuchen=0");
    EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "004711:last_stapel"), "12");
    EXPECT_EQ(spoolFiles(), (std::map<std::string, std::string>{{"abrechnung.~RZ", workingCopy}}));
}

TEST_F(SendTransmissionTest, ChaArrivesAsAZipOfExactlyTheAcceptedInvoices)
{
    writeXml("r1.xml");
    writeXml("r2.xml");
    m_spool.write("r3.xml", "<invoice:request"); // not well-formed: refused before anything is sent
    const std::string r1 = m_spool.read("r1.xml");
    const std::string r2 = m_spool.read("r2.xml");
    auto spool = openSpool(true);
    sendAndFinish(*spool);

    ASSERT_TRUE(spool->transmissionConfirmed()) << ::testing::PrintToString(spool->sendRequest().replyBody);
    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].rawQuery,
              "vertnr=-00001&ean_party=7601000000055&stpnr=-1&typ=CA&session-id=" + m_session + "&nichtbuchen=0");
    const auto received = m_scratch.write("received.zip", uploads[0].body);
    const auto entries = samples::readZip(received);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].name, "r1.xml");
    EXPECT_EQ((*entries)[0].content, r1);
    EXPECT_EQ((*entries)[1].name, "r2.xml");
    EXPECT_EQ((*entries)[1].content, r2);

    EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "7601000000055:last_stapel"), "1");
    const auto after = spoolFiles();
    EXPECT_EQ(after.at("Sent/r1.xml"), r1);
    EXPECT_EQ(after.at("Sent/r2.xml"), r2);
    EXPECT_EQ(after.count("r1.xml") + after.count("r2.xml"), 0u);
    EXPECT_EQ(after.count("Error/r3.xml"), 1u);
    for (const auto& [name, bytes] : after)
        EXPECT_NE(name.rfind("Tmp/", 0), 0u) << name << ": the package is deleted";
}

TEST_F(SendTransmissionTest, AnEanHoldingAParameterReachesTheCentreAsOneValue)
{
    writeXml("r1.xml", "1&amp;nichtbuchen=1");
    auto spool = openSpool(true);
    const std::string profileBefore = m_registry.userText();
    sendAndFinish(*spool);

    const auto uploads = m_centre.requests("/upload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0].query.count("nichtbuchen"), 1u);
    EXPECT_EQ(uploads[0].query.find("nichtbuchen")->second, "0");
    EXPECT_EQ(uploads[0].query.find("ean_party")->second, "1&nichtbuchen=1");
    // The centre refuses an EAN that is no number; nothing is booked.
    EXPECT_FALSE(spool->transmissionConfirmed());
    EXPECT_TRUE(fs::exists(m_spool.file("r1.xml")));
    EXPECT_EQ(m_registry.userText(), profileBefore);
}

// ---- Nothing lost ----

struct FailureRow
{
    const char* name;
    std::function<void(SendTransmissionTest&, bool xml)> arrange;
    std::string message; // empty: any message that begins with the send-failure text
};

class FailedTransmission : public SendTransmissionTest, public ::testing::WithParamInterface<FailureRow>
{
public:
    using SendTransmissionTest::m_centre;
    using SendTransmissionTest::setUploadUrl;
    std::unique_ptr<DroppingServer> m_dropping;
};

TEST_P(FailedTransmission, LeavesEveryFileAndTheProfileAsTheyWere)
{
    const FailureRow& row = GetParam();
    for (const bool xml : {false, true}) {
        SCOPED_TRACE(xml ? "CHA" : "CHZ");
        fs::remove_all(m_spool.path());
        fs::create_directories(m_spool.path());
        m_boxes.boxes.clear();
        m_centre.clearScripts();
        if (xml) {
            writeXml("r1.xml");
            writeXml("r2.xml");
        } else {
            writeChz(300 * 1024);
        }
        m_profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "11");
        auto spool = openSpool(xml);
        row.arrange(*this, xml);
        const auto filesBefore = spoolFiles();
        const std::string profileBefore = m_registry.userText();

        sendAndFinish(*spool);
        EXPECT_FALSE(spool->transmissionConfirmed());
        EXPECT_EQ(spool->nextUrl(), "");
        ASSERT_EQ(m_boxes.boxes.size(), 1u);
        if (row.message.empty())
            EXPECT_EQ(m_boxes.boxes[0].text.rfind(SendFailed, 0), 0u) << m_boxes.boxes[0].text;
        else
            EXPECT_EQ(m_boxes.boxes[0].text, row.message);
        EXPECT_EQ(spoolFiles(), filesBefore);
        EXPECT_EQ(m_registry.userText(), profileBefore);
        m_dropping.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FailedTransmission,
    ::testing::Values(
        FailureRow{"HttpError",
                   [](SendTransmissionTest& t, bool) {
                       static_cast<FailedTransmission&>(t).m_centre.script("/upload", reply(500, "BV_SENDOK: NOMSG"));
                   },
                   std::string(SendFailed) + "L'erreur http 500 est apparue ! "},
        FailureRow{"NoConfirmation",
                   [](SendTransmissionTest& t, bool) {
                       static_cast<FailedTransmission&>(t).m_centre.script("/upload", reply(200, "Stapel abgelehnt"));
                   },
                   std::string(SendFailed) + "Stapel abgelehnt"},
        FailureRow{"ConfirmationWithNothingAfterIt",
                   [](SendTransmissionTest& t, bool) {
                       static_cast<FailedTransmission&>(t).m_centre.script("/upload", reply(200, "BV_SENDOK"));
                   },
                   std::string(SendFailed) + "BV_SENDOK"},
        FailureRow{"SessionExpired",
                   [](SendTransmissionTest& t, bool) { static_cast<FailedTransmission&>(t).m_centre.expireSessions(); },
                   "Die Sitzung ist wegen Zeitüberschreitung abgelaufen!"},
        FailureRow{"ConnectionLostInTheBody",
                   [](SendTransmissionTest& t, bool) {
                       auto& self = static_cast<FailedTransmission&>(t);
                       self.m_dropping = std::make_unique<DroppingServer>(600);
                       self.setUploadUrl("http://127.0.0.1:" + std::to_string(self.m_dropping->port()) + "/upload");
                   },
                   ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SendTransmissionTest, CancelDuringTheBodyBooksNothing)
{
    writeChz(300 * 1024);
    auto spool = openSpool(false);
    const auto filesBefore = spoolFiles();
    const std::string profileBefore = m_registry.userText();
    HoldingObserver observer(spool->sendRequest());
    ASSERT_EQ(spool->StartSend(context(&observer)), 1);
    ASSERT_TRUE(observer.waitUntilReached());
    spool->CancelSend();
    EXPECT_FALSE(spool->uploadRunning());
    ASSERT_TRUE(spool->sendRequest().done.wait(20s));
    spool->FinishSend();

    EXPECT_FALSE(spool->transmissionConfirmed());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, std::string(SendFailed) + "L'envoi a été abandonné.");
    EXPECT_EQ(spoolFiles(), filesBefore);
    EXPECT_EQ(m_registry.userText(), profileBefore);
    for (const auto& upload : m_centre.requests("/upload"))
        EXPECT_FALSE(upload.bodyComplete);
}

TEST_F(SendTransmissionTest, ClientKilledDuringTheUploadLosesNothing)
{
    const fs::path program = process::executablePath().parent_path() / "billing_send_once";
    ASSERT_TRUE(fs::exists(program)) << program;
    for (const bool xml : {false, true}) {
        SCOPED_TRACE(xml ? "CHA" : "CHZ");
        fs::remove_all(m_spool.path());
        fs::create_directories(m_spool.path());
        m_centre.clearRequests();
        if (xml) {
            writeXml("r1.xml");
            writeXml("r2.xml");
        } else {
            writeChz(64 * 1024);
        }
        const auto originals = spoolFiles();
        const std::string profileBefore = m_registry.userText();
        // The centre has the whole body but keeps the client waiting for its answer.
        m_centre.script("/upload", reply(200, "BV_SENDOK: NOMSG", 30s));

        const auto pid = process::start(program.string(), {xml ? "cha" : "chz", m_spool.path().string(), m_session});
        ASSERT_TRUE(pid);
        ASSERT_TRUE(m_centre.waitForRequests("/upload", 1, 20s));
        ASSERT_EQ(::kill(*pid, SIGKILL), 0);
        EXPECT_EQ(process::wait(*pid), -1);
        m_centre.clearScripts();

        // Every billing file is still there with its bytes; what the run added is only its scratch
        // copy (working copy or package), and the profile is as it was.
        const auto after = spoolFiles();
        for (const auto& [name, bytes] : originals)
            EXPECT_EQ(after.count(name) ? after.at(name) : "<missing>", bytes) << name;
        EXPECT_EQ(m_registry.userText(), profileBefore);

        // The next run sends the same files as if nothing had happened.
        m_boxes.boxes.clear();
        auto spool = openSpool(xml);
        sendAndFinish(*spool);
        EXPECT_TRUE(spool->transmissionConfirmed());
    }
}

// What a run has done once the billing centre's confirmation is in: the journal says so, or the
// booking or the marking has begun.
bool pastTheConfirmation(const TempDir& spool, const TempRegistry& registry, bool xml)
{
    if (files::readFile(spool.file("Tmp/send.journal")).value_or("").find("state confirmed") != std::string::npos)
        return true;
    std::error_code ec;
    if (xml)
        return !fs::is_empty(spool.file("Sent"), ec) && !ec;
    return !fs::exists(spool.file("abrechnung.chz")) ||
           registry.userText().find("\"004711:last_stapel\"=\"12\"") != std::string::npos;
}

TEST_F(SendTransmissionTest, ClientKilledRightAfterTheConfirmationSendsNothingTwice)
{
    const fs::path program = process::executablePath().parent_path() / "billing_send_once";
    ASSERT_TRUE(fs::exists(program)) << program;
    // The kill comes this long after the run has read the confirmation: while it books and marks
    // (300 invoices take the longest to move).
    for (const bool xml : {true, false}) {
        for (const int delayMs : xml ? std::vector<int>{0, 15} : std::vector<int>{0, 2, 5, 10}) {
            SCOPED_TRACE(std::string(xml ? "CHA" : "CHZ") + " killed after " + std::to_string(delayMs) + " ms");
            fs::remove_all(m_spool.path());
            fs::create_directories(m_spool.path());
            m_centre.clearRequests();
            m_profile.writeString(section::Abrechnungsversand, "7601000000055:last_stapel", "0");
            m_profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "11");
            std::set<std::string> billingFiles;
            if (xml) {
                for (int i = 0; i < 300; ++i) {
                    const std::string name = "r" + std::to_string(1000 + i) + ".xml";
                    writeXml(name);
                    billingFiles.insert(name);
                }
            } else {
                writeChz(4096);
            }
            const auto pid =
                process::start(program.string(), {xml ? "cha" : "chz", m_spool.path().string(), m_session});
            ASSERT_TRUE(pid);
            const auto deadline = std::chrono::steady_clock::now() + 20s;
            while (!pastTheConfirmation(m_spool, m_registry, xml) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(100us);
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            ::kill(*pid, SIGKILL);
            process::wait(*pid);

            // The next run finishes the transmission instead of sending it again.
            const auto next =
                process::start(program.string(), {xml ? "cha" : "chz", m_spool.path().string(), m_session});
            ASSERT_TRUE(next);
            EXPECT_EQ(process::wait(*next), 0);

            const auto uploads = m_centre.requests("/upload");
            if (xml) {
                std::map<std::string, int> received;
                for (const auto& upload : uploads) {
                    const auto entries = samples::readZip(m_scratch.write("received.zip", upload.body));
                    ASSERT_TRUE(entries);
                    for (const auto& entry : *entries)
                        ++received[entry.name];
                }
                const auto after = spoolFiles();
                for (const std::string& name : billingFiles) {
                    EXPECT_EQ(received[name], 1) << name;
                    EXPECT_EQ(after.count(name), 0u) << name << " left in the spool";
                    EXPECT_EQ(after.count("Sent/" + name), 1u) << name << " not in Sent";
                }
                EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "7601000000055:last_stapel"), "1");
            } else {
                EXPECT_EQ(uploads.size(), 1u);
                EXPECT_FALSE(fs::exists(m_spool.file("abrechnung.chz")));
                EXPECT_TRUE(fs::exists(m_spool.file("abrechnung.~RZ")));
                EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "004711:last_stapel"), "12");
            }
        }
    }
}

} // namespace
} // namespace bv
