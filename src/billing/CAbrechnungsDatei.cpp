#include "billing/CAbrechnungsDatei.h"

#include "billing/BillingTexts.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <cerrno>
#include <cstdlib>

namespace bv {

namespace txt = billing_texts;

CAbrechnungsDatei::~CAbrechnungsDatei() = default;

std::string CAbrechnungsDatei::GetCustomerNumberText() const
{
    return "000000";
}

std::string CAbrechnungsDatei::GetCustomerName() const
{
    return {};
}

std::string CAbrechnungsDatei::GetBatchNumberText() const
{
    return "-1";
}

std::string CAbrechnungsDatei::GetInvoiceCountText() const
{
    return "-1";
}

std::string CAbrechnungsDatei::GetExtraText() const
{
    return "-1";
}

std::string CAbrechnungsDatei::GetTypeCode() const
{
    return m_typeCodeText;
}

int CAbrechnungsDatei::GetAttachmentCount(int /*flag*/)
{
    return -1;
}

const std::string* CAbrechnungsDatei::GetMember(MemberSlot /*slot*/) const
{
    return nullptr;
}

int CAbrechnungsDatei::GetAttachmentOption() const
{
    return -1;
}

int CAbrechnungsDatei::ExtractAttachments()
{
    return 0;
}

int CAbrechnungsDatei::GetLayoutValue(int, int, int, int, int, int) const
{
    return -12345;
}

std::int64_t CAbrechnungsDatei::GetFileSize() const
{
    return m_openFile ? m_openFile->size() : -1;
}

std::string CAbrechnungsDatei::GetFilePath(bool full) const
{
    if (!m_openFile)
        return {};
    return full ? m_openFile->path() : m_openFile->fileName();
}

std::string CAbrechnungsDatei::CalcHash()
{
    throw BV_ADZ_ERROR(34, txt::CalcHashMissing);
}

void CAbrechnungsDatei::resetBase()
{
    m_fileNameText.clear();
    m_openFile.reset();
    m_recordLength = 0;
    m_formatWord1 = m_formatWord2 = m_formatWord3 = 0;
    m_invoiceCount = 0;
    m_recordCount = 0;
    m_counter1 = m_counter2 = 0;
}

void CAbrechnungsDatei::openFileOrThrow(const std::string& path)
{
    SystemError error;
    m_openFile = OpenFile::open(path, &error);
    if (!m_openFile)
        throw BV_ADZ_ERROR(-1, FileAccessMessage(path, error));
}

void CAbrechnungsDatei::CheckRecordLength()
{
    const std::int64_t size = GetFileSize();
    const auto length = static_cast<unsigned long>(size < 0 ? 0 : size);
    const auto recordLength = static_cast<long>(m_recordLength);
    if (recordLength == 0)
        throw BV_ADZ_ERROR(-1, strFormat(txt::RecordLength, GetFilePath(false).c_str(), length, recordLength,
                                         static_cast<long>(length)));
    const auto rem = static_cast<long>(length % m_recordLength);
    if (size < 0 || !(rem == 0 || rem == 1 || rem == recordLength - 2))
        throw BV_ADZ_ERROR(-1, strFormat(txt::RecordLength, GetFilePath(false).c_str(), length, recordLength, rem));
    m_recordCount = static_cast<int>((length + static_cast<unsigned long>(rem)) / m_recordLength);
}

bool CAbrechnungsDatei::IsEuro(const std::string& currencyText) const
{
    const std::string text = toUpper(trim(currencyText));
    if (text == "EUR")
        return true;
    if (text == "DEM" || text == "DM")
        return false;
    if (text.empty()) {
        if (!m_currencyMandatory)
            return false;
        if (m_euroWhenMissing)
            return true;
        throw BV_ADZ_ERROR(34, txt::NoCurrency);
    }
    throw BV_ADZ_ERROR(34, strFormat(txt::UnknownCurrency, text.c_str()));
}

std::string CAbrechnungsDatei::CurrencyName() const
{
    return CurrencyName(m_currency);
}

std::string CAbrechnungsDatei::CurrencyName(int currencyCode)
{
    switch (currencyCode) {
    case currency::DM:
        return "DM";
    case currency::EUR:
        return "EUR";
    case currency::CHF:
        return "CHF";
    default:
        return "???";
    }
}

bool CAbrechnungsDatei::CheckLayout(const std::vector<int>& widths, const std::string& letters, unsigned recordLength)
{
    std::size_t fields = 0;
    long long total = 0;
    while (fields < widths.size() && widths[fields] != 0) {
        if (widths[fields] < 0)
            return false;
        total += widths[fields];
        ++fields;
    }
    if (fields == 0)
        return recordLength == 0;
    if (total != recordLength || letters.size() < fields)
        return false;
    for (std::size_t i = 0; i < fields; ++i) {
        if (std::string_view("AND24X-").find(letters[i]) == std::string_view::npos)
            return false;
    }
    const char last = letters[fields - 1];
    return last == 'X' || last == '-';
}

namespace {

bool allOf(const std::string& text, bool (*accept)(char))
{
    for (const char c : text) {
        if (!accept(c))
            return false;
    }
    return true;
}

bool isBlank(char c)
{
    return c == ' ';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Digits as the record engine reads them: codes '0' to '?' whose low four bits are at most 9.
bool isRecordDigit(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= '0' && u <= '?' && (u & 0x0F) <= 9;
}

int number(const std::string& text, std::size_t pos, std::size_t len)
{
    int value = 0;
    for (std::size_t i = pos; i < pos + len; ++i)
        value = value * 10 + (static_cast<unsigned char>(text[i]) & 0x0F);
    return value;
}

// A date field that is empty ("000..." or blanks), or digits with a valid day, month and year.
bool isDateField(const std::string& value, std::size_t width, std::size_t dayPos, std::size_t monthPos,
                 std::size_t yearPos, std::size_t yearLen)
{
    if (value.size() != width)
        return false;
    if (value == std::string(width, '0') || value == std::string(width, ' '))
        return true;
    if (!allOf(value, isRecordDigit))
        return false;
    const int day = number(value, dayPos, 2);
    const int month = number(value, monthPos, 2);
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return false;
    if (yearLen == 0)
        return true;
    // Files are written today and were written in the 1890s for the oldest patients' data; the year
    // check must not reject anything the practice software may still write this century.
    const int year = number(value, yearPos, yearLen);
    return year >= 1890 && year <= 2099;
}

} // namespace

bool CAbrechnungsDatei::CheckFieldValue(char typeLetter, const std::string& value)
{
    switch (typeLetter) {
    case 'X':
        return allOf(value, isBlank);
    case 'Z':
        return allOf(value, isBlank) || allOf(value, isLineEnd);
    case 'N': {
        std::string digits = value;
        for (std::size_t i = 0; i < digits.size() && digits[i] == ' '; ++i)
            digits[i] = '0';
        return allOf(digits, [](char c) { return (c >= '0' && c <= '9') || c == '#'; });
    }
    case 'D':
        return isDateField(value, 8, 6, 4, 0, 4);
    case '2':
        return isDateField(value, 6, 0, 2, 0, 0);
    case '4':
        return isDateField(value, 8, 0, 2, 4, 4);
    case 'A':
    case '-':
    default:
        return true;
    }
}

int CAbrechnungsDatei::CheckFields(const std::function<std::string(int)>& getField, int count,
                                   const std::string& typeLetters, std::string& outValue, char& outType, int& outIndex)
{
    for (int i = 0; i < count && static_cast<std::size_t>(i) < typeLetters.size(); ++i) {
        const char letter = typeLetters[static_cast<std::size_t>(i)];
        std::string value = getField(i);
        if (!CheckFieldValue(letter, value)) {
            outValue = std::move(value);
            outType = letter;
            outIndex = i;
            return 0;
        }
    }
    return 1;
}

namespace {

std::string fitted(std::string text, int width)
{
    text.resize(static_cast<std::size_t>(width < 0 ? 0 : width), ' ');
    return text;
}

} // namespace

std::string CAbrechnungsDatei::DefaultFieldImage(char typeLetter, int width, long value, const std::string& text)
{
    if (width <= 0)
        return {};
    switch (typeLetter) {
    case 'A': {
        if (width < 2)
            return fitted("#", width);
        std::string image(static_cast<std::size_t>(width), ' ');
        image.front() = '(';
        image.back() = ')';
        return image;
    }
    case 'D':
        return fitted("19700101", width);
    case '2':
        return fitted("010170", width);
    case '4':
        return fitted("01011970", width);
    case 'N': {
        const std::string digits = strFormat("%0*ld", width, value);
        return digits.size() > static_cast<std::size_t>(width) ? std::string(static_cast<std::size_t>(width), '#')
                                                               : digits;
    }
    case 'X':
        return fitted(text, width);
    default:
        return fitted({}, width);
    }
}

std::string FileAccessMessage(const std::string& fileName, const SystemError& error)
{
    return strFormat(billing_texts::FileAccess, error.code, fileName.c_str(), error.code, error.text.c_str());
}

int SystemErrorText(std::string& text)
{
    const SystemError error = lastSystemError();
    text = error.text;
    return error.code;
}

void TranslateGerman7Bit(char* buffer, std::size_t length)
{
    // ISO 646-DE: { | } ~ [ \ ] stand for ä ö ü ß Ä Ö Ü; here as Windows-1252 bytes.
    static constexpr char from[] = "{|}~[\\]";
    static constexpr unsigned char to[] = {0xE4, 0xF6, 0xFC, 0xDF, 0xC4, 0xD6, 0xDC};
    for (std::size_t i = 0; i < length; ++i) {
        for (std::size_t k = 0; k < sizeof(to); ++k) {
            if (buffer[i] == from[k]) {
                buffer[i] = static_cast<char>(to[k]);
                break;
            }
        }
    }
}

void TranslateGerman7Bit(std::string& text)
{
    TranslateGerman7Bit(text.data(), text.size());
}

namespace {

std::string formatMagnitude(unsigned long long cents, char decimalChar, char thousandsChar)
{
    const unsigned long long integerPart = cents / 100;
    if (thousandsChar != '\0' && integerPart >= 1000)
        return strFormat("%llu%c%03llu%c%02llu", cents / 100000, thousandsChar, integerPart % 1000, decimalChar,
                         cents % 100);
    return strFormat("%llu%c%02llu", integerPart, decimalChar, cents % 100);
}

} // namespace

std::string FormatAmount(long long cents, char decimalChar, char thousandsChar)
{
    if (cents < 0) {
        std::string text(1, '-');
        text += formatMagnitude(0ULL - static_cast<unsigned long long>(cents), decimalChar, thousandsChar);
        return text;
    }
    return formatMagnitude(static_cast<unsigned long long>(cents), decimalChar, thousandsChar);
}

std::string LocalTimeText(std::time_t time, const char* format)
{
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[64] = {};
    std::strftime(buffer, sizeof(buffer), format, &local);
    return buffer;
}

} // namespace bv
