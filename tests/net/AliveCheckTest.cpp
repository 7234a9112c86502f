#include "net/AliveCheck.h"
#include "net/SessionRecord.h"

#include <gtest/gtest.h>

namespace {

struct AliveRow
{
    const char* name;
    int errorCode;
    std::string errorText;
    std::string reply;
    bool alive;
    std::string message;
};

class AliveCheck : public ::testing::TestWithParam<AliveRow>
{
};

TEST_P(AliveCheck, AnswersByTheReply)
{
    bv::SessionRecord session;
    session.sessionId = "s e&1";
    bv::InternetRequest sent;
    const auto routine = [&](bv::InternetRequest& request) {
        sent = request;
        request.errorCode = GetParam().errorCode;
        request.errorText = GetParam().errorText;
        request.reply = GetParam().reply;
    };
    std::string message = "old";
    EXPECT_EQ(bv::checkSessionAlive(session, "http://c/alive", "agent", true, message, routine), GetParam().alive);
    EXPECT_EQ(message, GetParam().message);
    EXPECT_EQ(sent.address, "http://c/alive");
    EXPECT_EQ(sent.formBody, "CurrentSessionId=s e&1");
    EXPECT_EQ(sent.agent, "agent");
    EXPECT_TRUE(sent.useProxy);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, AliveCheck,
    ::testing::Values(AliveRow{"Alive", 0, "", "1", true, ""},
                      AliveRow{"Expired", 0, "", "0", false, "Ihre Sitzung ist wegen Zeitüberschreitung abgelaufen!"},
                      AliveRow{"OneWithLineFeed", 0, "", "1\r\n", false,
                               "Ihre Sitzung ist wegen Zeitüberschreitung abgelaufen!"},
                      AliveRow{"RequestError", 12029, "Es konnte keine Verbindung mit dem Server hergestellt werden.",
                               "", false, "Es konnte keine Verbindung mit dem Server hergestellt werden."},
                      AliveRow{"ErrorWithoutText", 12345, "", "", false, "L'erreur 12345 est apparue !"}),
    [](const auto& info) { return info.param.name; });

TEST(AliveCheckWithoutSession, SendsNothing)
{
    bv::SessionRecord session;
    bool sent = false;
    std::string message;
    EXPECT_FALSE(bv::checkSessionAlive(session, "http://c/alive", "agent", false, message,
                                       [&](bv::InternetRequest&) { sent = true; }));
    EXPECT_FALSE(sent);
    EXPECT_EQ(message, "Es keine gültige Sitzung vorhanden!");
}

} // namespace
