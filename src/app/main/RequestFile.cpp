#include "app/main/RequestFile.h"

#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

RequestFile failed(int errnoValue)
{
    RequestFile file;
    file.cause = files::fileErrorCause(errnoValue);
    return file;
}

} // namespace

RequestFile readRequestFile(const std::string& path)
{
    // Opened without blocking: a request naming a pipe or a device must not hang the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(S_ISDIR(st.st_mode) ? EISDIR : EACCES);
    }

    std::string bytes(RequestFileLimit, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return failed(error);
        }
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(filled);

    RequestFile file;
    file.opened = true;
    const std::size_t zero = bytes.find('\0');
    file.postData = zero == std::string::npos ? bytes : bytes.substr(0, zero);
    return file;
}

} // namespace bv
