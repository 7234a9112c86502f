#include "billing/OpenFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

std::unique_ptr<OpenFile> OpenFile::open(const std::filesystem::path& path, SystemError* error)
{
    // A pipe in the spool directory must not keep the opening waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = lastSystemError();
        return nullptr;
    }
    struct stat st
    {
    };
    // Only a plain file is a billing file: a directory, pipe or device is refused like a directory.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int code = S_ISREG(st.st_mode) ? errno : EISDIR;
        ::close(fd);
        if (error)
            *error = SystemError{code, systemErrorText(code)};
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::unique_ptr<OpenFile>(new OpenFile(path.string(), fd));
}

OpenFile::OpenFile(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}

OpenFile::~OpenFile()
{
    ::lseek(m_fd, 0, SEEK_SET);
    ::close(m_fd);
}

std::string OpenFile::fileName() const
{
    return std::filesystem::path(m_path).filename().string();
}

std::int64_t OpenFile::size() const
{
    struct stat st
    {
    };
    if (::fstat(m_fd, &st) != 0)
        return -1;
    return st.st_size;
}

std::int64_t OpenFile::read(void* buffer, std::size_t length)
{
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(m_fd, out + done, length - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t OpenFile::readAt(std::int64_t offset, void* buffer, std::size_t length)
{
    if (!seek(offset))
        return -1;
    return read(buffer, length);
}

bool OpenFile::seek(std::int64_t offset)
{
    return ::lseek(m_fd, offset, SEEK_SET) == offset;
}

} // namespace bv
