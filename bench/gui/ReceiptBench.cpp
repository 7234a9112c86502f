// What the receipt dialog costs the user: pressing the scan button on a 20-page working copy (a
// colour page of SANE's virtual scanner at 150 dpi, its glass 200 x 200 mm, reduced to 16 colours,
// appended and shown), and paging through the pages (each loaded and shown). Against them, in the
// same run, the public tools on the same input: scanimage writing the page as a TIFF followed by
// tiffcp -a appending it to a copy of the same working copy, and tiffcp decoding one page. Prints
// medians, ratios and the peak memory.

#include "BenchProcess.h"
#include "app/receipt/ReceiptController.h"
#include "app/receipt/ReceiptTexts.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "gui/imaging/MagickImageDocument.h"
#include "gui/scanning/SaneScanner.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace bv {
namespace {

namespace fs = std::filesystem;
namespace t = receipttext;
using bench::median;
using bench::run;

// A window that draws nothing.
class NoView : public ReceiptView
{
public:
    void setTitle(const std::string&) override {}
    void setButtonText(ReceiptButton, const std::string&) override {}
    void setButtonEnabled(ReceiptButton, bool) override {}
    void setButtonVisible(ReceiptButton, bool) override {}
    void setControlEnabled(ReceiptControl, bool) override {}
    void setControlVisible(ReceiptControl, bool) override {}
    void setReceiptChecked(bool) override {}
    void setPartnerChecked(bool) override {}
    void setPartnerLines(const std::vector<std::string>&) override {}
    void selectPartnerLine(int) override {}
    void setNumberText(const std::string&) override {}
    void setDateText(const std::string&) override {}
    void setAmountText(const std::string&) override {}
    void setPageText(const std::string&) override {}
    void setZoomText(const std::string&) override {}
    void setChosenFile(const std::string&) override {}
    void moveScanningPlaceToPartner() override {}
    void showPage(const PageImage& page, int) override { shownWidth = page.width; }
    int imageAreaWidth() const override { return 700; }
    int imageAreaHeight() const override { return 500; }
    std::optional<std::size_t> chooseSource(const std::vector<ScannerSource>&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> chooseTiffFile() override { return std::nullopt; }
    ScreenRect workArea() const override { return {0, 0, 1920, 1080}; }
    ScreenRect windowRect() const override { return {0, 0, 810, 572}; }
    void placeWindow(const WindowPlacement&) override {}
    void closeDialog(bool) override {}
    int shownWidth = 0;
};

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_ScanAndPage(benchmark::State& state)
{
    TempDir root("bv-bench-receipt-");
    root.write("sane/dll.conf", "test\n");
    setenv("SANE_CONFIG_DIR", root.file("sane").c_str(), 1);
    TempRegistry registry;
    Profile profile(registry.registry());
    profile.writeString(section::RZAnlagen, profilekey::TmpDir.name, root.file("tmp").string());
    profile.writeString(section::Scanner, bv::profilekey::SELECTSOURCE.name, "FALSE");
    profile.writeString(section::Scanner, bv::profilekey::MEDIANFILTER.name, "FALSE");
    profile.writeString(section::Scanner, bv::profilekey::SHOW_USER_INTERFACE.name, "FALSE");
    profile.writeInt(section::Scanner, bv::profilekey::XRESOLUTION.name, 150);
    profile.writeInt(section::Scanner, bv::profilekey::YRESOLUTION.name, 150);
    RecordingMessageBoxes boxes;
    MagickImageDocument document;
    SaneScanner scanner;
    scanner.setDeviceOption("test-picture", "Color pattern");
    NoView view;
    AttachmentEntry entry;
    entry.receiptPath = root.file("00000000.tif").string();
    ReceiptDependencies deps(profile, boxes, document, scanner);
    ReceiptController dialog(view, deps, entry, 2, {});
    dialog.open();
    dialog.setReceiptFlag(true);
    for (int i = 0; i < 20; ++i)
        dialog.scan();
    if (dialog.pageCount() != 20 || !boxes.boxes.empty()) {
        state.SkipWithError("the working copy could not be built");
        return;
    }
    const std::string work = dialog.workingCopy();
    const std::string twenty = root.file("twenty.tif").string();
    files::copyFile(work, twenty, true);
    const std::string peerWork = root.file("peer.tif").string();
    const std::string peerPage = root.file("page.tif").string();
    const std::string peerOut = root.file("out.tif").string();

    std::vector<double> scanOurs, scanPeer, scanRatio, pageOurs, pagePeer;
    for (auto _ : state) {
        for (int round = 0; round < 7; ++round) {
            // Back to 20 pages, then one scan appends the 21st.
            files::copyFile(twenty, work, true);
            dialog.lastPage();
            auto start = std::chrono::steady_clock::now();
            dialog.scan();
            const double mine = seconds(start);
            files::copyFile(twenty, peerWork, true);
            const auto theirScan =
                run({"scanimage", "-d", "test:0", "--mode", "Color", "--resolution", "150", "-x", "200", "-y", "200",
                     "--test-picture", "Color pattern", "--format=tiff", "-o", peerPage});
            const auto theirAppend = run({"tiffcp", "-a", peerPage, peerWork});
            if (dialog.pageCount() != 21 || theirScan.status != 0 || theirAppend.status != 0) {
                state.SkipWithError("a round failed");
                return;
            }
            scanOurs.push_back(mine);
            scanPeer.push_back(theirScan.seconds + theirAppend.seconds);
            scanRatio.push_back(mine / scanPeer.back());

            dialog.firstPage();
            start = std::chrono::steady_clock::now();
            for (int page = 2; page <= 21; ++page)
                dialog.nextPage();
            pageOurs.push_back(seconds(start) / 20);
            const auto theirPage = run({"tiffcp", "-c", "none", work + ",10", peerOut});
            pagePeer.push_back(theirPage.seconds);
        }
    }
    // The same scan without the reduction to 16 colours, which the public tools do not do.
    profile.writeInt(section::Scanner, bv::profilekey::COLOR_RESOLUTION.name, 0);
    std::vector<double> unreduced;
    for (int round = 0; round < 5; ++round) {
        files::copyFile(twenty, work, true);
        dialog.lastPage();
        const auto start = std::chrono::steady_clock::now();
        dialog.scan();
        unreduced.push_back(seconds(start));
    }
    state.counters["scan_append_ms"] = median(scanOurs) * 1000;
    state.counters["page_ms"] = median(pageOurs) * 1000;
    std::printf("scan at 150 dpi and append to 20 pages: %.0f ms (target < 1000); scanimage + tiffcp -a %.0f ms; "
                "ratio %.2f\n",
                median(scanOurs) * 1000, median(scanPeer) * 1000, median(scanRatio));
    std::printf("the same scan without the reduction to 16 colours: %.0f ms\n", median(unreduced) * 1000);
    std::printf("paging through 21 pages: %.1f ms a page (target < 100); tiffcp -c none of one page %.1f ms\n",
                median(pageOurs) * 1000, median(pagePeer) * 1000);
    std::printf("working copy %ju bytes, page %d pixels wide; peak memory %ld kB (median of %zu)\n",
                static_cast<std::uintmax_t>(fs::file_size(work)), view.shownWidth, bench::peakResidentKb(),
                scanOurs.size());
}

BENCHMARK(BM_ScanAndPage)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace bv

BENCHMARK_MAIN();
