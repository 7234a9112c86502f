#pragma once

#include "app/receipt/ImageDocument.h"
#include "app/receipt/ReceiptView.h"
#include "app/receipt/Scanner.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace bv::test {

// A document whose pages are labels: a file holds "a,b,c", the bitmap one label. Real files, so
// that the controller's copies of the working copy behave as on disk.
class FakeDocument : public ImageDocument
{
public:
    static std::vector<std::string> pagesOf(const std::string& file)
    {
        const auto text = files::readFile(file);
        if (!text || text->empty())
            return {};
        return split(*text, ',');
    }
    static void writePages(const std::string& file, const std::vector<std::string>& pages)
    {
        std::string text;
        for (const std::string& page : pages)
            text += (text.empty() ? "" : ",") + page;
        files::writeFileAtomic(file, text);
    }

    bool loadPage(const std::string& file, int page) override
    {
        const auto pages = pagesOf(file);
        if (failing.count("load") || page < 1 || page > static_cast<int>(pages.size()))
            return false;
        bitmap = pages[static_cast<std::size_t>(page) - 1];
        return true;
    }
    int pageCount(const std::string& file) override { return static_cast<int>(pagesOf(file).size()); }
    bool savePage(const std::string& file, SaveMode mode, int page) override
    {
        if (failing.count("save") || bitmap.empty())
            return false;
        auto pages = pagesOf(file);
        switch (mode) {
        case SaveMode::Overwrite:
            pages = {bitmap};
            break;
        case SaveMode::Append:
            pages.push_back(bitmap);
            break;
        case SaveMode::Replace:
            pages.at(static_cast<std::size_t>(page) - 1) = bitmap;
            break;
        case SaveMode::Insert:
            pages.insert(pages.begin() + page - 1, bitmap);
            break;
        }
        writePages(file, pages);
        return true;
    }
    bool deletePage(const std::string& file, int page) override
    {
        auto pages = pagesOf(file);
        if (failing.count("delete"))
            return false;
        pages.erase(pages.begin() + page - 1);
        writePages(file, pages);
        return true;
    }
    void takeOver(PageImage page) override { bitmap = "s" + std::to_string(page.width); }
    bool hasBitmap() const override { return !bitmap.empty(); }
    void freeBitmap() override { bitmap.clear(); }
    bool rotateRight() override
    {
        if (failing.count("rotate"))
            return false;
        bitmap += "r";
        return true;
    }
    bool reduceColours(int bits) override
    {
        steps.push_back("reduce" + std::to_string(bits));
        return true;
    }
    bool medianFilter() override
    {
        steps.push_back("median");
        return true;
    }
    PageImage displayImage() const override
    {
        PageImage image;
        image.width = 1000;
        image.height = 2000;
        image.channels = 1;
        image.pixels.assign(1, 0);
        return image;
    }

    std::string bitmap;
    std::set<std::string> failing;
    std::vector<std::string> steps;
};

// A scanner whose pages are numbered by width; results are queued, Ok when the queue is empty.
class FakeScanner : public Scanner
{
public:
    bool open(const ScanIdentity&) override
    {
        ++opened;
        return openOk;
    }
    std::optional<std::vector<ScannerSource>> sources() override
    {
        if (!listOk)
            return std::nullopt;
        return list;
    }
    bool select(const std::string& name) override
    {
        for (const auto& s : list) {
            if (s.name == name) {
                selected = name;
                return true;
            }
        }
        return false;
    }
    std::string current() const override { return selected.empty() ? list.front().name : selected; }
    void applySettings(const ScanSettings& s) override { settings = s; }
    ScanResult acquire(bool showUi) override
    {
        shownUi = showUi;
        ScanResult result;
        if (!results.empty()) {
            result = results.front();
            results.pop_front();
        } else {
            result.status = ScanResult::Status::Ok;
        }
        if (result.status == ScanResult::Status::Ok) {
            result.page.width = ++scans;
            result.page.height = 1;
            result.page.pixels.assign(3, 0);
        }
        return result;
    }
    void close() override { ++closed; }

    std::vector<ScannerSource> list = {{"test:0", "Virtual", "Noname"}, {"test:1", "Virtual", "Other"}};
    std::deque<ScanResult> results;
    ScanSettings settings;
    std::string selected;
    bool openOk = true;
    bool listOk = true;
    bool shownUi = false;
    int opened = 0;
    int closed = 0;
    int scans = 0;
};

// The window: remembers what the controller set.
class FakeReceiptView : public ReceiptView
{
public:
    void setTitle(const std::string& t) override { title = t; }
    void setButtonText(ReceiptButton b, const std::string& t) override { texts[b] = t; }
    void setButtonEnabled(ReceiptButton b, bool on) override { enabled[b] = on; }
    void setButtonVisible(ReceiptButton b, bool on) override { visible[b] = on; }
    void setControlEnabled(ReceiptControl c, bool on) override { controlEnabled[c] = on; }
    void setControlVisible(ReceiptControl c, bool on) override { controlVisible[c] = on; }
    void setReceiptChecked(bool on) override { receiptChecked = on; }
    void setPartnerChecked(bool on) override { partnerChecked = on; }
    void setPartnerLines(const std::vector<std::string>& l) override { lines = l; }
    void selectPartnerLine(int index) override { line = index; }
    void setNumberText(const std::string& t) override { number = t; }
    void setDateText(const std::string& t) override { date = t; }
    void setAmountText(const std::string& t) override { amount = t; }
    void setPageText(const std::string& t) override { pageText = t; }
    void setZoomText(const std::string& t) override { zoomText = t; }
    void setChosenFile(const std::string& p) override { chosenFile = p; }
    void moveScanningPlaceToPartner() override { moved = true; }
    void showPage(const PageImage& page, int zoom) override
    {
        shownEmpty = page.empty();
        shownZoom = zoom;
    }
    int imageAreaWidth() const override { return 500; }
    int imageAreaHeight() const override { return 400; }
    std::optional<std::size_t> chooseSource(const std::vector<ScannerSource>&, const std::string& current) override
    {
        offeredSource = current;
        return sourceChoice;
    }
    std::optional<std::string> chooseTiffFile() override { return fileChoice; }
    ScreenRect workArea() const override { return area; }
    ScreenRect windowRect() const override { return rect; }
    void placeWindow(const WindowPlacement& p) override { placement = p; }
    void closeDialog(bool ok) override { closedWith = ok ? 1 : 2; }

    std::string title, number, date, amount, pageText, zoomText, chosenFile, offeredSource;
    std::map<ReceiptButton, std::string> texts;
    std::map<ReceiptButton, bool> enabled, visible;
    std::map<ReceiptControl, bool> controlEnabled, controlVisible;
    std::vector<std::string> lines;
    bool receiptChecked = false, partnerChecked = false, moved = false, shownEmpty = true;
    int line = -1, shownZoom = 0, closedWith = 0;
    std::optional<std::size_t> sourceChoice;
    std::optional<std::string> fileChoice;
    ScreenRect area{0, 0, 1920, 1050};
    ScreenRect rect{10, 20, 830, 620};
    WindowPlacement placement;
};

} // namespace bv::test
