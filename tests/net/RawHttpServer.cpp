#include "RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace bv::test {

namespace {

int listenOnLoopback(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

// Reads the head up to the blank line and then as many body bytes as Content-Length names.
bool readRequest(int fd, RawRequest& request)
{
    std::string data;
    char buffer[4096];
    std::size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        data.append(buffer, static_cast<std::size_t>(n));
        headEnd = data.find("\r\n\r\n");
    }
    request.head = data.substr(0, headEnd + 2);
    request.body = data.substr(headEnd + 4);
    std::string length;
    const std::size_t wanted = request.header("Content-Length", length) ? std::strtoul(length.c_str(), nullptr, 10) : 0;
    while (request.body.size() < wanted) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        request.body.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::string RawRequest::requestLine() const
{
    return head.substr(0, head.find("\r\n"));
}

bool RawRequest::header(const std::string& name, std::string& value) const
{
    std::size_t pos = head.find("\r\n");
    while (pos != std::string::npos && pos + 2 < head.size()) {
        const std::size_t start = pos + 2;
        const std::size_t end = head.find("\r\n", start);
        const std::string line = head.substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && colon == name.size() &&
            ::strncasecmp(line.c_str(), name.c_str(), colon) == 0) {
            value = line.substr(colon + 1);
            const std::size_t first = value.find_first_not_of(' ');
            value = first == std::string::npos ? std::string() : value.substr(first);
            return true;
        }
        pos = end;
    }
    return false;
}

RawHttpServer::RawHttpServer(Handler handler) : m_handler(std::move(handler))
{
    m_listener = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

RawHttpServer::~RawHttpServer()
{
    m_stopping = true;
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    for (auto& connection : m_connections)
        connection.join();
    ::close(m_listener);
}

std::string RawHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<RawRequest> RawHttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void RawHttpServer::serve()
{
    while (!m_stopping) {
        pollfd pfd{m_listener, POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0)
            continue;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        m_connections.emplace_back([this, fd] {
            RawRequest request;
            if (readRequest(fd, request)) {
                {
                    std::lock_guard lock(m_mutex);
                    m_requests.push_back(request);
                }
                m_handler(fd, request);
            }
            ::close(fd);
        });
    }
}

void RawHttpServer::sendAll(int socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

std::string RawHttpServer::response(int status, const std::string& body, const std::string& extraHeaders)
{
    return "HTTP/1.0 " + std::to_string(status) +
           " Status\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           extraHeaders + "\r\n" + body;
}

bool RawHttpServer::waitForPeerClose(int socket, std::chrono::milliseconds max)
{
    const auto end = std::chrono::steady_clock::now() + max;
    char buffer[256];
    while (std::chrono::steady_clock::now() < end) {
        pollfd pfd{socket, POLLIN, 0};
        if (::poll(&pfd, 1, 50) > 0 && ::recv(socket, buffer, sizeof buffer, 0) <= 0)
            return true;
    }
    return false;
}

int closedPort()
{
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

} // namespace bv::test
