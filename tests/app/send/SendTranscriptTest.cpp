#include "app/unattended/SendTranscript.h"

#include "SendTestFixture.h"

#include "app/unattended/ScriptedUser.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Unattended.h"

#include <fstream>

using namespace bv;
using namespace bv::test;
namespace fs = std::filesystem;

namespace {

const char* const ConfirmReply = "BV_SENDOK: NOMSG\r\nBV_NEXTURL: http://centre.test/app/next\n";

// The send dialog of an unattended run: its transcript decorator writes the lines and presses the
// controller's buttons with the answers.
struct SendTranscriptTest : SendDialogFixture
{
    std::unique_ptr<SendDialogController> makeScripted(const std::vector<std::string>& answers)
    {
        {
            std::ofstream out(files.file("answers.txt"), std::ios::trunc);
            for (const std::string& answer : answers)
                out << answer << "\n";
        }
        unattended = std::make_unique<UnattendedSession>(files.file("transcript.txt"), files.file("answers.txt"));
        user = std::make_unique<ScriptedUser>(*unattended);
        decorator = std::make_unique<SendTranscript>(*user, dispatcher);
        SendDialogDependencies deps(profile, boxes, login, starter, dispatcher, timer, fees, removable);
        deps.agent = "brevalis-Client test";
        deps.today = [this] { return today; };
        auto controller = std::make_unique<SendDialogController>(decorator->wrap(view), std::move(deps),
                                                                 SendDialogMode{false, spool.path(), true});
        decorator->attach(*controller);
        return controller;
    }

    std::vector<std::string> transcript() const
    {
        return split(files::readFile(files.file("transcript.txt")).value_or(""), '\n');
    }

    TempDir files{"bv-send-transcript-"};
    std::unique_ptr<UnattendedSession> unattended;
    std::unique_ptr<ScriptedUser> user;
    std::unique_ptr<SendTranscript> decorator;
};

TEST_F(SendTranscriptTest, AnswersPressTheButtons)
{
    writeChz("a.chz");
    starter.reply.body = ConfirmReply;
    auto dialog = makeScripted({"send"});
    dialog->open();
    ASSERT_TRUE(pumpUntilClosed(*dialog));
    EXPECT_TRUE(dialog->transmissionConfirmed());
    const auto lines = transcript();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "DIALOG\tEnvoyer la facture\topen");
    EXPECT_TRUE(lines[1].starts_with("FIELD\t"));
    EXPECT_EQ(lines[lines.size() - 2], "DIALOG\tEnvoyer la facture\tclose\tok");

    // No answer left: the dialog is cancelled.
    writeChz("b.chz");
    auto second = makeScripted({});
    second->open();
    ASSERT_TRUE(pumpUntilClosed(*second));
    EXPECT_EQ(starter.starts, 1);

    // "cancel" after "send" stops the running upload.
    fs::remove(spool.file("b.chz"));
    spool.write("c.chz", samples::chzFile({}) + std::string(300 * 1024, 'x'));
    starter.blockDelay = std::chrono::milliseconds(2);
    auto third = makeScripted({"send", "cancel"});
    third->open();
    ASSERT_TRUE(pumpUntilClosed(*third));
    EXPECT_EQ(starter.starts, 2);
    EXPECT_FALSE(third->transmissionConfirmed());
    EXPECT_FALSE(unattended->peekAnswer());
}

} // namespace
