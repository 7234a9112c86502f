// Any bytes as a certificate authority file, a host and the certificate chain a server presented to
// the web view: the trust decision never crashes. The input holds the parts separated by lines
// "===": the authority's PEM file, the host, then each DER certificate of the chain.
#include "../billing/FuzzScratch.h"
#include "net/CertificateTrust.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    for (;;) {
        const std::size_t cut = text.find("\n===\n");
        parts.emplace_back(text.substr(0, cut));
        if (cut == std::string_view::npos)
            break;
        text.remove_prefix(cut + 5);
    }
    const auto caFile = bv::fuzz::writeScratch("authority.pem", parts[0]);
    const std::string host = parts.size() > 1 ? parts[1] : std::string();
    const std::vector<std::string> chain(parts.begin() + std::min<std::size_t>(parts.size(), 2), parts.end());
    bv::chainVerifiesAgainst(chain, host, caFile.string());
    return 0;
}
