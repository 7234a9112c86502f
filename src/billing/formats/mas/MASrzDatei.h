#pragma once

#include "billing/CAbrechnungsDatei.h"
#include "billing/formats/mas/MasRechnung.h"
#include "billing/formats/records/FieldTables.h"
#include "billing/formats/records/RecordHeader.h"
#include "billing/formats/records/RecordObject.h"
#include "billing/formats/records/RecordReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

class FeeValueTable;
struct FeeValueList;

// The MAS reader: the fixed-record file of 128-byte records without line ends in which practice
// software hands German physicians' invoices to the billing centre. A header record (000) comes first,
// then the invoices (0100 or 0200 starts one, 0300 describes it, 0700 are its service lines, 0900 its
// totals) and last the summary record (990) with counts, total and version. Loading reduces the fees
// of the service lines as the billing centre does and rewrites the service and total records in
// memory. Every refusal is a CAdzException with the system's code and text.
class MASrzDatei : public CAbrechnungsDatei
{
public:
    // Opens the file read-only (an open failure is -1 with the file-access text); unless validation is
    // deferred, validates it. `versionLimit` refuses versions above 1.3.
    MASrzDatei(const std::string& path, bool currencyMandatory, bool euroWhenMissing, bool versionLimit,
               bool deferValidation);
    ~MASrzDatei() override;

    std::string GetFormatName() const override;
    int IsVariant() override { return 1; }
    // The totals check (-105), then the field checks of every loaded record (-77 when strict, else 0).
    int CheckContents(bool strict) override;
    // The totals check alone: no invoice above 100,000,000 and the sum equal to the control total.
    int CheckHeader() override;
    // LOAD_ALL: every record between header and summary into record objects and invoices, with the
    // reductions of the service lines. Returns 1.
    int ReadContents() override;
    // The reduction statistics text; returns its kind code.
    int GetSummary(std::string& summary) override;
    int GetCustomerNumber() const override { return m_customerNumber; }
    int GetBatchNumber() const override { return m_batchNumber; }
    std::string GetCustomerNumberText() const override;
    std::string GetBatchNumberText() const override;
    std::string GetInvoiceCountText() const override;
    std::string GetSubtypeText() const override { return "[]"; }
    [[noreturn]] void ThrowSelf() override;
    // The header record's date in the date slot, the transmission name in the status slot.
    const std::string* GetMember(MemberSlot slot) const override;
    InvoiceObject* GetInvoiceData(int invoiceIndex) override;
    // Record objects are held from the first record after the header: index 0 is record 1.
    RecordObject* GetInvoice(int recordIndex) override;
    void Reset() override;
    // CheckRecordLength, the summary record, the header record and the record count.
    int Validate() override;
    int ReadRecord() override { return 0; }

    // The framed, header-checked and converted text of record `index`; null beyond the last record.
    // Throws 34 for framing errors and 23 for a header error.
    char* ReadRecord(int index);

    // The fee value lists that limit service values; none skips the check.
    void setFeeValues(const FeeValueTable* feeValues) { m_feeValues = feeValues; }

    const std::string& versionText() const { return m_versionText; }
    int version() const { return m_version; }
    const std::string& interfaceText() const { return m_interfaceText; }
    const std::string& characterSet() const { return m_characterSet; }
    const std::string& headerField2Text() const { return m_headerField2Text; }
    const std::string& summaryField1Text() const { return m_summaryField1Text; }
    bool ownSender() const { return m_ownSender; }
    const std::string& transmissionName() const { return m_transmissionName; }
    const std::string& reductionMarker() const { return m_reductionMarker; }
    // The customer number in the header record's header.
    int headerCustomerNumber() const { return m_headerCustomerNumber; }
    std::int64_t controlTotal() const { return m_controlTotal; }
    // The sum of the invoice amounts after the reductions.
    std::int64_t invoiceSum() const;
    const std::vector<RecordObject>& recordObjects() const { return m_records; }
    const std::vector<MasRechnung>& invoices() const { return m_invoices; }

private:
    // What the summary record says about the file's structure.
    struct SummaryFacts
    {
        int declaredCount = 0;
        int recordType = 0;
        std::string typeText; // the four characters from byte 21, for the messages
    };
    void readSummaryRecord(SummaryFacts& facts);
    void readHeaderRecord(const char* text);
    void loadRecord(int r, char* recordText);
    void startInvoice(int r);
    void readInvoiceRecord(MasRechnung& invoice, const RecordObject& record, int r);
    void reduceServiceLine(MasRechnung& invoice, RecordObject& record);
    void readTotalsRecord(MasRechnung& invoice, RecordObject& record, int r);
    bool totalsMatch(std::int64_t& sum) const;
    [[noreturn]] void throwIrregularAmount(int r) const;

    bool m_versionLimit = false;
    bool m_validated = false;
    records::RecordReader m_reader;
    records::MasHeaderParser m_header;
    records::FieldTableSet m_tables;
    std::vector<RecordObject> m_records;
    std::vector<MasRechnung> m_invoices;

    std::string m_versionText;
    int m_version = 0;
    int m_customerNumber = -1;
    int m_headerCustomerNumber = -1;
    int m_batchNumber = -1;
    std::int64_t m_controlTotal = 0;
    std::string m_interfaceText;
    std::string m_characterSet;
    std::string m_headerField2Text;
    std::string m_summaryField1Text;
    bool m_ownSender = false;
    std::string m_transmissionName;
    std::string m_reductionMarker;

    const FeeValueTable* m_feeValues = nullptr;

    // State of one LOAD_ALL pass.
    struct LoadState
    {
        bool startSeen = false; // a 0100 record waits for its 0200 record
        int running = 0;
        std::string systemInvoiceNumber = "-";
        const FeeValueList* feeList = nullptr;
    } m_load;
};

} // namespace bv
