#include "billing/CAbrechnungSpool.h"

#include "billing/BillingTexts.h"
#include "billing/SendReply.h"
#include "billing/SpoolDetection.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"
#include "platform/UrlEscape.h"

#include <ctime>
#include <filesystem>
#include <stdexcept>

namespace bv {

namespace txt = billing_texts;

namespace {

constexpr std::size_t MaxPathLength = 255;
// Base address of the billing centre's upload service (section Abrechnungsversand; no default).
constexpr const char* UploadUrlKey = "URL";
// The upload address: base URL, customer number text, sender EAN ("-1" but for XML invoices), batch
// number text, type code, session id, do-not-book flag.
constexpr const char* UploadUrlFormat = "%s?vertnr=%s&ean_party=%s&stpnr=%s&typ=%s&session-id=%s&nichtbuchen=%d";
// How the profile writes the time of a transmission.
constexpr const char* SendTimeFormat = "%Y%m%d:%H%M%S";

std::string part(const std::string& text, std::size_t pos, std::size_t len)
{
    return pos < text.size() ? text.substr(pos, len) : std::string();
}

} // namespace

CAbrechnungSpool::CAbrechnungSpool(MessageBoxes& boxes, Profile& profile, const files::RemovableProbe& removableProbe)
    : m_boxes(boxes), m_profile(profile), m_removableProbe(removableProbe)
{}

CAbrechnungSpool::~CAbrechnungSpool()
{
    // The upload thread works on this object's send request block: it must end first.
    if (m_upload)
        m_sendRequest.cancel.set();
    m_upload.reset();
    m_cancelledUpload.reset();
}

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
        !m_profile.exists(section::Abrechnungsversand, profilekey::spooldir))
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

std::string CAbrechnungSpool::uploadUrl(const SendContext& context) const
{
    // Every value is escaped: the EAN and the numbers come from the billing file, and a value holding
    // "&" or "=" must not add to or change the request. Digits, letters and "-" stay as they are.
    const std::string base = m_profile.readString(section::Abrechnungsversand, UploadUrlKey, "");
    return strFormat(UploadUrlFormat, base.c_str(), urlEscape(m_file->GetCustomerNumberText()).c_str(),
                     urlEscape(m_file->GetExtraText()).c_str(), urlEscape(m_file->GetBatchNumberText()).c_str(),
                     urlEscape(m_file->GetTypeCode()).c_str(), urlEscape(context.sessionId).c_str(),
                     m_doNotBook ? 1 : 0);
}

int CAbrechnungSpool::StartSend(const SendContext& context)
{
    if (!m_file || !m_file->hasOpenFile())
        throw BV_ADZ_ERROR(-2, txt::NothingToSend);
    if (m_upload)
        return 0;
    // A cancelled thread still owns the block until it has ended.
    if (m_cancelledUpload && !m_cancelledUpload->finished())
        return 0;
    m_cancelledUpload.reset();
    if (!context.starter)
        throw std::invalid_argument("StartSend needs an upload starter");

    SendRequestBlock& block = m_sendRequest;
    block.url = uploadUrl(context);
    block.replyHeaders.clear();
    block.replyBody.clear();
    block.uploadFile = m_uploadFile;
    block.agent = context.agent;
    block.useSystemSettings = context.useProxy;
    block.errorCode = 0;
    block.errorText.clear();
    block.httpStatus = 0;
    block.ready.set();
    block.done.reset();
    block.cancel.reset();
    block.cancelled.reset();

    m_confirmed = false;
    m_nextUrl.clear();
    m_upload = context.starter->start(block, context.observer);
    m_transmissionPending = true;
    return 1;
}

void CAbrechnungSpool::CancelSend()
{
    // Without a running thread nobody would ever acknowledge.
    if (!m_upload)
        return;
    m_sendRequest.cancel.set();
    m_sendRequest.cancelled.wait();
    // The thread may still wait for the billing centre's answer to a body it has handed over; it is
    // not waited for here, and the block stays its own until it has ended.
    m_cancelledUpload = std::move(m_upload);
}

void CAbrechnungSpool::showSendError(const std::string& detail)
{
    m_boxes.show(strFormat(txt::SendFailed, detail.c_str()), txt::CaptionCompany, MbIcon::Error);
}

void CAbrechnungSpool::FinishSend()
{
    // The completion notice comes last from the thread, so these waits are short.
    m_upload.reset();
    m_cancelledUpload.reset();
    if (!m_transmissionPending || !m_file)
        return;
    m_transmissionPending = false;

    const SendRequestBlock& block = m_sendRequest;
    if (block.errorCode != 0) {
        showSendError(block.errorText);
        return;
    }
    if (ReplySessionEnd(block.replyBody)) {
        m_boxes.show(txt::SessionExpired, txt::CaptionCompany, MbIcon::Error);
        return;
    }
    const std::string message = ReplySendOk(block.replyBody);
    if (message.empty()) {
        showSendError(block.replyBody);
        return;
    }
    if (message != replykeyword::NoMessage)
        m_boxes.show(ReplyMessageText(message), txt::CaptionCompany, MbIcon::None);

    bookTransmission(LocalTimeText(std::time(nullptr), SendTimeFormat));
    markTransmitted();
    m_confirmed = true;
    m_nextUrl = ReplyNextUrl(block.replyBody);
}

void CAbrechnungSpool::writeLastTransmission(const std::string& keyText, int batchNumber, const std::string& sendTime)
{
    m_profile.writeString(section::Abrechnungsversand, keyText + profilekey::LastStapelSuffix,
                          std::to_string(batchNumber));
    m_profile.writeString(section::Abrechnungsversand, keyText + profilekey::LastSendSuffix, sendTime);
    m_lastBatchNumber = batchNumber;
    m_lastSend = sendTime;
}

void CAbrechnungSpool::bookTransmission(const std::string& sendTime)
{
    writeLastTransmission(m_file->GetCustomerNumberText(), m_file->GetBatchNumber(), sendTime);
}

void CAbrechnungSpool::markTransmitted()
{
    const std::string path = m_filePath;
    m_file.reset();
    MarkSent(path);
    m_batchNumber = 0;
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
    m_lastBatchNumber =
        decimalInt(m_profile.readString(section::Abrechnungsversand, keyText + profilekey::LastStapelSuffix, "-1"));
    m_lastSend = m_profile.readString(section::Abrechnungsversand, keyText + profilekey::LastSendSuffix, "");
}

} // namespace bv
