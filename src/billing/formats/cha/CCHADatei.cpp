#include "billing/formats/cha/CCHADatei.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/formats/cha/PackagePipeline.h"
#include "billing/formats/cha/ZipPackageWriter.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace bv {

namespace txt = billing_texts;
namespace fs = std::filesystem;

namespace {

// Before the first invoice is read the sender is unknown.
constexpr const char* EanPlaceholder = "brevalis_XXX_";

// The local calendar day of a time, for comparing two invoice dates.
long long localDay(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    return (local.tm_year + 1900LL) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

bool exists(const fs::path& path)
{
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

} // namespace

CCHADatei::CCHADatei(const std::string& spoolDirectory, bool currencyMandatory, bool euroWhenMissing,
                     MessageBoxes& boxes)
    : m_boxes(boxes)
{
    Reset();
    m_spoolDir = spoolDirectory;
    if (!m_spoolDir.empty() && m_spoolDir.back() != '/')
        m_spoolDir += '/';
    m_currencyMandatory = currencyMandatory;
    m_euroWhenMissing = euroWhenMissing;
    sentDirectory();
    errorDirectory();

    SystemError listError;
    const auto entries = files::listDirectory(m_spoolDir, "*.XML", &listError);
    if (listError)
        throw BV_ADZ_ERROR(adz::DirectoryUnreadable, listError.text);
    for (const auto& entry : entries) {
        if (!entry.isDirectory)
            AddInvoiceFile(m_spoolDir + entry.name);
    }

    if (m_defectiveCount == 1)
        m_boxes.show(strFormat(txt::OneDefectiveFile, m_errorDir.c_str()), txt::CaptionCompany, MbIcon::Warning);
    else if (m_defectiveCount > 1)
        m_boxes.show(strFormat(txt::SeveralDefectiveFiles, m_defectiveCount, m_errorDir.c_str()), txt::CaptionCompany,
                     MbIcon::Warning);

    if (!m_invoices.empty())
        BuildPackage();
}

CCHADatei::~CCHADatei() = default;

void CCHADatei::Reset()
{
    resetBase();
    m_numericTypeCode = file_type::Cha;
    m_typeCodeText = "CA";
    m_customerNumber = -1;
    m_batchNumber = -1;
    m_statusText = "00";
    m_currency = currency::CHF;
    m_defectiveCount = 0;
    m_invoices.clear();
    m_identities.clear();
    m_senderEan.clear();
    m_dateRange.clear();
    m_packagePath.clear();
    m_providerName.clear();
    m_pipeline.reset();
    m_timestampText = LocalTimeText(std::time(nullptr), "%Y%m%d_%H%M%S");
}

int CCHADatei::GetSummary(std::string& summary)
{
    summary.clear();
    return 2;
}

std::string CCHADatei::GetCustomerNumberText() const
{
    return strFormat("%06d", m_customerNumber);
}

std::string CCHADatei::GetBatchNumberText() const
{
    return strFormat("%d", m_batchNumber);
}

std::string CCHADatei::GetInvoiceCountText() const
{
    return strFormat("%d", m_invoiceCount);
}

void CCHADatei::ThrowSelf()
{
    throw this;
}

const std::string* CCHADatei::GetMember(MemberSlot slot) const
{
    switch (slot) {
    case MemberSlot::Status:
        return &m_statusText;
    case MemberSlot::Second:
        return nullptr;
    case MemberSlot::Third:
        return &m_spareText1;
    case MemberSlot::Fourth:
        return &m_spareText2;
    case MemberSlot::Date:
        return &m_dateRange;
    case MemberSlot::Sixth:
        return &m_packagePath;
    case MemberSlot::Seventh:
        return &m_providerName;
    }
    return nullptr;
}

const std::string& CCHADatei::workingDirectory(std::string& cached, const char* name)
{
    if (cached.empty()) {
        const std::string path = m_spoolDir + name + "/";
        if (files::createDirectory(path))
            throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::DirectoryNotCreated, path.c_str()));
        cached = path;
    }
    return cached;
}

