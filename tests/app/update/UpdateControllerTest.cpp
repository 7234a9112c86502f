#include "app/update/UpdateController.h"

#include "app/unattended/ScriptedUser.h"
#include "app/unattended/UpdateTranscript.h"
#include "platform/Unattended.h"

#include "UpdateFakes.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <fstream>

using bv::MbButtons;
using bv::MbIcon;
using bv::MbResult;
using bv::UpdateOutcome;
using namespace std::chrono_literals;

namespace {

const char* const Address = "https://centre.example.ch/download/bv_setup.exe";
const char* const Agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
const char* const Question =
    "Das Update wurde vollst\xC3\xA4ndig heruntergeladen.\nSoll die neue brevalis-Softwareversion nun installiert "
    "werden?";
const char* const Interrupted = "La transmission a \xC3\xA9t\xC3\xA9 interrompue.";

// How the fake download behaves.
enum class Download
{
    Complete,        // writes the installer, reports 0, 50, 100 and completes
    Fail,            // completes with the error below and leaves a partial file
    UntilCancelled,  // writes a partial file, reports 10 and waits for the cancel event
    CompleteSilently // writes the installer and completes without any progress report
};

struct UpdateControllerTest : ::testing::Test
{
    std::unique_ptr<bv::UpdateController> makeController()
    {
        bv::UpdateDependencies deps(boxes, settings, dispatcher, launcher);
        deps.hangUp = [this](bool ask) { hangUps.push_back(ask); };
        deps.temporaryDirectory = dir.path().string() + "/";
        deps.agent = Agent;
        deps.useProxy = true;
        deps.routine = [this](bv::InternetRequest& request) { download(request); };
        return std::make_unique<bv::UpdateController>(view, std::move(deps));
    }

    void download(bv::InternetRequest& request)
    {
        ++runs;
        seen = request;
        const auto progress = [&](int percent) {
            request.progressWindow->post([&request, percent] { request.onProgress(percent); });
        };
        switch (behaviour) {
        case Download::Complete:
        case Download::CompleteSilently:
            bv::files::writeFileAtomic(request.targetFile, "MZ installer");
            if (behaviour == Download::Complete) {
                for (int p : {0, 50, 100})
                    progress(p);
            }
            request.finishEvent->set();
            request.notifyWindow->post(request.onCompleted);
            return;
        case Download::Fail:
            bv::files::writeFileAtomic(request.targetFile, "MZ inst");
            request.errorCode = errorCode;
            request.errorText = errorText;
            request.finishEvent->set();
            request.notifyWindow->post(request.onCompleted);
            return;
        case Download::UntilCancelled:
            bv::files::writeFileAtomic(request.targetFile, "MZ");
            progress(10);
            while (!request.cancelEvent->isSet())
                std::this_thread::sleep_for(1ms);
            request.cancelEvent->reset();
            request.stoppedEvent->set();
            return;
        }
    }

    std::string installer() const { return dir.path().string() + "/bv_setup.exe"; }
    bool installerExists() const { return std::filesystem::exists(installer()); }
    bool pumpUntilClosed()
    {
        return dispatcher.runUntil([this] { return view.closed > 0; }, 5s);
    }

