#include "net/InternetRequest.h"

#include "RawHttpServer.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

using bv::InternetRequest;
using bv::test::RawHttpServer;
using bv::test::RawRequest;
using namespace std::chrono_literals;

namespace {

const char* const Agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";

InternetRequest postTo(const std::string& address, const std::string& body = "a=1")
{
    InternetRequest request;
    request.address = address;
    request.agent = Agent;
    request.formBody = body;
    request.idleTimeout = 5s;
    request.connectTimeout = 5s;
    bv::runFormPost(request);
    return request;
}

RawHttpServer::Handler answer(const std::string& bytes)
{
    return [bytes](int socket, const RawRequest&) { RawHttpServer::sendAll(socket, bytes); };
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(FormPost, SendsAnHttp10PostWithTheSystemHeadersAndCollectsTheReply)
{
    RawHttpServer server(answer(RawHttpServer::response(200, "SESSIONID: abc\r\n")));
    bv::QueueDispatcher dispatcher;
    bv::Event finished(bv::Event::Reset::Manual);
    bool completed = false;

    InternetRequest request;
    request.address = server.url("/login?lang=fr");
    request.agent = Agent;
    request.formBody = "benutzer=anna&passwort=x%26y";
    request.finishEvent = &finished;
    request.notifyWindow = &dispatcher;
    request.onCompleted = [&] { completed = true; };
    std::thread worker([&] { bv::runFormPost(request); });
    ASSERT_TRUE(dispatcher.runUntil([&] { return completed; }, 10s));
    worker.join();

    EXPECT_EQ(request.errorCode, 0);
    EXPECT_EQ(request.errorText, "");
    EXPECT_EQ(request.httpStatus, 200);
    EXPECT_EQ(request.reply, "SESSIONID: abc\r\n");
    EXPECT_TRUE(finished.isSet());

    const auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].requestLine(), "POST /login?lang=fr HTTP/1.0");
    EXPECT_NE(received[0].head.find("\r\nContent-Type:application/x-www-form-urlencoded\r\n"), std::string::npos)
        << received[0].head;
    std::string value;
    ASSERT_TRUE(received[0].header("User-Agent", value));
    EXPECT_EQ(value, Agent);
    ASSERT_TRUE(received[0].header("Accept", value));
    EXPECT_EQ(value, "*/*");
    ASSERT_TRUE(received[0].header("Content-Length", value));
    EXPECT_EQ(value, "28");
    EXPECT_FALSE(received[0].header("Authorization", value));
    EXPECT_EQ(received[0].body, "benutzer=anna&passwort=x%26y");
}

TEST(FormPost, EmptyBodyAndAddressWithoutPath)
{
    RawHttpServer server(answer(RawHttpServer::response(200, "1")));
    const InternetRequest request = postTo("http://127.0.0.1:" + std::to_string(server.port()), "");
    EXPECT_EQ(request.errorCode, 0);
    const auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].requestLine(), "POST / HTTP/1.0");
    std::string length;
    ASSERT_TRUE(received[0].header("Content-Length", length));
    EXPECT_EQ(length, "0");
}

TEST(FormPost, ServerCredentialsGoAsBasicAuthorization)
{
    RawHttpServer server(answer(RawHttpServer::response(200, "ok")));
    InternetRequest request;
    request.address = server.url("/");
    request.serverUser = "praxis";
    request.serverPassword = "geheim";
    bv::runFormPost(request);
    std::string value;
    ASSERT_TRUE(server.requests().at(0).header("Authorization", value));
    EXPECT_EQ(value, "Basic cHJheGlzOmdlaGVpbQ==");
}

TEST(FormPost, StatusOtherThan200KeepsTheBodyAndReportsTheStatus)
{
    RawHttpServer server(answer(RawHttpServer::response(500, "Interner Fehler")));
    const InternetRequest request = postTo(server.url("/login"));
    EXPECT_EQ(request.errorCode, InternetRequest::HttpStatusNotOk);
    EXPECT_EQ(request.errorText, "L'erreur http 500 est apparue ! ");
    EXPECT_EQ(request.httpStatus, 500);
    EXPECT_EQ(request.reply, "Interner Fehler");
}

