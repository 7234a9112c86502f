#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace bv {

// An advisory lock that one process at a time holds on a directory. It is taken on a lock file beside
// the directory ("<directory>.lock", the way a hive is locked) and on the directory itself, so that a
// process that cannot create the file beside it still takes part. The system releases both when the
// process ends, however it ends; the lock file is removed when the lock is let go.
// Within one process the lock is shared: whoever asks for a directory whose lock the process already
// holds receives that lock, and it is let go with its last holder.
class DirectoryLock
{
public:
    enum class Outcome
    {
        Acquired,
        Busy,        // another process holds it
        Unavailable, // neither lock could be taken (no such directory, a file system without locks)
    };

    // Never waits. Null unless the outcome is Acquired.
    static std::shared_ptr<DirectoryLock> tryAcquire(const std::filesystem::path& directory,
                                                     Outcome* outcome = nullptr);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    // "<directory>.lock"; empty when only the directory itself could be locked.
    const std::filesystem::path& lockFile() const { return m_lockFile; }

private:
    DirectoryLock(std::string key, std::filesystem::path lockFile, int fileFd, int directoryFd);

    std::string m_key;
    std::filesystem::path m_lockFile;
    int m_fileFd;
    int m_directoryFd;
};

} // namespace bv
