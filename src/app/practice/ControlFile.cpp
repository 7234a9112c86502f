#include "app/practice/ControlFile.h"

#include "platform/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

const char* const SectionSend = "SENDEN";
const char* const SectionPractice = "PRAXIS";
const char* const SectionRecipient = "RECHNUNGSEMPFAENGER";
const char* const SectionStatus = "STATUS";
const char* const KeyFile = "Datei";
const char* const KeyCustomer = "PXID";
const char* const KeyLastName = "LASTNAME";
const char* const KeyAttachment = "ANLAGE%d";
const char* const KeyErrorLevel = "ERRORLEVEL";
const char* const KeyErrorText = "ERRORTEXT";
const char* const KeyReady = "READY";
const char* const ReadyValue = "1";

// Reads a regular file of at most `limit` bytes. A FIFO or device would block or never end, so
// only regular files are read, and the open itself never waits.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::uintmax_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> content;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uintmax_t>(info.st_size) <= limit) {
        std::string bytes;
        char buffer[65536];
        bool failed = false;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
            if (bytes.size() > limit) { // grew while being read
                failed = true;
                break;
            }
        }
        if (!failed)
            content = std::move(bytes);
    }
    ::close(fd);
    return content;
}

} // namespace

ControlFile::ControlFile(std::filesystem::path path, IniDocument document)
    : m_path(std::move(path)), m_document(std::move(document))
{}

std::optional<ControlFile> ControlFile::open(const std::filesystem::path& path)
{
    const std::optional<std::string> bytes = readRegularFile(path, MaxBytes);
    if (!bytes)
        return std::nullopt;
    return fromBytes(path, *bytes);
}

ControlFile ControlFile::fromBytes(const std::filesystem::path& path, std::string_view bytes)
{
    return ControlFile(path, IniDocument::parse(bytes));
}

std::string ControlFile::value(const std::string& section, const std::string& key) const
{
    std::string raw = m_document.value(section, key).value_or(std::string());
    if (raw.size() > ValueBufferSize - 1)
        raw.resize(ValueBufferSize - 1);
    return fromWindowsText(raw);
}

ControlFileKind ControlFile::kind() const
{
    if (!value(SectionSend, KeyFile).empty())
        return ControlFileKind::Transfer;
    if (!value(SectionRecipient, KeyLastName).empty())
        return ControlFileKind::InvoiceRecipient;
    return ControlFileKind::Other;
}

std::string ControlFile::customerNumber() const
{
    std::string number = value(SectionSend, KeyCustomer);
    if (number.empty())
        number = value(SectionPractice, KeyCustomer);
    return number;
}

std::string ControlFile::billingFile() const
{
    return value(SectionSend, KeyFile);
}

std::vector<std::string> ControlFile::attachments() const
{
    std::vector<std::string> paths;
    for (int n = 1;; ++n) {
        std::string path = value(SectionSend, strFormat(KeyAttachment, n));
        if (path.empty())
            break;
        paths.push_back(std::move(path));
    }
    return paths;
}

ControlFileKind evaluateControlFile(const std::filesystem::path& path)
{
    const std::optional<ControlFile> file = ControlFile::open(path);
    return file ? file->kind() : ControlFileKind::Unreadable;
}

bool writeControlFileStatus(const std::filesystem::path& path, const std::string& errorLevel,
                            const std::string& errorText)
{
    // An INI value is one line.
    std::string text = utf8ToCp1252(errorText);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    // READY is only written once the error level is in place: a practice program that sees READY
    // must never read an error level that is not this run's.
    return profile::writeString(SectionStatus, KeyErrorLevel, errorLevel, path) &&
           profile::writeString(SectionStatus, KeyErrorText, text, path) &&
           profile::writeString(SectionStatus, KeyReady, std::string(ReadyValue), path);
}

} // namespace bv
