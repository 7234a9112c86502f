#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bv {

class OpenFile;

// One electronic invoice file (root element "invoice:request"), read in a single streaming pass
// for the few values the client needs: production or test, the sender's EAN, the amount due with
// its currency, the invoice time stamp and three names for display. Element and attribute names are
// compared as written, prefixes included.
class XmlInvoice
{
public:
    static constexpr std::size_t BlockSize = 8192;

    XmlInvoice() = default;
    // Stores the path; with parseNow the full parse runs at once.
    explicit XmlInvoice(std::string path, bool parseNow = false);

    // full: the result of the full parse (run now when it has not run). Otherwise the quick check:
    // "invoice:request" occurs in the first 8192 bytes at a position after the first byte.
    bool IsInvoice(bool full);
    // The full parse of the file. A file that is not well-formed, has no root element or no sender
    // EAN gives false with ErrorText(); a file that cannot be read throws CAdzException code -1.
    bool Parse();
    // The same parse over a document in memory, fed in blocks as from a file.
    bool ParseText(std::string_view document);
    const std::string& ErrorText() const { return m_errorText; }

    void reset();

    bool parseResult() const { return m_parseResult; }
    bool parsed() const { return m_parsed; }
    bool rootFound() const { return m_rootFound; }
    const std::string& currentPath() const { return m_currentPath; }
    const std::string& currentElement() const { return m_currentElement; }
    const std::string& filePath() const { return m_filePath; }
    bool production() const { return m_production; }
    const std::string& senderEan() const { return m_senderEan; }
    // In hundredths; -1 when the balance carries no amount.
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

private:
    class Parser;
    friend class Parser;

    bool finishParse(bool wellFormed);
    void onStart(const char* name, const char** attributes);
    void onEnd(const char* name);
    void onText(std::string_view piece);

    bool m_parseResult = false;
    bool m_parsed = false;
    bool m_rootFound = false;
    std::string m_currentPath;
    std::string m_currentElement;
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

    int m_depth = 0;
    // Character data between two tags arrives in pieces wherever the parser's input blocks or
    // entity references split it; the pieces of one run form one text.
    bool m_textRunStarted = false;
};

} // namespace bv
