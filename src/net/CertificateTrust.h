#pragma once

#include <string>
#include <vector>

namespace bv {

// The environment variable that names an extra certificate authority (a PEM file) for private
// deployments and tests; the client's requests trust it beside the system's authorities.
inline constexpr const char* CaFileVariable = "BVALS_CA_FILE";

// The file BVALS_CA_FILE names; empty when it names none.
std::string configuredCaFile();

// Whether a server's certificate chain (DER, the server's own certificate first, then the
// certificates it sent along) leads to an authority in `caFile` alone, with `host` (a name, or an IP
// address with or without brackets) checked against the server's certificate. As for the client's
// own requests, a certificate's dates are not held against it. False for an empty chain or host, a
// certificate that does not parse, or a CA file that cannot be read.
bool chainVerifiesAgainst(const std::vector<std::string>& derChain, const std::string& host, const std::string& caFile);

// The same against the authority of BVALS_CA_FILE; false when none is named.
bool chainTrustedByConfiguredAuthority(const std::vector<std::string>& derChain, const std::string& host);

} // namespace bv
