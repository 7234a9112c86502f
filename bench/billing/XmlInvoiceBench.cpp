// Reading single XML invoices: a large invoice, and files of the shapes that make a block-wise
// parser slow (one huge comment, one huge attribute, deep nesting). Each file is read by the
// invoice reader in a probe process and checked by expat's own "xmlwf" (the whole file at once) in
// the same run; prints both wall times, their ratio, the reader's own parse time and its peak memory.

#include "BenchProcess.h"
#include "billing/CAdzException.h"
#include "billing/SampleFiles.h"
#include "billing/formats/xml/XmlInvoice.h"
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

enum Shape
{
    LargeInvoice,  // an invoice of about `size` bytes of service lines
    HugeComment,   // one comment of `size` bytes inside an invoice
    HugeAttribute, // one attribute value of `size` bytes
    DeepNesting,   // `size` / 8 nested elements
};

const char* const ShapeNames[] = {"invoice", "comment", "attribute", "nesting"};

std::string document(Shape shape, std::size_t size)
{
    samples::XmlInvoicePlan sample;
    if (shape == LargeInvoice) {
        sample.targetSize = size;
        return samples::xmlInvoice(sample);
    }
    std::string xml = samples::xmlInvoice(sample);
    const auto rootEnd = xml.find('>', xml.find("request")) + 1;
    std::string inner;
    if (shape == HugeComment)
        inner = "<!--" + std::string(size, 'c') + "-->";
    else if (shape == HugeAttribute)
        inner = "<invoice:remark text=\"" + std::string(size, 'a') + "\"/>";
    else {
        const std::size_t levels = size / 8;
        inner.reserve(levels * 8);
        for (std::size_t i = 0; i < levels; ++i)
            inner += "<a>";
        for (std::size_t i = 0; i < levels; ++i)
            inner += "</a>";
    }
    xml.insert(rootEnd, inner);
    return xml;
}

// One read of the file in this process; prints the parse time in ms and the peak memory in kB.
int probe(const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    try {
        XmlInvoice invoice(path);
        invoice.Parse();
    } catch (const CAdzException& e) {
        std::cerr << e.reportText() << "\n";
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %ld\n", ms, bench::peakResidentKb());
    return 0;
}

void BM_XmlInvoice(benchmark::State& state)
{
    const auto shape = static_cast<Shape>(state.range(0));
    const auto size = static_cast<std::size_t>(state.range(1));
    TempDir dir("bv-bench-xml-");
    const std::string xml = document(shape, size);
    const std::string file = dir.write("invoice.xml", xml).string();
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string probeOut = dir.file("probe.txt").string();

    std::vector<double> peerTimes, ownTimes, parseMs;
    long peakKb = 0;
    const int rounds = size > 10'000'000 ? 1 : 5;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            const auto peer = bench::run({"xmlwf", file}, {}, "/dev/null");
            const auto own = bench::run({self, "--probe", file}, {}, probeOut);
            if (own.status != 0) {
                state.SkipWithError("the reader failed");
                return;
            }
            peerTimes.push_back(peer.seconds);
            ownTimes.push_back(own.seconds);
            double ms = 0;
            long kb = 0;
            std::sscanf(files::readFile(probeOut).value_or("0 0").c_str(), "%lf %ld", &ms, &kb);
            parseMs.push_back(ms);
            peakKb = std::max(peakKb, kb);
        }
    }
    const double ratio = bench::median(ownTimes) / bench::median(peerTimes);
    state.counters["parse_ms"] = bench::median(parseMs);
    state.counters["ratio"] = ratio;
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    std::printf("%s of %.1f MB: reader %.3f s (parse %.2f ms), xmlwf %.3f s, ratio %.2f; "
                "peak memory %.1f MB\n",
                ShapeNames[shape], static_cast<double>(xml.size()) / 1e6, bench::median(ownTimes),
                bench::median(parseMs), bench::median(peerTimes), ratio, static_cast<double>(peakKb) / 1024.0);
}

BENCHMARK(BM_XmlInvoice)
    ->Args({LargeInvoice, 400'000})
    ->Args({HugeComment, 16'000'000})
    ->Args({HugeAttribute, 16'000'000})
    ->Args({DeepNesting, 16'000'000})
    ->Args({HugeComment, 100'000'000})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::probe);
}
