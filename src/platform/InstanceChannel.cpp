#include "platform/InstanceChannel.h"

#include "platform/Files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bv {

namespace {

// Longest request accepted; a path or a short command is all a second instance sends.
constexpr std::uint32_t MaxRequestBytes = 16 * 1024 * 1024;
constexpr char Acknowledgement = 0x06;
// How long the server waits for the bytes of a request once a client connected.
constexpr int RequestReadTimeoutMs = 10000;

std::string objectPath(const std::string& name, const char* suffix)
{
    const std::string dir = instanceRuntimeDirectory();
    ::mkdir(dir.c_str(), 0700);
    // Lock and socket only ever go into a directory of this user: one that someone else made in
    // the shared temporary directory could hand our requests to a stranger.
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return {};
    std::string base = name.empty() ? "_" : name;
    for (char& c : base) {
        if (c == '/' || c == '\0')
            c = '_';
    }
    // A socket path must fit sockaddr_un; very long names are replaced by a hash of the name.
    if (dir.size() + 1 + base.size() + 5 >= sizeof(sockaddr_un::sun_path)) {
        std::uint64_t h = 1469598103934665603ULL;
        for (unsigned char c : name)
            h = (h ^ c) * 1099511628211ULL;
        char hex[24];
        std::snprintf(hex, sizeof hex, "bv-%016llx", static_cast<unsigned long long>(h));
        base = hex;
    }
    return dir + "/" + base + suffix;
}

int connectTo(const std::string& path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return -1;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    while (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno == EINTR)
            continue;
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads exactly `size` bytes, waiting at most timeoutMs for each piece.
bool receiveAll(int fd, char* data, std::size_t size, int timeoutMs)
{
    while (size > 0) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string instanceRuntimeDirectory()
{
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg) {
        std::string dir = xdg;
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        return dir;
    }
    // The shared temporary directory gets a private subdirectory per user.
    return files::temporaryDirectory() + "brevalis-" + std::to_string(::getuid());
}

NamedLock::NamedLock(const std::string& name) : m_path(objectPath(name, ".lock")) {}

NamedLock::~NamedLock()
{
    release();
}

bool NamedLock::acquire()
{
    if (m_held)
        return true;
    if (m_fd < 0)
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return false;
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return false;
    }
    m_held = true;
    return true;
}

bool NamedLock::tryAcquire()
{
    if (m_held)
        return true;
    if (m_fd < 0)
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0 || ::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    m_held = true;
    return true;
}

void NamedLock::release()
{
    // The lock file itself stays: removing it would let two processes lock two different files.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_held = false;
}

struct InstanceServer::Impl
{
    std::string path;
    int listenFd = -1;
    int wake[2] = {-1, -1};
    ino_t socketInode = 0;
    std::thread thread;
    std::function<void(const std::string&)> dispatch;
    std::atomic<bool> listening{false};

    void serve()
    {
        for (;;) {
            pollfd fds[2] = {{listenFd, POLLIN, 0}, {wake[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents)
                return;
            if (!(fds[0].revents & POLLIN))
                continue;
            const int conn = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (conn < 0)
                continue;
            handle(conn);
            ::close(conn);
        }
    }

    // One connection carries one request: a 4-byte length (network order) and the bytes. A
    // connection that closes at once is only the test whether an instance runs.
    void handle(int conn)
    {
        unsigned char header[4];
        if (!receiveAll(conn, reinterpret_cast<char*>(header), sizeof header, RequestReadTimeoutMs))
            return;
        const std::uint32_t length = (std::uint32_t{header[0]} << 24) | (std::uint32_t{header[1]} << 16) |
                                     (std::uint32_t{header[2]} << 8) | std::uint32_t{header[3]};
        if (length > MaxRequestBytes)
            return;
        std::string request(length, '\0');
        if (length > 0 && !receiveAll(conn, request.data(), length, RequestReadTimeoutMs))
            return;
        try {
            dispatch(request);
        } catch (...) {
            // A failing handler must not end the channel; the sender still gets its answer.
        }
        sendAll(conn, &Acknowledgement, 1);
    }
};

InstanceServer::InstanceServer(const std::string& name) : m_impl(std::make_unique<Impl>())
{
    m_impl->path = objectPath(name, ".sock");
}

InstanceServer::~InstanceServer()
{
    close();
}

bool InstanceServer::listen(std::function<void(const std::string&)> dispatch)
{
    Impl& d = *m_impl;
    if (d.listening)
        return true;
    // A socket file nobody answers on is what a killed first instance leaves behind.
    if (const int probe = connectTo(d.path); probe >= 0) {
        ::close(probe);
        return false;
    }
    ::unlink(d.path.c_str());

    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (d.path.empty() || d.path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, d.path.c_str(), d.path.size() + 1);
    d.listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (d.listenFd < 0)
        return false;
    struct stat st;
    if (::bind(d.listenFd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(d.listenFd, 16) != 0 || ::pipe2(d.wake, O_CLOEXEC) != 0 || ::stat(d.path.c_str(), &st) != 0) {
        close();
        return false;
    }
    ::chmod(d.path.c_str(), 0600);
    d.socketInode = st.st_ino;
    d.dispatch = std::move(dispatch);
    d.listening = true;
    d.thread = std::thread([&d] { d.serve(); });
    return true;
}

void InstanceServer::close()
{
    Impl& d = *m_impl;
    if (d.thread.joinable()) {
        const char stop = 1;
        while (::write(d.wake[1], &stop, 1) < 0 && errno == EINTR) {
        }
        d.thread.join();
    }
    if (d.listenFd >= 0) {
        // Remove the socket file only while it is still ours.
        struct stat st;
        if (::stat(d.path.c_str(), &st) == 0 && st.st_ino == d.socketInode)
            ::unlink(d.path.c_str());
        ::close(d.listenFd);
        d.listenFd = -1;
    }
    for (int& fd : d.wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    d.listening = false;
}

bool InstanceServer::isListening() const
{
    return m_impl->listening;
}

bool instanceExists(const std::string& name)
{
    const int fd = connectTo(objectPath(name, ".sock"));
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool sendToInstance(const std::string& name, const std::string& request, std::chrono::milliseconds timeout)
{
    if (request.size() > MaxRequestBytes)
        return false;
    const int fd = connectTo(objectPath(name, ".sock"));
    if (fd < 0)
        return false;
    const auto length = static_cast<std::uint32_t>(request.size());
    const unsigned char header[4] = {static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
                                     static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    char ack = 0;
    const bool ok = sendAll(fd, reinterpret_cast<const char*>(header), sizeof header) &&
                    sendAll(fd, request.data(), request.size()) &&
                    receiveAll(fd, &ack, 1, static_cast<int>(timeout.count())) && ack == Acknowledgement;
    ::close(fd);
    return ok;
}

bool sendToInstance(const std::string& name, const std::string& request)
{
    return sendToInstance(name, request, DefaultAcknowledgementTimeout);
}

} // namespace bv
