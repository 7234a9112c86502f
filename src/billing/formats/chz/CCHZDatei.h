#pragma once

#include "billing/CAbrechnungsDatei.h"

#include <string>

namespace bv {

// A CHZ billing file: transmitted unchanged; the client only reads the summary that the file
// carries as an INI section "Allgemein" (customer number, batch number, date, invoice count, net
// total) to show it and to address the transmission.
class CCHZDatei : public CAbrechnungsDatei
{
public:
    static constexpr const char* SummarySection = "Allgemein";
    static constexpr const char* NotFound = "###CHZ_NOT_FOUND###";
    static constexpr std::size_t ValueBufferSize = 255;

    // Opens the file and reads its summary; throws CAdzException on an unreadable file or a
    // missing key.
    explicit CCHZDatei(const std::string& path, bool currencyMandatory = false, bool euroWhenMissing = false);

    std::string GetFormatName() const override { return "CHZ"; }
    int IsVariant() override { return 1; }
    int CheckContents(bool) override { return 1; }
    int CheckHeader() override { return 1; }
    int ReadContents() override { return 1; }
    int GetSummary(std::string& summary) override;
    int GetCustomerNumber() const override { return m_customerNumber; }
    int GetBatchNumber() const override { return m_batchNumber; }
    std::string GetCustomerNumberText() const override;
    std::string GetBatchNumberText() const override;
    std::string GetInvoiceCountText() const override;
    std::string GetSubtypeText() const override { return "[]"; }
    [[noreturn]] void ThrowSelf() override;
    const std::string* GetMember(MemberSlot slot) const override;
    InvoiceObject* GetInvoiceData(int) override { return nullptr; }
    RecordObject* GetInvoice(int) override { return nullptr; }
    void Reset() override;
    int Validate() override { return ReadSummary(); }
    int ReadRecord() override { return 0; }

    // Reads the five summary keys in order; the first missing one throws code 34 with its message.
    int ReadSummary();
    // One private-profile read from the open file; NotFound when the key is absent.
    std::string ReadKey(const std::string& section, const std::string& key) const;
    // "dd.mm.yyyy" -> "yyyymmdd"; an empty text gives "00000000". Separators are not checked.
    static std::string ConvertDate(const std::string& text);

    // The creation date as "yyyymmdd".
    const std::string& dateText() const { return m_dateText; }
    const std::string& statusText() const { return m_statusText; }

private:
    int m_customerNumber = -1;
    int m_batchNumber = -1;
    std::string m_dateText;
    std::string m_statusText;
    std::string m_spareText1;
    std::string m_spareText2;
    std::string m_spareText3;
    std::string m_spareText4;
};

} // namespace bv
