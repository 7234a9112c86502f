#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace bv {

// The published versions of the electronic invoice request. 4.0 has its own namespace; 4.4, 4.5
// and 5.0 share one and differ in where the balance and the provider sit.
enum class XmlInvoiceVersion
{
    Unknown,
    V40,
    V44,
    V45,
    V50,
};

// One electronic invoice request, read in a single streaming pass for the few values the client
// needs: production or test, the sender's EAN, the amount due with its currency, the invoice time
// stamp and the names shown to the user. The request is recognised by the namespace and local name
// of its root element, so any prefix, or none under a default namespace, reads the same; the values
// are taken from where the invoice's own version puts them.
class XmlInvoice
{
public:
    static constexpr std::size_t BlockSize = 8192;

    XmlInvoice() = default;
    // Stores the path; with parseNow the full parse runs at once.
    explicit XmlInvoice(std::string path, bool parseNow = false);

    // full: the result of the full parse (run now when it has not run). Otherwise the quick check
    // on the first 8192 bytes: the text "invoice:request" after the first byte, or a root element
    // that is an invoice request of a known namespace under any prefix.
    bool IsInvoice(bool full);
    // The quick check on the first bytes of a file (only the first 8192 of `head` are looked at).
    static bool quickCheck(std::string_view head);
    // The full parse of the file. A file that is not well-formed, has no invoice request root or
    // no sender EAN gives false with ErrorText(); a file that cannot be read throws CAdzException
    // code -1.
    bool Parse();
    // The same parse over a document in memory, fed in blocks as from a file.
    bool ParseText(std::string_view document);
    const std::string& ErrorText() const { return m_errorText; }

    void reset();

    bool parseResult() const { return m_parseResult; }
    bool parsed() const { return m_parsed; }
    bool rootFound() const { return m_rootFound; }
    XmlInvoiceVersion version() const { return m_version; }
    const std::string& filePath() const { return m_filePath; }
    bool production() const { return m_production; }
    const std::string& senderEan() const { return m_senderEan; }
    // In hundredths, negative for credit notes; -1 when the balance carries no amount.
    int amountDue() const { return m_amountDue; }
    bool hasAmountDue() const { return m_hasAmountDue; }
    // Seconds since 1970 as written in the invoice; 0 and hasTimestamp() false when absent.
    std::int64_t timestamp() const { return m_timestamp; }
    bool hasTimestamp() const { return m_hasTimestamp; }
    const std::string& timestampText() const { return m_timestampText; }
    const std::string& currency() const { return m_currency; }
    const std::string& guarantorFamilyName() const { return m_guarantorFamilyName; }
    const std::string& guarantorGivenName() const { return m_guarantorGivenName; }
    const std::string& providerCompanyName() const { return m_providerCompanyName; }
    const std::string& providerFamilyName() const { return m_providerFamilyName; }
    const std::string& providerGivenName() const { return m_providerGivenName; }
    // The provider as shown: its company name, or for a person its family and given name.
    std::string providerName() const;

private:
    class Reading;

    // Reads up to `size` bytes into `buffer`; returns the count, 0 at the end, negative on failure.
    using Source = std::function<std::int64_t(char* buffer, std::size_t size)>;
    bool parseFrom(const Source& source);

    bool m_parseResult = false;
    bool m_parsed = false;
    bool m_rootFound = false;
    XmlInvoiceVersion m_version = XmlInvoiceVersion::Unknown;
    std::string m_filePath;
    std::string m_errorText;
    bool m_production = false;
    std::string m_senderEan;
    int m_amountDue = -1;
    bool m_hasAmountDue = false;
    std::int64_t m_timestamp = 0;
    bool m_hasTimestamp = false;
    std::string m_timestampText;
    std::string m_currency;
    std::string m_guarantorFamilyName;
    std::string m_guarantorGivenName;
    std::string m_providerCompanyName;
    std::string m_providerFamilyName;
    std::string m_providerGivenName;
};

} // namespace bv
