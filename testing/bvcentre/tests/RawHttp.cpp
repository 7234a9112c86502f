#include "RawHttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace bv::testing {
namespace {

void parse(RawReply& reply)
{
    const std::size_t end = reply.raw.find("\r\n\r\n");
    if (reply.raw.compare(0, 5, "HTTP/") != 0 || end == std::string::npos) {
        return;
    }
    reply.body = reply.raw.substr(end + 4);
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < end) {
        std::size_t lineEnd = reply.raw.find("\r\n", lineStart);
        const std::string line = reply.raw.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        if (first) {
            first = false;
            const std::size_t blank = line.find(' ');
            reply.version = line.substr(0, blank);
            reply.status = blank == std::string::npos ? 0 : std::atoi(line.c_str() + blank + 1);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        reply.headers[name] = value;
    }
    if (const auto it = reply.headers.find("content-length"); it != reply.headers.end()) {
        reply.contentLength = std::atoll(it->second.c_str());
    }
}

} // namespace

RawReply rawRequest(int port, const std::string& method, const std::string& target, const std::string& body,
                    const std::string& extraHeaders, const std::string& version)
{
    RawReply reply;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{20, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return reply;
    }
    reply.connected = true;
    std::string request = method + " " + target + " " + version + "\r\nHost: 127.0.0.1:" + std::to_string(port) +
                          "\r\nUser-Agent: brevalis-Client 1.5.1 (Build 1051) CH-FR\r\nAccept: */*\r\n" + extraHeaders;
    if (method == "POST") {
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    request += "\r\n" + body;
    std::string_view rest = request;
    while (!rest.empty()) {
        const ssize_t sent = send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(sent));
    }
    char buffer[65536];
    ssize_t got = 0;
    while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        reply.raw.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    parse(reply);
    return reply;
}

} // namespace bv::testing
