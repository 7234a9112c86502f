#include "app/receipt/ReceiptController.h"

#include "app/receipt/ReceiptTexts.h"
#include "billing/CAbrechnungsDatei.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <algorithm>
#include <filesystem>

namespace bv {

namespace t = receipttext;

namespace {

constexpr int MaxZoom = 1600;
constexpr int MinZoom = 1;

// The scanned page may be reduced to this many bits per pixel; other values keep its depth.
bool reducible(int bits)
{
    return bits >= 1 && bits <= 24;
}

std::string amountText(int amount)
{
    if (amount == 0)
        return {};
    const long long cents = amount;
    const long long magnitude = cents < 0 ? -cents : cents;
    const std::string figure = strFormat("%s%lld,%02lld", cents < 0 ? "-" : "", magnitude / 100, magnitude % 100);
    return strFormat(t::AmountText, figure.c_str());
}

std::string firstSix(const std::string& text)
{
    return trim(text).substr(0, 6);
}

} // namespace

ReceiptController::ReceiptController(ReceiptView& view, ReceiptDependencies dependencies, AttachmentEntry& entry,
                                     int mode, PartnerLabList partnerLabs)
    : m_view(view), m_deps(std::move(dependencies)), m_entry(entry), m_mode(mode), m_labs(std::move(partnerLabs))
{}

ReceiptController::~ReceiptController()
{
    m_deps.document.freeBitmap();
    if (!m_workingCopy.empty())
        files::removeFile(m_workingCopy);
}

std::time_t ReceiptController::now() const
{
    return m_deps.now ? m_deps.now() : std::time(nullptr);
}

void ReceiptController::error(const std::string& text)
{
    m_deps.boxes.show(text, m_deps.caption, MbIcon::Error);
}

void ReceiptController::open()
{
    ProfileStore& profile = m_deps.profile;
    const std::string tmpDir = profile.read(profilekey::TmpDir);
    if (tmpDir.empty()) {
        error(t::NoTmpDir);
        close(false);
        return;
    }
    if (!profile.exists(profilekey::SELECTSOURCE)) {
        error(t::NoSelectSource);
        m_selectSourceShown = false;
    } else {
        m_selectSourceShown = iequals(profile.read(profilekey::SELECTSOURCE), "TRUE");
    }
    m_source = profile.read(profilekey::TwnSourceName);

    m_workingCopy = (std::filesystem::path(tmpDir) / std::filesystem::path(m_entry.receiptPath).stem()).string();
    m_workingCopy += ".tmp";
    files::createDirectories(tmpDir);

    std::vector<std::string> lines = {""};
    for (const PartnerLab& lab : m_labs)
        lines.push_back(lab.customerNumber + " " + lab.name);
    m_view.setPartnerLines(lines);

    switch (m_mode) {
    case 1:
        loadIntoWorkingCopy();
        break;
    case 0:
        loadIntoWorkingCopy();
        m_view.moveScanningPlaceToPartner();
        break;
    case 2:
        break;
    default:
        error(t::BadMode);
    }

    m_receipt = m_entry.receiptFlag;
    m_partner = m_entry.partnerFlag;
    if (!m_entry.partnerCustomerNumber.empty())
        selectPartnerFor(m_entry.partnerCustomerNumber);
    else
        m_partnerLine = m_labs.size() == 1 ? 1 : 0;
    m_view.selectPartnerLine(m_partnerLine);
    m_view.setReceiptChecked(m_receipt);
    m_view.setPartnerChecked(m_partner);

    m_number = m_entry.labInvoiceNumber;
    m_date = m_entry.labInvoiceDate ? LocalTimeText(m_entry.labInvoiceDate, "%d.%m.%Y") : std::string();
    m_view.setNumberText(m_number);
    m_view.setDateText(m_date);
    m_view.setAmountText(amountText(m_entry.amount));

    m_view.placeWindow(placeMainWindow(profile.readInt(profilekey::receiptX), profile.readInt(profilekey::receiptY),
                                       profile.readInt(profilekey::receiptCx), profile.readInt(profilekey::receiptCy),
                                       m_view.workArea()));
    m_opened = true;
    updateControls();
}

void ReceiptController::loadIntoWorkingCopy()
{
    std::error_code ec;
    if (!std::filesystem::exists(m_entry.receiptPath, ec)) {
        error(strFormat(t::NotFound, m_entry.receiptPath.c_str()));
        return;
    }
    if (files::copyFile(m_entry.receiptPath, m_workingCopy, true)) {
        error(strFormat(t::CopyForEditFailed, m_entry.receiptPath.c_str()));
        return;
    }
    loadPage(1);
}

void ReceiptController::selectPartnerFor(const std::string& customerNumber)
{
    m_partnerLine = 0;
    const std::string wanted = firstSix(customerNumber);
    for (std::size_t i = 0; i < m_labs.size(); ++i) {
        if (firstSix(m_labs[i].customerNumber + " " + m_labs[i].name) == wanted) {
            m_partnerLine = static_cast<int>(i) + 1;
            return;
        }
    }
}

void ReceiptController::loadPage(int page)
{
    const int count = m_deps.document.pageCount(m_workingCopy);
    if (count < 1 || !m_deps.document.loadPage(m_workingCopy, std::clamp(page, 1, count))) {
        error(strFormat(t::LoadFailed, m_workingCopy.c_str()));
        return;
    }
    m_document = true;
    m_pageCount = count;
    m_page = std::clamp(page, 1, count);
    showCurrent();
}

void ReceiptController::showCurrent()
{
    m_view.showPage(m_document ? m_deps.document.displayImage() : PageImage{}, m_zoom);
}

int ReceiptController::fitPercent(int pageWidth, int pageHeight, int areaWidth, int areaHeight, bool widthOnly)
{
    if (pageWidth <= 0 || pageHeight <= 0 || areaWidth <= 0 || areaHeight <= 0)
        return 100;
    const long long byWidth = 100LL * areaWidth / pageWidth;
    const long long byHeight = 100LL * areaHeight / pageHeight;
    const long long percent = widthOnly ? byWidth : std::min(byWidth, byHeight);
    return static_cast<int>(std::clamp<long long>(percent, MinZoom, MaxZoom));
}

void ReceiptController::fitPage(bool widthOnly)
{
    if (!m_document)
        return;
    const PageImage image = m_deps.document.displayImage();
    m_zoom = fitPercent(image.width, image.height, m_view.imageAreaWidth(), m_view.imageAreaHeight(), widthOnly);
    m_view.showPage(image, m_zoom);
}

void ReceiptController::updateControls()
{
    ReceiptView& v = m_view;
    const bool doc = m_document;
    if (doc) {
        v.setPageText(strFormat(t::PageText, m_page, m_pageCount));
        v.setZoomText(strFormat(t::ZoomText, m_zoom));
        v.setButtonText(ReceiptButton::Scan, strFormat(t::ScanNext, m_pageCount + 1));
        v.setButtonText(ReceiptButton::DeletePage, strFormat(t::DeletePageNumber, m_page));
        const std::filesystem::path receipt(m_entry.receiptPath);
        m_title = strFormat(t::TitleWithFile, receipt.stem().string().c_str(), receipt.extension().string().c_str());
    } else {
        v.setPageText("");
        v.setZoomText("");
        v.setButtonText(ReceiptButton::Scan, t::ScanFirst);
        v.setButtonText(ReceiptButton::DeletePage, t::DeletePage);
        m_title = t::Title;
    }
    v.setTitle(m_title);
    v.setButtonEnabled(ReceiptButton::First, doc && m_page != 1);
    v.setButtonEnabled(ReceiptButton::Previous, doc && m_page != 1);
    v.setButtonEnabled(ReceiptButton::Next, doc && m_page != m_pageCount);
    v.setButtonEnabled(ReceiptButton::Last, doc && m_page != m_pageCount);
    v.setButtonEnabled(ReceiptButton::ZoomOut, doc && m_zoom > MinZoom);
    v.setButtonEnabled(ReceiptButton::ZoomIn, doc && m_zoom < MaxZoom);
    for (ReceiptButton b : {ReceiptButton::Fit, ReceiptButton::FitWidth, ReceiptButton::Rotate, ReceiptButton::Append,
                            ReceiptButton::Insert})
        v.setButtonEnabled(b, doc);

    v.setButtonEnabled(ReceiptButton::Ok, !(m_receipt && !doc));
    v.setButtonEnabled(ReceiptButton::DeletePage, m_receipt && doc && m_pageCount > 0);
    v.setButtonEnabled(ReceiptButton::Scan, m_receipt);
    v.setControlEnabled(ReceiptControl::PartnerGroup, m_receipt);
    v.setControlEnabled(ReceiptControl::PartnerFields, m_receipt && m_partner);
    v.setControlVisible(ReceiptControl::PartnerGroup, !m_labs.empty());

    // An image the practice software delivered is looked at, not scanned.
    const bool scanning = m_mode != 0;
    v.setControlVisible(ReceiptControl::ReceiptCheck, scanning);
    v.setButtonVisible(ReceiptButton::SelectSource, scanning && m_selectSourceShown);
    for (ReceiptButton b : {ReceiptButton::Rotate, ReceiptButton::Scan, ReceiptButton::DeletePage,
                            ReceiptButton::Append, ReceiptButton::Insert})
        v.setButtonVisible(b, scanning);
}

bool ReceiptController::acquirePage()
{
    ProfileStore& profile = m_deps.profile;
    const auto flag = [&](const ProfileKey& key, const char* missingText, bool missingValue) {
        if (!profile.exists(key)) {
            error(missingText);
            return missingValue;
        }
        return iequals(profile.read(key), "TRUE");
    };
    const bool median = flag(profilekey::MEDIANFILTER, t::NoMedianFilter, true);
    const bool showUi = flag(profilekey::SHOW_USER_INTERFACE, t::NoShowUserInterface, false);
    ScanSettings settings;
    settings.xResolution = profile.readInt(profilekey::XRESOLUTION);
    settings.yResolution = profile.readInt(profilekey::YRESOLUTION);
    settings.pixelType = profile.readInt(profilekey::PIXELTYPE);
    settings.units = profile.readInt(profilekey::UNITS);
    settings.supportedSizes = profile.readInt(profilekey::SUPPORTEDSIZES);
    settings.brightness = profile.readInt(profilekey::BRIGHTNESS);
    settings.contrast = profile.readInt(profilekey::CONTRAST);
    const int colourBits = profile.readInt(profilekey::COLOR_RESOLUTION);

    Scanner& scanner = m_deps.scanner;
    if (!scanner.open(m_deps.identity)) {
        error(strFormat(t::ScanFailed, -1));
        return false;
    }
    if (!m_source.empty())
        scanner.select(m_source);
    scanner.applySettings(settings);
    ScanResult result = scanner.acquire(showUi);
    if (result.status != ScanResult::Status::Ok || result.page.empty()) {
        if (result.status != ScanResult::Status::Cancelled)
            error(strFormat(t::ScanFailed, result.code));
        scanner.close();
        return false;
    }
    rememberSource();
    m_deps.document.takeOver(std::move(result.page));
    if (reducible(colourBits))
        m_deps.document.reduceColours(colourBits);
    if (median)
        m_deps.document.medianFilter();
    return true;
}

void ReceiptController::rememberSource()
{
    Scanner& scanner = m_deps.scanner;
    const auto sources = scanner.sources();
    if (!sources) {
        m_deps.boxes.show(t::SourcesFailed, t::SourcesCaption, MbIcon::Error);
        return;
    }
    const std::string used = scanner.current();
    for (const ScannerSource& source : *sources) {
        if (source.name != used)
            continue;
        m_deps.profile.write(profilekey::TwnSourceName, source.name);
        m_deps.profile.write(profilekey::TwnProductFamily, source.family);
        m_deps.profile.write(profilekey::TwnManufacturer, source.maker);
        m_source = source.name;
    }
}

void ReceiptController::scanPage(Placement placement)
{
    m_receipt = true;
    m_view.setReceiptChecked(true);
    ImageDocument& doc = m_deps.document;
    // The page shown stays in the bitmap until a scan has succeeded.
    if (acquirePage()) {
        bool saved = false;
        int shown = 1;
        if (!m_document) {
            saved = doc.savePage(m_workingCopy, SaveMode::Overwrite, 1);
            if (!saved)
                error(t::SaveFailed);
        } else if (placement == Placement::Append) {
            saved = doc.savePage(m_workingCopy, SaveMode::Append, 0);
            shown = m_pageCount + 1;
            if (!saved)
                error(t::AppendFailed);
        } else {
            saved = doc.savePage(m_workingCopy, SaveMode::Insert, m_page);
            shown = m_page;
            if (!saved)
                error(t::InsertFailed);
        }
        if (saved) {
            loadPage(shown);
            fitPage(false);
        } else if (m_document) {
            loadPage(m_page);
        } else {
            doc.freeBitmap();
        }
        m_deps.scanner.close();
    }
    updateControls();
}

void ReceiptController::scan()
{
    scanPage(Placement::Append);
}

void ReceiptController::append()
{
    scanPage(Placement::Append);
}

void ReceiptController::insert()
{
    if (!m_document)
        return;
    scanPage(Placement::Insert);
}

void ReceiptController::deletePage()
{
    if (!m_document)
        return;
    if (m_deps.boxes.show(t::ConfirmDeletePage, m_deps.caption, MbIcon::Question, MbButtons::OkCancel) != MbResult::Ok)
        return;
    if (m_pageCount <= 1) {
        m_deps.document.freeBitmap();
        files::removeFile(m_workingCopy);
        m_document = false;
        m_page = 0;
        m_pageCount = 0;
        showCurrent();
    } else if (!m_deps.document.deletePage(m_workingCopy, m_page)) {
        error(t::DeletePageFailed);
    } else {
        loadPage(m_page > 1 ? m_page - 1 : 1);
    }
    updateControls();
}

void ReceiptController::rotate()
{
    if (!m_document)
        return;
    if (!m_deps.document.rotateRight() || !m_deps.document.savePage(m_workingCopy, SaveMode::Replace, m_page)) {
        error(t::RotateFailed);
        loadPage(m_page); // the bitmap shows the file again
    } else {
        showCurrent();
    }
    updateControls();
}

void ReceiptController::firstPage()
{
    if (m_document)
        loadPage(1);
    updateControls();
}

void ReceiptController::previousPage()
{
    if (m_document && m_page > 1)
        loadPage(m_page - 1);
    updateControls();
}

void ReceiptController::nextPage()
{
    if (m_document && m_page < m_pageCount)
        loadPage(m_page + 1);
    updateControls();
}

void ReceiptController::lastPage()
{
    if (m_document)
        loadPage(m_pageCount);
    updateControls();
}

void ReceiptController::zoomIn()
{
    if (m_document && m_zoom < MaxZoom) {
        m_zoom = std::min(MaxZoom, std::max(m_zoom + 1, m_zoom * 5 / 4));
        showCurrent();
    }
    updateControls();
}

void ReceiptController::zoomOut()
{
    if (m_document && m_zoom > MinZoom) {
        m_zoom = std::max(MinZoom, std::min(m_zoom - 1, m_zoom * 4 / 5));
        showCurrent();
    }
    updateControls();
}

void ReceiptController::fit()
{
    fitPage(false);
    updateControls();
}

void ReceiptController::fitWidth()
{
    fitPage(true);
    updateControls();
}

void ReceiptController::selectSource()
{
    Scanner& scanner = m_deps.scanner;
    if (!scanner.open(m_deps.identity)) {
        error(t::SelectFailed);
        return;
    }
    const auto sources = scanner.sources();
    if (!sources || sources->empty()) {
        error(t::SelectFailed);
    } else if (const auto chosen = m_view.chooseSource(*sources, m_source.empty() ? scanner.current() : m_source)) {
        if (*chosen < sources->size() && scanner.select((*sources)[*chosen].name))
            m_source = (*sources)[*chosen].name;
        else
            error(t::SelectFailed);
    }
    scanner.close();
}

void ReceiptController::selectSourceNamed(const std::string& name)
{
    Scanner& scanner = m_deps.scanner;
    if (scanner.open(m_deps.identity) && scanner.select(name))
        m_source = name;
    else
        error(t::SelectFailed);
    scanner.close();
}

void ReceiptController::chooseFile()
{
    if (const auto path = m_view.chooseTiffFile())
        m_view.setChosenFile(*path);
}

void ReceiptController::setReceiptFlag(bool on)
{
    m_receipt = on;
    m_view.setReceiptChecked(on);
    updateControls();
}

void ReceiptController::setPartnerFlag(bool on)
{
    m_partner = on;
    m_view.setPartnerChecked(on);
    updateControls();
}

void ReceiptController::selectPartnerLine(int index)
{
    m_partnerLine = std::clamp(index, 0, static_cast<int>(m_labs.size()));
    m_view.selectPartnerLine(m_partnerLine);
}

void ReceiptController::setNumberText(const std::string& text)
{
    m_number = text;
}

void ReceiptController::setDateText(const std::string& text)
{
    m_date = text;
}

std::optional<std::tm> ReceiptController::parseDate(const std::string& text)
{
    const std::vector<std::string> parts = split(trim(text), '.');
    if (parts.size() != 3)
        return std::nullopt;
    for (const std::string& part : parts) {
        if (part.empty() || part.size() > 4 ||
            !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
    }
    if (parts[0].size() > 2 || parts[1].size() > 2 || parts[2].size() == 3 || parts[2].size() == 1)
        return std::nullopt;
    int year = decimalInt(parts[2]);
    if (parts[2].size() == 2) // two digits: up to 29 in this century, as the system's date parser reads them
        year += year < 30 ? 2000 : 1900;
    std::tm tm{};
    tm.tm_mday = decimalInt(parts[0]);
    tm.tm_mon = decimalInt(parts[1]) - 1;
    tm.tm_year = year - 1900;
    tm.tm_isdst = -1;
    const std::tm wanted = tm;
    if (wanted.tm_mon < 0 || wanted.tm_mon > 11 || wanted.tm_mday < 1)
        return std::nullopt;
    std::mktime(&tm);
    if (tm.tm_mday != wanted.tm_mday || tm.tm_mon != wanted.tm_mon || tm.tm_year != wanted.tm_year)
        return std::nullopt;
    return tm;
}

bool ReceiptController::checkDate(std::time_t& date)
{
    date = 0;
    if (trim(m_date).empty()) {
        error(t::NoDate);
        return false;
    }
    auto parsed = parseDate(m_date);
    if (!parsed) {
        error(t::BadDate);
        return false;
    }
    if (parsed->tm_year + 1900 < 2003) {
        error(t::BadYear);
        return false;
    }
    date = std::mktime(&*parsed);
    if (date > now()) {
        error(t::FutureDate);
        return false;
    }
    if (parsed->tm_year + 1900 >= 2038) {
        error(t::YearTooLate);
        return false;
    }
    return true;
}

bool ReceiptController::copyBack()
{
    // The copy goes to a temporary name and is renamed: a failure keeps the previous receipt.
    if (files::copyFile(m_workingCopy, m_entry.receiptPath, true)) {
        error(t::CopyBackFailed);
        return false;
    }
    return true;
}

void ReceiptController::ok()
{
    if (m_closed)
        return;
    m_entry.receiptFlag = m_receipt;
    m_entry.partnerFlag = m_receipt ? m_partner : false;
    if (m_document) {
        const bool labSelected = m_partnerLine > 0;
        bool copied = false;
        if (!m_labs.empty() && m_partner && labSelected && m_receipt) {
            if (trim(m_number).empty()) {
                error(t::NoNumber);
                return;
            }
            std::time_t date = 0;
            if (!checkDate(date))
                return;
            m_entry.labInvoiceDate = date;
            m_entry.partnerCustomerNumber = m_labs[static_cast<std::size_t>(m_partnerLine) - 1].customerNumber;
            m_entry.labInvoiceNumber = m_number;
            if (!copyBack())
                return; // the scanned pages stay in the working copy until the copy succeeds
            copied = true;
        } else if (!m_labs.empty() && m_partner && m_receipt) {
            error(t::NoPartner);
            return;
        }
        if (m_receipt && !copied && !copyBack())
            return;
        if (!m_receipt) {
            if (m_deps.boxes.show(t::ConfirmDeleteReceipt, m_deps.caption, MbIcon::Question, MbButtons::YesNo) !=
                MbResult::Yes) {
                m_entry.receiptFlag = false;
                m_entry.partnerFlag = false;
                return;
            }
            m_deps.document.freeBitmap();
            files::removeFile(m_workingCopy);
            files::removeFile(m_entry.receiptPath);
            m_document = false;
        }
    } else if (m_receipt) {
        m_deps.boxes.show(t::ScanFirstPage, m_deps.caption, MbIcon::Information);
    }
    close(true);
}

void ReceiptController::cancel()
{
    if (m_closed)
        return;
    if (m_document)
        copyBack();
    close(false);
}

void ReceiptController::writeWindowPosition()
{
    const ScreenRect rect = m_view.windowRect();
    ProfileStore& profile = m_deps.profile;
    profile.writeInt(profilekey::receiptX, rect.left);
    profile.writeInt(profilekey::receiptY, rect.top);
    profile.writeInt(profilekey::receiptCx, rect.right - rect.left);
    profile.writeInt(profilekey::receiptCy, rect.bottom - rect.top);
}

void ReceiptController::close(bool ok)
{
    if (m_closed)
        return;
    if (m_opened)
        writeWindowPosition();
    m_closed = true;
    m_ok = ok;
    m_view.closeDialog(ok);
}

} // namespace bv
