#include "billing/CAbrechnungSpool.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/SendReply.h"
#include "billing/SpoolDetection.h"
#include "config/ProfileStore.h"
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

CAbrechnungSpool::CAbrechnungSpool(MessageBoxes& boxes, ProfileStore& profile,
                                   const files::RemovableProbe& removableProbe)
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
    ContentDigest digest;
    files::FileIdentity identity;
    if (files::copyFile(
            source, outCopy, true, [&digest](std::string_view bytes) { digest.add(bytes); }, &identity))
        return false;
    // A source written to while it was copied leaves a copy of no version of it.
    if (files::fileIdentity(source) != identity)
        return false;
    m_copyDigest = digest;
    m_sourceIdentity = identity;
    return true;
}

void markFileSent(const std::string& source, bool removable, MessageBoxes& boxes)
{
    if (!removable) {
        // The ".~RZ" copy made before sending stays as the record of the sent file.
        files::removeFile(source);
        return;
    }
    const std::filesystem::path path(source);
    const auto marked = path.parent_path() / (path.stem().string() + ".~RZ");
    while (files::moveFile(source, marked, true)) {
        if (boxes.show(txt::NotMarkedSentRemovable, txt::CaptionCompany, MbIcon::Warning, MbButtons::RetryCancel) !=
            MbResult::Retry)
            break;
    }
}

void CAbrechnungSpool::MarkSent(const std::string& source)
{
    if (sourceStillAsRead(source))
        markFileSent(source, m_removable, m_boxes);
    // On a removable medium the working copy in the temporary directory only carried the upload.
    if (m_removable && !m_workingCopy.empty())
        files::removeFile(m_workingCopy);
}

bool CAbrechnungSpool::sourceStillAsRead(const std::string& source)
{
    const auto now = files::fileIdentity(source);
    if (!now)
        return false; // gone already: nothing left to mark
    // Modification times advance in steps of the system clock's tick, so a file rewritten in place
    // with the same length within one tick keeps its identity: its bytes are compared as well.
    const bool changed = (m_sourceIdentity && *now != *m_sourceIdentity) ||
                         (m_copyDigest && ContentDigest::ofFile(source) != m_copyDigest);
    if (changed) {
        m_boxes.show(strFormat(txt::ChangedSinceRead, source.c_str()), txt::CaptionCompany, MbIcon::Warning);
        return false;
    }
    return true;
}

bool CAbrechnungSpool::IsEmpty() const
{
    return !m_file || !m_file->hasOpenFile();
}

std::string CAbrechnungSpool::GetInvoiceDetails() const
{
    return txt::NoInvoiceDetails;
}

std::string CAbrechnungSpool::SelectNextFile(const std::filesystem::path& directory, const std::string& pattern)
{
    if (directory.empty())
        return {};
    m_spoolDir = files::directoryText(directory);
    m_pattern = pattern;
    std::string path;
    m_fileCount = FindOldestFile(m_spoolDir + pattern, path);
    if (m_fileCount == 0 || path.empty())
        return {};
    if (!MakeWorkingCopy(path, m_workingCopy))
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::TemporaryCopyFailed, m_workingCopy.c_str()));
    m_uploadFile = m_workingCopy;
    return path;
}

void CAbrechnungSpool::sendInstead(const std::string& path)
{
    m_uploadFile = path;
    m_copyDigest.reset();
    m_uploadIdentity = files::fileIdentity(path);
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
    const std::string base = m_profile.read(profilekey::URL);
    return strFormat(UploadUrlFormat, base.c_str(), urlEscape(m_file->GetCustomerNumberText()).c_str(),
                     urlEscape(m_file->GetExtraText()).c_str(), urlEscape(m_file->GetBatchNumberText()).c_str(),
                     urlEscape(m_file->GetTypeCode()).c_str(), urlEscape(context.sessionId).c_str(),
                     m_doNotBook ? 1 : 0);
}

int CAbrechnungSpool::StartSend(const SendContext& context)
{
    if (!m_file || !m_file->hasOpenFile())
        throw BV_ADZ_ERROR(adz::NothingToSend, txt::NothingToSend);
    if (m_upload)
        return 0;
    // A cancelled thread still owns the block until it has ended.
    if (m_cancelledUpload && !m_cancelledUpload->finished())
        return 0;
    m_cancelledUpload.reset();
    if (!context.starter)
        throw std::invalid_argument("StartSend needs an upload starter");

    m_sendRequest.prepare(uploadUrl(context), m_uploadFile, context.agent, context.useProxy);

    m_confirmed = false;
    m_nextUrl.clear();
    if (!checkUploadFile(context.observer))
        return 1;
    writeJournal();
    m_upload = context.starter->start(m_sendRequest, context.observer);
    m_transmissionPending = true;
    return 1;
}

