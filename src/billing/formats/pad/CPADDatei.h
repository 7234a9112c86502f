#pragma once

#include "billing/CAbrechnungsDatei.h"
#include "billing/formats/mas/MasRechnung.h"
#include "billing/formats/pad/PadReductions.h"
#include "billing/formats/records/FieldTables.h"
#include "billing/formats/records/RecordHeader.h"
#include "billing/formats/records/RecordObject.h"
#include "billing/formats/records/RecordReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

class FeeValueTable;
struct FeeValueList;

// The PAD reader: the fixed-record file ("PV<customer>.dat") in which a family of practice programs
// hands physicians' invoices to the billing centre. 128-character records, bare or each followed by
// CR LF: a control record (000) first, the invoices (100 text, 200 recipient, 300 patient and
// treatment, 700 services, 900 end) and a file end record (990). Loading converts every invoice into
// the records of the MAS format with the reductions of its fees, so that a PAD file is summarised and
// shown like a MAS file. The PAD records themselves are not kept: the checks read them again.
class CPADDatei : public CAbrechnungsDatei
{
public:
    // `lines` for records followed by CR LF (130 bytes); `strictFiller` checks filler fields for
    // blanks. Unless `openOnly`, validates the file.
    CPADDatei(const std::string& path, bool currencyMandatory, bool euroWhenMissing, bool lines, bool strictFiller,
              PadReductions reductions, bool openOnly);
    ~CPADDatei() override;

    std::string GetFormatName() const override;
    int IsVariant() override { return 1; }
    // The field checks of every data record: -77 when strict, else 0.
    int CheckContents(bool strict) override;
    int CheckHeader() override { return 1; }
    // LOAD_ALL and the conversion of every invoice into MAS records. Returns 1.
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
    // The creation date (YYYYMMDD) in the date slot.
    const std::string* GetMember(MemberSlot slot) const override;
    InvoiceObject* GetInvoiceData(int invoiceIndex) override;
    // The converted MAS record of that index, valid until the next call; -1 for an index beyond them.
    RecordObject* GetInvoice(int recordIndex) override;
    void Reset() override;
    int Validate() override;
    int ReadRecord() override { return 0; }
    // SHA-1 over records 1 to the last, each with its full length (a last 130-byte record may lack its
    // CR LF); the 20 raw bytes are kept in hashText(). Returns empty; throws 34 for a short record.
    std::string CalcHash() override;

    // The framed, header-checked and converted text of record `index`; null beyond the last record.
    char* ReadRecord(int index);

    void setFeeValues(const FeeValueTable* feeValues) { m_feeValues = feeValues; }
    // The reductions to apply, when they are known only after validation (the customer's settings).
    void setReductions(PadReductions reductions) { m_reductions = std::move(reductions); }
    const PadReductions& reductions() const { return m_reductions; }

    const std::string& versionText() const { return m_versionText; }
    const std::string& identifier() const { return m_identifier; }
    const std::string& secondIdentifier() const { return m_secondIdentifier; }
    const std::string& creationDate() const { return m_creationDate; }
    const std::string& expectedFileName() const { return m_expectedFileName; }
    const std::string& hashText() const { return m_hashText; }
    // The customer number in the header of the record read last.
    int headerCustomerNumber() const { return m_header.last().customerNumber; }
    int declaredInvoiceCount() const { return m_declaredInvoices; }
    int invoicesSubjectTo6a() const { return m_invoices6a; }
    std::int64_t fileTotal() const { return m_fileTotal; }
    const std::vector<MasRechnung>& invoices() const { return m_invoices; }
    // The converted MAS records: their number, types and data areas.
    int masRecordCount() const { return static_cast<int>(m_masTypes.size()); }
    int masRecordType(int i) const { return m_masTypes[static_cast<std::size_t>(i)]; }
    std::string_view masArea(int i) const;

private:
    // The PAD records of one invoice, from its first record.
    struct PadRange
    {
        int first = 0;
        int count = 0;
    };
    void readControlRecord(const char* text);
    void loadRecord(int r, const char* text, bool& mark, bool& waiting, const FeeValueList*& group);
    void convertInvoice(std::size_t i);
    void addMasRecord(int type, const std::string& area, int r);
    std::string dateText(std::string_view date) const;

    bool m_lines = false;
    bool m_strictFiller = false;
    bool m_validated = false;
    PadReductions m_reductions;
    records::RecordReader m_reader;
    records::MasHeaderParser m_header;
    records::FieldTableSet m_tables;
    records::FieldTableSet m_masTables;

    std::string m_versionText;
    bool m_versionAboveZero = false;
    std::string m_identifier;
    std::string m_secondIdentifier;
    std::string m_creationDate;
    std::string m_expectedFileName;
    std::string m_hashText;
    int m_customerNumber = -1;
    int m_batchNumber = 0;
    int m_declaredInvoices = 0;
    int m_invoices6a = 0;
    std::int64_t m_fileTotal = 0;

    std::vector<MasRechnung> m_invoices;
    std::vector<PadRange> m_ranges;
    std::vector<char> m_masAreas; // 113 characters per converted record
    std::vector<std::int16_t> m_masTypes;
    std::optional<RecordObject> m_current;
    const FeeValueTable* m_feeValues = nullptr;
};

} // namespace bv
