#include "billing/SendReply.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

struct ReplyRow
{
    const char* name;
    std::string reply;
    std::string sendOk;
    std::string nextUrl;
    bool sessionEnd;
};

class SendReplyTest : public ::testing::TestWithParam<ReplyRow>
{
};

TEST_P(SendReplyTest, ReadsTheKeywords)
{
    const ReplyRow& row = GetParam();
    EXPECT_EQ(ReplySendOk(row.reply), row.sendOk);
    EXPECT_EQ(ReplyNextUrl(row.reply), row.nextUrl);
    EXPECT_EQ(ReplySessionEnd(row.reply), row.sessionEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SendReplyTest,
    ::testing::Values(
        ReplyRow{"SilentConfirmation", "BV_SENDOK: NOMSG", "NOMSG", "", false},
        ReplyRow{"ConfirmationWithMessage", "BV_SENDOK: Merci", "Merci", "", false},
        // The billing centre answers in keyword lines: the message ends with its line.
        ReplyRow{"ConfirmationAndNextPage", "BV_SENDOK: NOMSG\r\nBV_NEXTURL: http://c/app/next\r\n", "NOMSG",
                 "http://c/app/next", false},
        ReplyRow{"NextPageFirst", "BV_NEXTURL: http://c/next\nBV_SENDOK: Merci beaucoup\n", "Merci beaucoup",
                 "http://c/next", false},
        // The two characters after a keyword are skipped whatever they are.
        ReplyRow{"LineEndAsSeparator", "BV_SENDOK\r\nMerci\r\nBV_NEXTURL\r\nhttp://c/x", "Merci", "http://c/x", false},
        ReplyRow{"KeywordInsideText", "xxBV_SENDOK: okyy", "okyy", "", false},
        ReplyRow{"FirstOccurrenceCounts", "BV_SENDOK: eins\nBV_SENDOK: zwei", "eins", "", false},
        // Nothing after the keyword does not confirm, however the body ends.
        ReplyRow{"KeywordOnly", "BV_SENDOK", "", "", false},
        ReplyRow{"KeywordAndOneCharacter", "BV_SENDOK:", "", "", false},
        ReplyRow{"KeywordAndSeparator", "BV_SENDOK: ", "", "", false},
        ReplyRow{"EmptyMessageLine", "BV_SENDOK: \r\nBV_NEXTURL: http://c/n", "", "http://c/n", false},
        ReplyRow{"NoKeyword", "Fehler im Stapel", "", "", false}, ReplyRow{"EmptyReply", "", "", "", false},
        ReplyRow{"NextPageWithoutLineEnd", "BV_NEXTURL: http://c/a?b=1", "", "http://c/a?b=1", false},
        // A line feed right after the separator leaves the whole rest, as the centre's clients always read it.
        ReplyRow{"NextPageLineFeedFirst", "BV_NEXTURL: \nhttp://c/a", "", "\nhttp://c/a", false},
        ReplyRow{"NextPageKeywordOnly", "BV_NEXTURL", "", "", false},
        ReplyRow{"SessionEnd", "BV_SESSIONEND\r\n", "", "", true},
        ReplyRow{"SessionEndBesideConfirmation", "BV_SESSIONEND\nBV_SENDOK: NOMSG", "NOMSG", "", true},
        ReplyRow{"LowerCaseIsNoKeyword", "bv_sendok: NOMSG\nbv_sessionend", "", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SendReplyMessage, BackslashNBecomesALineBreak)
{
    EXPECT_EQ(ReplyMessageText("Merci\\nA bient\xC3\xB4t"), "Merci\nA bient\xC3\xB4t");
    EXPECT_EQ(ReplyMessageText("C:\\\\n\\"), "C:\\\n\\");
    EXPECT_EQ(ReplyMessageText("plain"), "plain");
}

} // namespace
} // namespace bv
