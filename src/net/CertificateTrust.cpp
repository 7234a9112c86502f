#include "net/CertificateTrust.h"

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <memory>

namespace bv {

namespace {

struct X509Free
{
    void operator()(X509* x) const { X509_free(x); }
};
struct StoreFree
{
    void operator()(X509_STORE* s) const { X509_STORE_free(s); }
};
struct StoreCtxFree
{
    void operator()(X509_STORE_CTX* c) const { X509_STORE_CTX_free(c); }
};
struct StackFree
{
    void operator()(STACK_OF(X509) * s) const { sk_X509_pop_free(s, X509_free); }
};

// One DER certificate that must take up its bytes exactly.
std::unique_ptr<X509, X509Free> parseDer(const std::string& der)
{
    if (der.empty())
        return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(der.data());
    const auto* end = p + der.size();
    std::unique_ptr<X509, X509Free> cert(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
    return cert && p == end ? std::move(cert) : nullptr;
}

// An expired or not-yet-valid certificate passes, as it does for the client's requests; every other
// chain error and a host that does not match stay failures.
int ignoreDates(int preverifyOk, X509_STORE_CTX* ctx)
{
    if (preverifyOk)
        return 1;
    const int err = X509_STORE_CTX_get_error(ctx);
    if (err == X509_V_ERR_CERT_HAS_EXPIRED || err == X509_V_ERR_CERT_NOT_YET_VALID) {
        X509_STORE_CTX_set_error(ctx, X509_V_OK);
        return 1;
    }
    return 0;
}

bool expectHost(X509_VERIFY_PARAM* param, std::string host)
{
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (host.empty())
        return false;
    // An address is matched against the certificate's IP entries, a name against its DNS names.
    if (X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) == 1)
        return true;
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    return X509_VERIFY_PARAM_set1_host(param, host.c_str(), host.size()) == 1;
}

} // namespace

std::string configuredCaFile()
{
    const char* file = std::getenv(CaFileVariable);
    return file ? std::string(file) : std::string();
}

bool chainVerifiesAgainst(const std::vector<std::string>& derChain, const std::string& host, const std::string& caFile)
{
    if (derChain.empty() || caFile.empty())
        return false;
    std::unique_ptr<X509_STORE, StoreFree> store(X509_STORE_new());
    if (!store || X509_STORE_load_file(store.get(), caFile.c_str()) != 1)
        return false;
    const auto leaf = parseDer(derChain.front());
    std::unique_ptr<STACK_OF(X509), StackFree> untrusted(sk_X509_new_null());
    if (!leaf || !untrusted)
        return false;
    for (std::size_t i = 1; i < derChain.size(); ++i) {
        auto cert = parseDer(derChain[i]);
        if (!cert || sk_X509_push(untrusted.get(), cert.get()) == 0)
            return false;
        cert.release(); // owned by the stack now
    }
    std::unique_ptr<X509_STORE_CTX, StoreCtxFree> ctx(X509_STORE_CTX_new());
    if (!ctx || X509_STORE_CTX_init(ctx.get(), store.get(), leaf.get(), untrusted.get()) != 1)
        return false;
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(ctx.get());
    if (X509_VERIFY_PARAM_set_purpose(param, X509_PURPOSE_SSL_SERVER) != 1 || !expectHost(param, host))
        return false;
    X509_STORE_CTX_set_verify_cb(ctx.get(), ignoreDates);
    return X509_verify_cert(ctx.get()) == 1;
}

bool chainTrustedByConfiguredAuthority(const std::vector<std::string>& derChain, const std::string& host)
{
    return chainVerifiesAgainst(derChain, host, configuredCaFile());
}

} // namespace bv
