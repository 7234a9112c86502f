#pragma once

#include <curl/curl.h>

#include <chrono>
#include <string>

namespace bv {

// One libcurl handle set up the way every exchange with the billing centre goes, whether a form
// post, a download or an upload: HTTP/1.0 with the program's agent name, direct or through the
// system's proxy settings, a bounded connect, and the certificate rules of the internet client
// library (an invalid certificate date is ignored; chain and host name are verified; an extra
// authority may be named in BVALS_CA_FILE). Failures are translated into that library's numbers.
class CurlSession
{
public:
    CurlSession();
    ~CurlSession();
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    // Checks an address like the system's URL parser: 0 for an http or https address with a host,
    // otherwise the library error number (invalid URL, unrecognised scheme, internal error).
    static int addressFault(const std::string& address);

    bool valid() const { return m_curl != nullptr; }
    CURL* handle() const { return m_curl; }

    // The settings every exchange shares; false when the library refuses one of them.
    bool configure(const std::string& address, const std::string& agent, bool useProxy,
                   std::chrono::milliseconds connectTimeout);

    template <typename T> bool set(CURLoption option, T value)
    {
        return curl_easy_setopt(m_curl, option, value) == CURLE_OK;
    }

    // The library error number of a failed transfer. A transfer that the caller's own callback
    // stopped counts as cancelled (the idle watch reports its time-out itself).
    int errorNumber(CURLcode rc) const;

    // What the certificate check saw during the transfer.
    struct TlsState
    {
        int verifyError = 0; // first chain error that was not about a certificate's dates (0 = none)
        bool caFileFailed = false;
    };

private:
    CURL* m_curl = nullptr;
    TlsState m_tls;
};

} // namespace bv
