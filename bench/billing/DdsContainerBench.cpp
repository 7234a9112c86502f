// Writing and reading back an attachment container of 200 attachments of 1 MB each (an RZ3 batch of
// 8 invoices with 25 references each). One probe process packs the container (WriteContainer), another
// unpacks it (the RZ3 reader's first Validate writes the billing file and every attachment into its
// attachment directory); `cp` of the container, the same bytes, is the peer in the same run, and for
// the unpacking also `cp -r` of the 200 scans, the same bytes in as many files. Target: at least 0.8
// times the throughput of cp.

#include "BenchProcess.h"
#include "billing/CAdzException.h"
#include "billing/DdsSamples.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "platform/Files.h"
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

constexpr int Attachments = 200;
constexpr std::size_t AttachmentSize = 1 << 20;

double elapsedMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// "write:<dir>" packs <dir>/RZ0001.001 with <dir>/scan/*.tif into <dir>/pack; "read:<dir>" unpacks
// the container <dir>/RZ0002.001 into <dir>/unpack. Prints the milliseconds of the work.
int probe(const std::string& argument)
{
    const bool write = argument.rfind("write:", 0) == 0;
    const fs::path dir = argument.substr(argument.find(':') + 1);
    try {
        const auto start = std::chrono::steady_clock::now();
        if (write) {
            DDSrz3Datei reader((dir / "RZ0001.001").string(), false, false, true);
            reader.setTemporaryDirectory((dir / "pack").string());
            reader.Validate();
            reader.ReadContents();
            for (int i = 0; i < Attachments; ++i) {
                DdsAttachment& entry = reader.attachments().emplace_back();
                entry.path = (dir / "scan" / ("a" + std::to_string(i) + ".tif")).string();
                entry.size = AttachmentSize;
            }
            reader.WriteContainer();
        } else {
            DDSrz3Datei reader((dir / "RZ0002.001").string(), false, false, true);
            reader.setTemporaryDirectory((dir / "unpack").string());
            reader.Validate();
            if (reader.GetAttachmentCount(1) != Attachments)
                return 1;
        }
        std::printf("%.3f\n", elapsedMs(start));
    } catch (const CAdzException& e) {
        std::cerr << e.reportText() << "\n";
        return 1;
    }
    return 0;
}

double probeMs(const std::string& self, const std::string& argument, const std::string& out)
{
    if (bench::run({self, "--probe", argument}, {}, out).status != 0)
        return -1;
    double ms = -1;
    std::sscanf(files::readFile(out).value_or("-1").c_str(), "%lf", &ms);
    return ms;
}

void BM_DdsContainerWriteRead(benchmark::State& state)
{
    TempDir dir("bv-bench-container-");
    files::writeFileAtomic(dir.file("RZ0001.001"),
                           samples::ddsRzFile({.interfaceNumber = 3, .invoices = 8, .attachmentsPerInvoice = 25}));
    fs::create_directories(dir.file("scan"));
    std::string scan(AttachmentSize, '\0');
    for (int i = 0; i < Attachments; ++i) {
        for (std::size_t b = 0; b < scan.size(); b += 4096)
            scan[b] = static_cast<char>(i + b);
        files::writeFileAtomic(dir.file("scan/a" + std::to_string(i) + ".tif"), scan);
    }
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string out = dir.file("probe.txt").string();
    const fs::path container = dir.file("pack/brevalis_Anlagen/RZ0001.001/~M004711.001.DDSRZ10");

    std::vector<double> writeMs, readMs, cpMs, cpFilesMs;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            fs::remove_all(dir.file("pack"));
            fs::remove_all(dir.file("unpack"));
            fs::remove(dir.file("RZ0002.001"));
            fs::remove(dir.file("copy"));
            fs::remove_all(dir.file("scans"));
            fs::create_directories(dir.file("pack"));
            fs::create_directories(dir.file("unpack"));
            const double w = probeMs(self, "write:" + dir.path().string(), out);
            fs::copy_file(container, dir.file("RZ0002.001"));
            const double r = probeMs(self, "read:" + dir.path().string(), out);
            const auto peer = bench::run({"cp", container.string(), dir.file("copy").string()});
            const auto peerFiles = bench::run({"cp", "-r", dir.file("scan").string(), dir.file("scans").string()});
            if (w < 0 || r < 0 || peer.status != 0 || peerFiles.status != 0) {
                state.SkipWithError("a run failed");
                return;
            }
            writeMs.push_back(w);
            readMs.push_back(r);
            cpMs.push_back(peer.seconds * 1000.0);
            cpFilesMs.push_back(peerFiles.seconds * 1000.0);
        }
    }
    const double mb = static_cast<double>(fs::file_size(container)) / 1e6;
    const double w = bench::median(writeMs), r = bench::median(readMs), c = bench::median(cpMs);
    const double cf = bench::median(cpFilesMs);
    state.counters["write_vs_cp"] = c / w;
    state.counters["read_vs_cp"] = c / r;
    state.counters["read_vs_cp_r"] = cf / r;
    std::printf("Attachment container of %d x 1 MB (%.1f MB): WriteContainer %.1f ms = %.0f MB/s, unpacking %.1f ms "
                "= %.0f MB/s; cp of the container %.1f ms = %.0f MB/s, cp -r of the scans %.1f ms; throughput vs cp: "
                "write %.2f, read %.2f (vs cp -r %.2f)\n",
                Attachments, mb, w, mb / (w / 1000), r, mb / (r / 1000), c, mb / (c / 1000), cf, c / w, c / r, cf / r);
}

BENCHMARK(BM_DdsContainerWriteRead)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::probe);
}
