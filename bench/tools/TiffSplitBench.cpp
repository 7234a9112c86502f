// Splitting a 50-page TIFF of A4 pages scanned at 200 dpi (8-bit grey, LZW, 16 rows per strip):
// bvtiffsplit as attachment extraction starts it, against libtiff's own tiffsplit on the same file in
// the same run, each as a process of its own writing into an empty directory. Target: at least as fast.

#include "BenchProcess.h"
#include "platform/TempDir.h"
#include "tiff/TiffBuilder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace bv {
namespace {

namespace fs = std::filesystem;

void clear(const fs::path& directory)
{
    fs::remove_all(directory);
    fs::create_directories(directory);
}

void BM_TiffSplit(benchmark::State& state)
{
    const int pageCount = static_cast<int>(state.range(0));
    TempDir dir("bv-bench-tiffsplit-");
    std::vector<test::TiffPage> pages = test::samplePages(pageCount);
    for (test::TiffPage& page : pages) {
        page.width = 1654;
        page.height = 2339;
    }
    const fs::path source = dir.file("x0000100.tif");
    test::writeTiff(source, pages);
    const std::string own = (fs::read_symlink("/proc/self/exe").parent_path() / "bvtiffsplit").string();
    const fs::path ownOut = dir.file("own"), peerOut = dir.file("peer");

    std::vector<double> ownTimes, peerTimes;
    for (auto _ : state) {
        for (int round = 0; round < 7; ++round) {
            clear(ownOut);
            clear(peerOut);
            const auto peer = bench::run({"tiffsplit", source.string(), (peerOut / "x0000100_").string()});
            const auto mine = bench::run({own, source.string(), ownOut.string() + "/", "/F17", "/L",
                                          (ownOut / "lfclog.txt").string(), "/NOUI", "/EM"});
            if (peer.status != 0 || mine.status != 0) {
                state.SkipWithError("a split failed (is libtiff-tools installed?)");
                return;
            }
            if (!fs::exists(ownOut / ("x0000100_Page" + std::to_string(pageCount) + ".tif"))) {
                state.SkipWithError("bvtiffsplit wrote too few pages");
                return;
            }
            peerTimes.push_back(peer.seconds);
            ownTimes.push_back(mine.seconds);
        }
    }
    const double ratio = bench::median(ownTimes) / bench::median(peerTimes);
    state.counters["ratio"] = ratio;
    std::printf("%d-page TIFF of %.1f MB: bvtiffsplit %.4f s, tiffsplit %.4f s, ratio %.2f (target <= 1)\n", pageCount,
                static_cast<double>(fs::file_size(source)) / 1e6, bench::median(ownTimes), bench::median(peerTimes),
                ratio);
}

BENCHMARK(BM_TiffSplit)->Arg(50)->Iterations(1)->Unit(benchmark::kSecond);

int noProbe(const std::string&)
{
    return 1;
}

} // namespace
} // namespace bv

int main(int argc, char** argv)
{
    return bv::bench::benchmarkMain(argc, argv, &bv::noProbe);
}
