#include "net/UploadThread.h"

#include "FakePorts.h"
#include "RawHttpServer.h"
#include "bvcentre/BillingCentre.h"
#include "net/InternetRequest.h"
#include "net/WinInetErrors.h"
#include "platform/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

using bv::SendRequestBlock;
using bv::test::RawHttpServer;
using bv::testing::BillingCentre;
using namespace std::chrono_literals;
namespace text = bv::uploadtext;

namespace {

const char* const Agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";

// Records every report of the thread in order; a test may act on a report (set the cancel event).
class Recorder : public bv::UploadObserver
{
public:
    std::function<void(int)> onProgress;
    std::function<void(const std::string&)> onStatus;

    void uploadProgress(int percent) override
    {
        add("progress " + std::to_string(percent));
        if (onProgress)
            onProgress(percent);
    }
    void uploadStatus(const std::string& text) override
    {
        add(text);
        if (onStatus)
            onStatus(text);
    }
    void uploadOpened() override { add("opened"); }
    void uploadFinished() override { add("finished"); }

    std::vector<std::string> events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<int> progress() const { return numbers("progress "); }
    // Everything but progress.
    std::vector<std::string> notices() const
    {
        std::vector<std::string> out;
        for (const auto& e : events())
            if (e.rfind("progress ", 0) != 0)
                out.push_back(e);
        return out;
    }

private:
    void add(std::string e)
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(e));
    }
    std::vector<int> numbers(const std::string& prefix) const
    {
        std::vector<int> out;
        for (const auto& e : events())
            if (e.rfind(prefix, 0) == 0)
                out.push_back(std::stoi(e.substr(prefix.size())));
        return out;
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

std::string pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 1024) & 0xff);
    return bytes;
}

bv::UploadSettings quick()
{
    bv::UploadSettings settings;
    settings.connectTimeout = 5s;
    settings.idleTimeout = 5s;
    return settings;
}

// The expected progress: 0 twice (start, body), each full block's share of 90 % when it changes, 100.
std::vector<int> expectedProgress(std::size_t size)
{
    std::vector<int> out{0, 0};
    for (std::size_t sum = 1024; sum <= size; sum += 1024) {
        const int percent = static_cast<int>(sum * 90 / size);
        if (percent != out.back())
            out.push_back(percent);
    }
    out.push_back(100);
    return out;
}

// The local billing centre with a logged-in session and an upload file of the wanted size.
class Upload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_centre.start());
        m_centre.addAccount({"demo", "geheim", {{"123456", "Cabinet"}}, {}, false, false});
        bv::InternetRequest login;
        login.address = m_centre.url("/login");
        login.formBody = "benutzer=demo&passwort=geheim";
        bv::runFormPost(login);
        const std::size_t at = login.reply.find("SESSIONID: ");
        ASSERT_NE(at, std::string::npos) << login.reply;
        m_session = login.reply.substr(at + 11, login.reply.find("\r\n", at) - at - 11);
    }

    std::string uploadUrl() const
    {
        return m_centre.url("/upload?vertnr=123456&ean_party=7601000000001&stpnr=3&typ=CA&session-id=" + m_session +
                            "&nichtbuchen=0");
    }

    void prepare(SendRequestBlock& block, const std::string& body, const std::string& url = {})
    {
        block.url = url.empty() ? uploadUrl() : url;
        block.uploadFile = m_dir.write("rechnungen.zip", body).string();
        block.agent = Agent;
    }

    bv::TempDir m_dir{"bv-upload-"};
    BillingCentre m_centre;
    std::string m_session;
};

class UploadSize : public Upload, public ::testing::WithParamInterface<std::size_t>
{
};

