#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bv::test {

// One request as it arrived on the socket, byte for byte.
struct RawRequest
{
    std::string head; // request line and headers, up to the blank line
    std::string body;
    std::string requestLine() const;
    // Value of the first header with this name (case-insensitive), or nullopt-like empty + false.
    bool header(const std::string& name, std::string& value) const;
};

// A loopback HTTP server at the socket level, so that tests control every byte of a reply: broken
// status lines, connections dropped in the middle, silence. Each connection is served by `handler`,
// which writes whatever it likes to the socket and returns; the server then closes the connection.
class RawHttpServer
{
public:
    using Handler = std::function<void(int socket, const RawRequest& request)>;

    explicit RawHttpServer(Handler handler);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return m_port; }
    std::string url(const std::string& path = "/") const;
    std::vector<RawRequest> requests() const;

    // Helpers for handlers.
    static void sendAll(int socket, const std::string& bytes);
    static std::string response(int status, const std::string& body, const std::string& extraHeaders = {});
    // Stays silent until the client hangs up (or `max` passes); true when the client hung up.
    static bool waitForPeerClose(int socket, std::chrono::milliseconds max);

private:
    void serve();

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<RawRequest> m_requests;
    std::vector<std::thread> m_connections;
    std::thread m_thread;
};

// A port on 127.0.0.1 on which nobody listens.
int closedPort();

} // namespace bv::test
