#include "net/InternetRequest.h"

#include "bvcentre/BillingCentre.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// Certificates made once for the suite: a test authority and server certificates it signed.
class HttpsRequest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<bv::TempDir>("bv-tls-");
        s_certs = bv::testing::makeTestCertificates(s_dir->path());
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    void TearDown() override { ::unsetenv("BVALS_CA_FILE"); }

    // A billing centre serving TLS with the given certificate; the request posts to its alive check.
    bv::InternetRequest postOverTls(const std::filesystem::path& cert, const std::filesystem::path& key,
                                    const char* caFile)
    {
        bv::testing::BillingCentre::Options options;
        options.certFile = cert;
        options.keyFile = key;
        bv::testing::BillingCentre centre(options);
        EXPECT_TRUE(centre.start());
        if (caFile)
            ::setenv("BVALS_CA_FILE", caFile, 1);
        else
            ::unsetenv("BVALS_CA_FILE");
        bv::InternetRequest request;
        request.address = centre.url("/alive");
        request.formBody = "CurrentSessionId=none";
        request.connectTimeout = std::chrono::seconds(5);
        request.idleTimeout = std::chrono::seconds(5);
        bv::runFormPost(request);
        return request;
    }

    static std::unique_ptr<bv::TempDir> s_dir;
    static bv::testing::TestCertificates s_certs;
};

std::unique_ptr<bv::TempDir> HttpsRequest::s_dir;
bv::testing::TestCertificates HttpsRequest::s_certs;

} // namespace

TEST_F(HttpsRequest, ValidCertificateOfTheNamedAuthorityIsAccepted)
{
    const auto request = postOverTls(s_certs.certFile, s_certs.keyFile, s_certs.caFile.c_str());
    EXPECT_EQ(request.errorCode, 0) << request.errorText;
    EXPECT_EQ(request.httpStatus, 200);
    EXPECT_EQ(request.reply, "0");
}

TEST_F(HttpsRequest, ExpiredCertificateIsAccepted)
{
    const auto request = postOverTls(s_certs.expiredCertFile, s_certs.expiredKeyFile, s_certs.caFile.c_str());
    EXPECT_EQ(request.errorCode, 0) << request.errorText;
    EXPECT_EQ(request.reply, "0");
}

TEST_F(HttpsRequest, CertificateForAnotherHostIsRefused)
{
    const auto request = postOverTls(s_certs.wrongHostCertFile, s_certs.wrongHostKeyFile, s_certs.caFile.c_str());
    EXPECT_EQ(request.errorCode, 12038);
    EXPECT_EQ(request.reply, "");
    EXPECT_NE(request.errorText.find("SSL-Zertifikats"), std::string::npos);
}

TEST_F(HttpsRequest, CertificateOfAnUnknownAuthorityIsRefused)
{
    const auto request = postOverTls(s_certs.certFile, s_certs.keyFile, nullptr);
    EXPECT_EQ(request.errorCode, 12045);
    EXPECT_EQ(request.errorText, "Die Zertifizierungsstelle ist ungültig oder falsch.");
}

TEST_F(HttpsRequest, UnreadableAuthorityFileIsASecurityChannelError)
{
    const std::string missing = (s_dir->path() / "missing-ca.pem").string();
    const auto request = postOverTls(s_certs.certFile, s_certs.keyFile, missing.c_str());
    EXPECT_EQ(request.errorCode, 12157);
}

TEST_F(HttpsRequest, PlainHttpToATlsPortIsAnInvalidResponse)
{
    bv::testing::BillingCentre::Options options;
    options.certFile = s_certs.certFile;
    options.keyFile = s_certs.keyFile;
    bv::testing::BillingCentre centre(options);
    ASSERT_TRUE(centre.start());
    bv::InternetRequest request;
    request.address = "http://127.0.0.1:" + std::to_string(centre.port()) + "/alive";
    request.idleTimeout = std::chrono::seconds(2);
    bv::runFormPost(request);
    EXPECT_NE(request.errorCode, 0);
    EXPECT_FALSE(request.errorText.empty());
}
