#include "platform/DirectoryLock.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

enum class Taken
{
    Held,
    Busy,
    Failed,
};

// The locks this process holds, by directory, so that a second holder in the process shares them.
std::mutex& heldMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, std::weak_ptr<DirectoryLock>>& heldLocks()
{
    static std::map<std::string, std::weak_ptr<DirectoryLock>> locks;
    return locks;
}

// The directory as one name, whatever way it was written ("spool/", "./spool", a link to it).
std::filesystem::path normalised(const std::filesystem::path& directory)
{
    std::error_code ec;
    std::filesystem::path path = std::filesystem::weakly_canonical(directory, ec);
    if (ec)
        path = std::filesystem::absolute(directory, ec);
    path = path.lexically_normal();
    if (!path.has_filename() && path.has_relative_path())
        path = path.parent_path();
    return path;
}

Taken lockDescriptor(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EWOULDBLOCK ? Taken::Busy : Taken::Failed;
    }
    return Taken::Held;
}

bool sameFile(int fd, const std::filesystem::path& path)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// The lock file. A holder removes it when it lets go, so a file opened just before that is no longer
// the lock file once it is locked: then the name is opened again.
Taken lockByFile(const std::filesystem::path& path, int& fdOut)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        // A link in place of the lock file must not make it create or lock another file.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return Taken::Failed;
        const Taken taken = lockDescriptor(fd);
        if (taken == Taken::Held && sameFile(fd, path)) {
            fdOut = fd;
            return Taken::Held;
        }
        ::close(fd);
        if (taken != Taken::Held)
            return taken;
    }
    return Taken::Failed;
}

Taken lockDirectory(const std::filesystem::path& directory, int& fdOut)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Taken::Failed;
    const Taken taken = lockDescriptor(fd);
    if (taken == Taken::Held)
        fdOut = fd;
    else
        ::close(fd);
    return taken;
}

} // namespace

std::shared_ptr<DirectoryLock> DirectoryLock::tryAcquire(const std::filesystem::path& directory, Outcome* outcome)
{
    const std::filesystem::path dir = normalised(directory);
    const std::string key = dir.string();
    std::lock_guard guard(heldMutex());
    auto& locks = heldLocks();
    if (auto held = locks[key].lock()) {
        if (outcome)
            *outcome = Outcome::Acquired;
        return held;
    }

    std::filesystem::path file;
    if (dir.has_filename())
        file = dir.parent_path() / (dir.filename().string() + ".lock");
    int fileFd = -1;
    int directoryFd = -1;
    const Taken byFile = file.empty() ? Taken::Failed : lockByFile(file, fileFd);
    const Taken byDirectory = byFile == Taken::Busy ? Taken::Failed : lockDirectory(dir, directoryFd);

    Outcome result = Outcome::Acquired;
    if (byFile == Taken::Busy || byDirectory == Taken::Busy)
        result = Outcome::Busy;
    else if (byFile == Taken::Failed && byDirectory == Taken::Failed)
        result = Outcome::Unavailable;
    if (outcome)
        *outcome = result;
    if (result != Outcome::Acquired) {
        if (fileFd >= 0) {
            ::unlink(file.c_str());
            ::close(fileFd);
        }
        if (directoryFd >= 0)
            ::close(directoryFd);
        locks.erase(key);
        return nullptr;
    }
    std::shared_ptr<DirectoryLock> lock(
        new DirectoryLock(key, fileFd >= 0 ? file : std::filesystem::path(), fileFd, directoryFd));
    locks[key] = lock;
    return lock;
}

DirectoryLock::DirectoryLock(std::string key, std::filesystem::path lockFile, int fileFd, int directoryFd)
    : m_key(std::move(key)), m_lockFile(std::move(lockFile)), m_fileFd(fileFd), m_directoryFd(directoryFd)
{}

DirectoryLock::~DirectoryLock()
{
    std::lock_guard guard(heldMutex());
    auto& locks = heldLocks();
    const auto entry = locks.find(m_key);
    if (entry != locks.end() && entry->second.expired())
        locks.erase(entry);
    // Removed while still locked: whoever opened the old file finds it gone and opens the name anew.
    if (m_fileFd >= 0) {
        if (sameFile(m_fileFd, m_lockFile))
            ::unlink(m_lockFile.c_str());
        ::close(m_fileFd);
    }
    if (m_directoryFd >= 0)
        ::close(m_directoryFd);
}

} // namespace bv
