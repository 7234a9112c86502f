#include "billing/attachments/AttachmentIni.h"

#include "billing/CAbrechnungsDatei.h"
#include "billing/attachments/AttachmentTexts.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace t = attachmenttext;

namespace {

// Values are read as through GetPrivateProfileString with a 64-byte buffer.
constexpr std::size_t ValueLimit = 63;

enum InvoiceKey
{
    KeyBeleg
};
enum DataKey
{
    KeyPartner,
    KeyCustomer,
    KeyNumber,
    KeyAmount,
    KeyDate
};

// Feeds a regular file to `feed` until `done`; false when it cannot be opened or read. A pipe or a
// device is refused without reading from it, so a stray FIFO named "*.ini" cannot block the caller.
template <typename Feed, typename Done> bool scanRegularFile(const std::string& path, Feed feed, Done done)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    while (!done()) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    ::close(fd);
    return ok;
}

bool isOne(const std::string& value)
{
    return decimalInt(value) == 1;
}

// A value goes onto one line of the INI: line breaks would start a line of their own.
std::string oneLine(const std::string& utf8)
{
    std::string out = utf8ToCp1252(utf8);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::string rightTrimmed(const std::string& text)
{
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

} // namespace

AttachmentIniReader::AttachmentIniReader()
    : m_general(t::General, {t::Ersteller}, ValueLimit), m_invoice(t::RzRechnung, {t::Beleg}, ValueLimit),
      m_data(t::Data,
             {t::Partnerabrechnung, t::Kundennummer, t::Rechnungsnummer, t::Rechnungsbetrag, t::Rechnungsdatum},
             ValueLimit)
{}

void AttachmentIniReader::feed(std::string_view bytes)
{
    if (!m_general.done())
        m_general.feed(bytes);
    if (!m_invoice.done())
        m_invoice.feed(bytes);
    if (!m_data.done())
        m_data.feed(bytes);
}

void AttachmentIniReader::finish()
{
    m_general.finish();
    m_invoice.finish();
    m_data.finish();
}

bool AttachmentIniReader::done() const
{
    return m_general.done() && m_invoice.done() && m_data.done();
}

std::string AttachmentIniReader::value(const IniKeyScanner& scanner, std::size_t index, const char* defaultValue) const
{
    const auto& found = scanner.value(index);
    return found ? *found : std::string(defaultValue);
}

std::string AttachmentIniReader::creator() const
{
    return value(m_general, 0, "");
}

void AttachmentIniReader::applyTo(AttachmentEntry& entry) const
{
    if (isOne(value(m_invoice, KeyBeleg, "0"))) {
        entry.receiptFlag = true;
        entry.partnerFlag = isOne(value(m_data, KeyPartner, "0"));
    } else {
        entry.receiptFlag = false;
        entry.partnerFlag = false;
    }
    if (entry.partnerFlag) {
        entry.partnerCustomerNumber = fromWindowsText(value(m_data, KeyCustomer, "-1"));
        entry.labInvoiceNumber = fromWindowsText(value(m_data, KeyNumber, "-1"));
        entry.amount = parseIniAmount(value(m_data, KeyAmount, "-1"));
        entry.labInvoiceDate = parseIniDate(value(m_data, KeyDate, "-1"));
    } else {
        entry.partnerCustomerNumber.clear();
        entry.labInvoiceNumber.clear();
        entry.labInvoiceDate = 0;
    }
}

bool readAttachmentIni(AttachmentEntry& entry, const std::string& iniPath, IniStrictness strictness)
{
    AttachmentIniReader reader;
    if (!scanRegularFile(
            iniPath, [&](std::string_view bytes) { reader.feed(bytes); }, [&] { return reader.done(); }))
        return false;
    reader.finish();
    if (strictness == IniStrictness::Strict && reader.creator() != t::Creator)
        return false;
    reader.applyTo(entry);
    return true;
}

bool readAttachmentIniText(AttachmentEntry& entry, std::string_view text, IniStrictness strictness)
{
    AttachmentIniReader reader;
    reader.feed(text);
    reader.finish();
    if (strictness == IniStrictness::Strict && reader.creator() != t::Creator)
        return false;
    reader.applyTo(entry);
    return true;
}

std::optional<std::string> readIniCreator(const std::string& iniPath)
{
    IniKeyScanner scanner(t::General, {t::Ersteller}, ValueLimit);
    if (!scanRegularFile(
            iniPath, [&](std::string_view bytes) { scanner.feed(bytes); }, [&] { return scanner.done(); }))
        return std::nullopt;
    scanner.finish();
    return scanner.value(0).value_or("");
}

std::string attachmentIniPath(const std::string& receiptPath)
{
    std::filesystem::path path(receiptPath);
    path.replace_extension("ini");
    return path.string();
}

int parseIniAmount(std::string_view text)
{
    const std::string plain = replaceAll(replaceAll(std::string(text), ",", ""), "EUR", "");
    const long long value = decimalValue(plain);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::string formatIniAmount(long long cents)
{
    const long long magnitude = cents < 0 ? -cents : cents;
    return strFormat("%s%lld,%02lld EUR", cents < 0 ? "-" : "", magnitude / 100, magnitude % 100);
}

std::time_t parseIniDate(std::string_view text)
{
    if (text.size() < 10)
        return 0;
    std::tm tm{};
    tm.tm_mday = decimalInt(text.substr(0, 2));
    tm.tm_mon = decimalInt(text.substr(3, 2)) - 1;
    tm.tm_year = decimalInt(text.substr(6, 4)) - 1900;
    tm.tm_isdst = -1;
    const std::tm wanted = tm;
    if (wanted.tm_mon < 0 || wanted.tm_mon > 11 || wanted.tm_mday < 1 || wanted.tm_year < 70)
        return 0;
    const std::time_t time = std::mktime(&tm);
    // mktime normalises 31.02. into March: such a text is no date.
    if (time == -1 || tm.tm_mday != wanted.tm_mday || tm.tm_mon != wanted.tm_mon || tm.tm_year != wanted.tm_year)
        return 0;
    return time;
}

std::string attachmentIniText(const AttachmentInvoiceRow& row, const AttachmentEntry& entry, std::time_t now)
{
    std::string text;
    auto line = [&text](const std::string& content) { text += content + "\r\n"; };
    line("[GENERAL]");
    line(std::string("Ersteller=") + t::Creator);
    line("Erstellungsdatum=" + LocalTimeText(now, "%d.%m.%Y %H:%M:%S"));
    line("");
    line("[RZRECHNUNG]");
    line(std::string("Beleg=") + (entry.receiptFlag ? "1" : "0"));
    line("Rechnungsnummer=" + oneLine(rightTrimmed(row.invoiceNumber)));
    line("Rechnungsindex=" + std::to_string(row.index));
    if (entry.amount > 0)
        line("Laborbetrag=" + formatIniAmount(entry.amount));
    line("");
    line("[DATA]");
    if (entry.partnerFlag && !entry.partnerCustomerNumber.empty()) {
        line("Partnerabrechnung=1");
        line("brevalis-Kundennummer=" + oneLine(entry.partnerCustomerNumber));
        line("Rechnungsnummer=" + oneLine(entry.labInvoiceNumber));
        // An entry without a date keeps none: 01.01.1970 would read back as a real date.
        line("Rechnungsdatum=" + (entry.labInvoiceDate ? LocalTimeText(entry.labInvoiceDate, "%d.%m.%Y") : ""));
        line("Rechnungsbetrag=" + formatIniAmount(entry.amount));
    } else {
        line("Partnerabrechnung=0");
    }
    return text;
}

std::string writeAttachmentIni(const AttachmentInvoiceRow& row, const AttachmentEntry& entry, MessageBoxes& boxes,
                               std::time_t now)
{
    if (entry.receiptPath.empty())
        return {};
    const std::string path = attachmentIniPath(entry.receiptPath);
    if (const SystemError error = files::writeFileAtomic(path, attachmentIniText(row, entry, now))) {
        boxes.show(strFormat(t::WriteFailed, path.c_str(), error.text.c_str()), t::Caption, MbIcon::Error);
        return {};
    }
    return path;
}

} // namespace bv
