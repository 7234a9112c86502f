#include "bvcentre/ConnectionControl.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace bv::testing {
namespace {

struct Endpoint
{
    std::string address;
    int port = -1;
};

bool endpointOf(int fd, bool peer, Endpoint& out)
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    auto* address = reinterpret_cast<sockaddr*>(&storage);
    if ((peer ? getpeername(fd, address, &length) : getsockname(fd, address, &length)) != 0) {
        return false;
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (storage.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&storage);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        out.port = ntohs(in->sin_port);
    } else if (storage.ss_family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&storage);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        out.port = ntohs(in6->sin6_port);
    } else {
        return false;
    }
    out.address = text;
    return true;
}

// The server side of a plain connection is the one socket of this process whose own port is the
// request's local port and whose peer is the request's remote address and port.
int plainSocket(const httplib::Request& request)
{
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        return -1;
    }
    int found = -1;
    while (const dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0') {
            continue;
        }
        struct stat info
        {
        };
        if (fstat(static_cast<int>(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) {
            continue;
        }
        Endpoint local, peer;
        if (endpointOf(static_cast<int>(fd), false, local) && endpointOf(static_cast<int>(fd), true, peer) &&
            local.port == request.local_port && peer.port == request.remote_port &&
            peer.address == request.remote_addr) {
            found = static_cast<int>(fd);
            break;
        }
    }
    closedir(dir);
    return found;
}

int connectionSocket(const httplib::Request& request)
{
    if (request.ssl != nullptr) {
        return SSL_get_fd(request.ssl);
    }
    return plainSocket(request);
}

} // namespace

void dropConnection(const httplib::Request& request)
{
    const int fd = connectionSocket(request);
    if (fd >= 0) {
        shutdown(fd, SHUT_RDWR);
    }
}

bool writeRaw(const httplib::Request& request, std::string_view bytes)
{
    if (request.ssl != nullptr) {
        // The TLS session belongs to this connection's thread, which is the one running the handler.
        SSL* ssl = const_cast<SSL*>(request.ssl);
        while (!bytes.empty()) {
            const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
            const int written = SSL_write(ssl, bytes.data(), chunk);
            if (written <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
    }
    const int fd = plainSocket(request);
    if (fd < 0) {
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace bv::testing