TEST(FormPost, RedirectIsFollowed)
{
    RawHttpServer server([](int socket, const RawRequest& request) {
        if (request.requestLine().rfind("POST /old", 0) == 0)
            RawHttpServer::sendAll(socket, "HTTP/1.0 302 Found\r\nLocation: /new\r\nContent-Length: 0\r\n\r\n");
        else
            RawHttpServer::sendAll(socket, RawHttpServer::response(200, "moved"));
    });
    const InternetRequest request = postTo(server.url("/old"));
    EXPECT_EQ(request.errorCode, 0);
    EXPECT_EQ(request.reply, "moved");
}

TEST(FormPost, ConnectionRefused)
{
    const InternetRequest request = postTo("http://127.0.0.1:" + std::to_string(bv::test::closedPort()) + "/login");
    EXPECT_EQ(request.errorCode, 12029);
    EXPECT_EQ(request.errorText, "Es konnte keine Verbindung mit dem Server hergestellt werden.");
    EXPECT_EQ(request.httpStatus, 0);
}

TEST(FormPost, SilentServerEndsWithTimeout)
{
    RawHttpServer server([](int socket, const RawRequest&) { RawHttpServer::waitForPeerClose(socket, 10s); });
    InternetRequest request;
    request.address = server.url("/login");
    request.idleTimeout = 1s;
    const auto start = std::chrono::steady_clock::now();
    bv::runFormPost(request);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(request.errorCode, 12002);
    EXPECT_EQ(request.errorText, "Das Zeitlimit für den Vorgang wurde überschritten.");
    EXPECT_LT(elapsed, 4s);
}

