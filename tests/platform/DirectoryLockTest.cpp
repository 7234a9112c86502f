#include "platform/DirectoryLock.h"

#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace bv {
namespace {

namespace fs = std::filesystem;
using Outcome = DirectoryLock::Outcome;

// A process of its own that takes the lock and keeps it until it is killed.
class OtherHolder
{
public:
    explicit OtherHolder(const fs::path& directory)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            const auto lock = DirectoryLock::tryAcquire(directory);
            const char answer = lock ? '1' : '0';
            (void)!::write(ready[1], &answer, 1);
            for (;;)
                ::pause();
        }
        char answer = '0';
        (void)!::read(ready[0], &answer, 1);
        m_holds = answer == '1';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~OtherHolder() { kill(); }
    bool holds() const { return m_holds; }
    // SIGKILL: nothing of the process runs any more, only the system can let the lock go.
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_holds = false;
};

// Whether a process of its own could lock the directory now. It asks the system directly: a forked
// process carries a copy of this one's memory, and with it the locks this process shares out.
bool freeForAnotherProcess(const fs::path& directory)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
        ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class DirectoryLockTest : public ::testing::Test
{
protected:
    void SetUp() override { fs::create_directories(m_spool); }

    TempDir m_root;
    fs::path m_spool = m_root.file("spool");
};

TEST_F(DirectoryLockTest, OneProcessAtATimeAndTheSystemReleasesAKilledHolder)
{
    // Row: what stands where the lock file goes. A folder there leaves only the directory's own lock.
    for (const bool lockFileBlocked : {false, true}) {
        SCOPED_TRACE(lockFileBlocked ? "lock file cannot be made" : "lock file beside the spool");
        if (lockFileBlocked)
            fs::create_directories(m_root.file("spool.lock"));
        OtherHolder other(m_spool);
        ASSERT_TRUE(other.holds());
        Outcome outcome = Outcome::Acquired;
        EXPECT_EQ(DirectoryLock::tryAcquire(m_spool, &outcome), nullptr);
        EXPECT_EQ(outcome, Outcome::Busy);

        other.kill();
        const auto lock = DirectoryLock::tryAcquire(m_spool, &outcome);
        EXPECT_NE(lock, nullptr);
        EXPECT_EQ(outcome, Outcome::Acquired);
    }
}

TEST_F(DirectoryLockTest, HoldersInOneProcessShareTheLockAndTheLastOneRemovesTheLockFile)
{
    auto first = DirectoryLock::tryAcquire(m_spool);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->lockFile(), m_root.file("spool.lock"));
    EXPECT_TRUE(fs::exists(m_root.file("spool.lock")));
    // The same directory however it is written.
    auto second = DirectoryLock::tryAcquire(m_spool.string() + "/./");
    EXPECT_EQ(second, first);

    first.reset();
    EXPECT_FALSE(freeForAnotherProcess(m_spool)) << "still held by the second holder";
    second.reset();
    EXPECT_FALSE(fs::exists(m_root.file("spool.lock")));
    EXPECT_TRUE(freeForAnotherProcess(m_spool));
}

TEST_F(DirectoryLockTest, ALinkInPlaceOfTheLockFileIsNotFollowed)
{
    const fs::path elsewhere = m_root.file("elsewhere");
    fs::create_symlink(elsewhere, m_root.file("spool.lock"));
    const auto lock = DirectoryLock::tryAcquire(m_spool);
    EXPECT_NE(lock, nullptr) << "the directory itself is locked";
    EXPECT_FALSE(fs::exists(elsewhere));
    EXPECT_TRUE(fs::is_symlink(m_root.file("spool.lock")));
}

TEST_F(DirectoryLockTest, NothingToLockIsUnavailable)
{
    Outcome outcome = Outcome::Acquired;
    EXPECT_EQ(DirectoryLock::tryAcquire(m_root.file("missing/spool"), &outcome), nullptr);
    EXPECT_EQ(outcome, Outcome::Unavailable);
}

} // namespace
} // namespace bv
