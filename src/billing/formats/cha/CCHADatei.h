#pragma once

#include "billing/CAbrechnungsDatei.h"
#include "billing/formats/xml/XmlInvoice.h"
#include "platform/Files.h"

#include <memory>
#include <string>
#include <vector>

namespace bv {

class MessageBoxes;
class PackagePipeline;

// The XML invoices of a spool directory as one billing file: every "*.XML" file there is read,
// unreadable ones are moved to the Error directory with their reason, all accepted invoices must
// come from one sender (EAN), and together they are packed into one ZIP file, the dispatch package,
// which is what gets uploaded. After a confirmed transmission the invoices move to the Sent directory.
class CCHADatei : public CAbrechnungsDatei
{
public:
    // Reads the directory, quarantines defective files and builds the package.
    CCHADatei(const std::string& spoolDirectory, bool currencyMandatory, bool euroWhenMissing, MessageBoxes& boxes);
    ~CCHADatei() override;

    std::string GetFormatName() const override { return "CHA"; }
    int IsVariant() override { return 1; }
    int CheckContents(bool) override { return 1; }
    int CheckHeader() override { return 1; }
    int ReadContents() override { return 1; }
    int GetSummary(std::string& summary) override;
    int GetCustomerNumber() const override { return m_customerNumber; }
    int GetBatchNumber() const override { return m_batchNumber; }
    std::string GetCustomerNumberText() const override;
    std::string GetCustomerName() const override { return m_providerName; }
    std::string GetBatchNumberText() const override;
    std::string GetInvoiceCountText() const override;
    std::string GetExtraText() const override { return m_senderEan; }
    std::string GetSubtypeText() const override { return "[]"; }
    [[noreturn]] void ThrowSelf() override;
    const std::string* GetMember(MemberSlot slot) const override;
    InvoiceObject* GetInvoiceData(int) override { return nullptr; }
    RecordObject* GetInvoice(int) override { return nullptr; }
    void Reset() override;
    int Validate() override { return BuildPackage(); }
    int ReadRecord() override { return 0; }

    // Parses one file: an accepted invoice is added, a refused one moved to the Error directory.
    void AddInvoiceFile(const std::string& path);
    // Checks the sender EAN, sets the date range and writes the package; returns 1. An invoice file
    // that changed while the files were read and packed refuses the package (CAdzException -1).
    int BuildPackage();
    // Moves every invoice file to the Sent directory, replacing a file of that name there. An invoice
    // file that changed since it was read stays, with a warning.
    void MoveToSent();
    // Moves a refused file into the Error directory and writes its reason beside it (".err").
    void MoveToError(const XmlInvoice& entry);
    // Closes the package and deletes its file (after a confirmed transmission).
    void releasePackage();

    const std::string& spoolDirectory() const { return m_spoolDir; }
    const std::vector<XmlInvoice>& invoices() const { return m_invoices; }
    // Each invoice file as it was when it was read, in the order of the invoices.
    const std::vector<files::FileIdentity>& identities() const { return m_identities; }
    int defectiveCount() const { return m_defectiveCount; }
    const std::string& senderEan() const { return m_senderEan; }
    const std::string& timestampText() const { return m_timestampText; }
    const std::string& dateRangeText() const { return m_dateRange; }
    const std::string& packagePath() const { return m_packagePath; }
    const std::string& providerName() const { return m_providerName; }
    const std::string& statusText() const { return m_statusText; }

    // The working directories below the spool directory, created on first use, ending in "/".
    const std::string& tmpDirectory();
    const std::string& sentDirectory();
    const std::string& errorDirectory();

private:
    const std::string& workingDirectory(std::string& cached, const char* name);
    std::string checkedSenderEan() const;
    void setDateRange();
    void writePackage();
    void checkUnchangedSinceRead();
    std::unique_ptr<PackagePipeline> startPipeline(bool required);

    MessageBoxes& m_boxes;
    std::string m_spoolDir;
    std::vector<XmlInvoice> m_invoices;
    std::vector<files::FileIdentity> m_identities;
    int m_defectiveCount = 0;
    int m_customerNumber = -1;
    int m_batchNumber = -1;
    std::string m_senderEan;
    std::string m_timestampText;
    std::string m_dateRange;
    std::string m_packagePath;
    std::string m_providerName;
    std::string m_statusText;
    std::string m_spareText1;
    std::string m_spareText2;
    std::string m_tmpDir;
    std::string m_sentDir;
    std::string m_errorDir;
    // Packs accepted invoices while the others are still being read.
    std::unique_ptr<PackagePipeline> m_pipeline;
};

} // namespace bv
