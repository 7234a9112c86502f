#include "billing/formats/chz/CCHZDatei.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/DecimalAmount.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

#include <vector>

namespace bv {

namespace txt = billing_texts;

CCHZDatei::CCHZDatei(const std::string& path, bool currencyMandatory, bool euroWhenMissing)
{
    Reset();
    m_currencyMandatory = currencyMandatory;
    m_euroWhenMissing = euroWhenMissing;
    openFileOrThrow(path);
    ReadSummary();
}

void CCHZDatei::Reset()
{
    resetBase();
    m_numericTypeCode = file_type::Chz;
    m_typeCodeText = "CZ";
    m_currency = currency::CHF;
    m_customerNumber = -1;
    m_batchNumber = -1;
    m_dateText.clear();
    m_statusText = "00";
}

int CCHZDatei::GetSummary(std::string& summary)
{
    summary.clear();
    return 2;
}

std::string CCHZDatei::GetCustomerNumberText() const
{
    return strFormat("%06d", m_customerNumber);
}

std::string CCHZDatei::GetBatchNumberText() const
{
    return strFormat("%d", m_batchNumber);
}

std::string CCHZDatei::GetInvoiceCountText() const
{
    return strFormat("%d", m_invoiceCount);
}

void CCHZDatei::ThrowSelf()
{
    throw this;
}

const std::string* CCHZDatei::GetMember(MemberSlot slot) const
{
    switch (slot) {
    case MemberSlot::Status:
        return &m_statusText;
    case MemberSlot::Second:
        return &m_spareText1;
    case MemberSlot::Third:
        return &m_spareText2;
    case MemberSlot::Fourth:
        return &m_spareText3;
    case MemberSlot::Date:
        return &m_dateText;
    case MemberSlot::Sixth:
        return &m_spareText4;
    case MemberSlot::Seventh:
        return nullptr;
    }
    return nullptr;
}

std::string CCHZDatei::ReadKey(const std::string& section, const std::string& key) const
{
    if (!m_openFile)
        return NotFound;
    return profile::readString(section, key, NotFound, ValueBufferSize, m_openFile->path());
}

int CCHZDatei::ReadSummary()
{
    // One pass over the file reads all five keys: the summary may stand after a body of any size.
    const std::vector<std::string> keys = {"KuNr", "StapelNr", "Datum", "AnzRech", "TotalNetto"};
    const std::vector<std::string> values =
        m_openFile ? profile::readStrings(SummarySection, keys, NotFound, ValueBufferSize, m_openFile->path())
                   : std::vector<std::string>(keys.size(), NotFound);
    const auto required = [&values](std::size_t index, const char* missingMessage) {
        if (values[index] == NotFound)
            throw BV_ADZ_ERROR(adz::Content, missingMessage);
        return values[index];
    };
    m_customerNumber = decimalInt(required(0, txt::ChzKuNrMissing));
    m_batchNumber = decimalInt(required(1, txt::ChzStapelNrMissing));
    m_dateText = ConvertDate(required(2, txt::ChzDatumMissing));
    m_invoiceCount = decimalInt(required(3, txt::ChzAnzRechMissing));
    m_counter2 = centsFromDecimal(required(4, txt::ChzTotalMissing), CentsRounding::Floor);
    return 1;
}

std::string CCHZDatei::ConvertDate(const std::string& text)
{
    const std::string date = trimBlanks(text);
    if (date.empty())
        return "00000000";
    const auto part = [&date](std::size_t pos, std::size_t len) {
        return pos < date.size() ? decimalInt(std::string_view(date).substr(pos, len)) : 0;
    };
    const int day = part(0, 2);
    const int month = part(3, 2);
    const int year = date.size() >= 4 ? decimalInt(std::string_view(date).substr(date.size() - 4)) : decimalInt(date);
    return strFormat("%04d%02d%02d", year, month, day);
}

} // namespace bv
