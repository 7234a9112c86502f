#include "app/core/CInstanceChecker.h"
#include "app/main/InstanceRequestGate.h"
#include "app/main/PageOrigin.h"
#include "app/main/RequestFile.h"
#include "app/main/WindowPlacement.h"
#include "platform/Dispatcher.h"
#include "platform/InstanceChannel.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <future>
#include <thread>
#include <unistd.h>

namespace bv {
namespace {

using namespace std::chrono_literals;

// --- window placement ------------------------------------------------------------------------------

struct PlacementRow
{
    const char* name;
    int x, y, cx, cy;
    ScreenRect work;
    WindowPlacement expected;
};

TEST(WindowPlacement, RememberedPlaceIsFittedIntoTheWorkArea)
{
    const ScreenRect full{0, 0, 1920, 1050};
    const PlacementRow rows[] = {
        {"defaults are centred", 0, 0, 810, 572, full, {0, 0, 810, 572, false, true}},
        {"kept as remembered", 200, 100, 1000, 700, full, {200, 100, 1000, 700, false, false}},
        {"too small grows", 10, 10, 300, 200, full, {10, 10, 810, 572, false, false}},
        {"far outside: top left, centred", 5000, 4000, 900, 650, full, {0, 0, 900, 650, false, true}},
        {"negative becomes 0", -32000, 300, 900, 650, full, {0, 300, 900, 650, false, false}},
        {"only x past the right edge", 1500, 300, 900, 650, full, {0, 300, 900, 650, false, false}},
        {"larger than the work area", 0, 0, 3000, 2000, full, {0, 0, 1920, 1050, false, true}},
        {"narrow work area maximises", 0, 0, 810, 572, {0, 0, 800, 600}, {0, 0, 800, 572, true, true}},
        {"805 still maximises", 0, 0, 810, 572, {0, 0, 805, 600}, {0, 0, 805, 572, true, true}},
        {"806 does not", 0, 0, 810, 572, {0, 0, 806, 600}, {0, 0, 806, 572, false, true}},
        {"values near the integer limit", INT_MAX, INT_MAX, INT_MAX, INT_MAX, full, {0, 0, 1920, 1050, false, true}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(placeMainWindow(row.x, row.y, row.cx, row.cy, row.work), row.expected);
    }
}

// --- page origins ----------------------------------------------------------------------------------

struct OriginRow
{
    const char* url;
    std::optional<PageOrigin> expected;
};

TEST(PageOrigin, SchemeHostAndPortOfAnAddress)
{
    const OriginRow rows[] = {
        {"https://centre.example.ch/login", PageOrigin{"https", "centre.example.ch", 443}},
        {"HTTP://Centre.Example.CH:8080?x", PageOrigin{"http", "centre.example.ch", 8080}},
        {"http://user:pw@centre.example.ch:/a", PageOrigin{"http", "centre.example.ch", 80}},
        {"https://centre.example.ch\\evil.org/", PageOrigin{"https", "centre.example.ch", 443}},
        {"http://[::1]:9000/app", PageOrigin{"http", "[::1]", 9000}},
        {"ftp://files.example.ch/", PageOrigin{"ftp", "files.example.ch", -1}},
        {"http://127.0.0.1:65535/", PageOrigin{"http", "127.0.0.1", 65535}},
        {"http://127.0.0.1:65536/", std::nullopt},
        {"http://127.0.0.1:8o/", std::nullopt},
        {"http://[::1/", std::nullopt},
        {"http:///path", std::nullopt},
        {"about:blank", std::nullopt},
        {"/app/start", std::nullopt},
        {"1http://x/", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(pageOrigin(row.url), row.expected);
    }
}

// --- request files ---------------------------------------------------------------------------------

TEST(RequestFile, PipesAndDevicesAreRefusedWithoutWaiting)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const RequestFile file = readRequestFile("/proc/self/fd/" + std::to_string(fds[0]));
    EXPECT_FALSE(file.opened);
    EXPECT_EQ(file.cause, 5);
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_FALSE(readRequestFile("/dev/null").opened);
}

// --- requests of later starts ----------------------------------------------------------------------

TEST(InstanceRequestGate, RequestRunsOnTheUserInterfaceThreadAndTheSenderWaitsForIt)
{
    QueueDispatcher ui;
    std::thread::id handledOn;
    std::string received;
    InstanceRequestGate gate(ui, [&](const std::string& request) {
        handledOn = std::this_thread::get_id();
        received = request;
    });
    auto sender = std::async(std::launch::async, [dispatch = gate.dispatch()] { dispatch("REQ:/tmp/a"); });
    EXPECT_EQ(sender.wait_for(100ms), std::future_status::timeout); // waits for the window
    ASSERT_TRUE(ui.runUntil([&] { return !received.empty(); }, 5s));
    EXPECT_EQ(sender.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(handledOn, std::this_thread::get_id());
    EXPECT_EQ(received, "REQ:/tmp/a");
}

TEST(InstanceRequestGate, ClosingReleasesAWaitingRequestAndRefusesLaterOnes)
{
    QueueDispatcher ui;
    int handled = 0;
    auto gate = std::make_unique<InstanceRequestGate>(ui, [&](const std::string&) { ++handled; });
    const auto dispatch = gate->dispatch();
    auto waiting = std::async(std::launch::async, [&] { dispatch("REQ:/tmp/a"); });
    ASSERT_EQ(waiting.wait_for(100ms), std::future_status::timeout);
    gate->close();
    EXPECT_EQ(waiting.wait_for(5s), std::future_status::ready);
    gate.reset();
    dispatch("REQ:/tmp/b"); // after the gate is gone: returns at once
    ui.runPending();        // the request posted before the close is not handled any more
    EXPECT_EQ(handled, 0);
}

// The window ends while a later start waits for it, and the user-interface thread then shuts the
// channel down: that must not wait forever for a request the window will never handle.
TEST(InstanceRequestGate, ChannelShutsDownWhileALaterStartWaits)
{
    const std::string name = "bvtest_gate_" + std::to_string(::getpid());
    QueueDispatcher ui; // never pumped: the window is busy ending
    auto first = std::make_unique<CInstanceChecker>(name);
    ASSERT_FALSE(first->PreviousInstanceRunning());
    InstanceRequestGate gate(ui, [](const std::string&) {});
    ASSERT_TRUE(first->TrackFirstInstanceRunning(gate.dispatch()));

    auto second = std::async(std::launch::async, [&] { return sendToInstance(name, "REQ:/tmp/x", 10s); });
    std::this_thread::sleep_for(200ms); // the request is now waiting for the window
    gate.close();
    auto shutdown = std::async(std::launch::async, [&] { first.reset(); });
    EXPECT_EQ(shutdown.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(second.wait_for(5s), std::future_status::ready);
}

} // namespace
} // namespace bv
