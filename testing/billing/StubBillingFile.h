#pragma once

#include "billing/CAbrechnungSpool.h"
#include "billing/CAbrechnungsDatei.h"

#include <memory>

#include <string>

namespace bv::test {

// A billing file of no format for tests: what the base reads from a format's file, the test sets.
class StubBillingFile : public CAbrechnungsDatei
{
public:
    StubBillingFile() { Reset(); }

    // Opens `path` as a fixed-record file of the given record length.
    void open(const std::string& path, unsigned recordLength)
    {
        m_recordLength = recordLength;
        openFileOrThrow(path);
    }
    void setRecordLength(unsigned recordLength) { m_recordLength = recordLength; }
    void setCurrencyRules(bool mandatory, bool euroWhenMissing)
    {
        m_currencyMandatory = mandatory;
        m_euroWhenMissing = euroWhenMissing;
    }
    void setCurrency(int currencyCode) { m_currency = currencyCode; }
    void setInvoiceCount(int count) { m_invoiceCount = count; }
    void setFileType(int fileType) { m_numericTypeCode = fileType; }

    int customerNumber = -1;
    int batchNumber = -1;
    int attachments = -1;
    std::string customerName;
    std::string filePath; // the full path the file names; empty: the open file's
    std::string fileName; // its name alone

    std::string GetFormatName() const override { return "TEST"; }
    int IsVariant() override { return 1; }
    int CheckContents(bool) override { return 1; }
    int CheckHeader() override { return 1; }
    int ReadContents() override { return 1; }
    int GetSummary(std::string& summary) override
    {
        summary.clear();
        return 0;
    }
    int GetCustomerNumber() const override { return customerNumber; }
    int GetBatchNumber() const override { return batchNumber; }
    std::string GetCustomerName() const override { return customerName; }
    std::string GetSubtypeText() const override { return "[]"; }
    [[noreturn]] void ThrowSelf() override { throw this; }
    int GetAttachmentCount(int) override { return attachments; }
    InvoiceObject* GetInvoiceData(int) override { return nullptr; }
    RecordObject* GetInvoice(int) override { return nullptr; }
    std::string GetFilePath(bool full) const override
    {
        if (filePath.empty())
            return CAbrechnungsDatei::GetFilePath(full);
        return full ? filePath : fileName;
    }
    void Reset() override { resetBase(); }
    int Validate() override { return 1; }
    int ReadRecord() override { return 0; }
};

// A spool of one billing file that the test made, for what is built on spools.
class StubSpool : public CAbrechnungSpool
{
public:
    StubSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& probe,
              std::unique_ptr<CAbrechnungsDatei> file)
        : CAbrechnungSpool(boxes, profile, probe)
    {
        takeOver(std::move(file));
    }

    int lastBatchNumber = -1;
    int controlFile = 0;

    int GetBatchNumber() const override { return m_batchNumber; }
    std::string GetFileDateText() const override { return "01.02.2003"; }
    int GetLastBatchNumber() override { return lastBatchNumber; }
    int HasControlFile() const override { return controlFile; }
    bool IsEmpty() const override { return false; }
};

} // namespace bv::test
