// Validating and loading the largest DDS-RZ file a control record can declare: 99,999 records before
// the control record (9,999 invoices, about 25 MB). The probe process opens the file as the DDS spool
// does (Validate), loads it (ReadContents) and checks it strictly (CheckContents), and reports its time,
// its peak memory and the bytes of one record object; `cat file > /dev/null` reading the same file is
// the peer in the same run. Targets: at least 200 MB/s, peak memory at most twice the file size.
// A second probe does what the send dialog's opening does with such a file in its spool directory:
// the spool type is determined and the DDS spool built (working copy, validation, loading); target
// under one second.

#include "BenchProcess.h"
#include "billing/CAdzException.h"
#include "billing/DdsSamples.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/dds/CDDSSpool.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "config/Profile.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

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

// 0010 + 9,999 invoices of 10 records (0100, 0110, 0200, seven 0300) + 8 more fee records = 99,999.
samples::DdsPlan largestFile()
{
    return samples::DdsPlan{.version = "2.20",
                            .invoices = 9999,
                            .amount = 9876543,
                            .characterSet = "C850",
                            .fileRecord = true,
                            .feePositions = 7,
                            .extraFeesInLastInvoice = 8};
}

// The opening of the send dialog on a spool directory: spool type and DDS spool.
int probeOpening(const std::string& directory)
{
    TempRegistry registry;
    Profile profile(registry.registry());
    RecordingMessageBoxes boxes;
    files::RemovableProbe removable;
    const auto start = std::chrono::steady_clock::now();
    try {
        if (DetermineSpoolType(directory, profile) != spool_type::Dds)
            return 1;
        CDDSSpool spool(boxes, profile, removable, directory);
        if (spool.IsEmpty() || spool.invoiceCount() != 9999)
            return 1;
    } catch (const CAdzException& e) {
        std::cerr << e.reportText() << "\n";
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %ld\n", ms, bench::peakResidentKb());
    return 0;
}

int probe(const std::string& argument)
{
    if (argument.rfind("spool:", 0) == 0)
        return probeOpening(argument.substr(6));
    const std::string& path = argument;
    const auto start = std::chrono::steady_clock::now();
    try {
        DDSrz2Datei reader(path, false, false);
        reader.ReadContents();
        if (reader.CheckContents(true) != 1 || reader.recordCount() != 100000)
            return 1;
    } catch (const CAdzException& e) {
        std::cerr << e.reportText() << "\n";
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %ld\n", ms, bench::peakResidentKb());
    return 0;
}

void BM_DdsValidateLoadCheck(benchmark::State& state)
{
    TempDir dir("bv-bench-dds-");
    const fs::path file = dir.file("RZ0001.001");
    {
        const std::string bytes = samples::ddsRzFile(largestFile());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const double size = static_cast<double>(fs::file_size(file));
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string probeOut = dir.file("probe.txt").string();

    std::vector<double> peerTimes, ownTimes, loadMs;
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
            double ms = 0;
            long kb = 0;
            std::sscanf(files::readFile(probeOut).value_or("0 0").c_str(), "%lf %ld", &ms, &kb);
            loadMs.push_back(ms);
            peakKb = std::max(peakKb, kb);
        }
    }
    const double load = bench::median(loadMs);
    const double mbPerSecond = size / 1e6 / (load / 1000.0);
    const double ratio = bench::median(ownTimes) / bench::median(peerTimes);
    const double peak = static_cast<double>(peakKb) * 1024.0;
    state.counters["MB_per_s"] = mbPerSecond;
    state.counters["ratio"] = ratio;
    state.counters["peak_per_size"] = peak / size;
    std::printf("DDS-RZ of 100,000 records (%.1f MB): Validate+ReadContents+CheckContents %.1f ms = %.0f MB/s; "
                "process %.3f s, cat %.3f s, ratio %.2f; peak memory %.1f MB = %.2f x file size; record object "
                "%zu bytes, invoice object %zu bytes\n",
                size / 1e6, load, mbPerSecond, bench::median(ownTimes), bench::median(peerTimes), ratio, peak / 1e6,
                peak / size, sizeof(RecordObject), sizeof(DDSrzRechnung));
}

void BM_DdsSendDialogOpening(benchmark::State& state)
{
    TempDir dir("bv-bench-dds-spool-");
    {
        const std::string bytes = samples::ddsRzFile(largestFile());
        std::ofstream(dir.file("RZ0001.001"), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string probeOut = dir.file("probe.txt").string();
    std::vector<double> openMs;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            if (bench::run({self, "--probe", "spool:" + dir.path().string()}, {}, probeOut).status != 0) {
                state.SkipWithError("the opening failed");
                return;
            }
            double ms = 0;
            long kb = 0;
            std::sscanf(files::readFile(probeOut).value_or("0 0").c_str(), "%lf %ld", &ms, &kb);
            openMs.push_back(ms);
        }
    }
    state.counters["open_ms"] = bench::median(openMs);
    std::printf("Send dialog opening on that file (spool type, working copy, DDS spool): %.1f ms\n",
                bench::median(openMs));
}

BENCHMARK(BM_DdsValidateLoadCheck)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_DdsSendDialogOpening)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::probe);
}
