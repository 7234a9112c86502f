#include "billing/CAbrechnungsDatei.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/formats/records/FieldChecks.h"
#include "platform/Files.h"
#include "platform/Text.h"

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
    throw BV_ADZ_ERROR(adz::Content, txt::CalcHashMissing);
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
        throw BV_ADZ_ERROR(adz::Structural, FileAccessMessage(path, error));
}

void CAbrechnungsDatei::CheckRecordLength()
{
    const std::int64_t size = GetFileSize();
    const auto length = static_cast<unsigned long>(size < 0 ? 0 : size);
    const long long count = size < 0 ? -1 : records::RecordCountOf(length, m_recordLength);
    if (count < 0) {
        const long rem = m_recordLength == 0 ? static_cast<long>(length) : static_cast<long>(length % m_recordLength);
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::RecordLength, GetFilePath(false).c_str(), length,
                                                      static_cast<long>(m_recordLength), rem));
    }
    m_recordCount = static_cast<int>(count);
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
        throw BV_ADZ_ERROR(adz::Content, txt::NoCurrency);
    }
    throw BV_ADZ_ERROR(adz::Content, strFormat(txt::UnknownCurrency, text.c_str()));
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
    return records::CheckLayout(widths, letters, recordLength);
}

bool CAbrechnungsDatei::CheckFieldValue(char typeLetter, const std::string& value)
{
    return records::CheckFieldValue(typeLetter, value);
}

int CAbrechnungsDatei::CheckFields(const std::function<std::string(int)>& getField, int count,
                                   const std::string& typeLetters, std::string& outValue, char& outType, int& outIndex)
{
    return records::CheckFields(getField, count, typeLetters, outValue, outType, outIndex);
}

std::string CAbrechnungsDatei::DefaultFieldImage(char typeLetter, int width, long value, const std::string& text)
{
    return records::DefaultFieldImage(typeLetter, width, value, text);
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
    records::TranslateGerman7Bit(buffer, length);
}

void TranslateGerman7Bit(std::string& text)
{
    records::TranslateGerman7Bit(text.data(), text.size());
}

std::string FormatAmount(long long cents, char decimalChar, char thousandsChar)
{
    return records::FormatAmount(cents, decimalChar, thousandsChar);
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
