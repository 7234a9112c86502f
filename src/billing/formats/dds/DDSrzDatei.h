#pragma once

#include "billing/CAbrechnungsDatei.h"
#include "billing/formats/dds/DdsAttachment.h"
#include "billing/formats/dds/DDSrzRechnung.h"
#include "billing/formats/records/FieldTables.h"
#include "billing/formats/records/RecordHeader.h"
#include "billing/formats/records/RecordObject.h"
#include "billing/formats/records/RecordReader.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

class FeeValueTable;
class MessageBoxes;

// The DDS-RZ reader common to both interfaces (RZ2, RZ3): the fixed-record file through which dental
// practice software hands its invoices to the billing centre. 256-byte records: an optional leading
// file record (0010), the invoices, each starting with a 0100 record and holding one 0200 record with
// its amount, and last the control record (0000) with counts and totals. Opening validates the control
// record and the record count; ReadContents loads every record and invoice; CheckContents cross-checks
// them. Every refusal is a CAdzException with the system's code and text.
class DDSrzDatei : public CAbrechnungsDatei
{
public:
    // What an interface reader fixes: its interface number and version label, the suffix of its
    // format name, its type code text and numeric type code.
    struct Interface
    {
        std::string_view number;
        std::string_view versionLabel;
        std::string_view formatSuffix;
        std::string_view typeCode;
        int numericTypeCode;
    };

    ~DDSrzDatei() override;

    std::string GetFormatName() const override;
    // 1 when the file's interface is the reader's.
    int IsVariant() override;
    // The totals check, the field checks of every record and the check that every invoice has an
    // unmarked 0110 record. Throws -105 for wrong totals and, when strict, -77 for a failing field;
    // without strict a failing field or a missing 0110 record returns 0.
    int CheckContents(bool strict) override;
    // The totals check alone: 1 when the invoice amounts add up to the control total.
    int CheckHeader() override;
    // LOAD_ALL: reads every record but the control record into record objects and the invoices they
    // form, checking the structure of the file on the way. Returns 1.
    int ReadContents() override;
    int GetSummary(std::string& summary) override;
    int GetCustomerNumber() const override { return m_customerNumber; }
    int GetBatchNumber() const override { return m_batchNumber; }
    std::string GetCustomerNumberText() const override;
    std::string GetBatchNumberText() const override;
    std::string GetInvoiceCountText() const override;
    std::string GetSubtypeText() const override { return "[]"; }
    // The number of entries in the attachment list.
    int GetAttachmentCount(int flag) override;
    // The date text in the date slot, the transmission name in the status slot.
    const std::string* GetMember(MemberSlot slot) const override;
    InvoiceObject* GetInvoiceData(int invoiceIndex) override;
    // The record object of an invoice-data record index (null while the records are not loaded);
    // throws -1 for an index outside 0 to record count - 2.
    RecordObject* GetInvoice(int recordIndex) override;
    void Reset() override;
    // CheckRecordLength, the control record, the record count it declares and the interface.
    int Validate() override;
    // Records are read by index (ReadRecord(int)).
    int ReadRecord() override { return 0; }

    // ReadRecord: the framed, header-checked and converted text of record `index`, owned by the reader
    // until the next read; null when the index is not below the record count. Throws 34 for framing
    // errors and 23 for a header error.
    char* ReadRecord(int index);
    // ParseHeader of the record just read (see DdsHeaderParser).
    int ParseHeader(const char* recordText);
    // Installs the field tables of a file version (throws -10 for one that is not supported).
    void SelectFieldTables(std::string_view versionText);
    // The control record: installs the tables of its version, checks its fields (-72) and rules (-22
    // to -24), takes over its values and the transmission name. Gives the declared record count.
    RecordObject ReadControlRecord(const char* recordText, int& outDeclaredCount);

    // The per-file attachment directory "<temp>/brevalis_Anlagen/<file name>/", created on first use.
    // A directory that cannot be created is shown and thrown as CAdzException -1 with the same text.
    std::string AttachmentDirectory();
    // Deletes every file in the attachment directory, and the directory when asked: 0, -2 when it
    // cannot be listed, -3 when a file cannot be deleted, or the system error of the removal.
    int EmptyAttachmentDirectory(bool removeDirectory);

    // The fee value table whose list "0" limits the values of fee positions (0300); none skips the check.
    void setFeeValues(const FeeValueTable* feeValues) { m_feeValues = feeValues; }
    // Where the attachment directory's message is shown; none shows nothing.
    void setMessageBoxes(MessageBoxes* boxes) { m_boxes = boxes; }
    // The directory below which the attachment directory is made (the temporary directory).
    void setTemporaryDirectory(std::string directory) { m_temporaryDirectory = std::move(directory); }

