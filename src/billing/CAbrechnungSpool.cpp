#include "billing/CAbrechnungSpool.h"

#include "billing/BillingTexts.h"
#include "billing/SpoolDetection.h"
#include "config/Profile.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <filesystem>
#include <stdexcept>

namespace bv {

namespace txt = billing_texts;

namespace {

constexpr std::size_t MaxPathLength = 255;

std::string part(const std::string& text, std::size_t pos, std::size_t len)
{
    return pos < text.size() ? text.substr(pos, len) : std::string();
}

} // namespace

CAbrechnungSpool::CAbrechnungSpool(MessageBoxes& boxes, Profile& profile, const files::RemovableProbe& removableProbe)
    : m_boxes(boxes), m_profile(profile), m_removableProbe(removableProbe)
{}

CAbrechnungSpool::~CAbrechnungSpool() = default;

int CAbrechnungSpool::HasControlFile() const
{
    return 0;
}

std::string CAbrechnungSpool::GetControlFilePath() const
{
    throw std::logic_error("this spool has no practice-software control file");
}

void CAbrechnungSpool::ReleaseFile() {}

bool CAbrechnungSpool::MakeWorkingCopy(const std::string& source, std::string& outCopy)
{
    const std::filesystem::path path(source);
    const std::string stem = path.stem().string();
    if (m_removable)
        outCopy = files::temporaryDirectory() + stem + ".~RZ";
    else
        outCopy = (path.parent_path() / (stem + ".~RZ")).string();
    return !files::copyFile(source, outCopy, true);
}

void CAbrechnungSpool::MarkSent(const std::string& source)
{
    const std::filesystem::path path(source);
    if (!m_removable) {
        // The ".~RZ" copy made before sending stays as the record of the sent file.
        files::removeFile(source);
        return;
    }
    const auto marked = path.parent_path() / (path.stem().string() + ".~RZ");
    while (files::moveFile(source, marked, true)) {
        if (m_boxes.show(txt::NotMarkedSentRemovable, txt::CaptionCompany, MbIcon::Warning, MbButtons::RetryCancel) !=
            MbResult::Retry)
            break;
    }
    if (!m_workingCopy.empty())
        files::removeFile(m_workingCopy);
}

bool CAbrechnungSpool::IsEmpty() const
{
    return !m_file || !m_file->hasOpenFile();
}

std::string CAbrechnungSpool::GetInvoiceDetails() const
{
    return txt::NoInvoiceDetails;
}

std::string CAbrechnungSpool::SelectNextFile(const std::string& directory, const std::string& pattern)
{
    if (directory.empty() && files::temporaryDirectory().size() > MaxPathLength &&
        !m_profile.exists(section::Abrechnungsversand, "spooldir"))
        return {};
    m_spoolDir = bv::spoolDirectory(directory, m_profile);
    m_pattern = pattern;
    std::string path;
    m_fileCount = FindOldestFile(m_spoolDir + pattern, path);
    if (m_fileCount == 0 || path.empty())
        return {};
    if (!MakeWorkingCopy(path, m_workingCopy))
        throw BV_ADZ_ERROR(-1, strFormat(txt::TemporaryCopyFailed, m_workingCopy.c_str()));
    m_uploadFile = m_workingCopy;
    return path;
}

void CAbrechnungSpool::SetRemovableFlag(const std::string& path)
{
    m_removable = m_removableProbe.isRemovable(path);
}

std::string CAbrechnungSpool::LastSendText() const
{
    if (m_lastSend.empty())
        return {};
    // Stored as "YYYYMMDD:HHMMSS".
    return part(m_lastSend, 6, 2) + "." + part(m_lastSend, 4, 2) + "." + part(m_lastSend, 0, 4) + " " +
           part(m_lastSend, 9, 2) + ":" + part(m_lastSend, 11, 2) + ":" + part(m_lastSend, 13, 2);
}

void CAbrechnungSpool::takeOver(std::unique_ptr<CAbrechnungsDatei> file)
{
    m_file = std::move(file);
    try {
        m_file->ReadContents();
    } catch (const CAdzException&) {
        m_file->closeFile();
        throw;
    }
    m_filePath = m_file->GetFilePath(true);
    m_batchNumber = m_file->GetBatchNumber();
    m_invoiceCount = m_file->invoiceCount();
    m_totalAmount = m_file->totalAmount();
    const std::string* date = m_file->GetMember(CAbrechnungsDatei::MemberSlot::Date);
    m_fileDate = date ? *date : std::string();
    const std::string* status = m_file->GetMember(CAbrechnungsDatei::MemberSlot::Status);
    m_statusText = status ? *status : std::string();
}

void CAbrechnungSpool::readLastTransmission(const std::string& keyText)
{
    m_lastBatchNumber = decimalInt(m_profile.readString(section::Abrechnungsversand, keyText + ":last_stapel", "-1"));
    m_lastSend = m_profile.readString(section::Abrechnungsversand, keyText + ":last_send", "");
}

} // namespace bv
