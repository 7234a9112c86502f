// How long bvals_cl takes from its start to the login dialog: the client is started unattended against
// the local billing centre with a warm disk; the time is taken when the login dialog's "open" line
// reaches the transcript. The login is then cancelled, which ends the client. Prints every run and the
// median.
//   bench_startup [runs=5]

#include "bvcentre/BillingCentre.h"
#include "platform/TempRegistry.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int countOpenLines(const std::string& file)
{
    std::ifstream in(file);
    int count = 0;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("DIALOG\t", 0) == 0 && line.size() > 5 && line.substr(line.size() - 5) == "\topen")
            ++count;
    return count;
}

// One start; returns the milliseconds until the login dialog opened, or -1.
double oneStart(const std::string& program, const bv::TempRegistry& registry, const std::string& transcript,
                const std::string& answers)
{
    std::ofstream(transcript, std::ios::trunc).close();
    std::ofstream(answers, std::ios::trunc) << "cancel\n";
    std::cout.flush(); // the child must not inherit unwritten output
    std::fflush(nullptr);
    const auto started = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("BVALS_REGISTRY_DIR", registry.directory().c_str(), 1);
        ::setenv("BVALS_UI_TRANSCRIPT", transcript.c_str(), 1);
        ::setenv("BVALS_UI_ANSWERS", answers.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    double ms = -1;
    // The main window's line comes first, the login dialog's second.
    while (Clock::now() - started < std::chrono::seconds(30)) {
        if (countOpenLines(transcript) >= 2) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            break;
        }
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    int status = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const char* binDir = std::getenv("BV_BIN_DIR");
    const std::string program = std::string(binDir ? binDir : BV_DEFAULT_BIN_DIR) + "/bvals_cl";

    bv::testing::BillingCentre centre;
    if (!centre.start()) {
        std::cerr << "bench_startup: the local billing centre did not start\n";
        return 1;
    }
    bv::TempRegistry registry;
    bv::TempRegistry::Installation installation;
    installation.loginUrl = centre.url("/login");
    registry.install(installation);
    bv::TempDir work;
    const std::string transcript = work.file("transcript.txt").string();
    const std::string answers = work.file("answers.txt").string();

    oneStart(program, registry, transcript, answers); // warms the disk cache
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = oneStart(program, registry, transcript, answers);
        if (ms < 0) {
            std::cerr << "bench_startup: run " << i + 1 << " never showed the login dialog\n";
            return 1;
        }
        times.push_back(ms);
        std::cout << "run " << i + 1 << ": " << ms << " ms\n";
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::cout << "start to login dialog, median of " << runs << " runs: " << median << " ms (target < 2000 ms)\n";
    return 0;
}
