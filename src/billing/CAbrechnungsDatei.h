#pragma once

#include "billing/CAdzException.h"
#include "billing/FormatFacts.h"
#include "billing/OpenFile.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bv {

struct SystemError;

// Invoice and record objects of the fixed-record formats; defined by their record engine.
class InvoiceObject;
class RecordObject;

// Numeric type codes: the file-type detection gives the same numbers as the billing file classes.
namespace file_type {
inline constexpr int DdsV2 = 0xC001; // 256-byte records, version 2, kind 10 or 100
inline constexpr int DdsV3 = 0xC002; // 256-byte records, version 3, kind 10 or 100
inline constexpr int DdsV2Kind2828 = 0xC003;
inline constexpr int DdsV3Kind2828 = 0xC004;
inline constexpr int Mas = 0xC008;      // 128-byte records, trailer bytes 29-32 not blank
inline constexpr int Pad = 0xC010;      // 128-byte records without line ends
inline constexpr int PadLines = 0xC011; // 128-byte records each followed by CR LF
inline constexpr int Chz = 0xC020;
inline constexpr int Cha = 0xC021; // XML invoice
inline constexpr int ControlIni = 0xC100;
inline constexpr int Unknown = 0;
inline constexpr int CannotOpen = -1;
} // namespace file_type

// Currency codes of a billing file.
namespace currency {
inline constexpr int DM = 0;
inline constexpr int EUR = 1;
inline constexpr int CHF = 2;
} // namespace currency

// The abstract billing file: one subclass per format. The spool, the send bookkeeping and the
// dialogs work only through these operations. A subclass appends its own members and sets its
// type codes in Reset().
class CAbrechnungsDatei
{
public:
    // The seven format members the dialogs read, by position; which member a position holds is the
    // format's choice (CHA and CHZ keep their status text first and their date text fifth).
    enum class MemberSlot
    {
        Status = 0,
        Second,
        Third,
        Fourth,
        Date,
        Sixth,
        Seventh
    };

    virtual ~CAbrechnungsDatei();
    CAbrechnungsDatei(const CAbrechnungsDatei&) = delete;
    CAbrechnungsDatei& operator=(const CAbrechnungsDatei&) = delete;

    virtual std::string GetFormatName() const = 0;
    virtual int IsVariant() = 0;
    virtual int CheckContents(bool strict) = 0;
    virtual int CheckHeader() = 0;
    virtual int ReadContents() = 0;
    // Fills a human-readable summary and returns its kind.
    virtual int GetSummary(std::string& summary) = 0;
    virtual int GetCustomerNumber() const = 0;
    virtual int GetBatchNumber() const = 0;
    virtual std::string GetCustomerNumberText() const;
    // The customer's name where the file gives one (the provider of XML invoices); empty otherwise.
    virtual std::string GetCustomerName() const;
    virtual std::string GetBatchNumberText() const;
    virtual std::string GetInvoiceCountText() const;
    virtual std::string GetExtraText() const;
    virtual std::string GetSubtypeText() const = 0;
    // Throws `this` as a pointer to the concrete class, for callers that branch on the format with
    // one handler per class. The pointer does not pass ownership.
    [[noreturn]] virtual void ThrowSelf() = 0;
    virtual std::string GetTypeCode() const;
    virtual int GetAttachmentCount(int flag);
    // Address of a format member, or null.
    virtual const std::string* GetMember(MemberSlot slot) const;
    virtual InvoiceObject* GetInvoiceData(int invoiceIndex) = 0;
    virtual RecordObject* GetInvoice(int recordIndex) = 0;
    virtual int GetAttachmentOption() const;
    virtual int ExtractAttachments();
    virtual int GetLayoutValue(int a, int b, int c, int d, int e, int f) const;
    // Size of the open file; -1 when no file is open or its status cannot be read.
    virtual std::int64_t GetFileSize() const;
    virtual void Reset() = 0;
    // Full path of the open file, or its file name only; empty when no file is open.
    virtual std::string GetFilePath(bool full) const;
    virtual int Validate() = 0;
    virtual int ReadRecord() = 0;
    virtual std::string CalcHash();

    // Accepts the length of the open file when it is a whole number of records, tolerating a last
    // record without its two-byte line end or one trailing byte; sets the record count.
    void CheckRecordLength();
    // Recognises the currency text of a file: true for euro, false for DM; throws for anything else.
    bool IsEuro(const std::string& currencyText) const;
    std::string CurrencyName() const;
    static std::string CurrencyName(int currencyCode);

    // The field and layout checks of the fixed-record formats; their home is the record engine
    // (billing/formats/records/FieldChecks.h), where each is described.
    static bool CheckLayout(const std::vector<int>& widths, const std::string& letters, unsigned recordLength);
    static int CheckFields(const std::function<std::string(int)>& getField, int count, const std::string& typeLetters,
                           std::string& outValue, char& outType, int& outIndex);
    static bool CheckFieldValue(char typeLetter, const std::string& value);
    static std::string DefaultFieldImage(char typeLetter, int width, long value = 0, const std::string& text = {});

    const OpenFile* openFile() const { return m_openFile.get(); }
    bool hasOpenFile() const { return m_openFile != nullptr; }
    int invoiceCount() const { return m_invoiceCount; }
    // Total amount of the file in hundredths (the base's second counter).
    int totalAmount() const { return m_counter2; }
    int currencyCode() const { return m_currency; }
    int numericTypeCode() const { return m_numericTypeCode; }
    // What the dialogs show and check differently for the file's format.
    const FormatFacts& facts() const { return formatFacts(m_numericTypeCode); }
    unsigned recordLength() const { return m_recordLength; }
    int recordCount() const { return m_recordCount; }
    void closeFile() { m_openFile.reset(); }

protected:
    CAbrechnungsDatei() = default;
    // Sets the members shared by all formats to their empty state (for the formats' Reset()).
    void resetBase();
    // Opens the file read-only; a failure becomes code -1 with the file-access text.
    void openFileOrThrow(const std::string& path);

    std::string m_fileNameText;
    std::unique_ptr<OpenFile> m_openFile;
    unsigned m_recordLength = 0;
    int m_formatWord1 = 0;
    int m_formatWord2 = 0;
    int m_formatWord3 = 0;
    int m_invoiceCount = 0;
    int m_currency = currency::DM;
    bool m_currencyMandatory = false;
    bool m_euroWhenMissing = false;
    int m_recordCount = 0;
    int m_counter1 = 0;
    int m_counter2 = 0;
    int m_numericTypeCode = 0;
    std::string m_typeCodeText;
};

// The file as a reader of one format (or of its family), through ThrowSelf; null for another format.
template <typename Reader> Reader* readerOf(CAbrechnungsDatei& file)
{
    try {
        file.ThrowSelf();
    } catch (Reader* reader) {
        return reader;
    } catch (CAbrechnungsDatei*) {
    }
    return nullptr;
}

// "Dateizugriffsfehler [...] bei Datei: ..." for a failed file operation.
std::string FileAccessMessage(const std::string& fileName, const SystemError& error);
// The last system error number and its text.
int SystemErrorText(std::string& text);
// The German 7-bit letters and the amount format of the record engine (FieldChecks.h).
void TranslateGerman7Bit(char* buffer, std::size_t length);
void TranslateGerman7Bit(std::string& text);
std::string FormatAmount(long long cents, char decimalChar, char thousandsChar);
// A time as local time in a strftime format ("%Y%m%d:%H%M%S").
std::string LocalTimeText(std::time_t time, const char* format);

} // namespace bv
