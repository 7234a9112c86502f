// Reading a hive file of about 1 MB in the shapes that cost a key-per-level or copy-per-parent reader
// dearly: one key path of 500,000 levels, a thousand keys below one long path, 100,000 values in one
// key, 70,000 keys. Each hive is loaded by the registry (read, parse, one value looked up) and written
// back as a write would (serialised) in a probe process; awk reading every key and value of the same
// file into an array is the peer in the same run. Prints both wall times, the probe's load and
// serialise times and its peak memory. Target: under 1 s and under 50 MB for any shape.

#include "BenchProcess.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/TempDir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace bv {
namespace {

namespace fs = std::filesystem;

enum Shape
{
    DeepPath,   // one key path of 500,000 levels
    WideBelow,  // 1,000 keys below one path of 500 levels
    ManyValues, // 100,000 values in one key
    ManyKeys,   // 70,000 keys of one level
};

const char* const ShapeNames[] = {"deep key path", "keys below a long path", "values in one key", "keys"};
const char* const Header = "Windows Registry Editor Version 5.00\n\n";

std::string hive(Shape shape)
{
    std::string text = Header;
    switch (shape) {
    case DeepPath:
        text += "[HKEY_CURRENT_USER";
        for (int i = 0; i < 500'000; ++i)
            text += "\\a";
        text += "]\n\"v\"=\"1\"\n";
        break;
    case WideBelow: {
        std::string path = "[HKEY_CURRENT_USER";
        for (int i = 0; i < 500; ++i)
            path += "\\a";
        for (int i = 0; i < 1000; ++i)
            text += path + "\\" + std::to_string(i) + "]\n\"v\"=\"1\"\n";
        break;
    }
    case ManyValues:
        text += "[HKEY_CURRENT_USER\\S]\n";
        for (int i = 0; i < 100'000; ++i)
            text += "\"v" + std::to_string(i) + "\"=\"\"\n";
        break;
    case ManyKeys:
        for (int i = 0; i < 70'000; ++i)
            text += "[HKEY_USERS\\" + std::to_string(i) + "]\n";
        break;
    }
    return text;
}

// Loads the hive in this process, looks one value up and serialises it; prints the load and
// serialise times in ms and the peak memory in kB.
int probe(const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    HiveFile file(path);
    try {
        file.load();
    } catch (const HiveParseError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    file.value("HKEY_CURRENT_USER\\S", "v99999");
    const auto loaded = std::chrono::steady_clock::now();
    const std::string text = file.serialize();
    const auto written = std::chrono::steady_clock::now();
    std::printf("%.3f %.3f %ld %zu\n", std::chrono::duration<double, std::milli>(loaded - start).count(),
                std::chrono::duration<double, std::milli>(written - loaded).count(), bench::peakResidentKb(),
                text.size());
    return 0;
}

// Every key line and every value line into one array, as a reader that holds the hive would.
const char* const AwkProgram = "/^\\[/ { key = $0; keys[key] = 1; next } /=/ { values[key SUBSEP $0] = 1; n++ } "
                               "END { print n + 0 }";

void BM_HiveRead(benchmark::State& state)
{
    const auto shape = static_cast<Shape>(state.range(0));
    TempDir dir("bv-bench-hive-");
    const std::string text = hive(shape);
    const std::string file = dir.write("user.reg", text).string();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string probeOut = dir.file("probe.txt").string();

    std::vector<double> peerTimes, ownTimes, loadMs, serialiseMs;
    long peakKb = 0;
    std::size_t written = 0;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            const auto peer = bench::run({"awk", AwkProgram, file}, {}, "/dev/null");
            const auto own = bench::run({self, "--probe", file}, {}, probeOut);
            if (own.status != 0 || peer.status != 0) {
                state.SkipWithError("a reading run failed");
                return;
            }
            peerTimes.push_back(peer.seconds);
            ownTimes.push_back(own.seconds);
            double load = 0, serialise = 0;
            long kb = 0;
            std::sscanf(files::readFile(probeOut).value_or("0 0 0 0").c_str(), "%lf %lf %ld %zu", &load, &serialise,
                        &kb, &written);
            loadMs.push_back(load);
            serialiseMs.push_back(serialise);
            peakKb = std::max(peakKb, kb);
        }
    }
    const double ratio = bench::median(ownTimes) / bench::median(peerTimes);
    state.counters["load_ms"] = bench::median(loadMs);
    state.counters["ratio"] = ratio;
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    std::printf("%s, %.2f MB: registry %.3f s (load %.1f ms, write-back text %.1f ms, %.2f MB), awk %.3f s, "
                "ratio %.2f; peak memory %.1f MB\n",
                ShapeNames[shape], static_cast<double>(text.size()) / 1e6, bench::median(ownTimes),
                bench::median(loadMs), bench::median(serialiseMs), static_cast<double>(written) / 1e6,
                bench::median(peerTimes), ratio, static_cast<double>(peakKb) / 1024.0);
}

BENCHMARK(BM_HiveRead)
    ->Arg(DeepPath)
    ->Arg(WideBelow)
    ->Arg(ManyValues)
    ->Arg(ManyKeys)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::probe);
}
