#include "net/BackupReply.h"
#include "net/ContractList.h"
#include "net/LoginReplyHandler.h"
#include "net/RemoteWrite.h"
#include "net/ReplyLines.h"
#include "net/SessionRecord.h"

#include "FakePorts.h"

#include <gtest/gtest.h>

using bv::MbIcon;
using bv::MbResult;
using bv::test::MemoryProfileStore;
using bv::test::RecordingBoxes;

namespace {

// A login reply worked through against fresh state.
struct LoginReplyFixture : ::testing::Test
{
    bv::LoginReplyOutcome handle(const std::string& reply)
    {
        bv::LoginReplyHandler handler(session, contracts, boxes, settings,
                                      [this](const std::string& n) { appended.push_back(n); });
        return handler.handle(reply);
    }

    bv::SessionRecord session;
    bv::ContractList contracts;
    RecordingBoxes boxes;
    MemoryProfileStore settings;
    std::vector<std::string> appended;
};

} // namespace

TEST(ReplyLines, SplitAtLineFeedsTrimmedAndAtTheFirstColonBlank)
{
    const auto lines = bv::splitReplyLines("  SESSIONID: abc\r\nSTARTURL: http://x/a?b=c: d\r\nALLOWSENDTEST\r\n"
                                           "KEY:no blank\nlast: without line feed");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].keyword, "SESSIONID");
    EXPECT_EQ(lines[0].value, "abc");
    EXPECT_EQ(lines[1].keyword, "STARTURL");
    EXPECT_EQ(lines[1].value, "http://x/a?b=c: d");
    EXPECT_EQ(lines[2].keyword, "ALLOWSENDTEST");
    EXPECT_EQ(lines[2].value, "");
    EXPECT_EQ(lines[3].keyword, "KEY:no blank");
    EXPECT_EQ(lines[4].keyword, "last");
    EXPECT_EQ(lines[4].value, "without line feed");
}

TEST(ReplyLines, MessageTextTurnsBackslashNIntoLineBreaks)
{
    EXPECT_EQ(bv::messageText("Zeile 1\\nZeile 2\\\\n"), "Zeile 1\nZeile 2\\\n");
}

TEST_F(LoginReplyFixture, SessionAndStartAddressWithCarriageReturns)
{
    const auto outcome = handle("SESSIONID: abc\r\nSTARTURL: https://centre.example.ch/app/start\r\n");
    EXPECT_TRUE(session.loggedIn);
    EXPECT_EQ(session.sessionId, "abc");
    EXPECT_EQ(session.startAddress, "https://centre.example.ch/app/start");
    EXPECT_FALSE(outcome.closeDialog);
    EXPECT_TRUE(boxes.boxes.empty());
}

struct FaultyRow
{
    const char* name;
    std::string reply;
};

class FaultyReply : public LoginReplyFixture, public ::testing::WithParamInterface<FaultyRow>
{
};

