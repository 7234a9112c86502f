// The update's download over real sockets against the local billing centre.

#include "app/update/UpdateController.h"

#include "UpdateFakes.h"
#include "bvcentre/BillingCentre.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

using bv::MbResult;
using bv::UpdateOutcome;
using namespace std::chrono_literals;

namespace {

const char* const Agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";

struct UpdateCentreTest : ::testing::Test
{
    void SetUp() override { ASSERT_TRUE(centre.start()); }

    std::unique_ptr<bv::UpdateController> makeController()
    {
        bv::UpdateDependencies deps(boxes, settings, dispatcher, launcher);
        deps.hangUp = [](bool) {};
        deps.temporaryDirectory = dir.path().string() + "/";
        deps.agent = Agent;
        deps.connectTimeout = 5s;
        deps.idleTimeout = 5s;
        return std::make_unique<bv::UpdateController>(view, std::move(deps));
    }

    std::string installer() const { return dir.path().string() + "/bv_setup.exe"; }

    bv::testing::BillingCentre centre;
    bv::TempDir dir;
    bv::RecordingMessageBoxes boxes;
    bv::test::MapSettings settings;
    bv::QueueDispatcher dispatcher;
    bv::test::FakeLauncher launcher;
    bv::test::FakeUpdateView view;
};

TEST_F(UpdateCentreTest, InstallerArrivesWholeWithItsProgress)
{
    constexpr std::uint64_t Size = 3'000'000;
    centre.setInstallerSize(Size);
    boxes.answers = {MbResult::Yes};
    auto controller = makeController();
    controller->start(centre.url("/download/bv_setup.exe"));
    ASSERT_TRUE(dispatcher.runUntil([this] { return view.closed > 0; }, 30s));

    ASSERT_EQ(controller->outcome(), UpdateOutcome::Installing);
    const auto bytes = bv::files::readFile(installer());
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), Size);
    for (std::uint64_t offset = 0; offset < Size; offset += 4099)
        ASSERT_EQ(static_cast<std::uint8_t>((*bytes)[offset]), bv::testing::installerByte(offset)) << offset;
    ASSERT_FALSE(view.progress.empty());
    EXPECT_EQ(view.progress.front(), 0);
    EXPECT_EQ(view.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(view.progress.begin(), view.progress.end()));

    const auto requests = centre.requests("/download/bv_setup.exe");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    bool agentSeen = false;
    for (const auto& [name, value] : requests[0].headers)
        agentSeen = agentSeen || (bv::iequals(name, "User-Agent") && value == Agent);
    EXPECT_TRUE(agentSeen);
}

TEST_F(UpdateCentreTest, CancelStopsASlowDownloadPromptly)
{
    bv::testing::ScriptedReply slow;
    slow.body = std::string(400 * 1024, 'x'); // 400 pieces of 1 KB, 20 ms apart: 8 seconds
    slow.contentType = "application/octet-stream";
    slow.delayPerChunk = 20ms;
    centre.script("/download/bv_setup.exe", slow);
    auto controller = makeController();
    controller->start(centre.url("/download/bv_setup.exe"));
    ASSERT_TRUE(dispatcher.runUntil([this] { return !view.progress.empty(); }, 10s));

    const auto before = std::chrono::steady_clock::now();
    controller->cancel();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
    EXPECT_EQ(controller->outcome(), UpdateOutcome::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(installer()));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "La transmission a \xC3\xA9t\xC3\xA9 interrompue.");
}

TEST_F(UpdateCentreTest, MissingInstallerIsAnHttpError)
{
    auto controller = makeController();
    controller->start(centre.url("/download/fehlt.exe"));
    ASSERT_TRUE(dispatcher.runUntil([this] { return view.closed > 0; }, 30s));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "La transmission a caus\xC3\xA9 une erreur.\nL'erreur http 404 est apparue ! ");
    EXPECT_FALSE(std::filesystem::exists(installer()));
}

} // namespace
