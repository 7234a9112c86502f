// Validating, loading and converting a PAD file of 50 MB: 384,614 records of 130 bytes (32,051
// invoices of a text, recipient, patient record, eight services and an end record), every invoice
// subject to the reduction after 6a and every service to an east reduction, so that each service line
// is reduced and rewritten. The probe process opens the file as the PAD spool does (Validate), loads and
// converts it into its MAS form (ReadContents) and checks its fields strictly (CheckContents), and
// reports the times and its peak memory; `cat file > /dev/null` reading the same file is the peer in
// the same run. Targets: at least 100 MB/s, peak memory at most twice the file size.

#include "BenchProcess.h"
#include "billing/CAdzException.h"
#include "billing/PadSamples.h"
#include "billing/formats/pad/CPADDatei.h"
#include "platform/Files.h"
#include "platform/TempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace bv {
namespace {

namespace fs = std::filesystem;

constexpr int Invoices = 32051;
constexpr int ServicesPerInvoice = 8;
constexpr int Records = Invoices * (4 + ServicesPerInvoice) + 2;

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The processor time of this process so far: on a machine shared with other work the wall time also
// counts the waits for a processor.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

int probe(const std::string& path)
{
    PadReductions reductions;
    reductions.east = PadReductions::ParseEastTable("19000101=0;20010101=2;20070101=3");
    reductions.percent6a = 12.5;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuMs();
    double loadMs = 0, loadCpuMs = 0;
    try {
        CPADDatei reader(path, false, false, true, false, reductions, false);
        reader.ReadContents();
        loadMs = msSince(start);
        loadCpuMs = cpuMs() - cpuStart;
        if (reader.CheckContents(true) != 1 || reader.invoiceCount() != Invoices ||
            reader.masRecordCount() != Invoices * (4 + ServicesPerInvoice))
            return 1;
    } catch (const CAdzException& e) {
        std::cerr << e.reportText() << "\n";
        return 1;
    }
    std::printf("%.3f %.3f %.3f %ld\n", loadMs, msSince(start), loadCpuMs, bench::peakResidentKb());
    return 0;
}

void BM_PadValidateLoadConvert(benchmark::State& state)
{
    TempDir dir("bv-bench-pad-");
    const fs::path file = dir.file("PV123456.DAT");
    {
        const std::string bytes = samples::padFile(samples::PadPlan{.invoices = Invoices,
                                                                    .servicesPerInvoice = ServicesPerInvoice,
                                                                    .serviceDate = "150308",
                                                                    .subjectTo6a = true});
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const double size = static_cast<double>(fs::file_size(file));
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string probeOut = dir.file("probe.txt").string();

    std::vector<double> peerTimes, ownTimes, loadMs, allMs, cpuMs;
    long peakKb = 0;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            const auto peer = bench::run({"cat", file.string()}, {}, "/dev/null");
            const auto own = bench::run({self, "--probe", file.string()}, {}, probeOut);
            if (own.status != 0 || peer.status != 0) {
                state.SkipWithError("a reading run failed");
                return;
            }
            peerTimes.push_back(peer.seconds);
            ownTimes.push_back(own.seconds);
            double load = 0, all = 0, cpu = 0;
            long kb = 0;
            std::sscanf(files::readFile(probeOut).value_or("0 0 0 0").c_str(), "%lf %lf %lf %ld", &load, &all, &cpu,
                        &kb);
            loadMs.push_back(load);
            allMs.push_back(all);
            cpuMs.push_back(cpu);
            peakKb = std::max(peakKb, kb);
        }
    }
    const double load = bench::median(loadMs);
    const double all = bench::median(allMs);
    const double cpu = bench::median(cpuMs);
    const double mbPerSecond = size / 1e6 / (load / 1000.0);
    const double ratio = bench::median(ownTimes) / bench::median(peerTimes);
    const double peak = static_cast<double>(peakKb) * 1024.0;
    state.counters["MB_per_s"] = mbPerSecond;
    state.counters["MB_per_cpu_s"] = size / 1e6 / (cpu / 1000.0);
    state.counters["ratio"] = ratio;
    state.counters["peak_per_size"] = peak / size;
    std::printf("PAD of %d records (%.1f MB): Validate+ReadContents (conversion) %.1f ms = %.0f MB/s; with "
                "CheckContents %.1f ms = %.0f MB/s; processor time of the loading %.1f ms = %.0f MB/s; process %.3f s, "
                "cat %.3f s, ratio %.2f; peak memory %.1f MB = "
                "%.2f x file size\n",
                Records, size / 1e6, load, mbPerSecond, all, size / 1e6 / (all / 1000.0), cpu,
                size / 1e6 / (cpu / 1000.0), bench::median(ownTimes), bench::median(peerTimes), ratio, peak / 1e6,
                peak / size);
}

BENCHMARK(BM_PadValidateLoadConvert)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::probe);
}
