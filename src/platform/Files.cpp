#include "platform/Files.h"

#include "platform/Text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace bv {

namespace {

// Captures errno right after a failed call; a failure must never read as success.
SystemError lastError()
{
    const int code = errno != 0 ? errno : EIO;
    return systemError(code);
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

std::filesystem::path temporarySibling(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tmp = target;
    tmp += ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
    return tmp;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void syncDirectoryOf(const std::filesystem::path& path)
{
    std::filesystem::path dir = path.parent_path();
    if (dir.empty())
        dir = ".";
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

files::FileIdentity identityOf(const struct stat& st)
{
    constexpr std::int64_t NanosecondsPerSecond = 1000000000;
    return files::FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                               static_cast<std::int64_t>(st.st_size),
                               static_cast<std::int64_t>(st.st_mtim.tv_sec) * NanosecondsPerSecond +
                                   st.st_mtim.tv_nsec};
}

bool pathExists(const std::filesystem::path& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Puts a finished temporary file in place of `target`. Without overwrite an existing target is
// never replaced: link() fails with EEXIST instead of racing a separate existence test.
SystemError commitTemporary(const std::filesystem::path& tmp, const std::filesystem::path& target, bool overwrite,
                            bool sync = true)
{
    if (overwrite) {
        if (::rename(tmp.c_str(), target.c_str()) != 0) {
            const SystemError err = lastError();
            ::unlink(tmp.c_str());
            return err;
        }
    } else if (::link(tmp.c_str(), target.c_str()) == 0) {
        ::unlink(tmp.c_str());
    } else {
        const int code = errno;
        if (code == EEXIST || (code != EPERM && code != ENOTSUP && code != EOPNOTSUPP)) {
            ::unlink(tmp.c_str());
            return systemError(code);
        }
        // File systems without hard links: test, then rename.
        if (pathExists(target)) {
            ::unlink(tmp.c_str());
            return systemError(EEXIST);
        }
        if (::rename(tmp.c_str(), target.c_str()) != 0) {
            const SystemError err = lastError();
            ::unlink(tmp.c_str());
            return err;
        }
    }
    if (sync)
        syncDirectoryOf(target);
    return {};
}

// Copies the open file `in` into a new temporary file beside `to`, synced, with the source's
// mode and modification time; returns the temporary path.
SystemError copyToTemporary(int in, const struct stat& st, const std::filesystem::path& to,
                            std::filesystem::path& tmpOut, const std::function<void(std::string_view)>* onBytes)
{
    tmpOut = temporarySibling(to);
    FileDescriptor out(::open(tmpOut.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
    if (out.get() < 0)
        return lastError();
    auto fail = [&]() {
        const SystemError err = lastError();
        out.reset();
        ::unlink(tmpOut.c_str());
        return err;
    };
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        if (n == 0)
            break;
        if (!writeAll(out.get(), buffer, static_cast<std::size_t>(n)))
            return fail();
        if (onBytes)
            (*onBytes)(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.get(), times);
    if (::fsync(out.get()) != 0)
        return fail();
    if (::close(out.release()) != 0) {
        const SystemError err = lastError();
        ::unlink(tmpOut.c_str());
        return err;
    }
    return {};
}

} // namespace

namespace files {

std::string temporaryDirectory()
{
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && *env) ? env : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

std::string directoryText(const std::filesystem::path& directory)
{
    std::string text = directory.string();
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

SystemError copyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite)
{
    return copyFile(from, to, overwrite, {}, nullptr);
}

SystemError copyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite,
                     const std::function<void(std::string_view)>& onBytes, FileIdentity* sourceIdentity)
{
    // Opened without waiting: a pipe must not hold the copy up until someone writes to it.
    FileDescriptor in(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0)
        return lastError();
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return lastError();
    if (S_ISDIR(st.st_mode))
        return systemError(EISDIR);
    if (!S_ISREG(st.st_mode))
        return systemError(EACCES);
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
    if (!overwrite && pathExists(to))
        return systemError(EEXIST);
    if (sourceIdentity)
        *sourceIdentity = identityOf(st);
    std::filesystem::path tmp;
    if (SystemError err = copyToTemporary(in.get(), st, to, tmp, onBytes ? &onBytes : nullptr))
        return err;
    return commitTemporary(tmp, to, overwrite);
}

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return identityOf(st);
}

SystemError moveFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite)
{
    int rc;
    if (overwrite) {
        rc = ::rename(from.c_str(), to.c_str());
    } else {
        rc = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // File systems that cannot refuse the replacement themselves.
            if (pathExists(to))
                return systemError(EEXIST);
            rc = ::rename(from.c_str(), to.c_str());
        }
    }
    if (rc == 0) {
        syncDirectoryOf(to);
        syncDirectoryOf(from);
        return {};
    }
    if (errno != EXDEV)
        return lastError();
    if (SystemError err = copyFile(from, to, overwrite))
        return err;
    return removeFile(from);
}

SystemError removeFile(const std::filesystem::path& path)
{
    if (::unlink(path.c_str()) != 0)
        return lastError();
    return {};
}

SystemError createDirectory(const std::filesystem::path& path)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return {};
    const SystemError err = lastError();
    struct stat st;
    if (err.code == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return {};
    return err;
}

SystemError createDirectories(const std::filesystem::path& path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec)
        return systemError(ec.value());
    return {};
}

SystemError writeFileAtomic(const std::filesystem::path& path, std::string_view content)
{
    return writeFileAtomic(path, content, Durability::OnDisk);
}

SystemError writeFileAtomic(const std::filesystem::path& path, std::string_view content, Durability durability)
{
    const bool sync = durability == Durability::OnDisk;
    // A symbolic link stays a link: its target is what gets replaced.
    std::filesystem::path target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            target = resolved;
    }
    struct stat st;
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode))
        return systemError(EISDIR);
    const std::filesystem::path tmp = temporarySibling(target);
    FileDescriptor out(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0)
        return lastError();
    auto fail = [&]() {
        const SystemError err = lastError();
        out.reset();
        ::unlink(tmp.c_str());
        return err;
    };
    if (existed)
        ::fchmod(out.get(), st.st_mode & 07777);
    if (!writeAll(out.get(), content.data(), content.size()) || (sync && ::fsync(out.get()) != 0))
        return fail();
    if (::close(out.release()) != 0) {
        const SystemError err = lastError();
        ::unlink(tmp.c_str());
        return err;
    }
    return commitTemporary(tmp, target, true, sync);
}

