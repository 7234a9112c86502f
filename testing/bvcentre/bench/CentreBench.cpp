// Throughput and memory of the local billing centre for the large transfers other benchmarks and the demo
// run through it: uploads stored in the upload directory and the installer download. The centre runs in
// this process and the client side streams, so the peak resident size shows whether the centre holds a
// transfer in memory.
#include "bvcentre/BillingCentre.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using bv::testing::BillingCentre;

long peakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

int connectTo(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

std::string readToEnd(int fd, std::uint64_t& bytes)
{
    std::vector<char> buffer(1 << 20);
    std::string head;
    ssize_t got = 0;
    while ((got = recv(fd, buffer.data(), buffer.size(), 0)) > 0) {
        bytes += static_cast<std::uint64_t>(got);
        if (head.size() < 4096) {
            head.append(buffer.data(), std::min<std::size_t>(static_cast<std::size_t>(got), 4096));
        }
    }
    return head;
}

struct Centre
{
    Centre()
    {
        char pattern[] = "/tmp/bvcentre-bench-XXXXXX";
        dir = mkdtemp(pattern);
        BillingCentre::Options options;
        options.uploadDir = dir;
        centre = std::make_unique<BillingCentre>(options);
        centre->start();
        centre->addAccount({"bench", "bench", {}, {}, false, false});
        std::uint64_t ignored = 0;
        const int fd = connectTo(centre->port());
        const std::string login = "benutzer=bench&passwort=bench";
        const std::string request = "POST /login HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                    "Content-Length: " +
                                    std::to_string(login.size()) + "\r\n\r\n" + login;
        sendAll(fd, request.data(), request.size());
        session = readToEnd(fd, ignored);
        session = session.substr(session.find("SESSIONID: ") + 11, 32);
        close(fd);
    }
    ~Centre() { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
    std::unique_ptr<BillingCentre> centre;
    std::string session;
};

void uploadToDirectory(benchmark::State& state)
{
    static Centre centre;
    const std::uint64_t size = static_cast<std::uint64_t>(state.range(0)) << 20;
    std::vector<char> block(1 << 20, 'U');
    const long before = peakResidentMegabytes();
    for (auto _ : state) {
        const int fd = connectTo(centre.centre->port());
        const std::string head =
            "POST /upload?vertnr=123456&ean_party=7601000000001&stpnr=1&typ=CA&session-id=" + centre.session +
            "&nichtbuchen=0 HTTP/1.0\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
        bool sent = sendAll(fd, head.data(), head.size());
        for (std::uint64_t left = size; sent && left > 0; left -= std::min<std::uint64_t>(left, block.size())) {
            sent = sendAll(fd, block.data(), std::min<std::uint64_t>(left, block.size()));
        }
        std::uint64_t bytes = 0;
        const std::string reply = readToEnd(fd, bytes);
        close(fd);
        if (!sent || reply.find("BV_SENDOK") == std::string::npos) {
            state.SkipWithError("upload not confirmed");
            break;
        }
        state.PauseTiming();
        for (const auto& upload : centre.centre->requests("/upload")) {
            std::filesystem::remove(upload.bodyFile);
        }
        centre.centre->clearRequests();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["peak_rss_growth_MB"] = static_cast<double>(peakResidentMegabytes() - before);
}

void installerDownload(benchmark::State& state)
{
    static Centre centre;
    const std::uint64_t size = static_cast<std::uint64_t>(state.range(0)) << 20;
    centre.centre->setInstallerSize(size);
    const long before = peakResidentMegabytes();
    for (auto _ : state) {
        const int fd = connectTo(centre.centre->port());
        const std::string request = "GET /download/bv_setup.exe HTTP/1.0\r\n\r\n";
        sendAll(fd, request.data(), request.size());
        std::uint64_t bytes = 0;
        readToEnd(fd, bytes);
        close(fd);
        if (bytes < size) {
            state.SkipWithError("download cut short");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["peak_rss_growth_MB"] = static_cast<double>(peakResidentMegabytes() - before);
}

} // namespace

BENCHMARK(uploadToDirectory)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(installerDownload)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
