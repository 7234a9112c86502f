#include "net/CurlSession.h"

#include "net/CertificateTrust.h"
#include "net/WinInetErrors.h"
#include "platform/Text.h"

#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <cerrno>
#include <mutex>

namespace bv {

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int tlsStateIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// An expired or not-yet-valid certificate passes; any other chain error ends the handshake and is
// remembered, so that the failure can be reported with the library's matching number.
int verifyCertificate(int preverifyOk, X509_STORE_CTX* store)
{
    if (preverifyOk)
        return 1;
    const int err = X509_STORE_CTX_get_error(store);
    if (err == X509_V_ERR_CERT_HAS_EXPIRED || err == X509_V_ERR_CERT_NOT_YET_VALID) {
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }
    auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    if (ssl) {
        auto* state = static_cast<CurlSession::TlsState*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), tlsStateIndex()));
        if (state && state->verifyError == X509_V_OK)
            state->verifyError = err;
    }
    return 0;
}

CURLcode prepareTlsContext(CURL* /*curl*/, void* sslContext, void* userData)
{
    auto* ctx = static_cast<SSL_CTX*>(sslContext);
    auto* state = static_cast<CurlSession::TlsState*>(userData);
    SSL_CTX_set_ex_data(ctx, tlsStateIndex(), state);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, verifyCertificate);
    // An extra certificate authority for private deployments and tests, beside the system's ones.
    if (const std::string caFile = configuredCaFile(); !caFile.empty()) {
        if (X509_STORE_load_file(SSL_CTX_get_cert_store(ctx), caFile.c_str()) != 1) {
            state->caFileFailed = true;
            return CURLE_SSL_CACERT_BADFILE;
        }
    }
    return CURLE_OK;
}

int certificateErrorCode(int verifyError)
{
    switch (verifyError) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_INVALID_CA:
        return wininet::InvalidCertificateAuthority;
    default:
        return wininet::SecurityError;
    }
}

} // namespace

CurlSession::CurlSession()
{
    initCurlOnce();
    m_curl = curl_easy_init();
}

CurlSession::~CurlSession()
{
    if (m_curl)
        curl_easy_cleanup(m_curl);
}

int CurlSession::addressFault(const std::string& address)
{
    initCurlOnce();
    CURLU* url = curl_url();
    if (!url)
        return wininet::InternalError;
    int fault = 0;
    if (curl_url_set(url, CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) {
        fault = address.find("://") == std::string::npos ? wininet::UnrecognizedScheme : wininet::InvalidUrl;
    } else {
        char* scheme = nullptr;
        char* host = nullptr;
        curl_url_get(url, CURLUPART_SCHEME, &scheme, 0);
        curl_url_get(url, CURLUPART_HOST, &host, 0);
        const std::string schemeText = scheme ? toLower(scheme) : std::string();
        if (schemeText != "http" && schemeText != "https")
            fault = wininet::UnrecognizedScheme;
        else if (!host || !*host)
            fault = wininet::InvalidUrl;
        curl_free(scheme);
        curl_free(host);
    }
    curl_url_cleanup(url);
    return fault;
}

bool CurlSession::configure(const std::string& address, const std::string& agent, bool useProxy,
                            std::chrono::milliseconds connectTimeout)
{
    bool ok = set(CURLOPT_URL, address.c_str()) && set(CURLOPT_PROTOCOLS_STR, "http,https") &&
              set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https") &&
              set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0)) && set(CURLOPT_NOSIGNAL, 1L) &&
              set(CURLOPT_USERAGENT, agent.c_str()) &&
              set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count())) &&
              set(CURLOPT_SSL_VERIFYPEER, 1L) && set(CURLOPT_SSL_VERIFYHOST, 2L) && set(CURLOPT_CA_CACHE_TIMEOUT, 0L) &&
              set(CURLOPT_SSL_CTX_FUNCTION, &prepareTlsContext) &&
              set(CURLOPT_SSL_CTX_DATA, static_cast<void*>(&m_tls));
    if (ok && !useProxy)
        ok = set(CURLOPT_PROXY, ""); // direct, whatever the environment names
    return ok;
}

int CurlSession::errorNumber(CURLcode rc) const
{
    switch (rc) {
    case CURLE_URL_MALFORMAT:
        return wininet::InvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return wininet::NameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return wininet::CannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return wininet::Timeout;
    case CURLE_ABORTED_BY_CALLBACK:
        return wininet::OperationCancelled;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL: // a reply without a status line
    case CURLE_GOT_NOTHING:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_OUT_OF_MEMORY: // the library reports an oversized header block this way
        return wininet::InvalidServerResponse;
    case CURLE_PARTIAL_FILE:
        return wininet::ConnectionAborted;
    case CURLE_SEND_ERROR:
        return wininet::ConnectionReset;
    case CURLE_RECV_ERROR: {
        long osError = 0;
        curl_easy_getinfo(m_curl, CURLINFO_OS_ERRNO, &osError);
        return osError == ECONNRESET ? wininet::ConnectionReset : wininet::ConnectionAborted;
    }
    case CURLE_TOO_MANY_REDIRECTS:
        return wininet::RedirectFailed;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
        if (m_tls.verifyError != X509_V_OK)
            return certificateErrorCode(m_tls.verifyError);
        // Chain accepted but the name does not match the host: the library checks it itself.
        return rc == CURLE_PEER_FAILED_VERIFICATION ? wininet::CertCommonNameInvalid : wininet::SecurityChannelError;
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
        return wininet::SecurityChannelError;
    default:
        return wininet::InternalError;
    }
}

} // namespace bv
