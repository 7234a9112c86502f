// Scripted replies: the misbehaving servers the client has to survive, over real sockets.
#include "bvcentre/BillingCentre.h"

#include "RawHttp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using namespace bv::testing;
using namespace std::chrono_literals;
using ::testing::StartsWith;

namespace {

const std::string kUpload = "/upload?vertnr=1&ean_party=-1&stpnr=1&typ=CZ&session-id=x&nichtbuchen=0";

ScriptedReply answer(const std::string& body, int times)
{
    ScriptedReply reply;
    reply.body = body;
    reply.times = times;
    return reply;
}

class ScriptTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_centre.start()); }

    template <typename F> static std::chrono::milliseconds timed(F&& work)
    {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    }

    BillingCentre m_centre;
};

TEST_F(ScriptTest, ErrorStatusWithBodyThenNormalAnswerAgain)
{
    ScriptedReply error;
    error.status = 500;
    error.body = "Erreur interne du serveur";
    error.times = 1;
    m_centre.script("/alive", error);

    const RawReply first = rawPost(m_centre.port(), "/alive", "CurrentSessionId=x");
    EXPECT_EQ(first.status, 500);
    EXPECT_EQ(first.body, "Erreur interne du serveur");
    EXPECT_EQ(first.headers.at("content-type"), "text/plain; charset=iso-8859-1");
    const RawReply second = rawPost(m_centre.port(), "/alive", "CurrentSessionId=x");
    EXPECT_EQ(second.status, 200);
    EXPECT_EQ(second.body, "0");
    EXPECT_EQ(m_centre.requests("/alive").size(), 2u) << "scripted answers are recorded too";
}

TEST_F(ScriptTest, ScriptsAnswerInOrderForTheirCountsAndOnlyTheirPath)
{
    m_centre.script("/login", answer("LOGINNOTOK: un", 2));
    m_centre.script("/login", answer("BV_LOCKED: deux", 1));
    m_centre.script("/login", answer("never", 0));
    std::vector<std::string> bodies;
    for (int i = 0; i < 4; ++i) {
        bodies.push_back(rawPost(m_centre.port(), "/login", "benutzer=a&passwort=b").body);
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"LOGINNOTOK: un", "LOGINNOTOK: un", "BV_LOCKED: deux",
                                                "LOGINNOTOK: Nom d'utilisateur ou mot de passe incorrect.\\n"
                                                "Veuillez vérifier vos données et réessayer.\r\n"}));
    EXPECT_EQ(rawPost(m_centre.port(), "/backup", "").body, "BV_DONOTHING\r\n");

    m_centre.script("/backup", answer("toujours", -1));
    EXPECT_EQ(rawPost(m_centre.port(), "/backup", "").body, "toujours");
    EXPECT_EQ(rawPost(m_centre.port(), "/backup", "").body, "toujours");
    m_centre.clearScripts();
    EXPECT_EQ(rawPost(m_centre.port(), "/backup", "").body, "BV_DONOTHING\r\n");
}

TEST_F(ScriptTest, SlowRepliesTakeTheirTimeButArriveWhole)
{
    ScriptedReply slowStart;
    slowStart.body = "BV_DONOTHING";
    slowStart.delayBeforeHeaders = 300ms;
    slowStart.times = 1;
    m_centre.script("/backup", slowStart);
    RawReply reply;
    EXPECT_GE(timed([&] { reply = rawPost(m_centre.port(), "/backup", ""); }), 300ms);
    EXPECT_EQ(reply.body, "BV_DONOTHING");
    EXPECT_TRUE(m_centre.waitForRequests("/backup", 1, 0ms)) << "recorded before the delay";

    ScriptedReply slowBody;
    slowBody.body = std::string(3 * 1024 + 10, 'b');
    slowBody.delayPerChunk = 100ms;
    slowBody.times = 1;
    m_centre.script("/backup", slowBody);
    EXPECT_GE(timed([&] { reply = rawPost(m_centre.port(), "/backup", ""); }), 300ms) << "four pieces, three waits";
    EXPECT_EQ(reply.body, slowBody.body);
    EXPECT_EQ(reply.contentLength, static_cast<long long>(slowBody.body.size()));

    slowBody.body.clear();
    m_centre.script("/backup", slowBody);
    reply = rawPost(m_centre.port(), "/backup", "");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentLength, 0) << "an empty slow body is still a complete answer";
}

TEST_F(ScriptTest, BrokenReplyPromisesMoreThanItSends)
{
    const struct
    {
        std::size_t bodySize, cut;
    } rows[] = {{5000, 1500}, {5000, 0}, {100, 300}};
    for (const auto& row : rows) {
        ScriptedReply broken;
        broken.body = std::string(row.bodySize, 'x');
        broken.closeAfterBytes = row.cut;
        broken.times = 1;
        m_centre.script(kUpload.substr(0, 7), broken);
        const RawReply reply = rawRequest(m_centre.port(), "POST", kUpload, "file", "");
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.body.size(), row.cut);
        EXPECT_GT(reply.contentLength, static_cast<long long>(row.cut));
    }
}

TEST_F(ScriptTest, ConnectionClosedWithoutAnyReply)
{
    ScriptedReply drop;
    drop.closeWithoutReply = true;
    drop.times = 1;
    m_centre.script("/login", drop);
    const RawReply reply = rawPost(m_centre.port(), "/login", "benutzer=a&passwort=b");
    EXPECT_TRUE(reply.connected);
    EXPECT_EQ(reply.raw, "");
    EXPECT_EQ(m_centre.requests("/login").size(), 1u);
}

TEST_F(ScriptTest, GarbageIsSentAsItIs)
{
    std::string garbage(10 * 1024 * 1024, 'A');
    for (std::size_t i = 0; i < garbage.size(); i += 997) {
        garbage[i] = static_cast<char>(i % 7 == 0 ? '\0' : (i % 5 == 0 ? '\n' : '\xff'));
    }
    ScriptedReply raw;
    raw.rawResponse = garbage;
    raw.times = 1;
    m_centre.script("/login", raw);
    const RawReply notHttp = rawPost(m_centre.port(), "/login", "");
    EXPECT_EQ(notHttp.raw.size(), garbage.size());
    EXPECT_TRUE(notHttp.raw == garbage);
    EXPECT_EQ(notHttp.status, 0);

    ScriptedReply body;
    body.body = std::string("SESSIONID: \0abc\r\n", 17) + std::string(100000, 'L') + "\r\n";
    body.times = 1;
    m_centre.script("/login", body);
    EXPECT_TRUE(rawPost(m_centre.port(), "/login", "").body == body.body);
}

TEST_F(ScriptTest, StopDoesNotWaitForSlowScripts)
{
    ScriptedReply stuck;
    stuck.delayBeforeHeaders = 60s;
    m_centre.script("/alive", stuck);
    std::thread client([&] { rawPost(m_centre.port(), "/alive", "CurrentSessionId=x"); });
    ASSERT_TRUE(m_centre.waitForRequests("/alive", 1, 5s));
    EXPECT_LT(timed([&] { m_centre.stop(); }), 5s);
    client.join();
}

} // namespace