bool CAbrechnungSpool::checkUploadFile(UploadObserver* observer)
{
    SystemError error;
    bool readable = true;
    bool unchanged = true;
    if (m_copyDigest) {
        const auto digest = ContentDigest::ofFile(m_uploadFile, &error);
        readable = digest.has_value();
        unchanged = !digest || *digest == *m_copyDigest;
    } else if (m_uploadIdentity) {
        const auto identity = files::fileIdentity(m_uploadFile);
        if (!identity)
            error = lastSystemError();
        readable = identity.has_value();
        unchanged = !identity || *identity == *m_uploadIdentity;
    }
    if (!unchanged)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::TemporaryFileChanged, m_uploadFile.c_str()));
    if (readable)
        return true;
    // The upload thread would fail on the file before any connection: the outcome is the same, only
    // nothing that was not checked can go out.
    SendRequestBlock& block = m_sendRequest;
    block.errorCode = windowsFileError(error.code);
    block.errorText = strFormat(txt::UploadErrorNumber, block.errorCode);
    block.cancelled.set();
    block.done.set();
    m_transmissionPending = true;
    if (observer)
        observer->uploadFinished();
    return false;
}

void CAbrechnungSpool::writeJournal()
{
    m_journal = SendJournal{};
    m_journal.typeCode = m_file->GetTypeCode();
    m_journal.keyText = bookingKey();
    m_journal.batchNumber = bookedBatchNumber();
    m_journal.upload = std::filesystem::path(m_uploadFile).filename().string();
    m_journal.removable = m_removable;
    m_journal.files = journalFiles();
    // A transmission that could not be completed after a sudden end is not started.
    if (const SystemError error = m_journal.write(m_spoolDir))
        throw BV_ADZ_ERROR(adz::Structural, FileAccessMessage(SendJournal::pathIn(m_spoolDir), error));
}

void CAbrechnungSpool::CancelSend()
{
    // Without a running thread nobody would ever acknowledge.
    if (!m_upload)
        return;
    m_sendRequest.cancelAndWait(*m_upload);
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
    const std::string message =
        block.errorCode == 0 && !ReplySessionEnd(block.replyBody) ? ReplySendOk(block.replyBody) : std::string();
    if (message.empty()) {
        SendJournal::discard(m_spoolDir);
        if (block.errorCode != 0)
            showSendError(block.errorText + uploadFileDetail(block.errorCode));
        else if (ReplySessionEnd(block.replyBody))
            m_boxes.show(txt::SessionExpired, txt::CaptionCompany, MbIcon::Error);
        else
            showSendError(block.replyBody);
        return;
    }

    // Confirmed. Before anything else the journal says so: from here on the transmission is booked
    // and marked even when the process ends, on the next opening of the spool.
    m_journal.state = SendJournal::State::Confirmed;
    m_journal.sendTime = LocalTimeText(std::time(nullptr), SendTimeFormat);
    m_journal.batchNumber = bookedBatchNumber();
    m_journal.write(m_spoolDir);

    if (message != replykeyword::NoMessage)
        m_boxes.show(ReplyMessageText(message), txt::CaptionCompany, MbIcon::None);
    writeLastTransmission(m_journal.keyText, m_journal.batchNumber, m_journal.sendTime);
    markTransmitted();
    SendJournal::discard(m_spoolDir);
    m_confirmed = true;
    m_nextUrl = ReplyNextUrl(block.replyBody);
}

std::string CAbrechnungSpool::uploadFileDetail(int errorCode) const
{
    // An upload file that could not be read: which one, and the system's words for why.
    const std::string text = windowsFileErrorText(errorCode);
    return text.empty() ? std::string() : "\n" + m_uploadFile + "\n" + text;
}

void CAbrechnungSpool::writeLastTransmission(const std::string& keyText, int batchNumber, const std::string& sendTime)
{
    m_profile.write(profilekey::LastStapel, keyText, std::to_string(batchNumber));
    m_profile.write(profilekey::LastSend, keyText, sendTime);
    m_lastBatchNumber = batchNumber;
    m_lastSend = sendTime;
}

std::string CAbrechnungSpool::bookingKey() const
{
    return m_file->GetCustomerNumberText();
}

int CAbrechnungSpool::bookedBatchNumber()
{
    return m_file->GetBatchNumber();
}

std::vector<JournalFile> CAbrechnungSpool::journalFiles() const
{
    if (!m_sourceIdentity)
        return {};
    return {JournalFile{std::filesystem::path(m_filePath).filename().string(), *m_sourceIdentity}};
}

void CAbrechnungSpool::markTransmitted()
{
    const std::string path = m_filePath;
    m_file.reset();
    MarkSent(path);
    m_batchNumber = 0;
}

void CAbrechnungSpool::takeOver(std::unique_ptr<CAbrechnungsDatei> file, bool alreadyRead)
{
    m_file = std::move(file);
    try {
        if (!alreadyRead)
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
    m_lastBatchNumber = decimalInt(m_profile.read(profilekey::LastStapel, keyText));
    m_lastSend = m_profile.read(profilekey::LastSend, keyText);
}

} // namespace bv