TEST_P(UploadSize, ArrivesByteForByteInOneHttp10PostWithItsLength)
{
    const std::size_t size = GetParam();
    const std::string body = pattern(size);
    SendRequestBlock block;
    prepare(block, body);
    Recorder recorder;
    EXPECT_EQ(bv::UploadThread(block, &recorder, quick()), 0);

    EXPECT_EQ(block.errorCode, 0) << block.errorText;
    EXPECT_EQ(block.errorText, "");
    EXPECT_EQ(block.httpStatus, 200);
    EXPECT_EQ(block.replyBody, "BV_SENDOK: NOMSG\r\nBV_NEXTURL: " + m_centre.url("/app/next") + "\r\n");
    EXPECT_THAT(block.replyHeaders, ::testing::StartsWith("HTTP/1."));
    EXPECT_THAT(block.replyHeaders, ::testing::EndsWith("\r\n\r\n"));
    EXPECT_EQ(recorder.progress(), expectedProgress(size));

    const auto received = m_centre.requests("/upload");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, "POST");
    EXPECT_EQ(received[0].httpVersion, "HTTP/1.0");
    EXPECT_TRUE(received[0].bodyComplete);
    EXPECT_TRUE(received[0].body == body) << "received " << received[0].body.size() << " of " << size << " bytes";
    const auto header = [&](const char* name) {
        const auto it = received[0].headers.find(name);
        return it == received[0].headers.end() ? std::string("<none>") : it->second;
    };
    EXPECT_EQ(header("Content-Length"), std::to_string(size));
    EXPECT_EQ(header("Transfer-Encoding"), "<none>");
    EXPECT_EQ(header("Expect"), "<none>");
    EXPECT_EQ(header("User-Agent"), Agent);
    EXPECT_EQ(header("Accept"), "*/*");
}

// One block without remainder, one byte of remainder, no full block, an empty file, many blocks.
INSTANTIATE_TEST_SUITE_P(Sizes, UploadSize, ::testing::Values(1024u, 1025u, 1000u, 0u, 3 * 1024u + 100u, 300000u));

TEST_F(Upload, ReportsInOrderWithTheSystemTexts)
{
    SendRequestBlock block;
    prepare(block, pattern(5000));
    Recorder recorder;
    bv::UploadThread(block, &recorder, quick());
    EXPECT_THAT(recorder.notices(),
                ::testing::ElementsAre(text::Preparing, text::Connecting, "opened", text::Transmitting,
                                       text::BeingChecked, text::Transmitted, text::Done, "finished"));
    EXPECT_EQ(recorder.events().front(), "progress 0");
    EXPECT_TRUE(block.done.isSet());
    EXPECT_TRUE(block.cancelled.isSet());
}

TEST_F(Upload, RunsOnItsOwnThreadThroughTheStarter)
{
    SendRequestBlock block;
    prepare(block, pattern(70000));
    Recorder recorder;
    bv::CurlUploadStarter starter(quick());
    auto handle = starter.start(block, &recorder);
    ASSERT_TRUE(block.done.wait(10s));
    handle.reset(); // waits for the thread
    EXPECT_EQ(block.errorCode, 0) << block.errorText;
    EXPECT_EQ(recorder.events().back(), "finished");
    EXPECT_EQ(m_centre.requests("/upload").at(0).bodyLength, 70000u);
}

class UploadHttpError : public Upload, public ::testing::WithParamInterface<int>
{
};

TEST_P(UploadHttpError, IsReportedWithTheStatusAndKeepsTheReply)
{
    m_centre.script("/upload", {GetParam(), "panne du serveur"});
    SendRequestBlock block;
    prepare(block, pattern(2048));
    Recorder recorder;
    bv::UploadThread(block, &recorder, quick());
    EXPECT_EQ(block.errorCode, -3);
    EXPECT_EQ(block.errorText, "L'erreur http " + std::to_string(GetParam()) + " est apparue ! ");
    EXPECT_EQ(block.httpStatus, GetParam());
    EXPECT_EQ(block.replyBody, "panne du serveur");
    EXPECT_THAT(recorder.notices(), ::testing::Contains(text::Transmitted));
}

INSTANTIATE_TEST_SUITE_P(Statuses, UploadHttpError, ::testing::Values(404, 500, 302));

// When a cancel request comes, and what the upload then does.
struct CancelCase
{
    const char* name;
    std::size_t size;
    int cancelAtProgress;       // set the cancel event when this progress is reported (-1: not)
    const char* cancelAtStatus; // or when this status is reported
    bool cancelBeforeStart;
    int expectedCode;
};

class UploadCancel : public Upload, public ::testing::WithParamInterface<CancelCase>
{
};

