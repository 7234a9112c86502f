// Upload of a large billing file to the local billing centre on loopback, the centre streaming it to
// disk: the client's upload thread against `curl -s --data-binary @file` in the same run, the client's
// peak memory for a tiny, a 20 MB and a large file, and how soon a cancel request is honoured while
// the body is written (against the centre, and against a server that reads slowly).
//
//     bench_upload [megabytes=100] [rounds=3] [cancel runs=15]
#include "bvcentre/BillingCentre.h"
#include "net/InternetRequest.h"
#include "net/UploadThread.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return {};
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.maxRssKb = usage.ru_maxrss;
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void writeFile(const fs::path& path, std::uint64_t bytes)
{
    std::ofstream out(path, std::ios::binary);
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 131) & 0xff);
    for (std::uint64_t written = 0; written < bytes; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), bytes - written)));
}

// Removes what the centre stored, so that the rounds do not fill the disk.
void clearStored(const fs::path& dir)
{
    for (const auto& entry : fs::directory_iterator(dir))
        fs::remove(entry.path());
}

// A server that reads slowly, 16 KB every 20 ms, until the client hangs up: the client's socket stays
// full, so the upload thread spends its time waiting for the network.
class SlowReader
{
public:
    SlowReader()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), len);
        ::listen(m_listener, 16);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~SlowReader()
    {
        m_stopping = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        for (auto& connection : m_connections)
            connection.join();
        ::close(m_listener);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/upload"; }

private:
    void serve()
    {
        while (!m_stopping) {
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                return;
            m_connections.emplace_back([this, fd] {
                char buffer[16384];
                while (!m_stopping && ::recv(fd, buffer, sizeof buffer, 0) > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                ::close(fd);
            });
        }
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    std::vector<std::thread> m_connections;
};

class ProgressWatch : public bv::UploadObserver
{
public:
    std::atomic<int> percent{-1};
    void uploadProgress(int p) override { percent = p; }
    void uploadStatus(const std::string&) override {}
    void uploadOpened() override {}
    void uploadFinished() override {}
};

// Time from setting the cancel event to the thread's acknowledgement, asked once the body has reached
// the given share and the given time has passed; negative when the upload was not stopped on request.
double cancelMillis(const std::string& url, const fs::path& file, int atPercent, std::chrono::milliseconds after)
{
    bv::SendRequestBlock block;
    block.url = url;
    block.uploadFile = file.string();
    ProgressWatch watch;
    const auto begin = Clock::now();
    std::thread worker([&] { bv::UploadThread(block, &watch); });
    while ((watch.percent < atPercent || Clock::now() - begin < after) && !block.done.isSet())
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    double millis = -1;
    if (!block.done.isSet()) {
        const auto start = Clock::now();
        block.cancel.set();
        block.cancelled.wait();
        millis = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    worker.join();
    return block.errorCode == bv::UploadStoppedOnRequest ? millis : -1;
}

void printCancel(const char* against, std::vector<double> millis, int runs)
{
    std::erase_if(millis, [](double m) { return m < 0; });
    if (millis.empty()) {
        std::printf("cancel (%s): no run was stopped on request\n", against);
        return;
    }
    std::printf("cancel (%s): %zu of %d runs, median %.2f ms, max %.2f ms (target < 100 ms)\n", against, millis.size(),
                runs, median(millis), *std::max_element(millis.begin(), millis.end()));
}

} // namespace

int main(int argc, char* argv[])
{
    const std::uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const int cancelRuns = argc > 3 ? std::atoi(argv[3]) : 15;
    const std::string client = BV_UPLOAD_CLIENT;

    const fs::path work = fs::temp_directory_path() / ("bv_bench_upload_" + std::to_string(::getpid()));
    const fs::path stored = work / "stored";
    fs::create_directories(stored);
    const fs::path tiny = work / "tiny.zip";
    const fs::path small = work / "small.zip";
    const fs::path large = work / "large.zip";
    writeFile(tiny, 1024);
    writeFile(small, 20ull << 20);
    writeFile(large, megabytes << 20);

    bv::testing::BillingCentre::Options options;
    options.uploadDir = stored;
    bv::testing::BillingCentre centre(options);
    if (!centre.start()) {
        std::fprintf(stderr, "cannot start the billing centre\n");
        return 1;
    }
    centre.addAccount({"dupont", "geheim", {{"123456", "Cabinet Dupont"}}, {}, false, false});
    bv::InternetRequest login;
    login.address = centre.url("/login");
    login.formBody = "benutzer=dupont&passwort=geheim";
    bv::runFormPost(login);
    const std::size_t at = login.reply.find("SESSIONID: ");
    const std::string session =
        at == std::string::npos ? "none" : login.reply.substr(at + 11, login.reply.find("\r\n", at) - at - 11);
    const std::string url = centre.url(
        "/upload?vertnr=123456&ean_party=7601000000001&stpnr=1&typ=CA&session-id=" + session + "&nichtbuchen=0");

    // Peak memory of the client: idle (a 1 KB file), 20 MB, and the large file below.
    const Run idle = runChild({client, url, tiny.string()});
    const Run twenty = runChild({client, url, small.string()});
    clearStored(stored);
    if (!idle.ok || !twenty.ok) {
        std::fprintf(stderr, "upload failed (1 KB %d, 20 MB %d)\n", idle.ok, twenty.ok);
        return 1;
    }

    std::vector<double> clientSeconds, curlSeconds;
    long largeRss = 0;
    const std::uint64_t largeBytes = megabytes << 20;
    for (int i = 0; i < rounds; ++i) {
        const Run c = runChild({client, url, large.string()});
        const bool clientStored = centre.requests("/upload").back().bodyLength == largeBytes;
        clearStored(stored);
        const Run k = runChild({"curl", "-s", "-o", "/dev/null", "--data-binary", "@" + large.string(), url});
        const bool curlStored = centre.requests("/upload").back().bodyLength == largeBytes;
        clearStored(stored);
        if (!c.ok || !k.ok || !clientStored || !curlStored) {
            std::fprintf(stderr, "upload failed (client %d/%d, curl %d/%d)\n", c.ok, clientStored, k.ok, curlStored);
            return 1;
        }
        clientSeconds.push_back(c.seconds);
        curlSeconds.push_back(k.seconds);
        largeRss = std::max(largeRss, c.maxRssKb);
    }
    centre.clearRequests();

    const double mb = static_cast<double>(megabytes);
    const double clientRate = mb / median(clientSeconds);
    const double curlRate = mb / median(curlSeconds);
    std::printf("upload of %llu MB to the local billing centre (stored on disk), %d rounds (median)\n",
                static_cast<unsigned long long>(megabytes), rounds);
    std::printf("client upload:           %8.1f MB/s\n", clientRate);
    std::printf("curl -s --data-binary:   %8.1f MB/s\n", curlRate);
    std::printf("ratio client/curl: %.2f (target >= 0.80)\n", clientRate / curlRate);
    std::printf("client peak RSS: %ld KB idle (1 KB file), %ld KB for 20 MB, %ld KB for %llu MB\n", idle.maxRssKb,
                twenty.maxRssKb, largeRss, static_cast<unsigned long long>(megabytes));
    std::printf("growth over idle: %.1f MB for 20 MB, %.1f MB for %llu MB (target < 16 MB)\n",
                static_cast<double>(twenty.maxRssKb - idle.maxRssKb) / 1024.0,
                static_cast<double>(largeRss - idle.maxRssKb) / 1024.0, static_cast<unsigned long long>(megabytes));

    std::vector<double> fast, slow;
    for (int i = 0; i < cancelRuns; ++i) {
        fast.push_back(cancelMillis(url, large, 10, std::chrono::milliseconds(0)));
        clearStored(stored);
    }
    {
        SlowReader reader;
        for (int i = 0; i < cancelRuns; ++i)
            slow.push_back(cancelMillis(reader.url(), large, 0, std::chrono::milliseconds(1500)));
    }
    printCancel("billing centre, at 10 % of the body", fast, cancelRuns);
    printCancel("server reading 0.8 MB/s, socket full, 1.5 s into the body", slow, cancelRuns);

    fs::remove_all(work);
    return 0;
}
