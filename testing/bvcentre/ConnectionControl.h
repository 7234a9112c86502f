#pragma once

#include <string_view>

namespace httplib {
struct Request;
}

namespace bv::testing {

// Socket-level behaviour that HTTP responses cannot express: a server that drops the connection or
// writes bytes that are not an HTTP answer. Works on the connection of the request being handled.

// Shuts the connection down in both directions; what the server writes afterwards is lost.
void dropConnection(const httplib::Request& request);

// Writes bytes as they are on the connection (through TLS when the connection is encrypted).
bool writeRaw(const httplib::Request& request, std::string_view bytes);

} // namespace bv::testing
