#include "platform/Dispatcher.h"
#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace bv {
namespace {

using namespace std::chrono_literals;

TEST(Event, AutoResetReleasesOneWaiterAndClears)
{
    Event event(Event::Reset::Auto);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (event.wait(600ms))
                ++released;
        });
    std::this_thread::sleep_for(50ms);
    event.set();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(released.load(), 1);
    EXPECT_FALSE(event.isSet());
    event.set();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(released.load(), 2); // the third waiter timed out
}

TEST(Event, ManualResetStaysSetUntilReset)
{
    Event event(Event::Reset::Manual, true);
    EXPECT_TRUE(event.tryWait());
    EXPECT_TRUE(event.wait(0ms));
    EXPECT_TRUE(event.isSet());
    event.reset();
    EXPECT_FALSE(event.tryWait());
}

TEST(Event, TimesOutAndTryWaitConsumesAnAutoEvent)
{
    Event event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.wait(60ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
    event.set();
    EXPECT_TRUE(event.isSet());
    EXPECT_TRUE(event.tryWait());
    EXPECT_FALSE(event.tryWait());
}

TEST(Event, WakesAWaiterInAnotherThread)
{
    Event started, finished;
    std::thread worker([&] {
        started.wait();
        finished.set();
    });
    started.set();
    EXPECT_TRUE(finished.wait(2s));
    worker.join();
}

TEST(QueueDispatcher, SendFromAWorkerRunsOnTheOwnerAndWaits)
{
    QueueDispatcher dispatcher;
    const auto owner = std::this_thread::get_id();
    std::thread::id ranOn;
    std::atomic<bool> sendReturned{false};
    std::thread worker([&] {
        dispatcher.send([&] { ranOn = std::this_thread::get_id(); });
        sendReturned = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(sendReturned.load()); // nothing runs until the owner pumps
    EXPECT_EQ(dispatcher.waitAndRun(2s), 1);
    worker.join();
    EXPECT_TRUE(sendReturned.load());
    EXPECT_EQ(ranOn, owner);
}

} // namespace
} // namespace bv
