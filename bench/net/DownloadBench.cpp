// Installer download: the client's download routine against `curl -s -o` from the same local
// billing centre in the same run, and the client's peak memory for a small and a large installer.
// Prints throughput of both, their ratio, and the peak resident size of each client run.
#include "bvcentre/BillingCentre.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run
{
    bool ok = false;
    double seconds = 0;
    long maxRssKb = 0;
};

Run runChild(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return {};
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.maxRssKb = usage.ru_maxrss;
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string client = BV_DOWNLOAD_CLIENT;
    const std::filesystem::path target = std::filesystem::temp_directory_path() / "bv_bench_setup.exe";

    bv::testing::BillingCentre centre;
    if (!centre.start()) {
        std::fprintf(stderr, "cannot start the billing centre\n");
        return 1;
    }
    const std::string url = centre.url("/download/bv_setup.exe");

    // Peak memory for a small installer, to compare with the large one.
    centre.setInstallerSize(20ull << 20);
    const Run small = runChild({client, url, target.string()});

    centre.setInstallerSize(megabytes << 20);
    std::vector<double> clientSeconds, curlSeconds;
    long clientRss = 0;
    for (int i = 0; i < rounds; ++i) {
        const Run c = runChild({client, url, target.string()});
        const Run k = runChild({"curl", "-s", "-o", target.string(), url});
        if (!c.ok || !k.ok || std::filesystem::file_size(target) != (megabytes << 20)) {
            std::fprintf(stderr, "download failed (client %d, curl %d)\n", c.ok, k.ok);
            return 1;
        }
        clientSeconds.push_back(c.seconds);
        curlSeconds.push_back(k.seconds);
        clientRss = std::max(clientRss, c.maxRssKb);
    }
    std::filesystem::remove(target);

    const double mb = static_cast<double>(megabytes);
    const double clientRate = mb / median(clientSeconds);
    const double curlRate = mb / median(curlSeconds);
    std::printf("installer %llu MB, %d rounds (median)\n", static_cast<unsigned long long>(megabytes), rounds);
    std::printf("client download:  %8.1f MB/s\n", clientRate);
    std::printf("curl -s -o:       %8.1f MB/s\n", curlRate);
    std::printf("ratio client/curl: %.2f (target >= 0.80)\n", clientRate / curlRate);
    std::printf("client peak RSS:  %ld KB for 20 MB, %ld KB for %llu MB\n", small.maxRssKb, clientRss,
                static_cast<unsigned long long>(megabytes));
    return 0;
}