    bv::TempDir dir;
    bv::RecordingMessageBoxes boxes;
    bv::test::MapSettings settings;
    bv::QueueDispatcher dispatcher;
    bv::test::FakeLauncher launcher;
    bv::test::FakeUpdateView view;
    std::vector<bool> hangUps;
    Download behaviour = Download::Complete;
    int errorCode = 0;
    std::string errorText;
    std::atomic<int> runs{0};
    bv::InternetRequest seen;
};

TEST_F(UpdateControllerTest, AcceptedInstallerIsRecordedAndOpened)
{
    boxes.answers = {MbResult::Yes};
    auto controller = makeController();
    controller->start(Address);
    ASSERT_TRUE(pumpUntilClosed());

    EXPECT_EQ(seen.address, Address);
    EXPECT_EQ(seen.targetFile, installer());
    EXPECT_EQ(seen.agent, Agent);
    EXPECT_TRUE(seen.useProxy);
    EXPECT_EQ(view.progress, (std::vector<int>{0, 50, 100}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, Question);
    EXPECT_EQ(boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Question);
    EXPECT_EQ(boxes.boxes[0].buttons, MbButtons::YesNo);
    // Hung up silently before the installer starts, then the usual offer when the dialog ends.
    EXPECT_EQ(hangUps, (std::vector<bool>{false, true}));
    EXPECT_EQ(settings.values["General/AutoUpdateFile"], installer());
    EXPECT_EQ(launcher.opened, std::vector<std::string>{installer()});
    EXPECT_TRUE(installerExists());
    EXPECT_EQ(controller->outcome(), UpdateOutcome::Installing);
    EXPECT_EQ(view.closed, 1);
}

TEST_F(UpdateControllerTest, DeclinedInstallerIsDeleted)
{
    boxes.answers = {MbResult::No};
    auto controller = makeController();
    controller->start(Address);
    ASSERT_TRUE(pumpUntilClosed());
    EXPECT_FALSE(installerExists());
    EXPECT_TRUE(launcher.opened.empty());
    EXPECT_EQ(settings.values.count("General/AutoUpdateFile"), 0u);
    EXPECT_EQ(hangUps, std::vector<bool>{true});
    EXPECT_EQ(controller->outcome(), UpdateOutcome::Declined);
}

struct ErrorRow
{
    const char* name;
    int code;
    const char* text;
    const char* message;
};

class UpdateErrorTest : public UpdateControllerTest, public ::testing::WithParamInterface<ErrorRow>
{
};

TEST_P(UpdateErrorTest, FailedDownloadIsReportedAndLeavesNoFile)
{
    behaviour = Download::Fail;
    errorCode = GetParam().code;
    errorText = GetParam().text;
    auto controller = makeController();
    controller->start(Address);
    ASSERT_TRUE(pumpUntilClosed());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, GetParam().message);
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
    EXPECT_FALSE(installerExists());
    EXPECT_EQ(hangUps, std::vector<bool>{true});
    EXPECT_EQ(controller->outcome(), UpdateOutcome::Failed);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpdateErrorTest,
    ::testing::Values(ErrorRow{"withText", -3, "L'erreur http 404 est apparue ! ",
                               "La transmission a caus\xC3\xA9 une erreur.\nL'erreur http 404 est apparue ! "},
                      ErrorRow{"percentInText", 12029, "100% perdu",
                               "La transmission a caus\xC3\xA9 une erreur.\n100% perdu"},
                      ErrorRow{"withoutText", 12029, "", "La transmission a caus\xC3\xA9 l'erreur n\xC2\xB0 12029."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateControllerTest, InstallerThatCannotBeOpenedIsReported)
{
    boxes.answers = {MbResult::Yes};
    launcher.failure = {ENOENT, "Das System kann die angegebene Datei nicht finden."};
    auto controller = makeController();
    controller->start(Address);
    ASSERT_TRUE(pumpUntilClosed());
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, launcher.failure.text);
    EXPECT_EQ(boxes.boxes[1].icon, MbIcon::Error);
    EXPECT_EQ(view.closed, 1);
}

TEST_F(UpdateControllerTest, CancelStopsTheDownloadAndDeletesThePartialFile)
{
    behaviour = Download::UntilCancelled;
    auto controller = makeController();
    controller->start(Address);
    ASSERT_TRUE(dispatcher.runUntil([this] { return !view.progress.empty(); }, 5s));
    ASSERT_TRUE(installerExists());
    controller->cancel();

    EXPECT_FALSE(controller->downloading());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, Interrupted);
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
    EXPECT_FALSE(installerExists());
    EXPECT_TRUE(hangUps.empty());
    EXPECT_EQ(view.closed, 1);
    EXPECT_EQ(controller->outcome(), UpdateOutcome::Cancelled);
}

// The download ended just before the click: its stopped event never comes, and its completion
// notice, already queued, must not ask the install question afterwards.
TEST_F(UpdateControllerTest, CancelRightAfterTheDownloadEndedDoesNotHang)
{
    behaviour = Download::CompleteSilently;
    auto controller = makeController();
    controller->start(Address);
    while (runs == 0 || !installerExists())
        std::this_thread::sleep_for(1ms);
    controller->cancel();
    dispatcher.runUntil([] { return false; }, 50ms);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, Interrupted);
    EXPECT_FALSE(installerExists());
    EXPECT_EQ(view.closed, 1);
}

TEST_F(UpdateControllerTest, SecondStartWhileDownloadingIsIgnored)
{
    behaviour = Download::UntilCancelled;
    auto controller = makeController();
    controller->start(Address);
    controller->start(Address);
    ASSERT_TRUE(dispatcher.runUntil([this] { return !view.progress.empty(); }, 5s));
    controller->cancel();
    EXPECT_EQ(runs, 1);
}

TEST_F(UpdateControllerTest, ClosingWhileDownloadingStopsTheWorker)
{
    behaviour = Download::UntilCancelled;
    auto controller = makeController();
    controller->start(Address);
    while (runs == 0)
        std::this_thread::sleep_for(1ms);
    controller.reset(); // returns only once the worker has stopped
    EXPECT_EQ(runs, 1);
}

// Unattended runs press Cancel with the answer "cancel"; any other answer stays for the question.
struct AnswerRow
{
    const char* name;
    std::deque<std::string> answers;
    bool pressesCancel;
    std::size_t answersLeft;
};

class UpdateAnswerTest : public UpdateControllerTest, public ::testing::WithParamInterface<AnswerRow>
{
};

TEST_P(UpdateAnswerTest, CancelAnswerWhileDownloading)
{
    behaviour = Download::UntilCancelled;
    {
        std::ofstream answers(dir.file("answers.txt"));
        for (const std::string& answer : GetParam().answers)
            answers << answer << "\n";
    }
    bv::UnattendedSession session(dir.file("transcript.txt"), dir.file("answers.txt"));
    bv::ScriptedUser user(session);
    bv::UpdateTranscript transcript(user, "brevalis");
    bv::UpdateDependencies deps(boxes, settings, dispatcher, launcher);
    deps.temporaryDirectory = dir.path().string() + "/";
    deps.routine = [this](bv::InternetRequest& request) { download(request); };
    auto controller = std::make_unique<bv::UpdateController>(transcript.wrap(view), std::move(deps));
    transcript.attach(*controller);
    controller->start(Address);
    ASSERT_TRUE(dispatcher.runUntil([this] { return !view.progress.empty(); }, 5s));
    EXPECT_EQ(!controller->downloading(), GetParam().pressesCancel);
    if (controller->downloading())
        controller->cancel(); // the test's own click, so that the fake download ends
    std::size_t left = 0;
    while (user.take([](const std::string&) { return true; }))
        ++left;
    EXPECT_EQ(left, GetParam().answersLeft);
}

INSTANTIATE_TEST_SUITE_P(Rows, UpdateAnswerTest,
                         ::testing::Values(AnswerRow{"cancel", {"cancel", "yes"}, true, 1},
                                           AnswerRow{"yesIsLeft", {"yes"}, false, 1}, AnswerRow{"none", {}, false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
