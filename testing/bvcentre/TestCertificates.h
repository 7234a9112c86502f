#pragma once

#include <filesystem>
#include <string>

namespace bv::testing {

// PEM files of a test certificate authority and of server certificates it signed.
struct TestCertificates
{
    std::filesystem::path caFile;                              // trust this (BVALS_CA_FILE)
    std::filesystem::path certFile, keyFile;                   // valid now for 127.0.0.1 and localhost
    std::filesystem::path expiredCertFile, expiredKeyFile;     // for 127.0.0.1 and localhost, expired
    std::filesystem::path wrongHostCertFile, wrongHostKeyFile; // valid now, only for another host name
};

// Makes a fresh CA and the three server certificates in dir (created when missing). Throws
// std::runtime_error when a certificate cannot be made or written.
TestCertificates makeTestCertificates(const std::filesystem::path& dir);

// The host name the wrong-host certificate is made for.
inline constexpr const char* kWrongHostName = "wrong-host.invalid";

} // namespace bv::testing