const std::string& CCHADatei::tmpDirectory()
{
    return workingDirectory(m_tmpDir, "Tmp");
}

const std::string& CCHADatei::sentDirectory()
{
    return workingDirectory(m_sentDir, "Sent");
}

const std::string& CCHADatei::errorDirectory()
{
    return workingDirectory(m_errorDir, "Error");
}

void CCHADatei::AddInvoiceFile(const std::string& path)
{
    // Taken before the file is read: any change from here on shows when the identity is compared.
    const std::optional<files::FileIdentity> identity = files::fileIdentity(path);
    XmlInvoice entry(path);
    if (!entry.Parse()) {
        MoveToError(entry);
        ++m_defectiveCount;
        return;
    }
    m_invoices.push_back(entry);
    m_identities.push_back(identity.value_or(files::FileIdentity{}));
    ++m_invoiceCount;
    // An invoice without an amount adds nothing (its amount reads -1); the sum saturates instead
    // of overflowing the 32-bit total.
    if (entry.hasAmountDue()) {
        const long long sum = static_cast<long long>(m_counter2) + entry.amountDue();
        m_counter2 = static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
    }

    // Deflate accepted invoices while the directory is still being read. A second sender means the
    // package will be refused, so packing stops there.
    const bool sameSender = m_invoices.front().senderEan() == entry.senderEan();
    if (m_invoices.size() == 1)
        m_pipeline = startPipeline(false);
    if (m_pipeline && sameSender)
        m_pipeline->add(path, fs::path(path).filename().string());
    else
        m_pipeline.reset();
}

std::unique_ptr<PackagePipeline> CCHADatei::startPipeline(bool required)
{
    // While reading, a Tmp directory that cannot be made only means no head start: the package
    // step reports it in its place.
    try {
        std::string temp = tmpDirectory() + "CHA_XXXXXX.part";
        const int fd = ::mkstemps(temp.data(), 5);
        if (fd < 0)
            throw BV_ADZ_ERROR(adz::Structural, txt::PackFileError);
        ::close(fd);
        return std::make_unique<PackagePipeline>(temp);
    } catch (const CAdzException&) {
        if (required)
            throw;
        return nullptr;
    }
}

void CCHADatei::MoveToError(const XmlInvoice& entry)
{
    const fs::path source(entry.filePath());
    const std::string dir = errorDirectory();
    const std::string stem = source.stem().string();
    const std::string extension = source.extension().string();

    // Never overwrite an earlier refused file or its reason: take the first free "name (n)" pair.
    std::string base = stem;
    for (int n = 2; exists(dir + base + extension) || exists(dir + base + ".err"); ++n)
        base = stem + " (" + std::to_string(n) + ")";
    const std::string target = dir + base + extension;

    if (const SystemError error = files::moveFile(source, target, false))
        throw BV_ADZ_ERROR(adz::Structural, FileAccessMessage(source.string(), error));
    const std::string reasonFile = dir + base + ".err";
    if (const SystemError error = files::writeFileAtomic(reasonFile, entry.ErrorText()))
        throw BV_ADZ_ERROR(adz::Structural, FileAccessMessage(reasonFile, error));
}

std::string CCHADatei::checkedSenderEan() const
{
    std::string ean = EanPlaceholder;
    for (const auto& invoice : m_invoices) {
        if (ean == EanPlaceholder)
            ean = invoice.senderEan();
        else if (ean != invoice.senderEan())
            throw BV_ADZ_ERROR(adz::Structural, txt::MixedEan);
    }
    return ean;
}

