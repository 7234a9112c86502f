#include "platform/TempDir.h"
#include "platform/Unattended.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace bv {
namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    return out;
}

TEST(MessageBoxWords, IconsButtonsAndResults)
{
    EXPECT_STREQ(iconWord(MbIcon::Error), "error");
    EXPECT_STREQ(iconWord(MbIcon::Information), "information");
    EXPECT_STREQ(iconWord(MbIcon::None), "none");
    EXPECT_STREQ(buttonsWord(MbButtons::YesNoCancel), "yesnocancel");
    EXPECT_STREQ(buttonsWord(MbButtons::RetryCancel), "retrycancel");
    EXPECT_STREQ(resultWord(MbResult::Retry), "retry");
    EXPECT_EQ(MessageBoxes::firstButton(MbButtons::YesNo), MbResult::Yes);
    EXPECT_EQ(MessageBoxes::firstButton(MbButtons::RetryCancel), MbResult::Retry);
    EXPECT_TRUE(MessageBoxes::hasButton(MbButtons::YesNoCancel, MbResult::Cancel));
    EXPECT_FALSE(MessageBoxes::hasButton(MbButtons::YesNo, MbResult::Cancel));
    EXPECT_FALSE(MessageBoxes::hasButton(MbButtons::Ok, MbResult::Cancel));
}

TEST(ConsoleMessageBoxes, WritesCaptionAndTextAndTakesTheDefault)
{
    ConsoleMessageBoxes boxes;
    ::testing::internal::CaptureStderr();
    const MbResult r = boxes.show("Fehler: brevalis ist nicht korrekt installiert!", "brevalis", MbIcon::Error,
                                  MbButtons::YesNo, MbResult::No);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "brevalis: Fehler: brevalis ist nicht korrekt installiert!\n");
    EXPECT_EQ(r, MbResult::No);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(boxes.show("x", "c", MbIcon::Question, MbButtons::RetryCancel, MbResult::Yes), MbResult::Retry);
    ::testing::internal::GetCapturedStderr();
}

TEST(UnattendedSession, EscapesSoEveryEntryIsOneLine)
{
    EXPECT_EQ(UnattendedSession::escape("a\nb\\c\r\td"), "a\\nb\\\\c\\r\\td");
    TempDir dir;
    UnattendedSession session(dir.file("transcript"), dir.file("keine-antworten"));
    session.writeMessage("brevalis", MbIcon::Warning, MbButtons::OkCancel, "Zeile 1\nZeile 2 C:\\x");
    session.writeDialogOpen("Daten senden");
    session.writeField("Kundennummer", "000012");
    session.writeDialogClose("Daten senden", true);
    session.writeDialogClose("Daten senden", false);
    EXPECT_EQ(lines(dir.read("transcript")),
              (std::vector<std::string>{"MSG\tbrevalis\twarning\tokcancel\tZeile 1\\nZeile 2 C:\\\\x",
                                        "DIALOG\tDaten senden\topen", "FIELD\tKundennummer\t000012",
                                        "DIALOG\tDaten senden\tclose\tok", "DIALOG\tDaten senden\tclose\tcancel"}));
}

TEST(UnattendedMessageBoxes, AnswersAreTakenInOrderWhenTheyFit)
{
    TempDir dir;
    dir.write("answers", "no\r\n\r\nretry\nyes\n");
    UnattendedSession session(dir.file("transcript"), dir.file("answers"));
    UnattendedMessageBoxes boxes(session);
    // An OK box takes no answer.
    EXPECT_EQ(boxes.show("Info", "brevalis", MbIcon::Information), MbResult::Ok);
    EXPECT_EQ(session.peekAnswer(), "no");
    // "no" fits a yes/no box.
    EXPECT_EQ(boxes.show("Frage?", "brevalis", MbIcon::Question, MbButtons::YesNo, MbResult::Yes), MbResult::No);
    // "retry" does not fit yes/no/cancel: it stays, the default is taken.
    EXPECT_EQ(boxes.show("Frage?", "brevalis", MbIcon::Question, MbButtons::YesNoCancel, MbResult::Cancel),
              MbResult::Cancel);
    EXPECT_EQ(boxes.show("Nochmal?", "brevalis", MbIcon::Error, MbButtons::RetryCancel), MbResult::Retry);
    EXPECT_EQ(boxes.show("Frage?", "brevalis", MbIcon::Question, MbButtons::YesNo, MbResult::No), MbResult::Yes);
    // None left: the default button, or the first when the default is not on the box.
    EXPECT_EQ(boxes.show("Frage?", "brevalis", MbIcon::Question, MbButtons::YesNo, MbResult::No), MbResult::No);
    EXPECT_EQ(boxes.show("Frage?", "brevalis", MbIcon::Question, MbButtons::OkCancel, MbResult::Yes), MbResult::Ok);
    EXPECT_EQ(lines(dir.read("transcript")).size(), 7u);
    EXPECT_EQ(lines(dir.read("transcript"))[1], "MSG\tbrevalis\tquestion\tyesno\tFrage?");
}

TEST(UnattendedSession, FromEnvironmentReadsTheNamedFiles)
{
    TempDir dir;
    dir.write("answers", "cancel\n");
    ::unsetenv("BVALS_UI_TRANSCRIPT");
    EXPECT_EQ(UnattendedSession::fromEnvironment(), nullptr);
    ::setenv("BVALS_UI_ANSWERS", dir.file("answers").c_str(), 1);
    ::setenv("BVALS_UI_TRANSCRIPT", dir.file("transcript").c_str(), 1);
    const auto session = UnattendedSession::fromEnvironment();
    ::unsetenv("BVALS_UI_TRANSCRIPT");
    ::unsetenv("BVALS_UI_ANSWERS");
    ASSERT_NE(session, nullptr);
    UnattendedMessageBoxes boxes(*session);
    EXPECT_EQ(boxes.show("Abbrechen?", "brevalis", MbIcon::Question, MbButtons::OkCancel), MbResult::Cancel);
    EXPECT_EQ(dir.read("transcript"), "MSG\tbrevalis\tquestion\tokcancel\tAbbrechen?\n");
}

TEST(UnattendedSession, LinesFromThreadsAndProcessesNeverInterleave)
{
    TempDir dir;
    const std::string longText(3000, 'x');
    constexpr int PerWriter = 200;
    const pid_t child = ::fork();
    if (child == 0) {
        UnattendedSession session(dir.file("transcript"), {});
        for (int i = 0; i < PerWriter; ++i)
            session.writeField("child", longText);
        ::_exit(0);
    }
    UnattendedSession session(dir.file("transcript"), {});
    std::thread other([&] {
        for (int i = 0; i < PerWriter; ++i)
            session.writeField("thread", longText);
    });
    for (int i = 0; i < PerWriter; ++i)
        session.writeField("main", longText);
    other.join();
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto all = lines(dir.read("transcript"));
    EXPECT_EQ(all.size(), 3u * PerWriter);
    for (const auto& line : all) {
        ASSERT_TRUE(line == "FIELD\tchild\t" + longText || line == "FIELD\tthread\t" + longText ||
                    line == "FIELD\tmain\t" + longText);
    }
}

} // namespace
} // namespace bv
