// The centre over TLS with certificates made at run time, and the certificates themselves.
#include "bvcentre/BillingCentre.h"

#include <httplib.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace bv::testing;

namespace {

struct X509Free
{
    void operator()(X509* cert) const { X509_free(cert); }
};

std::unique_ptr<X509, X509Free> readCert(const std::filesystem::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return nullptr;
    }
    X509* cert = PEM_read_X509(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    return std::unique_ptr<X509, X509Free>(cert);
}

// The verification error of a certificate against the authority: 0 when it verifies.
int verifyAgainst(const std::filesystem::path& caFile, const std::filesystem::path& certFile)
{
    X509_STORE* store = X509_STORE_new();
    X509_STORE_load_file(store, caFile.c_str());
    const auto cert = readCert(certFile);
    X509_STORE_CTX* context = X509_STORE_CTX_new();
    X509_STORE_CTX_init(context, store, cert.get(), nullptr);
    const int result = X509_verify_cert(context) == 1 ? 0 : X509_STORE_CTX_get_error(context);
    X509_STORE_CTX_free(context);
    X509_STORE_free(store);
    return result;
}

class TlsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/bvcentre-tls-XXXXXX";
        s_dir = mkdtemp(pattern);
        s_certs = makeTestCertificates(s_dir / "certs");
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(s_dir); }

    static BillingCentre::Options tlsOptions(const std::filesystem::path& cert, const std::filesystem::path& key)
    {
        BillingCentre::Options options;
        options.certFile = cert;
        options.keyFile = key;
        return options;
    }

    static std::unique_ptr<httplib::SSLClient> client(const BillingCentre& centre, bool trustCa)
    {
        auto https = std::make_unique<httplib::SSLClient>("127.0.0.1", centre.port());
        if (trustCa) {
            https->set_ca_cert_path(s_certs.caFile.string());
        }
        https->enable_server_certificate_verification(true);
        https->set_connection_timeout(5);
        https->set_read_timeout(5);
        return https;
    }

    static inline std::filesystem::path s_dir;
    static inline TestCertificates s_certs;
};

TEST_F(TlsTest, CertificatesVerifyAsTheirNamesSay)
{
    EXPECT_EQ(verifyAgainst(s_certs.caFile, s_certs.certFile), X509_V_OK);
    EXPECT_EQ(verifyAgainst(s_certs.caFile, s_certs.expiredCertFile), X509_V_ERR_CERT_HAS_EXPIRED);
    EXPECT_EQ(verifyAgainst(s_certs.caFile, s_certs.wrongHostCertFile), X509_V_OK);

    const auto valid = readCert(s_certs.certFile);
    EXPECT_EQ(X509_check_ip_asc(valid.get(), "127.0.0.1", 0), 1);
    EXPECT_EQ(X509_check_host(valid.get(), "localhost", 0, 0, nullptr), 1);
    const auto expired = readCert(s_certs.expiredCertFile);
    EXPECT_EQ(X509_check_ip_asc(expired.get(), "127.0.0.1", 0), 1) << "only the date is wrong";
    const auto wrongHost = readCert(s_certs.wrongHostCertFile);
    EXPECT_NE(X509_check_ip_asc(wrongHost.get(), "127.0.0.1", 0), 1);
    EXPECT_NE(X509_check_host(wrongHost.get(), "localhost", 0, 0, nullptr), 1);
    EXPECT_EQ(X509_check_host(wrongHost.get(), kWrongHostName, 0, 0, nullptr), 1);

    // A second set is a new authority: the first one's certificates do not verify against it.
    const TestCertificates other = makeTestCertificates(s_dir / "other");
    EXPECT_NE(verifyAgainst(other.caFile, s_certs.certFile), X509_V_OK);
}

TEST_F(TlsTest, LoginOverTlsWithTheTestAuthority)
{
    BillingCentre centre(tlsOptions(s_certs.certFile, s_certs.keyFile));
    ASSERT_TRUE(centre.start());
    centre.addAccount({"demo", "geheim", {}, {}, false, false});
    EXPECT_EQ(centre.baseUrl(), "https://127.0.0.1:" + std::to_string(centre.port()));

    const auto result =
        client(centre, true)->Post("/login", "benutzer=demo&passwort=geheim", "application/x-www-form-urlencoded");
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body.rfind("SESSIONID: ", 0), 0u);
    EXPECT_NE(result->body.find("STARTURL: https://127.0.0.1:"), std::string::npos);
    EXPECT_EQ(centre.requests("/login").size(), 1u);
}

TEST_F(TlsTest, ClientsThatCheckRefuseUnknownAuthorityAndWrongHost)
{
    BillingCentre valid(tlsOptions(s_certs.certFile, s_certs.keyFile));
    ASSERT_TRUE(valid.start());
    const auto untrusted = client(valid, false)->Post("/alive", "CurrentSessionId=x", "text/plain");
    EXPECT_FALSE(untrusted);

    BillingCentre wrongHost(tlsOptions(s_certs.wrongHostCertFile, s_certs.wrongHostKeyFile));
    ASSERT_TRUE(wrongHost.start());
    const auto refused = client(wrongHost, true)->Post("/alive", "CurrentSessionId=x", "text/plain");
    EXPECT_FALSE(refused);

    BillingCentre expired(tlsOptions(s_certs.expiredCertFile, s_certs.expiredKeyFile));
    ASSERT_TRUE(expired.start());
    auto lenient = client(expired, true);
    lenient->enable_server_certificate_verification(false);
    const auto accepted = lenient->Post("/alive", "CurrentSessionId=x", "text/plain");
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->body, "0");
}

TEST_F(TlsTest, BrokenRepliesWorkOverTlsToo)
{
    BillingCentre centre(tlsOptions(s_certs.certFile, s_certs.keyFile));
    ASSERT_TRUE(centre.start());
    ScriptedReply drop;
    drop.closeWithoutReply = true;
    drop.times = 1;
    centre.script("/alive", drop);
    EXPECT_FALSE(client(centre, true)->Post("/alive", "CurrentSessionId=x", "text/plain"));

    ScriptedReply cut;
    cut.body = std::string(4096, 'c');
    cut.closeAfterBytes = 1000;
    cut.times = 1;
    centre.script("/alive", cut);
    EXPECT_FALSE(client(centre, true)->Post("/alive", "CurrentSessionId=x", "text/plain"));

    const auto normal = client(centre, true)->Post("/alive", "CurrentSessionId=x", "text/plain");
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->body, "0");
}

TEST_F(TlsTest, MissingOrMismatchedKeyFailsToStart)
{
    BillingCentre missing(tlsOptions(s_dir / "none.pem", s_dir / "none.key"));
    EXPECT_FALSE(missing.start());
    BillingCentre mismatched(tlsOptions(s_certs.certFile, s_certs.expiredKeyFile));
    EXPECT_FALSE(mismatched.start());
}

} // namespace
