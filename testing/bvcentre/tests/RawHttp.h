#pragma once

#include <map>
#include <string>

namespace bv::testing {

// What came back on one connection: the bytes as received, and the parsed answer when there was one.
struct RawReply
{
    bool connected = false;
    std::string raw;                            // every byte until the server closed the connection
    int status = 0;                             // 0: no status line
    std::string version;                        // "HTTP/1.1"
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;                           // bytes after the blank line
    long long contentLength = -1;
};

// Sends one request over a plain socket to 127.0.0.1:port and reads until the server closes. Written by
// hand so that tests control the exact bytes (HTTP/1.0, Content-Length) as the client sends them.
RawReply rawRequest(int port, const std::string& method, const std::string& target, const std::string& body = {},
                    const std::string& extraHeaders = "Content-Type: application/x-www-form-urlencoded\r\n",
                    const std::string& version = "HTTP/1.0");

inline RawReply rawPost(int port, const std::string& target, const std::string& body)
{
    return rawRequest(port, "POST", target, body);
}

} // namespace bv::testing