TEST(FormPost, ServerThatStallsInTheMiddleOfTheBodyTimesOutKeepingWhatArrived)
{
    RawHttpServer server([](int socket, const RawRequest&) {
        RawHttpServer::sendAll(socket, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nSESSIONID: ab");
        RawHttpServer::waitForPeerClose(socket, 10s);
    });
    InternetRequest request;
    request.address = server.url("/login");
    request.idleTimeout = 1s;
    bv::runFormPost(request);
    EXPECT_EQ(request.errorCode, 12002);
    EXPECT_EQ(request.reply, "SESSIONID: ab");
}

TEST(FormPost, ConnectionClosedInTheMiddleOfTheReplyKeepsTheReceivedPart)
{
    RawHttpServer server(answer("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nSESSIONID: abc\r\nSTART"));
    const InternetRequest request = postTo(server.url("/login"));
    EXPECT_EQ(request.errorCode, 12030);
    EXPECT_EQ(request.errorText, "Die Verbindung mit dem Server wurde unerwartet beendet.");
    EXPECT_EQ(request.reply, "SESSIONID: abc\r\nSTART");
    EXPECT_EQ(request.httpStatus, 0);
}

TEST(FormPost, ConnectionResetIsReported)
{
    RawHttpServer server([](int socket, const RawRequest&) {
        RawHttpServer::sendAll(socket, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npartial");
        std::this_thread::sleep_for(100ms);
        const linger hard{1, 0}; // close with a reset instead of an orderly end
        ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    });
    const InternetRequest request = postTo(server.url("/login"));
    EXPECT_TRUE(request.errorCode == 12031 || request.errorCode == 12030) << request.errorCode;
    EXPECT_EQ(request.reply, "partial");
}

struct BadReplyRow
{
    const char* name;
    std::string bytes;
    int expectedCode;
};

class FormPostBadReply : public ::testing::TestWithParam<BadReplyRow>
{
};

TEST_P(FormPostBadReply, EndsInTheLibrarysOwnError)
{
    RawHttpServer server(answer(GetParam().bytes));
    const InternetRequest request = postTo(server.url("/login"));
    EXPECT_EQ(request.errorCode, GetParam().expectedCode);
    EXPECT_FALSE(request.errorText.empty());
    EXPECT_EQ(request.httpStatus, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, FormPostBadReply,
    ::testing::Values(BadReplyRow{"NoStatusLine", "SESSIONID: abc\nSTARTURL: x\n", 12152},
                      BadReplyRow{"ClosedWithoutAnyByte", "", 12152},
                      BadReplyRow{"GarbageStatusLine", std::string("HTTP/1.0 2\x00\xff\r\n\r\nx", 13), 12152},
                      BadReplyRow{"HeaderLineOf200KB",
                                  "HTTP/1.0 200 OK\r\nX-Long: " + std::string(200 * 1024, 'a') + "\r\n\r\nbody",
                                  12152}),
    [](const auto& info) { return info.param.name; });

TEST(FormPost, BodyWithNulBytesAndNoLineFeedArrivesByteForByte)
{
    const std::string body("SESSION\0ID\xff\xfe no line feed", 25);
    RawHttpServer server(answer(RawHttpServer::response(200, body)));
    const InternetRequest request = postTo(server.url("/"));
    EXPECT_EQ(request.errorCode, 0);
    EXPECT_EQ(request.reply, body);
}

TEST(FormPost, TenMegabytesOfGarbageWithoutContentLength)
{
    std::string garbage(10 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 251);
    RawHttpServer server(answer("HTTP/1.0 200 OK\r\n\r\n" + garbage));
    const InternetRequest request = postTo(server.url("/"));
    EXPECT_EQ(request.errorCode, 0);
    EXPECT_EQ(request.reply.size(), garbage.size());
    EXPECT_TRUE(request.reply == garbage);
}

TEST(FormPost, ReplyBeyondTheLimitIsRefused)
{
    RawHttpServer server(answer("HTTP/1.0 200 OK\r\n\r\n" + std::string(64 * 1024, 'x')));
    InternetRequest request;
    request.address = server.url("/");
    request.maxReplyBytes = 1000;
    bv::runFormPost(request);
    EXPECT_EQ(request.errorCode, 12152);
    EXPECT_LE(request.reply.size(), 1000u);
}

struct AddressRow
{
    const char* name;
    const char* address;
    int expectedCode;
};

class FormPostAddress : public ::testing::TestWithParam<AddressRow>
{
};

TEST_P(FormPostAddress, UnusableAddressIsReportedWithoutSending)
{
    const InternetRequest request = postTo(GetParam().address);
    EXPECT_EQ(request.errorCode, GetParam().expectedCode);
    EXPECT_FALSE(request.errorText.empty());
}

INSTANTIATE_TEST_SUITE_P(Addresses, FormPostAddress,
                         ::testing::Values(AddressRow{"OtherScheme", "ftp://127.0.0.1/login", 12006},
                                           AddressRow{"NoScheme", "login.example.ch/login", 12006},
                                           AddressRow{"Empty", "", 12006}, AddressRow{"NoHost", "http://", 12005},
                                           AddressRow{"BlankInHost", "http://exa mple.ch/login", 12005},
                                           AddressRow{"UnknownHost", "http://no-such-host.invalid/login", 12007}),
                         [](const auto& info) { return info.param.name; });

TEST(FormPost, ProxyIsUsedOnlyWhenAsked)
{
    RawHttpServer server(answer(RawHttpServer::response(200, "direct")));
    const std::string deadProxy = "http://127.0.0.1:" + std::to_string(bv::test::closedPort());
    ScopedEnv proxy("http_proxy", deadProxy.c_str());
    ScopedEnv noProxy("no_proxy", nullptr);
    ScopedEnv noProxyUpper("NO_PROXY", nullptr);

    InternetRequest direct;
    direct.address = server.url("/");
    bv::runFormPost(direct);
    EXPECT_EQ(direct.errorCode, 0);
    EXPECT_EQ(direct.reply, "direct");

    InternetRequest proxied;
    proxied.address = server.url("/");
    proxied.useProxy = true;
    bv::runFormPost(proxied);
    EXPECT_EQ(proxied.errorCode, 12029);
}

// Download variant.

std::string installerBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 253);
    return bytes;
}

TEST(Download, WritesTheFileAndReportsProgressUpTo100)
{
    const std::string installer = installerBytes(3 * 1024 * 1024 + 17);
    RawHttpServer server(answer(RawHttpServer::response(200, installer)));
    bv::TempDir dir;
    bv::QueueDispatcher dispatcher;
    bv::Event finished(bv::Event::Reset::Auto), cancel(bv::Event::Reset::Auto), stopped(bv::Event::Reset::Auto);
    std::vector<int> progress;
    bool completed = false;

    InternetRequest request;
    request.address = server.url("/download/bv_setup.exe");
    request.targetFile = dir.file("bv_setup.exe").string();
    request.progressWindow = &dispatcher;
    request.onProgress = [&](int percent) { progress.push_back(percent); };
    request.notifyWindow = &dispatcher;
    request.onCompleted = [&] { completed = true; };
    request.finishEvent = &finished;
    request.cancelEvent = &cancel;
    request.stoppedEvent = &stopped;
    std::thread worker([&] { bv::runDownload(request); });
    ASSERT_TRUE(dispatcher.runUntil([&] { return completed; }, 20s));
    worker.join();
    dispatcher.runPending();

    EXPECT_EQ(request.errorCode, 0);
    EXPECT_EQ(request.httpStatus, 200);
    EXPECT_TRUE(finished.isSet());
    EXPECT_FALSE(stopped.isSet());
    EXPECT_TRUE(readFile(request.targetFile) == installer);
    EXPECT_EQ(server.requests().at(0).requestLine(), "GET /download/bv_setup.exe HTTP/1.0");
    EXPECT_TRUE(request.reply.empty());
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST(Download, EmptyInstallerStillCreatesTheFile)
{
    RawHttpServer server(answer(RawHttpServer::response(200, "")));
    bv::TempDir dir;
    InternetRequest request;
    request.address = server.url("/x");
    request.targetFile = dir.file("bv_setup.exe").string();
    bv::runDownload(request);
    EXPECT_EQ(request.errorCode, 0);
    EXPECT_TRUE(std::filesystem::exists(request.targetFile));
    EXPECT_EQ(std::filesystem::file_size(request.targetFile), 0u);
}

TEST(Download, CancelStopsTheTransferAndSetsTheStoppedEvent)
{
    RawHttpServer server([](int socket, const RawRequest&) {
        RawHttpServer::sendAll(socket, "HTTP/1.0 200 OK\r\nContent-Length: 100000000\r\n\r\n" + std::string(4096, 'x'));
        RawHttpServer::waitForPeerClose(socket, 20s);
    });
    bv::TempDir dir;
    bv::QueueDispatcher dispatcher;
    bv::Event finished(bv::Event::Reset::Auto), cancel(bv::Event::Reset::Auto), stopped(bv::Event::Reset::Auto);
    bool completed = false;
    bool sawData = false;

    InternetRequest request;
    request.address = server.url("/download/bv_setup.exe");
    request.targetFile = dir.file("bv_setup.exe").string();
    request.progressWindow = &dispatcher;
    request.onProgress = [&](int) { sawData = true; };
    request.notifyWindow = &dispatcher;
    request.onCompleted = [&] { completed = true; };
    request.finishEvent = &finished;
    request.cancelEvent = &cancel;
    request.stoppedEvent = &stopped;
    std::thread worker([&] { bv::runDownload(request); });
    ASSERT_TRUE(dispatcher.runUntil([&] { return sawData; }, 10s));
    cancel.set();
    EXPECT_TRUE(stopped.wait(5s));
    worker.join();
    dispatcher.runPending();

    EXPECT_FALSE(cancel.isSet());
    EXPECT_FALSE(finished.isSet());
    EXPECT_FALSE(completed);
}

struct DownloadFailureRow
{
    const char* name;
    std::string reply;
    int expectedCode;
    const char* expectedText;
};

class DownloadFailure : public ::testing::TestWithParam<DownloadFailureRow>
{
};

TEST_P(DownloadFailure, IsReportedInTheRecord)
{
    RawHttpServer server(answer(GetParam().reply));
    bv::TempDir dir;
    InternetRequest request;
    request.address = server.url("/download/bv_setup.exe");
    request.targetFile = dir.file("bv_setup.exe").string();
    bv::runDownload(request);
    EXPECT_EQ(request.errorCode, GetParam().expectedCode);
    EXPECT_EQ(request.errorText, GetParam().expectedText);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DownloadFailure,
    ::testing::Values(DownloadFailureRow{"NotFound", RawHttpServer::response(404, "nicht gefunden"), -3,
                                         "L'erreur http 404 est apparue ! "},
                      DownloadFailureRow{"NoContentLength", "HTTP/1.0 200 OK\r\n\r\ninstaller bytes", 12150,
                                         "Der angeforderte Header wurde nicht gefunden."},
                      DownloadFailureRow{"ClosedEarly", "HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\nMZ", 12030,
                                         "Die Verbindung mit dem Server wurde unerwartet beendet."}),
    [](const auto& info) { return info.param.name; });

TEST(Download, TargetFileThatCannotBeCreated)
{
    RawHttpServer server(answer(RawHttpServer::response(200, "MZ")));
    bv::TempDir dir;
    InternetRequest request;
    request.address = server.url("/x");
    request.targetFile = dir.file("missing/bv_setup.exe").string();
    bv::runDownload(request);
    EXPECT_EQ(request.errorCode, 3);
    EXPECT_EQ(request.errorText, "L'erreur 3 est apparue ! ");
}
