// Time and peak memory of building the dispatch package of a spool of XML invoices, against
// "zip -q -j -6" packing the same files in the same run. Each side runs as its own process, so the
// wall time includes the same start-up cost. The peak resident size is the probe process's own
// high-water mark (VmHWM): the maximum RSS that wait4 reports would include the parent's memory
// from before the exec. Prints both times, their ratio and the peak memory.

#include "BenchProcess.h"
#include "billing/SampleFiles.h"
#include "billing/formats/cha/CCHADatei.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <unistd.h>
#include <vector>

namespace bv {
namespace {

namespace fs = std::filesystem;
using bench::median;
using bench::peakResidentKb;
using bench::run;
using bench::RunResult;

// Message boxes of the probe: none is expected for valid invoices.
class SilentMessageBoxes : public MessageBoxes
{
public:
    using MessageBoxes::show;
    MbResult show(const std::string& text, const std::string&, MbIcon, MbButtons, MbResult defaultButton) override
    {
        std::cerr << "unexpected message: " << text << "\n";
        return defaultButton;
    }
};

void BM_ChaPackage(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const auto size = static_cast<std::size_t>(state.range(1));
    TempDir spool("bv-bench-cha-");
    std::string list;
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) {
        samples::XmlInvoicePlan sample;
        sample.targetSize = size;
        sample.familyName = strFormat("Patient%05d", i);
        sample.timestamp = 1700000000 + i * 60;
        const std::string name = strFormat("invoice_%05d.xml", i);
        const std::string xml = samples::xmlInvoice(sample);
        total += xml.size();
        list += spool.write(name, xml).string() + "\n";
    }
    const auto listFile = spool.write("files.lst", list); // not "*.XML": the package ignores it
    const std::string zipOut = (spool.path() / "peer.zip").string();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    TempDir scratch("bv-bench-peak-");
    const fs::path peakFile = scratch.file("peak.txt");

    std::vector<double> zipTimes, chaTimes, ratios;
    long peakKb = 0;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            // Each side starts with nothing of the other waiting to be written back.
            fs::remove(zipOut);
            fs::remove_all(spool.path() / "Tmp");
            ::sync();
            const RunResult zip = run({"zip", "-q", "-j", "-6", zipOut, "-@"}, listFile.string());
            fs::remove(zipOut);
            ::sync();
            const RunResult cha = run({self, "--probe", spool.path().string()}, {}, peakFile.string());
            if (zip.status != 0 || cha.status != 0) {
                state.SkipWithError("a packing run failed");
                return;
            }
            zipTimes.push_back(zip.seconds);
            chaTimes.push_back(cha.seconds);
            ratios.push_back(cha.seconds / zip.seconds);
            peakKb = std::max(peakKb, std::stol(files::readFile(peakFile).value_or("0")));
        }
    }
    state.counters["zip_s"] = median(zipTimes);
    state.counters["cha_s"] = median(chaTimes);
    state.counters["ratio"] = median(ratios);
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["input_MB"] = static_cast<double>(total) / 1e6;
    std::printf("%d invoices of %zu bytes (%.1f MB): zip -6 %.3f s, package %.3f s, ratio %.2f (median of %zu); "
                "peak memory %.1f MB\n",
                count, size, static_cast<double>(total) / 1e6, median(zipTimes), median(chaTimes), median(ratios),
                ratios.size(), static_cast<double>(peakKb) / 1024.0);
}

// 2,000 invoices of about 30 KB; and a few large invoices, to show that the peak memory does not
// grow with the size of the files.
BENCHMARK(BM_ChaPackage)->Args({2000, 30000})->Args({8, 8000000})->Iterations(1)->Unit(benchmark::kSecond);

int probe(const std::string& directory)
{
    SilentMessageBoxes boxes;
    try {
        CCHADatei cha(directory, false, false, boxes);
        if (cha.invoiceCount() == 0 || !cha.hasOpenFile())
            return 2;
    } catch (const CAdzException& e) {
        std::cerr << e.reportText() << "\n";
        return 1;
    }
    std::printf("%ld\n", peakResidentKb());
    return 0;
}

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::probe);
}