TEST_P(UploadCancel, IsHonouredOnlyBeforeTheRemainder)
{
    const CancelCase& c = GetParam();
    SendRequestBlock block;
    prepare(block, pattern(c.size));
    Recorder recorder;
    bool bodyStarted = false;
    recorder.onProgress = [&](int percent) {
        if (bodyStarted && percent == c.cancelAtProgress)
            block.cancel.set();
    };
    recorder.onStatus = [&](const std::string& status) {
        bodyStarted = bodyStarted || status == text::Transmitting;
        if (c.cancelAtStatus && status == c.cancelAtStatus)
            block.cancel.set();
    };
    if (c.cancelBeforeStart)
        block.cancel.set();
    bv::UploadThread(block, &recorder, quick());

    EXPECT_EQ(block.errorCode, c.expectedCode) << block.errorText;
    EXPECT_TRUE(block.cancelled.isSet());
    EXPECT_TRUE(block.done.isSet());
    if (c.expectedCode == -1) {
        EXPECT_EQ(block.errorText, text::Abandoned);
        EXPECT_FALSE(block.cancel.isSet()) << "the request is taken";
        EXPECT_EQ(recorder.progress().back(), c.cancelAtProgress) << "no block after the one that saw the request";
        EXPECT_THAT(recorder.notices(),
                    ::testing::ElementsAre(text::Preparing, text::Connecting, "opened", text::Transmitting,
                                           text::Interrupted, text::Done, "finished"));
        // The billing centre never sees a complete request.
        ASSERT_TRUE(m_centre.waitForRequests("/upload", 1, 5s));
        EXPECT_FALSE(m_centre.requests("/upload")[0].bodyComplete);
    } else {
        EXPECT_TRUE(m_centre.requests("/upload").at(0).bodyComplete);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Moments, UploadCancel,
    ::testing::Values(CancelCase{"DuringTheBody", 200000, 30, nullptr, false, -1},
                      CancelCase{"AfterTheLastFullBlock", 3 * 1024 + 100, 87, nullptr, false, -1},
                      CancelCase{"AfterTheOnlyBlockWithoutRemainder", 1024, 90, nullptr, false, -1},
                      CancelCase{"AfterTheRemainder", 3 * 1024 + 100, -1, text::BeingChecked, false, 0},
                      CancelCase{"FileWithoutAFullBlock", 1000, -1, nullptr, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A peer that reads the request head and part of the body, then drops the connection with a reset,
// or answers at once, or stops reading until the client gives up.
class BodyPeer
{
public:
    enum class Then
    {
        Reset,
        Answer200,
        Silence
    };

    BodyPeer(std::size_t bodyBytes, Then then) : m_bodyBytes(bodyBytes), m_then(then)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(m_listener, 1) != 0)
            throw std::runtime_error("listen");
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~BodyPeer()
    {
        m_stopping = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/upload"; }

private:
    void serve()
    {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        std::string data;
        char buffer[4096];
        std::size_t head = std::string::npos;
        while (head == std::string::npos || data.size() < head + 4 + m_bodyBytes) {
            const std::size_t want = head == std::string::npos
                                         ? sizeof buffer
                                         : std::min(sizeof buffer, head + 4 + m_bodyBytes - data.size());
            const ssize_t n = ::recv(fd, buffer, want, 0);
            if (n <= 0)
                break;
            data.append(buffer, static_cast<std::size_t>(n));
            head = data.find("\r\n\r\n");
        }
        if (m_then == Then::Reset) {
            const linger hard{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        } else {
            if (m_then == Then::Answer200)
                RawHttpServer::sendAll(fd, RawHttpServer::response(200, "BV_SENDOK: NOMSG\r\n"));
            // A client that gives up with unsent data cannot signal it: its end of file waits behind
            // the data. So the peer also ends when the test is over.
            pollfd pfd{fd, POLLRDHUP, 0};
            while (!m_stopping && ::poll(&pfd, 1, 50) == 0) {
            }
        }
        ::close(fd);
    }

    std::size_t m_bodyBytes;
    Then m_then;
    std::atomic<bool> m_stopping{false};
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

TEST_F(Upload, ConnectionLostInTheMiddleOfTheBody)
{
    BodyPeer peer(10000, BodyPeer::Then::Reset);
    SendRequestBlock block;
    prepare(block, pattern(4 << 20), peer.url());
    Recorder recorder;
    bv::UploadThread(block, &recorder, quick());
    EXPECT_THAT(block.errorCode, ::testing::AnyOf(bv::wininet::ConnectionReset, bv::wininet::ConnectionAborted));
    EXPECT_EQ(block.errorText, bv::wininet::errorText(block.errorCode));
    EXPECT_EQ(block.httpStatus, 0);
    EXPECT_THAT(recorder.notices(), ::testing::Contains(text::TransmissionError));
    EXPECT_THAT(recorder.notices(), ::testing::Not(::testing::Contains(text::Transmitted)));
    EXPECT_TRUE(block.cancelled.isSet()) << "a canceller waiting for the acknowledgement is released";
}

TEST_F(Upload, ConfirmationBeforeTheWholeBodyIsNoTransmission)
{
    BodyPeer peer(20000, BodyPeer::Then::Answer200);
    SendRequestBlock block;
    prepare(block, pattern(8 << 20), peer.url());
    Recorder recorder;
    bv::UploadThread(block, &recorder, quick());
    EXPECT_EQ(block.errorCode, bv::wininet::ConnectionAborted) << block.errorText;
    EXPECT_EQ(block.httpStatus, 0);
    EXPECT_THAT(recorder.notices(), ::testing::Contains(text::TransmissionError));
}

TEST_F(Upload, CancelIsTakenWhileTheServerDoesNotRead)
{
    BodyPeer peer(1000, BodyPeer::Then::Silence);
    SendRequestBlock block;
    prepare(block, pattern(64 << 20), peer.url());
    Recorder recorder;
    bv::UploadSettings settings = quick();
    settings.idleTimeout = 60s;
    std::thread canceller([&] {
        // Once the socket is full the progress stands still; then ask to stop.
        std::vector<int> seen;
        do {
            seen = recorder.progress();
            std::this_thread::sleep_for(200ms);
        } while (seen != recorder.progress() || seen.size() < 3);
        block.cancel.set();
    });
    const auto start = std::chrono::steady_clock::now();
    bv::UploadThread(block, &recorder, settings);
    canceller.join();
    EXPECT_EQ(block.errorCode, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s) << "not ended by a time-out";
    EXPECT_THAT(recorder.notices(), ::testing::Contains(text::Interrupted));
}

TEST_F(Upload, SilentServerEndsWithTheTimeOut)
{
    BodyPeer peer(2048, BodyPeer::Then::Silence);
    SendRequestBlock block;
    prepare(block, pattern(2048), peer.url());
    Recorder recorder;
    bv::UploadSettings settings = quick();
    settings.idleTimeout = 300ms;
    bv::UploadThread(block, &recorder, settings);
    EXPECT_EQ(block.errorCode, bv::wininet::Timeout);
    EXPECT_EQ(block.errorText, "Das Zeitlimit für den Vorgang wurde überschritten.");
    EXPECT_THAT(recorder.notices(), ::testing::Contains(text::TransmissionError));
}

// Failures before or while connecting: the error, its text, and whether the body had begun.
struct EarlyFailure
{
    const char* name;
    std::function<void(SendRequestBlock&, const bv::TempDir&)> prepare;
    int code;
    const char* errorText; // nullptr: the library's text for the code
    bool transmissionError;
};

class UploadEarlyFailure : public ::testing::TestWithParam<EarlyFailure>
{
};

TEST_P(UploadEarlyFailure, IsReportedWithoutAnyRequest)
{
    const EarlyFailure& f = GetParam();
    bv::TempDir dir("bv-upload-");
    SendRequestBlock block;
    block.agent = Agent;
    block.url = "http://127.0.0.1:" + std::to_string(bv::test::closedPort()) + "/upload";
    block.uploadFile = dir.write("f.zip", "data").string();
    f.prepare(block, dir);
    Recorder recorder;
    bv::UploadThread(block, &recorder, quick());
    EXPECT_EQ(block.errorCode, f.code);
    EXPECT_EQ(block.errorText, f.errorText ? std::string(f.errorText) : bv::wininet::errorText(f.code));
    EXPECT_EQ(block.httpStatus, 0);
    const auto events = recorder.events();
    EXPECT_EQ(std::count(events.begin(), events.end(), text::TransmissionError), f.transmissionError ? 1 : 0);
    EXPECT_EQ(recorder.notices().back(), "finished");
    EXPECT_TRUE(block.cancelled.isSet());
    EXPECT_TRUE(block.done.isSet());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UploadEarlyFailure,
    ::testing::Values(
        EarlyFailure{"MissingFile", [](auto& b, auto& d) { b.uploadFile = d.file("absent.zip").string(); }, 2,
                     "L'erreur 2 est apparue ! ", false},
        EarlyFailure{"DirectoryAsFile", [](auto& b, auto& d) { b.uploadFile = d.path().string(); }, 5,
                     "L'erreur 5 est apparue ! ", false},
        EarlyFailure{"SchemeNotHttp", [](auto& b, auto&) { b.url = "ftp://127.0.0.1/upload"; }, 12006, nullptr, false},
        EarlyFailure{"NoHost", [](auto& b, auto&) { b.url = "http://"; }, 12005, nullptr, false},
        EarlyFailure{"NobodyListens", [](auto&, auto&) {}, 12029, nullptr, true}),
    [](const auto& info) { return std::string(info.param.name); });

// HTTPS with the test authority named in BVALS_CA_FILE: certificate dates are ignored, the host name
// is not.
struct TlsCase
{
    const char* name;
    int certificate; // 0 valid, 1 expired, 2 for another host
    int code;
};

class UploadTls : public ::testing::TestWithParam<TlsCase>
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<bv::TempDir>("bv-upload-tls-");
        s_certs = bv::testing::makeTestCertificates(s_dir->path());
    }
    static void TearDownTestSuite() { s_dir.reset(); }
    void TearDown() override { ::unsetenv("BVALS_CA_FILE"); }

    static std::unique_ptr<bv::TempDir> s_dir;
    static bv::testing::TestCertificates s_certs;
};

std::unique_ptr<bv::TempDir> UploadTls::s_dir;
bv::testing::TestCertificates UploadTls::s_certs;

TEST_P(UploadTls, CertificateRules)
{
    const TlsCase& c = GetParam();
    BillingCentre::Options options;
    options.certFile = std::array{s_certs.certFile, s_certs.expiredCertFile, s_certs.wrongHostCertFile}[c.certificate];
    options.keyFile = std::array{s_certs.keyFile, s_certs.expiredKeyFile, s_certs.wrongHostKeyFile}[c.certificate];
    BillingCentre centre(options);
    ASSERT_TRUE(centre.start());
    ::setenv("BVALS_CA_FILE", s_certs.caFile.c_str(), 1);
    const std::string body = pattern(5000);
    SendRequestBlock block;
    block.url = centre.url("/upload?vertnr=1&ean_party=-1&stpnr=1&typ=CZ&session-id=x&nichtbuchen=0");
    block.uploadFile = s_dir->write("f.chz", body).string();
    Recorder recorder;
    bv::UploadThread(block, &recorder, quick());
    EXPECT_EQ(block.errorCode, c.code) << block.errorText;
    if (c.code == 0) {
        ASSERT_EQ(centre.requests("/upload").size(), 1u);
        EXPECT_TRUE(centre.requests("/upload")[0].body == body);
        EXPECT_EQ(block.replyBody, "BV_SESSIONEND\r\n");
    } else {
        EXPECT_EQ(block.errorText, bv::wininet::errorText(c.code));
        EXPECT_THAT(recorder.notices(), ::testing::Contains(text::TransmissionError));
        EXPECT_TRUE(centre.requests("/upload").empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Certificates, UploadTls,
                         ::testing::Values(TlsCase{"Valid", 0, 0}, TlsCase{"Expired", 1, 0},
                                           TlsCase{"AnotherHost", 2, bv::wininet::CertCommonNameInvalid}),
                         [](const auto& info) { return std::string(info.param.name); });

// Replies byte for byte: the raw headers as the system gives them, and replies it cannot use.
TEST(UploadReply, HeadersAreKeptRawWithCrLfAndTheRequestCarriesNoFormType)
{
    RawHttpServer server([](int socket, const bv::test::RawRequest&) {
        RawHttpServer::sendAll(socket, "HTTP/1.0 200 OK\nX-Stapel: 3\nContent-Length: 4\n\nBV_S");
    });
    bv::TempDir dir("bv-upload-");
    SendRequestBlock block;
    block.url = server.url("/upload?a=1&b=2");
    block.uploadFile = dir.write("f.zip", "abc").string();
    block.agent = Agent;
    bv::UploadThread(block, nullptr, quick());
    EXPECT_EQ(block.errorCode, 0) << block.errorText;
    EXPECT_EQ(block.replyHeaders, "HTTP/1.0 200 OK\r\nX-Stapel: 3\r\nContent-Length: 4\r\n\r\n");
    EXPECT_EQ(block.replyBody, "BV_S");
    const auto request = server.requests().at(0);
    EXPECT_EQ(request.requestLine(), "POST /upload?a=1&b=2 HTTP/1.0");
    std::string value;
    EXPECT_FALSE(request.header("Content-Type", value)) << request.head;
    EXPECT_FALSE(request.header("Expect", value)) << request.head;
    EXPECT_EQ(request.body, "abc");
}

struct BadReply
{
    const char* name;
    std::string bytes;
    int code;
};

// A server that sends its headers and then the body a byte at a time: every byte restarts the idle
// limit, but the whole reply must have arrived within its own limit after the body, else nothing
// counts as sent.
TEST(UploadReply, TrickledReplyEndsWithTheTimeOutAtItsLimit)
{
    const std::string body = "BV_SENDOK: NOMSG\r\n" + std::string(60, ' ');
    RawHttpServer server([&body](int socket, const bv::test::RawRequest&) {
        const std::string reply = RawHttpServer::response(200, body);
        RawHttpServer::sendAll(socket, reply.substr(0, reply.size() - body.size()));
        for (const char c : body) {
            if (::send(socket, &c, 1, MSG_NOSIGNAL) != 1)
                return;
            std::this_thread::sleep_for(50ms);
        }
    });
    bv::TempDir dir("bv-upload-");
    SendRequestBlock block;
    block.url = server.url("/upload");
    block.uploadFile = dir.write("f.zip", pattern(3000)).string();
    Recorder recorder;
    bv::UploadSettings settings = quick();
    settings.idleTimeout = 300ms;
    settings.replyTimeout = 800ms;
    const auto start = std::chrono::steady_clock::now();
    bv::UploadThread(block, &recorder, settings);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
    EXPECT_EQ(block.errorCode, bv::wininet::Timeout);
    EXPECT_EQ(block.errorText, "Das Zeitlimit für den Vorgang wurde überschritten.");
    EXPECT_EQ(block.httpStatus, 0);
}

TEST(UploadReply, LimitComesFromTheProfileInSeconds)
{
    const std::pair<const char*, std::chrono::milliseconds> rows[] = {
        {nullptr, 300s}, {"120", 120s}, {"0", 300s}, {"-5", 300s}, {"abc", 300s},
    };
    for (const auto& [value, limit] : rows) {
        bv::test::MemoryProfileStore store;
        if (value)
            store.values["Abrechnungsversand/ReplyTimeout"] = value;
        EXPECT_EQ(bv::configuredReplyTimeout(store), limit) << (value ? value : "missing");
    }
}

class UploadBadReply : public ::testing::TestWithParam<BadReply>
{
};

TEST_P(UploadBadReply, EndsInTheLibrarysError)
{
    const std::string bytes = GetParam().bytes;
    RawHttpServer server([bytes](int socket, const bv::test::RawRequest&) { RawHttpServer::sendAll(socket, bytes); });
    bv::TempDir dir("bv-upload-");
    SendRequestBlock block;
    block.url = server.url("/upload");
    block.uploadFile = dir.write("f.zip", pattern(3000)).string();
    bv::UploadSettings settings = quick();
    settings.maxReplyBytes = 1000;
    bv::UploadThread(block, nullptr, settings);
    EXPECT_EQ(block.errorCode, GetParam().code);
    EXPECT_EQ(block.errorText, bv::wininet::errorText(GetParam().code));
    EXPECT_EQ(block.httpStatus, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UploadBadReply,
    ::testing::Values(BadReply{"Nothing", "", bv::wininet::InvalidServerResponse},
                      BadReply{"NoStatusLine", "garbage\r\n\r\n", bv::wininet::InvalidServerResponse},
                      BadReply{"BodyCutShort", RawHttpServer::response(200, "BV_SENDOK").substr(0, 70),
                               bv::wininet::ConnectionAborted},
                      BadReply{"BodyBeyondTheLimit", RawHttpServer::response(200, std::string(5000, 'x')),
                               bv::wininet::InvalidServerResponse}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
