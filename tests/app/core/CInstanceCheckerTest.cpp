#include "app/core/CInstanceChecker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace bv {
namespace {

// Each test uses its own instance names so that parallel test runs do not meet.
std::string uniqueName(const char* tag)
{
    return std::string("bvtest_") + tag + "_" + std::to_string(::getpid());
}

// Runs a second start in a child process: it must find the running instance, hand over its
// request and end only after the first instance handled it. Exit 0 on success.
int secondStart(const std::string& name, const std::string& request)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        CInstanceChecker checker(name);
        if (!checker.PreviousInstanceRunning())
            ::_exit(3);
        ::_exit(checker.ActivatePreviousInstance(request) ? 0 : 4);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CInstanceChecker, SecondStartHandsItsRequestToTheFirstAndWaitsUntilHandled)
{
    const std::string name = uniqueName("req");
    CInstanceChecker first(name);
    ASSERT_FALSE(first.PreviousInstanceRunning());

    std::mutex mutex;
    std::vector<std::string> received;
    std::atomic<bool> handlerFinished{false};
    ASSERT_TRUE(first.TrackFirstInstanceRunning([&](const std::string& request) {
        // A slow handler: the second start must still be waiting when it ends.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::lock_guard lock(mutex);
        received.push_back(request);
        handlerFinished = true;
    }));

    EXPECT_EQ(secondStart(name, "REQ:/tmp/x y.ini"), 0);
    EXPECT_TRUE(handlerFinished.load());
    std::lock_guard lock(mutex);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "REQ:/tmp/x y.ini");
}

TEST(CInstanceChecker, SecondStartWithoutArgumentsOnlyActivates)
{
    const std::string name = uniqueName("activate");
    CInstanceChecker first(name);
    ASSERT_FALSE(first.PreviousInstanceRunning());
    std::vector<std::string> received;
    ASSERT_TRUE(first.TrackFirstInstanceRunning([&](const std::string& request) { received.push_back(request); }));
    EXPECT_EQ(secondStart(name, ""), 0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "");
}

TEST(CInstanceChecker, DifferentConfigurationsRunSideBySide)
{
    const std::string plain = uniqueName("plain");
    const std::string named = uniqueName("named");
    CInstanceChecker first(plain);
    ASSERT_FALSE(first.PreviousInstanceRunning());
    ASSERT_TRUE(first.TrackFirstInstanceRunning([](const std::string&) {}));

    CInstanceChecker other(named);
    EXPECT_FALSE(other.PreviousInstanceRunning());
    ASSERT_TRUE(other.TrackFirstInstanceRunning([](const std::string&) {}));

    // A further start with the first name still finds the first instance.
    EXPECT_EQ(secondStart(plain, "REQ:a"), 0);
}

TEST(CInstanceChecker, InstanceIsGoneWhenTheFirstEnds)
{
    const std::string name = uniqueName("gone");
    {
        CInstanceChecker first(name);
        ASSERT_FALSE(first.PreviousInstanceRunning());
        ASSERT_TRUE(first.TrackFirstInstanceRunning([](const std::string&) {}));
    }
    CInstanceChecker next(name);
    EXPECT_FALSE(next.PreviousInstanceRunning());
}

} // namespace
} // namespace bv
