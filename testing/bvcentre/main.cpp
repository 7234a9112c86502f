// bvcentre: the local billing centre as a program, for shell-driven tests and the demo.
#include "bvcentre/BillingCentre.h"
#include "bvcentre/CommandLine.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

// Writes the port under a temporary name and renames it, so that a script polling for the file never
// reads it half-written.
bool writePortFile(const std::filesystem::path& file, int port)
{
    const std::filesystem::path part = file.string() + ".part";
    {
        std::ofstream out(part, std::ios::trunc);
        out << port << "\n";
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(part, file, error);
    return !error;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace bv::testing;
    const CentreCommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.help) {
        std::cout << kCentreUsage;
        return 0;
    }
    if (!line.error.empty()) {
        std::cerr << "bvcentre: " << line.error << "\n" << kCentreUsage;
        return 2;
    }

    // The server threads inherit this mask, so SIGTERM and SIGINT reach sigwait() below only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    BillingCentre centre(line.options);
    for (const Account& account : line.accounts) {
        centre.addAccount(account);
    }
    if (line.installerSize) {
        centre.setInstallerSize(*line.installerSize);
    }
    centre.setUpdateOffer(line.updateOffer);
    if (!line.startPath.empty())
        centre.setStartPath(line.startPath);
    if (!centre.start()) {
        std::cerr << "bvcentre: cannot listen on " << line.options.host << ":" << line.options.port
                  << (line.options.certFile.empty() ? "" : " (or the certificate cannot be loaded)") << "\n";
        return 1;
    }
    if (!line.portFile.empty() && !writePortFile(line.portFile, centre.port())) {
        std::cerr << "bvcentre: cannot write " << line.portFile << "\n";
        return 1;
    }
    std::cout << "bvcentre: listening on " << centre.baseUrl() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    centre.stop();
    std::cout << "bvcentre: stopped" << std::endl;
    return 0;
}