void CCHADatei::setDateRange()
{
    // Invoices without a time stamp do not take part in the range.
    std::optional<std::int64_t> earliest;
    std::optional<std::int64_t> latest;
    for (const auto& invoice : m_invoices) {
        if (!invoice.hasTimestamp())
            continue;
        if (!latest || invoice.timestamp() > *latest)
            latest = invoice.timestamp();
        if (!earliest || invoice.timestamp() < *earliest)
            earliest = invoice.timestamp();
    }
    m_dateRange.clear();
    if (!earliest)
        return;
    const auto first = static_cast<std::time_t>(*earliest);
    const auto last = static_cast<std::time_t>(*latest);
    m_dateRange = LocalTimeText(first, "%d.%m.%Y");
    if (localDay(first) != localDay(last))
        m_dateRange += " - " + LocalTimeText(last, "%d.%m.%Y");
}

int CCHADatei::BuildPackage()
{
    try {
        m_senderEan = checkedSenderEan();
    } catch (const CAdzException&) {
        m_pipeline.reset();
        throw;
    }
    setDateRange();
    m_providerName = m_invoices.empty() ? std::string() : m_invoices.front().providerName();
    m_packagePath = strFormat("%sCHA_%s_%s.zip", tmpDirectory().c_str(), m_senderEan.c_str(), m_timestampText.c_str());
    writePackage();
    checkUnchangedSinceRead();
    openFileOrThrow(m_packagePath);
    return 1;
}

void CCHADatei::checkUnchangedSinceRead()
{
    // The package holds what was read only if no invoice file changed until it was packed.
    for (std::size_t i = 0; i < m_invoices.size(); ++i) {
        const std::string& path = m_invoices[i].filePath();
        if (files::fileIdentity(path) != m_identities[i]) {
            files::removeFile(m_packagePath);
            throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::ChangedWhileReading, path.c_str()));
        }
    }
}

void CCHADatei::writePackage()
{
    m_openFile.reset();
    // The pipeline of the construction holds every invoice unless reading stopped it; otherwise the
    // package is packed here from the start.
    std::unique_ptr<PackagePipeline> pipeline = std::move(m_pipeline);
    if (!pipeline || pipeline->queuedCount() != static_cast<int>(m_invoices.size())) {
        pipeline = startPipeline(true);
        for (const auto& invoice : m_invoices)
            pipeline->add(invoice.filePath(), fs::path(invoice.filePath()).filename().string());
    }
    const fs::path temp = pipeline->archive();
    try {
        pipeline->finish();
    } catch (const ZipPackageWriter::Error& error) {
        throw BV_ADZ_ERROR(adz::Structural,
                           error.kind() == ZipPackageWriter::Error::Kind::Zip ? txt::PackZipError : txt::PackFileError);
    } catch (const std::exception&) {
        throw BV_ADZ_ERROR(adz::Structural, txt::PackGeneralError);
    }
    // The finished package takes its name in one step; like the package itself, the name needs no
    // sync to disk.
    std::error_code error;
    fs::rename(temp, m_packagePath, error);
    if (error) {
        files::removeFile(temp);
        throw BV_ADZ_ERROR(adz::Structural, txt::PackFileError);
    }
}

void CCHADatei::MoveToSent()
{
    const std::string& dir = sentDirectory();
    for (std::size_t i = 0; i < m_invoices.size(); ++i) {
        const fs::path source(m_invoices[i].filePath());
        const auto now = files::fileIdentity(source);
        if (now && *now != m_identities[i]) {
            m_boxes.show(strFormat(txt::ChangedSinceRead, source.c_str()), txt::CaptionCompany, MbIcon::Warning);
            continue;
        }
        if (files::moveFile(source, dir + source.filename().string(), true))
            m_boxes.show(strFormat(txt::NotMarkedSent, source.c_str()), txt::CaptionCompany, MbIcon::Warning);
    }
}

void CCHADatei::releasePackage()
{
    m_openFile.reset();
    if (!m_packagePath.empty())
        files::removeFile(m_packagePath);
}

} // namespace bv
