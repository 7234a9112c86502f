#include "billing/formats/records/RecordObject.h"

#include "billing/AdzCodes.h"
#include "billing/formats/records/FieldChecks.h"
#include "billing/formats/records/RecordTexts.h"
#include "billing/formats/records/TypeLetters.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace bv {

RecordObject::RecordObject(int recordIndex, const records::RecordHeader& header, std::string_view record,
                           std::size_t headerLength, std::size_t dataLength, const records::FieldLayout& fields,
                           const CAbrechnungsDatei* owner)
    : m_recordIndex(recordIndex), m_runningNumber(header.runningNumber), m_recordType(header.recordType),
      m_groupMarker(records::isGroupMarked(header.groupMarker) ? header.groupMarker : 0), m_owner(owner),
      m_fields(&fields)
{
    m_recordTypeLength = static_cast<std::uint8_t>(std::min(header.recordTypeText.size(), m_recordTypeText.size()));
    std::memcpy(m_recordTypeText.data(), header.recordTypeText.data(), m_recordTypeLength);
    std::string_view area = record.size() < headerLength ? std::string_view(record_texts::NoDataArea)
                                                         : record.substr(headerLength, dataLength);
    area = area.substr(0, MaxDataLength);
    m_dataLength = static_cast<std::uint16_t>(area.size());
    std::memcpy(m_data.data(), area.data(), area.size());
}

std::string_view RecordObject::fieldView(int index) const
{
    return records::cutField(*m_fields, data(), index);
}

void RecordObject::replaceData(std::string_view area)
{
    area = area.substr(0, MaxDataLength);
    m_dataLength = static_cast<std::uint16_t>(area.size());
    std::memcpy(m_data.data(), area.data(), area.size());
}

std::string RecordObject::GetField(int index) const
{
    return std::string(fieldView(index));
}

int RecordObject::CheckRecordFields(int& outFieldIndex, std::string& outValue, char& outTypeLetter) const
{
    const int count = m_fields->count();
    for (int i = 0; i < count; ++i) {
        const char letter = m_fields->letter(i);
        // Text and unchecked fields take any characters, even a field cut short.
        if (letter == records::type_letter::Text || letter == records::type_letter::Unchecked)
            continue;
        const std::string_view value = fieldView(i);
        if (!records::CheckFieldValue(letter, value)) {
            outFieldIndex = i;
            outValue.assign(value);
            outTypeLetter = letter;
            return 0;
        }
    }
    return 1;
}

namespace records {

std::string_view cutField(const FieldLayout& fields, std::string_view area, int index)
{
    if (index < 0 || index >= fields.count())
        return record_texts::FieldBeyondTable;
    const auto offset = static_cast<std::size_t>(fields.offset(index));
    const auto width = static_cast<std::size_t>(fields.width(index));
    if (offset + width > area.size())
        return record_texts::FieldCutShort;
    return area.substr(offset, width);
}

CAdzException FieldCheckFailure(int code, int recordIndex, int recordType, int fieldPosition, char typeLetter,
                                const std::string& fieldText)
{
    return BV_ADZ_ERROR(code, strFormat(record_texts::FieldCheckFailed, recordIndex, recordType, fieldPosition + 6,
                                        typeLetter, cp1252ToUtf8(fieldText).c_str()));
}

void CheckFieldsOrThrow(const RecordObject& record, int code)
{
    int position = 0;
    std::string text;
    char letter = 0;
    if (!record.CheckRecordFields(position, text, letter))
        throw FieldCheckFailure(code, record.recordIndex(), record.recordType(), position, letter, text);
}

void CheckInvoiceRecordIndex(int recordIndex, int recordCount, int startIndex)
{
    const int highest = recordCount - startIndex - 2;
    if (recordIndex < 0 || recordIndex > highest)
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(record_texts::InvalidRecordIndex, recordIndex, std::to_string(highest).c_str()));
}

} // namespace records

} // namespace bv
