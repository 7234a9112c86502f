// Opening a CHZ file of 90 MB: the summary is looked up in one pass over the file, its section at the
// end (the whole file is read) or at the start. The probe process opens the file as the CHZ spool does
// and reports its parse time, its peak memory and how far the peak grew beyond what the process held
// before the open; grep looking for the five summary lines in the same file is the peer in the same
// run. Target: memory growth under 16 MB whatever the file's size.

#include "BenchProcess.h"
#include "billing/CAdzException.h"
#include "billing/formats/chz/CCHZDatei.h"
#include "platform/Files.h"
#include "platform/TempDir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace bv {
namespace {

namespace fs = std::filesystem;

const char* const Summary = "[Allgemein]\r\nKuNr=4711\r\nStapelNr=42\r\nDatum=07.03.2013\r\nAnzRech=3\r\n"
                            "TotalNetto=1234.56\r\n";

// A CHZ file of `size` bytes of invoice lines, with the summary section after them or before them.
void writeChz(const fs::path& path, std::size_t size, bool summaryFirst)
{
    std::ofstream out(path, std::ios::binary);
    if (summaryFirst)
        out << Summary;
    out << "[Rechnungen]\r\n";
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += "Rechnung" + std::to_string(i) + "=" + std::string(80, 'x') + "\r\n";
    for (std::size_t written = 0; written < size; written += block.size())
        out << block;
    if (!summaryFirst)
        out << Summary;
}

long residentKb()
{
    const std::string status = files::readFile("/proc/self/status").value_or("");
    const auto at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::stol(status.substr(at + 6));
}

// Opens the file as the spool does; prints the time in ms, the peak memory and its growth in kB.
int probe(const std::string& path)
{
    const long before = residentKb();
    const auto start = std::chrono::steady_clock::now();
    try {
        CCHZDatei chz(path);
        if (chz.GetBatchNumber() != 42)
            return 1;
    } catch (const CAdzException& e) {
        std::cerr << e.reportText() << "\n";
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const long peak = bench::peakResidentKb();
    std::printf("%.3f %ld %ld\n", ms, peak, peak - before);
    return 0;
}

void BM_ChzSummary(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const bool summaryFirst = state.range(1) != 0;
    TempDir dir("bv-bench-chz-");
    const fs::path file = dir.file("abrechnung.chz");
    writeChz(file, size, summaryFirst);
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string probeOut = dir.file("probe.txt").string();
    const std::string peerOut = dir.file("grep.txt").string();

    std::vector<double> peerTimes, ownTimes, parseMs;
    long peakKb = 0, growthKb = 0;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            // Stops after the five lines as the reader stops after its section; its output goes to a
            // file, since grep stops at the first match when it writes to /dev/null.
            const auto peer = bench::run(
                {"grep", "-m", "5", "-E", "^(KuNr|StapelNr|Datum|AnzRech|TotalNetto)=", file.string()}, {}, peerOut);
            const auto own = bench::run({self, "--probe", file.string()}, {}, probeOut);
            if (own.status != 0 || peer.status != 0) {
                state.SkipWithError("a reading run failed");
                return;
            }
            peerTimes.push_back(peer.seconds);
            ownTimes.push_back(own.seconds);
            double ms = 0;
            long kb = 0, growth = 0;
            std::sscanf(files::readFile(probeOut).value_or("0 0 0").c_str(), "%lf %ld %ld", &ms, &kb, &growth);
            parseMs.push_back(ms);
            peakKb = std::max(peakKb, kb);
            growthKb = std::max(growthKb, growth);
        }
    }
    const double ratio = bench::median(ownTimes) / bench::median(peerTimes);
    state.counters["parse_ms"] = bench::median(parseMs);
    state.counters["ratio"] = ratio;
    state.counters["growth_MB"] = static_cast<double>(growthKb) / 1024.0;
    std::printf("CHZ of %.1f MB, summary at the %s: summary %.3f s (read %.1f ms), grep %.3f s, ratio %.2f; "
                "peak memory %.1f MB, growth %.1f MB\n",
                static_cast<double>(fs::file_size(file)) / 1e6, summaryFirst ? "start" : "end", bench::median(ownTimes),
                bench::median(parseMs), bench::median(peerTimes), ratio, static_cast<double>(peakKb) / 1024.0,
                static_cast<double>(growthKb) / 1024.0);
}

BENCHMARK(BM_ChzSummary)->Args({90'000'000, 0})->Args({90'000'000, 1})->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::probe);
}
