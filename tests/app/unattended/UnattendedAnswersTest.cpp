#include "app/unattended/ContentsTranscript.h"
#include "app/unattended/ScriptedUser.h"
#include "app/unattended/SendTranscript.h"
#include "app/unattended/SetupTranscript.h"
#include "config/ProfileKeys.h"
#include "config/SetupController.h"
#include "platform/Files.h"
#include "platform/Unattended.h"
#include "platform/MemoryProfileStore.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace bv {
namespace {

class NoDrives : public files::DriveProbe
{
public:
    bool driveExists(char) const override { return false; }
};

// The receipt dialog is never reached from the image choice.
class NoReceipts : public ContentsDialogs
{
public:
    bool runReceipt(AttachmentEntry&, ReceiptMode, const PartnerLabList&) override { return false; }
    std::optional<std::size_t> chooseAttachment(const std::vector<AttachmentReference>&) override
    {
        return std::nullopt;
    }
};

// One scripted user over a one-answer file; the transcript it leaves and the answer it left over.
struct UnattendedAnswersTest : ::testing::Test
{
    ScriptedUser& userAnswering(const std::string& answer)
    {
        std::ofstream(dir.file("answers.txt"), std::ios::trunc) << answer << "\n";
        session = std::make_unique<UnattendedSession>(dir.file("transcript.txt"), dir.file("answers.txt"));
        user = std::make_unique<ScriptedUser>(*session);
        return *user;
    }
    std::string transcript() const { return files::readFile(dir.file("transcript.txt")).value_or(""); }

    TempDir dir;
    std::unique_ptr<UnattendedSession> session;
    std::unique_ptr<ScriptedUser> user;
};

struct SetupRow
{
    const char* answer;
    bool accepted;
    const char* useProxy; // stored afterwards
    bool answerLeft;
};

TEST_F(UnattendedAnswersTest, SetupAnswerIsTheDirectoryChoiceThenOk)
{
    const SetupRow rows[] = {
        {"setup\t/srv/spool\tuseproxy 1\tuselan 0", true, "1", false},
        {"cancel", false, "", false},
        {"setup\t/srv/spool\tuseproxy 1", false, "", true}, // not a setup answer: cancels, stays
        {"send", false, "", true},
    };
    for (const SetupRow& row : rows) {
        SCOPED_TRACE(row.answer);
        test::MemoryProfileStore profile;
        NoDrives drives;
        SetupController controller(profile, drives);
        std::filesystem::remove(dir.file("transcript.txt"));
        EXPECT_EQ(runSetupTranscript(userAnswering(row.answer), controller), row.accepted);
        EXPECT_EQ(profile.read(profilekey::UseProxy), row.useProxy);
        EXPECT_EQ(transcript(), std::string("DIALOG\tbrevalis\topen\nDIALOG\tbrevalis\tclose\t") +
                                    (row.accepted ? "ok\n" : "cancel\n"));
        EXPECT_EQ(session->peekAnswer().has_value(), row.answerLeft);
    }
}

struct ChoiceRow
{
    const char* answer;
    std::optional<std::size_t> chosen;
    bool answerLeft;
};

TEST_F(UnattendedAnswersTest, ImageChoiceTakesTheNumberFromOne)
{
    const std::vector<AttachmentReference> images(3);
    const ChoiceRow rows[] = {
        {"anlage\t2", 1, false},
        {"anlage\t4", std::nullopt, false}, // no such image: cancelled
        {"anlage\t0", std::nullopt, true},
        {"inhalt\tok", std::nullopt, true},
    };
    for (const ChoiceRow& row : rows) {
        SCOPED_TRACE(row.answer);
        NoReceipts receipts;
        std::filesystem::remove(dir.file("transcript.txt"));
        ContentsDialogsTranscript dialogs(userAnswering(row.answer), receipts);
        EXPECT_EQ(dialogs.chooseAttachment(images), row.chosen);
        EXPECT_EQ(transcript(), std::string("DIALOG\tAuswahl der Anlage\topen\nDIALOG\tAuswahl der Anlage\tclose\t") +
                                    (row.chosen ? "ok\n" : "cancel\n"));
        EXPECT_EQ(session->peekAnswer().has_value(), row.answerLeft);
    }
}

TEST_F(UnattendedAnswersTest, TestFileChooserTakesTheNamedPath)
{
    {
        TestFileTranscript chooser(userAnswering("file\t/srv/spool/test file.xml"), "Testdatei senden");
        EXPECT_EQ(chooser.chooseFile("", ""), "/srv/spool/test file.xml");
    }
    TestFileTranscript none(userAnswering("cancel"), "Testdatei senden");
    EXPECT_EQ(none.chooseFile("", ""), std::nullopt);
    EXPECT_EQ(session->peekAnswer(), "cancel");
}

} // namespace
} // namespace bv
