// Any bytes as the billing centre's answer to an upload: the upload thread must end with a consistent
// send request block (a code, its text, the status only for a complete reply, the reply within its
// limit, both events set) and never crash.
#include "net/UploadThread.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

constexpr std::size_t BodySize = 3000;
constexpr std::size_t ReplyLimit = 4096;

struct Peer
{
    int listener = -1;
    int port = 0;
    std::string file;
};

const Peer& peer()
{
    static const Peer p = [] {
        Peer made;
        made.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(made.listener, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(made.listener, 4) != 0)
            std::abort();
        ::getsockname(made.listener, reinterpret_cast<sockaddr*>(&addr), &len);
        made.port = ntohs(addr.sin_port);
        made.file =
            (std::filesystem::temp_directory_path() / ("bv_fuzz_upload_" + std::to_string(::getpid()))).string();
        std::ofstream(made.file, std::ios::binary) << std::string(BodySize, 'x');
        return made;
    }();
    return p;
}

// Reads the whole request, answers with the given bytes and closes its sending side.
void answerOnce(const std::string& reply)
{
    const int fd = ::accept4(peer().listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    std::string request;
    char buffer[4096];
    for (;;) {
        const std::size_t head = request.find("\r\n\r\n");
        if (head != std::string::npos && request.size() >= head + 4 + BodySize)
            break;
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 2000) <= 0)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    pollfd pfd{fd, POLLIN, 0};
    while (::poll(&pfd, 1, 1000) > 0 && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
    ::close(fd);
}

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "inconsistent upload result: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte chooses how much of a well-formed answer comes before the rest of the input, so
    // that the search reaches header and body handling without a corpus.
    if (size == 0)
        return 0;
    static const char* const Prefixes[] = {"", "HTTP/1.0 ", "HTTP/1.0 200 OK\r\n",
                                           "HTTP/1.1 200 OK\r\nContent-Length: "};
    const std::string reply = Prefixes[data[0] % 4] + std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::thread server([&] { answerOnce(reply); });
    bv::SendRequestBlock block;
    block.url = "http://127.0.0.1:" + std::to_string(peer().port) + "/upload?vertnr=1";
    block.uploadFile = peer().file;
    bv::UploadSettings settings;
    settings.connectTimeout = std::chrono::seconds(2);
    settings.idleTimeout = std::chrono::seconds(2);
    settings.maxReplyBytes = ReplyLimit;
    bv::UploadThread(block, nullptr, settings);
    server.join();

    check(block.done.isSet() && block.cancelled.isSet(), "events not set");
    check(block.replyBody.size() <= ReplyLimit, "reply beyond its limit");
    check((block.errorCode == 0) == block.errorText.empty(), "text does not match the code");
    check(block.errorCode != 0 || block.httpStatus == 200, "success without status 200");
    check(block.errorCode != bv::UploadHttpStatusNotOk || (block.httpStatus != 200 && block.httpStatus != 0),
          "HTTP error without its status");
    check(block.errorCode == 0 || block.errorCode == bv::UploadHttpStatusNotOk || block.httpStatus == 0,
          "status kept after a failed step");
    return 0;
}
