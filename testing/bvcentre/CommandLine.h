#pragma once

#include "bvcentre/BillingCentre.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bv::testing {

// The settings of the bvcentre program, read from its command line.
struct CentreCommandLine
{
    BillingCentre::Options options;
    std::filesystem::path portFile;
    std::vector<Account> accounts;
    std::optional<std::uint64_t> installerSize;
    std::string updateOffer;
    std::string startPath; // first page after a login, "/app/start" when empty
    bool help = false;
    std::string error; // not empty: the command line is wrong, and this says why
};

CentreCommandLine parseCommandLine(const std::vector<std::string>& arguments);

inline constexpr const char* kCentreUsage =
    "usage: bvcentre [--port N] [--port-file F] [--cert C --key K] [--upload-dir D]\n"
    "                [--account user:password[:number=name[,number=name...]]]... [--allow-send-test]\n"
    "                [--installer-size BYTES] [--update-offer TEXT] [--start-path /app/...]\n"
    "A local billing centre on 127.0.0.1 for tests and the demo; --port 0 picks a free port and writes it\n"
    "to the port file. Runs until SIGTERM or SIGINT. Control endpoints are under /_control/.\n";

} // namespace bv::testing
