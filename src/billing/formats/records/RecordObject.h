#pragma once

#include "billing/CAdzException.h"
#include "billing/formats/records/FieldTables.h"
#include "billing/formats/records/RecordHeader.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace bv {

class CAbrechnungsDatei;

// One record of a fixed-record file held in memory: its header values and its data area, which the
// field table of its record type cuts into fields. The table is the one its reader has in force for
// the record type; the record keeps no table of its own.
class RecordObject
{
public:
    // The largest data area of the formats (DDS-RZ: 224 characters).
    static constexpr std::size_t MaxDataLength = 224;

    // `record` is the whole record text; its data area starts after the header. A record too short
    // to hold its header keeps "[NULL]" as its data area.
    RecordObject(int recordIndex, const records::RecordHeader& header, std::string_view record,
                 std::size_t headerLength, std::size_t dataLength, const records::FieldLayout& fields,
                 const CAbrechnungsDatei* owner);

    int recordIndex() const { return m_recordIndex; }
    int runningNumber() const { return m_runningNumber; }
    // The record type as a number: 0100 is 100.
    int recordType() const { return m_recordType; }
    // The group marker when it lies in 50 to 52, else 0.
    int groupMarker() const { return m_groupMarker; }
    std::string_view recordTypeText() const { return {m_recordTypeText.data(), m_recordTypeLength}; }
    bool markerFlag() const { return m_groupMarker != 0; }
    const CAbrechnungsDatei* owner() const { return m_owner; }
    std::string_view data() const { return {m_data.data(), m_dataLength}; }
    const records::FieldLayout& fields() const { return *m_fields; }

    // The text of field `index` (Windows-1252): "-/-" beyond the table, the cut-short text when the
    // data area ends inside the field.
    std::string GetField(int index) const;
    // The field's text without a copy; the same texts as GetField.
    std::string_view fieldView(int index) const;
    // The field checks of every field by its type letter: 1 when all pass, else 0 with the first
    // failing field's position (from 0), text and letter.
    int CheckRecordFields(int& outFieldIndex, std::string& outValue, char& outTypeLetter) const;

private:
    int m_recordIndex;
    int m_runningNumber;
    int m_recordType;
    int m_groupMarker;
    const CAbrechnungsDatei* m_owner;
    const records::FieldLayout* m_fields;
    std::array<char, 4> m_recordTypeText{};
    std::uint8_t m_recordTypeLength = 0;
    std::uint16_t m_dataLength = 0;
    std::array<char, MaxDataLength> m_data;
};

namespace records {

// The report of a record whose field check failed: code -72 for the control record while it is read,
// -77 in the content check; the field number is its position plus 6, its text is shown as UTF-8.
CAdzException FieldCheckFailure(int code, int recordIndex, int recordType, int fieldPosition, char typeLetter,
                                const std::string& fieldText);
// Runs the field checks of a record and throws its report on the first failing field.
void CheckFieldsOrThrow(const RecordObject& record, int code);

// GetInvoice's index rule: invoice-data records run from 0 to record count - start index - 2. Throws
// CAdzException -1 for any other index.
void CheckInvoiceRecordIndex(int recordIndex, int recordCount, int startIndex);

// Field codes of the reports.
inline constexpr int ControlRecordFieldCode = -72;
inline constexpr int ContentFieldCode = -77;

} // namespace records

} // namespace bv
