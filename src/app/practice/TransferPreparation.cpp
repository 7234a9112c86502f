#include "app/practice/TransferPreparation.h"

#include "app/practice/ControlFile.h"
#include "app/practice/PracticeTexts.h"
#include "platform/DirectoryLock.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

const char* const SectionSettings = "Einstellungen";
const char* const SectionAttachments = "Anlagen";
const char* const KeyCustomer = "KUNDENNUMMER";
const char* const KeyBatch = "STAPELNUMMER";
const char* const KeyDate = "DATUM";
const char* const KeyInvoices = "RECHNUNGEN";
const char* const KeyAttachmentCount = "ANLAGEN";
const char* const KeyAttachment = "ANLAGE%05d";

// File-error causes of the framework, as the practice software's users know them from its messages.

std::string field(std::string_view record, std::size_t offset, std::size_t length)
{
    if (offset >= record.size())
        return {};
    return std::string(record.substr(offset, length));
}

// The last 256 bytes of the billing file, or the framework's cause number when they cannot be read.
// A file shorter than one record has no closing record: positioning before its start fails.
struct ClosingBytes
{
    std::string bytes;
    int cause = 0;
};

ClosingBytes readClosingBytes(const std::filesystem::path& path)
{
    ClosingBytes result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.cause = files::fileErrorCause(errno);
        return result;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        result.cause = files::fileErrorCause(errno);
    } else if (!S_ISREG(info.st_mode)) {
        // A directory, pipe or device is no billing file (and a pipe could block for ever).
        result.cause = files::AccessDenied;
    } else if (info.st_size < static_cast<off_t>(ClosingRecord::Size)) {
        result.cause = files::BadSeek;
    } else {
        result.bytes.resize(ClosingRecord::Size);
        std::size_t done = 0;
        const off_t start = info.st_size - static_cast<off_t>(ClosingRecord::Size);
        while (done < result.bytes.size()) {
            const ssize_t n =
                ::pread(fd, result.bytes.data() + done, result.bytes.size() - done, start + static_cast<off_t>(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result.cause = files::fileErrorCause(errno);
                break;
            }
            if (n == 0)
                break; // shrank meanwhile: what was read is the record
            done += static_cast<std::size_t>(n);
        }
        result.bytes.resize(done);
    }
    ::close(fd);
    return result;
}

// One path component made of outside text: a "/" or NUL would lead the working directory elsewhere
// (a customer number "../.." must not place files outside the temporary directory).
std::string safeComponent(std::string name)
{
    for (char& c : name) {
        if (c == '/' || c == '\0')
            c = '_';
    }
    return name;
}

} // namespace

ClosingRecord ClosingRecord::parse(std::string_view lastBytes)
{
    const std::size_t end = lastBytes.find_first_of(std::string_view("\r\n\0", 3));
    const std::string_view record = lastBytes.substr(0, std::min(end, Size));
    return ClosingRecord{field(record, 50, 4), field(record, 66, 8), field(record, 30, 4)};
}

TransferPreparation::TransferPreparation(MessageBoxes& boxes, std::string temporaryDirectory)
    : m_boxes(boxes), m_temporaryDirectory(std::move(temporaryDirectory))
{}

PreparedTransfer TransferPreparation::prepare(const ControlFile& control)
{
    const std::string customer = control.customerNumber();
    if (customer.empty()) {
        m_boxes.show(practicetext::NoCustomerNumber, practicetext::Caption, MbIcon::Error);
        return {};
    }
    const std::string billingFile = control.billingFile();
    if (billingFile.empty()) {
        m_boxes.show(practicetext::NoBillingFileName, practicetext::Caption, MbIcon::Error);
        return {};
    }
    const ClosingBytes closing = readClosingBytes(billingFile);
    if (closing.cause != 0) {
        m_boxes.show(strFormat(practicetext::BillingFileUnreadable, billingFile.c_str(), closing.cause),
                     practicetext::Caption, MbIcon::Error);
        return {};
    }
    const ClosingRecord record = ClosingRecord::parse(closing.bytes);

    PreparedTransfer prepared;
    prepared.workingDirectory = makeWorkingDirectory(customer + "_" + cp1252ToUtf8(record.batchNumber));
    DirectoryLock::Outcome outcome = DirectoryLock::Outcome::Unavailable;
    prepared.lock = DirectoryLock::tryAcquire(prepared.workingDirectory, &outcome);
    prepared.busy = outcome == DirectoryLock::Outcome::Busy;
    if (prepared.busy)
        return prepared;
    const std::filesystem::path workFile = prepared.workingDirectory + practicetext::WorkFileName;
    files::removeFile(workFile);
    prepared.workFileWritten = writeWorkFile(workFile, control, customer, record);

    const std::filesystem::path source(billingFile);
    const std::filesystem::path target = prepared.workingDirectory + source.filename().string();
    if (files::copyFile(source, target, true)) {
        // A copy left from an earlier delivery with the same batch number must not be sent in place
        // of this one.
        std::error_code ec;
        if (!std::filesystem::equivalent(source, target, ec))
            files::removeFile(target);
    }
    return prepared;
}

std::string TransferPreparation::makeWorkingDirectory(const std::string& name)
{
    std::string path = m_temporaryDirectory + practicetext::WorkingRoot;
    createLevel(path);
    path += '/';
    path += safeComponent(name);
    createLevel(path);
    return path + "/";
}

void TransferPreparation::createLevel(const std::string& path)
{
    if (files::createDirectory(path))
        m_boxes.show(practicetext::DirectoryNotCreatedBefore + path + practicetext::DirectoryNotCreatedAfter,
                     practicetext::DirectoryCaption, MbIcon::Error);
}

// The work file is written in one piece, in Windows-1252 with CR LF: a delivery is never described
// by half a file, also when the process is killed while writing.
bool TransferPreparation::writeWorkFile(const std::filesystem::path& workFile, const ControlFile& control,
                                        const std::string& customer, const ClosingRecord& record)
{
    IniDocument work = IniDocument::parse({});
    bool ok = work.setValue(SectionSettings, KeyCustomer, utf8ToCp1252(customer));
    ok = work.setValue(SectionSettings, KeyBatch, record.batchNumber) && ok;
    ok = work.setValue(SectionSettings, KeyDate, record.date) && ok;
    ok = work.setValue(SectionSettings, KeyInvoices, record.invoiceCount) && ok;
    const std::vector<std::string> attachments = control.attachments();
    for (std::size_t i = 0; i < attachments.size(); ++i) {
        ok = work.setValue(SectionAttachments, strFormat(KeyAttachment, static_cast<int>(i + 1)),
                           utf8ToCp1252(attachments[i]) + practicetext::AttachmentSuffix) &&
             ok;
    }
    ok = work.setValue(SectionSettings, KeyAttachmentCount, std::to_string(attachments.size())) && ok;
    return !files::writeFileAtomic(workFile, work.serialize()) && ok;
}

} // namespace bv
