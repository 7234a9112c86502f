// Whole requests, as bytes on a socket, to a running centre: the request line, headers, query and body
// readers and every endpoint behind them.
#include "bvcentre/BillingCentre.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

bv::testing::BillingCentre& centre()
{
    static const std::unique_ptr<bv::testing::BillingCentre> running = [] {
        auto made = std::make_unique<bv::testing::BillingCentre>();
        if (!made->start()) {
            std::abort();
        }
        made->addAccount({"demo", "geheim", {{"123456", "Dr Demo"}}, {"MSG/INFO: x"}, true, false});
        made->setInstallerSize(4096);
        return made;
    }();
    return *running;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    bv::testing::BillingCentre& server = centre();
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        send(fd, data, size, MSG_NOSIGNAL);
        shutdown(fd, SHUT_WR);
        char buffer[65536];
        while (recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    }
    close(fd);
    static int sinceCleared = 0;
    if (++sinceCleared == 500) {
        sinceCleared = 0;
        server.clearRequests();
        server.expireSessions();
    }
    return 0;
}