TEST_P(FaultyReply, IsTheServersFaultAndEndsTheDialog)
{
    session.loggedIn = true;
    const auto outcome = handle(GetParam().reply);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_TRUE(outcome.closeDialog);
    EXPECT_FALSE(outcome.recognised);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Die Serverantwort war fehlerhaft!");
    EXPECT_EQ(boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(Replies, FaultyReply,
                         ::testing::Values(FaultyRow{"Empty", ""}, FaultyRow{"UnknownLines", "HELLO: x\r\nWORLD\r\n"},
                                           FaultyRow{"LowerCaseKeyword", "sessionid: abc"},
                                           FaultyRow{"KeywordWithoutBlank", "SESSIONID:abc"},
                                           FaultyRow{"NulInKeyword", std::string("SESSION\0ID: abc", 15)},
                                           FaultyRow{"LongLineWithoutLineFeed", std::string(1 << 20, 'A')},
                                           FaultyRow{"HtmlErrorPage", "<html><body>Service Unavailable</body></html>"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(LoginReplyFixture, TenMegabytesOfGarbageIsAFaultyReply)
{
    std::string garbage(10 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919 + i / 4093) % 256);
    const auto outcome = handle(garbage);
    EXPECT_FALSE(outcome.recognised);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Die Serverantwort war fehlerhaft!"});
}

TEST_F(LoginReplyFixture, ErrorLineClearsTheLoginAndALaterSessionLineRestoresIt)
{
    handle("SESSIONID: abc\nMSG/ERROR: Konto gesperrt\\nBitte anrufen");
    EXPECT_FALSE(session.loggedIn);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Konto gesperrt\nBitte anrufen");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);

    handle("MSG/ERROR: x\nSESSIONID: def");
    EXPECT_TRUE(session.loggedIn);
    EXPECT_EQ(session.sessionId, "def");
}

TEST_F(LoginReplyFixture, MessagesWithTheirIcons)
{
    const auto outcome = handle("LOGINNOTOK: Mot de passe faux\nMSG/INFO: i\nMSG/WARNING: w\nALLOWSENDTEST");
    EXPECT_TRUE(outcome.recognised);
    EXPECT_FALSE(outcome.closeDialog);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_TRUE(session.sendTestAllowed);
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text, "Mot de passe faux");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Information);
    EXPECT_EQ(boxes.boxes[1].icon, MbIcon::Information);
    EXPECT_EQ(boxes.boxes[2].icon, MbIcon::Warning);
}

TEST_F(LoginReplyFixture, LockedAndEndClientCloseButLaterLinesAreStillHandled)
{
    auto outcome = handle("BV_LOCKED: Compte bloqué\nSTARTURL: /after");
    EXPECT_TRUE(outcome.closeDialog);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_EQ(session.startAddress, "/after");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Compte bloqué");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);

    outcome = handle("SESSIONID: abc\nENDCLIENT");
    EXPECT_TRUE(outcome.closeDialog);
    EXPECT_FALSE(session.loggedIn);
}

TEST_F(LoginReplyFixture, UpdateOfferAcceptedEndsTheLoginWithTheInstallerAddress)
{
    boxes.answers = {MbResult::Yes};
    const auto outcome = handle("SESSIONID: abc\nAUTOUPDATE: http://c/bv_setup.exe Neue Version\\nJetzt?");
    EXPECT_TRUE(outcome.updateAccepted);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_EQ(session.updateAddress, "http://c/bv_setup.exe");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Neue Version\nJetzt?");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Question);
    EXPECT_EQ(boxes.boxes[0].buttons, bv::MbButtons::YesNo);
}

TEST_F(LoginReplyFixture, UpdateOfferDeclinedLeavesTheLoginAlone)
{
    boxes.answers = {MbResult::No};
    const auto outcome = handle("SESSIONID: abc\nAUTOUPDATE: http://c/bv_setup.exe");
    EXPECT_FALSE(outcome.updateAccepted);
    EXPECT_TRUE(session.loggedIn);
    EXPECT_EQ(session.updateAddress, "");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Es steht eine neue Version dieser Software zur Verfügung!\nMöchten Sie diese jetzt "
                                   "herunterladen und installieren?");
}

TEST_F(LoginReplyFixture, UpdateOfferIgnoredWhenTheSendDialogLogsIn)
{
    session.updatesAllowed = false;
    const auto outcome = handle("SESSIONID: abc\nAUTOUPDATE: http://c/bv_setup.exe");
    EXPECT_FALSE(outcome.updateAccepted);
    EXPECT_TRUE(session.loggedIn);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LoginReplyFixture, RemoteWritesOverwriteOrCreateOnly)
{
    settings.values["General/Existing"] = "old";
    settings.values["General/ExistingInt"] = "7";
    handle("REG: Abrechnungsversand/AliveURL=http://c/alive?a=b\n"
           "REG_INT: Abrechnungsversand/AliveTimeout=30000ms\n"
           "REG_CREATE: General/Existing=new\n"
           "REG_CREATE: General/Fresh=value=with=equals\n"
           "REG_CREATE_INT: General/ExistingInt=9\n"
           "REG_CREATE_INT: General/FreshInt=-12\n"
           "REG: Neu/Unter/Schluessel=x\n");
    EXPECT_EQ(settings.get("Abrechnungsversand/AliveURL"), "http://c/alive?a=b");
    EXPECT_EQ(settings.get("Abrechnungsversand/AliveTimeout"), "30000");
    EXPECT_EQ(settings.get("General/Existing"), "old");
    EXPECT_EQ(settings.get("General/Fresh"), "value=with=equals");
    EXPECT_EQ(settings.get("General/ExistingInt"), "7");
    EXPECT_EQ(settings.get("General/FreshInt"), "-12");
    EXPECT_EQ(settings.get("Neu/Unter/Schluessel"), "x");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LoginReplyFixture, RemoteWriteThatFailsOrNamesNoValueWarns)
{
    for (const char* reply : {"REG: General", "REG: General=1", "REG: /Key=1", "REG: General/=1", "REG_INT: =5"}) {
        boxes.boxes.clear();
        handle(reply);
        ASSERT_EQ(boxes.boxes.size(), 1u) << reply;
        EXPECT_EQ(boxes.boxes[0].text, "Die Aktualisierung der Registrierungsinformation ist fehlgeschlagen.");
        EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);
    }
    EXPECT_TRUE(settings.values.empty());

    settings.failWrites = true;
    boxes.boxes.clear();
    handle("REG: General/X=1\nREG_CREATE_INT: General/Y=2");
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST_F(LoginReplyFixture, ContractListFillsSlotsAndAppendsCustomerNumbers)
{
    contracts.select(3);
    handle("SESSIONID: s\nVERTLIST: 123456=Praxis Dupont#=kein#000042=Labor Genève#77#");
    ASSERT_EQ(contracts.count(), 3);
    EXPECT_EQ(contracts.selected(), 0);
    EXPECT_EQ(contracts.at(0).number, "123456");
    EXPECT_EQ(contracts.at(0).name, "Praxis Dupont");
    EXPECT_EQ(contracts.at(1).name, "Labor Genève");
    EXPECT_EQ(contracts.at(2).number, "77");
    EXPECT_EQ(contracts.at(2).name, "");
    EXPECT_EQ(appended, (std::vector<std::string>{"123456", "000042", "77"}));
    EXPECT_EQ(contracts.selectedNumber(), "123456");

    EXPECT_TRUE(contracts.contains("42"));
    EXPECT_TRUE(contracts.contains("0123456"));
    EXPECT_FALSE(contracts.contains("0"));
    EXPECT_FALSE(contracts.contains(""));
    EXPECT_FALSE(contracts.contains("999"));
}

TEST_F(LoginReplyFixture, ContractListTakesAtMost200AndForgetsAnEarlierLongerList)
{
    std::string list;
    for (int i = 1; i <= 250; ++i)
        list += std::to_string(i) + "=V" + std::to_string(i) + "#";
    handle("VERTLIST: " + list);
    EXPECT_EQ(contracts.count(), 200);
    EXPECT_EQ(appended.size(), 200u);
    EXPECT_TRUE(contracts.contains("200"));
    EXPECT_FALSE(contracts.contains("201"));

    handle("VERTLIST: 5=Cinq");
    EXPECT_EQ(contracts.count(), 1);
    EXPECT_TRUE(contracts.contains("5"));
    EXPECT_FALSE(contracts.contains("150"));
}

TEST(BackupReply, KeywordsMessagesAndFaultyReplies)
{
    RecordingBoxes boxes;
    auto reply =
        bv::handleBackupReply("BV_BACKUPMSG: Wartung\\nbis 18 Uhr\r\nBV_LOGINREDIRECT: http://b/login\r\n", boxes);
    EXPECT_TRUE(reply.recognised);
    EXPECT_TRUE(reply.redirect);
    EXPECT_EQ(reply.redirectAddress, "http://b/login");
    EXPECT_FALSE(reply.doNothing);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Wartung\nbis 18 Uhr");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Information);

    reply = bv::handleBackupReply("BV_DONOTHING", boxes);
    EXPECT_TRUE(reply.recognised);
    EXPECT_TRUE(reply.doNothing);

    reply = bv::handleBackupReply("SESSIONID: abc\nbv_donothing", boxes);
    EXPECT_FALSE(reply.recognised);
}