    const Interface& readerInterface() const { return m_interface; }
    const std::string& versionText() const { return m_versionText; }
    const std::string& interfaceText() const { return m_interfaceText; }
    const std::string& dateText() const { return m_dateText; }
    const std::string& transmissionName() const { return m_transmissionName; }
    const std::string& characterSet() const { return m_characterSet; }
    const std::string& field4Text() const { return m_field4Text; }
    const std::string& field7Text() const { return m_field7Text; }
    bool versionLimit() const { return m_versionLimit; }
    // The control total in hundredths, as the control record declares it.
    std::int64_t controlTotal() const { return m_controlTotal; }
    // The customer number in the control record's header.
    int controlCustomerNumber() const { return m_controlCustomerNumber; }
    // The sum of the invoices' amounts.
    std::int64_t invoiceSum() const;
    const std::vector<RecordObject>& recordObjects() const { return m_records; }
    const std::vector<DDSrzRechnung>& invoices() const { return m_invoices; }
    // The attachment list (filled by the attachment container, the RZ3 control file and scanned
    // attachments). Entries never move once added: the invoices point at them.
    std::deque<DdsAttachment>& attachments() { return m_attachments; }
    const std::deque<DdsAttachment>& attachments() const { return m_attachments; }
    // Lets go of the attachment list and of its bindings to the invoices, so that the list can be built
    // again from the attachment directory once receipts were scanned or edited there.
    void DiscardAttachmentList();
    // Each attachment without a companion takes the INI file of the same name beside its image, when
    // there is one: the decisions recorded for a delivered receipt travel with it.
    void AdoptReceiptInis();
    // The list holds at most invoice count x 25 entries.
    std::size_t attachmentCapacity() const;

    // Splits a multi-page TIFF file of an invoice (invoice ordinal) into one file per page and gives
    // the number of pages, below 1 when the split failed.
    using TiffSplitter = std::function<int(const std::string& attachmentPath, int invoiceOrdinal)>;
    void setTiffSplitter(TiffSplitter splitter) { m_splitter = std::move(splitter); }

    // Writes the attachment container "~M<customer>.<batch>.DDSRZ10" of the file and its attachment
    // list into the attachment directory and gives its path. Sets each entry's offsets.
    std::string WriteContainer();
    // The attachment container the file came in or was packed into; empty when there is none.
    const std::string& containerPath() const { return m_containerPath; }
    // The name of the billing file unpacked from a container: "<name>.X.DDSRZ10".
    std::string extractedFileName() const;
    using CAbrechnungsDatei::ExtractAttachments;
    // Writes the attachments of invoice `invoiceIndex` into `directory` as "A<nnnnn>00.tif" and splits
    // each; gives the number of pages, 0 when the invoice does not exist, -1 when a split failed.
    int ExtractAttachments(int invoiceIndex, const std::string& directory);
    // Binds an attachment entry to an invoice: at most 25, else CAdzException -1.
    void addToInvoice(DDSrzRechnung& invoice, const DdsAttachment& entry);
    const records::FieldTableSet& fieldTables() const { return m_tables; }

protected:
    // Opens the file read-only (an open failure is -1 with the file-access text); unless validation is
    // deferred, validates it.
    DDSrzDatei(const std::string& path, const Interface& readerInterface, bool currencyMandatory,
               bool versionLimitOption, bool deferValidation);

    // The record type of the first record, read without checks; -1 when there is none.
    int peekFirstRecordType();
    // The file is an attachment container (first record of type 2828): the first Validate unpacks it
    // and goes on with the billing file inside. `pairs`: RZ2, whose attachments come with INI files.
    void expectContainer(bool pairs);
    // Unpacks the container into the attachment directory and reopens the reader on the billing file
    // in it: 1, or 0 when an RZ2 attachment has no INI file (the reader then stays on the container).
    int ReadContainer(bool pairs);
    // Hook of LOAD_ALL when an invoice starts: the RZ2 reader binds its container's attachments.
    virtual void bindAttachments(DDSrzRechnung& /*invoice*/) {}
    // The interface's part of ExtractAttachments; `directory` ends in "/".
    virtual int extractInvoice(DDSrzRechnung& invoice, const std::string& directory) = 0;
    // Writes one attachment as "A<number>00.tif" into the directory and splits it.
    int extractOne(const DdsAttachment& entry, int number, const DDSrzRechnung& invoice, const std::string& directory);
    std::vector<DDSrzRechnung>& invoiceObjects() { return m_invoices; }
    // The list was built (by a container, a control file or AddFromTempDDS).
    bool m_attachmentListBuilt = false;
    // Counts records of a type whose group marker says whether they start an invoice.
    int countRecords(int recordType, bool marked) const;

private:
    void loadRecord(int r, const char* recordText);
    void startInvoice(int r);
    void continueInvoice(int r, const RecordObject& record);
    bool totalsMatch(std::int64_t& sum) const;

    Interface m_interface;
    bool m_versionLimit = false;
    bool m_validated = false;
    records::RecordReader m_reader;
    records::DdsHeaderParser m_header;
    records::FieldTableSet m_tables;
    std::optional<RecordObject> m_controlRecord;
    std::vector<RecordObject> m_records;
    std::vector<DDSrzRechnung> m_invoices;
    std::deque<DdsAttachment> m_attachments;
    std::string m_containerPath;
    bool m_containerPending = false;
    bool m_containerPairs = false;
    TiffSplitter m_splitter;

    std::string m_versionText;
    int m_customerNumber = -1;
    int m_controlCustomerNumber = -1;
    int m_batchNumber = -1;
    std::int64_t m_controlTotal = 0;
    std::string m_interfaceText;
    std::string m_field4Text;
    std::string m_field7Text;
    std::string m_characterSet;
    std::string m_dateText;
    std::string m_transmissionName;
    std::string m_attachmentDirectory;
    std::string m_temporaryDirectory;

    const FeeValueTable* m_feeValues = nullptr;
    MessageBoxes* m_boxes = nullptr;

    // State of one LOAD_ALL pass.
    struct LoadState
    {
        bool invoiceRecordSeen = false; // the current invoice's 0200 record
        int running = 0;
        std::string systemInvoiceNumber = "-";
        int attachmentIndex = 0; // 0850 records are numbered through the whole file
    } m_load;
};

} // namespace bv