std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes)
{
    FileDescriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return std::nullopt;
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return std::nullopt;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return std::nullopt;
    }
    std::string content;
    if (S_ISREG(st.st_mode))
        content.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), maxBytes));
    char buffer[65536];
    while (content.size() < maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes - content.size());
        const ssize_t n = ::read(in.get(), buffer, want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
}

std::optional<std::uint64_t> creationFileTime(const std::filesystem::path& path)
{
    struct statx sx;
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &sx) != 0)
        return std::nullopt;
    const struct statx_timestamp& ts = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime : sx.stx_mtime;
    // Seconds between 1601-01-01 and 1970-01-01, the two epochs.
    constexpr std::int64_t EpochDifference = 11644473600LL;
    const std::int64_t seconds = ts.tv_sec + EpochDifference;
    if (seconds < 0)
        return 0;
    return static_cast<std::uint64_t>(seconds) * 10000000ULL + ts.tv_nsec / 100;
}

std::vector<DirEntry> listDirectory(const std::filesystem::path& dir, const std::string& pattern, SystemError* errorOut)
{
    std::vector<DirEntry> entries;
    if (errorOut)
        *errorOut = {};
    DIR* d = ::opendir(dir.c_str());
    if (!d) {
        if (errorOut)
            *errorOut = lastError();
        return entries;
    }
    for (;;) {
        errno = 0;
        const struct dirent* e = ::readdir(d);
        if (!e) {
            if (errno != 0 && errorOut)
                *errorOut = lastError();
            break;
        }
        const std::string name = e->d_name;
        if (name == "." || name == ".." || !matchesPattern(pattern, name))
            continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            isDir = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back({name, isDir});
    }
    ::closedir(d);
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
        const std::string la = toLower(a.name);
        const std::string lb = toLower(b.name);
        return la != lb ? la < lb : a.name < b.name;
    });
    return entries;
}

bool removableFlag(const std::filesystem::path& deviceDir)
{
    // A partition has a "partition" file; the "removable" flag belongs to the whole disk above it.
    std::error_code ec;
    std::filesystem::path disk = deviceDir;
    if (std::filesystem::exists(deviceDir / "partition", ec))
        disk = deviceDir.parent_path();
    std::ifstream in(disk / "removable");
    char c = 0;
    return in.get(c) && c == '1';
}

bool RemovableProbe::isRemovable(const std::filesystem::path& path) const
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || major(st.st_dev) == 0)
        return false;
    const std::string link =
        "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    std::error_code ec;
    const auto deviceDir = std::filesystem::canonical(link, ec);
    if (ec)
        return false;
    return removableFlag(deviceDir);
}

bool DriveProbe::driveExists(char /*letter*/) const
{
    return false;
}

} // namespace files
} // namespace bv
