#include "net/CertificateTrust.h"

#include "bvcentre/TestCertificates.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <memory>

namespace {

using bv::testing::TestCertificates;

// The certificate of a PEM file as DER, the form in which a web view hands over a chain.
std::string derOf(const std::filesystem::path& pem)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(pem.c_str(), "r"), &std::fclose);
    if (!file)
        return {};
    std::unique_ptr<X509, void (*)(X509*)> cert(PEM_read_X509(file.get(), nullptr, nullptr, nullptr), &X509_free);
    unsigned char* der = nullptr;
    const int size = cert ? i2d_X509(cert.get(), &der) : -1;
    std::string bytes = size > 0 ? std::string(reinterpret_cast<char*>(der), static_cast<std::size_t>(size)) : "";
    OPENSSL_free(der);
    return bytes;
}

class CertificateTrust : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<bv::TempDir>("bv-trust-");
        s_certs = bv::testing::makeTestCertificates(s_dir->path() / "eigene");
        s_other = bv::testing::makeTestCertificates(s_dir->path() / "fremde");
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static std::unique_ptr<bv::TempDir> s_dir;
    static TestCertificates s_certs;
    static TestCertificates s_other; // another authority with certificates for the same hosts
};

std::unique_ptr<bv::TempDir> CertificateTrust::s_dir;
TestCertificates CertificateTrust::s_certs;
TestCertificates CertificateTrust::s_other;

TEST_F(CertificateTrust, OnlyAChainOfTheNamedAuthorityForTheHostItNames)
{
    const std::string valid = derOf(s_certs.certFile);
    const std::string ca = s_certs.caFile.string();
    ASSERT_FALSE(valid.empty());
    const struct
    {
        std::vector<std::string> chain;
        std::string host;
        std::string caFile;
        bool trusted;
    } rows[] = {
        {{valid}, "127.0.0.1", ca, true},
        {{valid}, "localhost", ca, true},
        {{valid, derOf(s_certs.caFile)}, "LOCALHOST", ca, true},   // the authority sent along
        {{derOf(s_certs.expiredCertFile)}, "127.0.0.1", ca, true}, // dates count as little as for requests
        {{valid}, "127.0.0.2", ca, false},
        {{valid}, "[::1]", ca, false},
        {{valid}, "other.invalid", ca, false},
        {{derOf(s_certs.wrongHostCertFile)}, "127.0.0.1", ca, false},
        {{derOf(s_other.certFile)}, "127.0.0.1", ca, false}, // another authority
        {{valid}, "127.0.0.1", s_other.caFile.string(), false},
        {{valid}, "127.0.0.1", "", false},
        {{valid}, "127.0.0.1", (s_dir->path() / "fehlt.pem").string(), false},
        {{valid}, "", ca, false},
        {{}, "127.0.0.1", ca, false},
        {{valid.substr(0, valid.size() - 1)}, "127.0.0.1", ca, false},
        {{valid + "x"}, "127.0.0.1", ca, false},
        {{valid, "kein Zertifikat"}, "127.0.0.1", ca, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(bv::chainVerifiesAgainst(rows[i].chain, rows[i].host, rows[i].caFile), rows[i].trusted)
            << "row " << i;
}

TEST_F(CertificateTrust, TheConfiguredAuthorityIsTheOneOfTheClientsRequests)
{
    const std::vector<std::string> chain{derOf(s_certs.certFile)};
    ::unsetenv(bv::CaFileVariable);
    EXPECT_FALSE(bv::chainTrustedByConfiguredAuthority(chain, "127.0.0.1"));
    ::setenv(bv::CaFileVariable, s_certs.caFile.c_str(), 1);
    EXPECT_TRUE(bv::chainTrustedByConfiguredAuthority(chain, "127.0.0.1"));
    ::unsetenv(bv::CaFileVariable);
}

} // namespace
