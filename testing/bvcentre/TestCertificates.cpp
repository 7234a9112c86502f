#include "bvcentre/TestCertificates.h"

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace bv::testing {
namespace {

struct KeyFree
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree
{
    void operator()(X509* cert) const { X509_free(cert); }
};
struct BioFree
{
    void operator()(BIO* bio) const { BIO_free_all(bio); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;
using Bio = std::unique_ptr<BIO, BioFree>;

constexpr long kDay = 24L * 60 * 60;

[[noreturn]] void fail(const std::string& what)
{
    char reason[256] = "no detail";
    if (const unsigned long code = ERR_get_error(); code != 0) {
        ERR_error_string_n(code, reason, sizeof reason);
    }
    ERR_clear_error();
    throw std::runtime_error("test certificates: " + what + ": " + reason);
}

Key makeKey()
{
    Key key(EVP_EC_gen("P-256"));
    if (!key) {
        fail("cannot make a key");
    }
    return key;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        fail(std::string("cannot make extension ") + value);
    }
    const int added = X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
    if (added != 1) {
        fail("cannot add an extension");
    }
}

struct Validity
{
    long fromSeconds; // relative to now
    long toSeconds;
};

// A certificate for the subject's key; issuer null makes it self-signed (the authority).
Cert makeCertificate(const std::string& commonName, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, Validity validity,
                     const std::string& altNames)
{
    Cert cert(X509_new());
    unsigned char serial[16];
    if (!cert || RAND_bytes(serial, sizeof serial) != 1) {
        fail("cannot start a certificate");
    }
    serial[0] &= 0x7F; // positive
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool serialSet = number != nullptr && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get()));
    BN_free(number);
    X509_NAME* name = X509_get_subject_name(cert.get());
    if (!serialSet || X509_set_version(cert.get(), 2) != 1 ||
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), validity.fromSeconds) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), validity.toSeconds) == nullptr ||
        X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("brevalis test"), -1,
                                   -1, 0) != 1 ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                                   -1, -1, 0) != 1 ||
        X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name) != 1 ||
        X509_set_pubkey(cert.get(), key) != 1) {
        fail("cannot fill the certificate of " + commonName);
    }
    X509* signer = issuer ? issuer : cert.get();
    addExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
    addExtension(cert.get(), signer, NID_authority_key_identifier, "keyid:always");
    if (issuer == nullptr) {
        addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert.get(), signer, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        addExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
        addExtension(cert.get(), signer, NID_subject_alt_name, altNames.c_str());
    }
    if (X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) == 0) {
        fail("cannot sign the certificate of " + commonName);
    }
    return cert;
}

// Writes under a temporary name and renames, so a reader never sees half a file.
template <typename Write> void writePem(const std::filesystem::path& path, Write write)
{
    const std::filesystem::path part = path.string() + ".part";
    {
        Bio bio(BIO_new_file(part.c_str(), "w"));
        if (!bio || write(bio.get()) != 1 || BIO_flush(bio.get()) != 1) {
            fail("cannot write " + part.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(part, path, error);
    if (error) {
        throw std::runtime_error("test certificates: cannot rename " + part.string() + ": " + error.message());
    }
}

void writeCert(const std::filesystem::path& path, X509* cert)
{
    writePem(path, [cert](BIO* bio) { return PEM_write_bio_X509(bio, cert); });
}

void writeKey(const std::filesystem::path& path, EVP_PKEY* key)
{
    writePem(path,
             [key](BIO* bio) { return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr); });
}

} // namespace

TestCertificates makeTestCertificates(const std::filesystem::path& dir)
{
    std::filesystem::create_directories(dir);
    TestCertificates files;
    files.caFile = dir / "ca.pem";
    files.certFile = dir / "server.pem";
    files.keyFile = dir / "server.key";
    files.expiredCertFile = dir / "expired.pem";
    files.expiredKeyFile = dir / "expired.key";
    files.wrongHostCertFile = dir / "wronghost.pem";
    files.wrongHostKeyFile = dir / "wronghost.key";

    const std::string localNames = "IP:127.0.0.1,DNS:localhost";
    const Key caKey = makeKey();
    const Cert ca = makeCertificate("brevalis test CA", caKey.get(), nullptr, nullptr, {-kDay, 3650 * kDay}, {});
    writeCert(files.caFile, ca.get());

    const struct
    {
        std::filesystem::path cert, key;
        std::string commonName, altNames;
        Validity validity;
    } leaves[] = {
        {files.certFile, files.keyFile, "127.0.0.1", localNames, {-kDay, 365 * kDay}},
        {files.expiredCertFile, files.expiredKeyFile, "127.0.0.1", localNames, {-60 * kDay, -30 * kDay}},
        {files.wrongHostCertFile,
         files.wrongHostKeyFile,
         kWrongHostName,
         std::string("DNS:") + kWrongHostName,
         {-kDay, 365 * kDay}},
    };
    for (const auto& leaf : leaves) {
        const Key key = makeKey();
        const Cert cert =
            makeCertificate(leaf.commonName, key.get(), ca.get(), caKey.get(), leaf.validity, leaf.altNames);
        writeKey(leaf.key, key.get());
        writeCert(leaf.cert, cert.get());
    }
    return files;
}

} // namespace bv::testing
