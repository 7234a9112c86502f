// Several processes writing one hive at once, and a writer killed in the middle of its writes.
#include "platform/Registry.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace bv {
namespace {

const std::string UserKey = "HKEY_CURRENT_USER\\Software\\Brevalis\\BVALS_CL\\General";

// Runs `body` in a child process and returns its pid.
template <typename Body> pid_t forkChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    return pid;
}

std::string numbered(const char* prefix, int a, int b)
{
    return strFormat("%s%d_%d", prefix, a, b);
}

int waitFor(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(RegistryProcesses, TwoWritersLoseNothing)
{
    TempRegistry reg;
    constexpr int PerProcess = 1000;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        children.push_back(forkChild([&] {
            Registry r(reg.machineFile(), reg.userFile());
            for (int i = 0; i < PerProcess; ++i) {
                if (!r.setValue(UserKey, numbered("p", p, i), RegValue::dword(i)))
                    ::_exit(1);
            }
        }));
    }
    for (pid_t pid : children) {
        const int status = waitFor(pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Registry r(reg.machineFile(), reg.userFile());
    EXPECT_EQ(r.user().valueNames(UserKey).size(), 2u * PerProcess);
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < PerProcess; ++i) {
            const auto v = r.value(UserKey, numbered("p", p, i));
            ASSERT_TRUE(v.has_value()) << p << " " << i;
            EXPECT_EQ(v->number, static_cast<std::uint32_t>(i));
        }
    }
}

TEST(RegistryProcesses, KilledWriterLeavesAHiveThatParses)
{
    TempRegistry reg;
    for (int round = 0; round < 5; ++round) {
        const pid_t pid = forkChild([&] {
            Registry r(reg.machineFile(), reg.userFile());
            for (int i = 0;; ++i)
                r.setValue(UserKey, numbered("r", round, i), RegValue::string(std::string(200, 'x')));
        });
        // The kill falls in the middle of the writing: after the first value is there (however long a
        // loaded machine takes to start the writer), at a different moment each round.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!Registry(reg.machineFile(), reg.userFile()).value(UserKey, numbered("r", round, 0)) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + 25 * round));
        ::kill(pid, SIGKILL);
        waitFor(pid);
        Registry r(reg.machineFile(), reg.userFile());
        ASSERT_NO_THROW(r.user().load()) << "round " << round;
        // Every write before the last completed one is there: the values form an unbroken run.
        int count = 0;
        while (r.value(UserKey, numbered("r", round, count)))
            ++count;
        EXPECT_GT(count, 0);
        // The killed writer's temporary file is swept by the next write.
        ASSERT_TRUE(r.setValue(UserKey, "nach", RegValue::dword(static_cast<std::uint32_t>(round))));
        for (const auto& entry : std::filesystem::directory_iterator(reg.directory()))
            EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();
        EXPECT_FALSE(r.value(UserKey, numbered("r", round, count + 1)));
    }
}

} // namespace
} // namespace bv
