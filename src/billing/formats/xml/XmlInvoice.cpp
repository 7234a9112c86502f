#include "billing/formats/xml/XmlInvoice.h"

#include "billing/BillingTexts.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/DecimalAmount.h"
#include "billing/OpenFile.h"
#include "platform/Text.h"

#include <expat.h>

#include <cstring>

namespace bv {

namespace txt = billing_texts;

namespace {

constexpr std::string_view RootElement = "invoice:request";
constexpr std::string_view GuarantorPersonPath = "invoice:tiers_garant/invoice:guarantor/invoice:person/";
constexpr std::string_view ProviderCompanyPath = "invoice:tiers_garant/invoice:provider/invoice:company/";
// A display name is never longer than this; a longer text is cut at a character boundary.
constexpr std::size_t MaxNameLength = 4096;

const char* attribute(const char** attributes, const char* name)
{
    for (const char** a = attributes; a && a[0]; a += 2) {
        if (std::strcmp(a[0], name) == 0)
            return a[1];
    }
    return nullptr;
}

void appendCapped(std::string& text, std::string_view piece)
{
    if (text.size() >= MaxNameLength)
        return;
    std::size_t room = MaxNameLength - text.size();
    if (piece.size() > room) {
        // Do not leave half of a UTF-8 character behind.
        while (room > 0 && (static_cast<unsigned char>(piece[room]) & 0xC0) == 0x80)
            --room;
        piece = piece.substr(0, room);
    }
    text.append(piece);
}

} // namespace

// The expat parser of one full parse, released on every path out.
class XmlInvoice::Parser
{
public:
    explicit Parser(XmlInvoice& invoice) : m_parser(XML_ParserCreate(nullptr))
    {
        if (!m_parser)
            throw BV_ADZ_ERROR(-1, txt::XmlParserCreate);
        XML_SetUserData(m_parser, &invoice);
        XML_SetElementHandler(m_parser, &Parser::start, &Parser::end);
        XML_SetCharacterDataHandler(m_parser, &Parser::text);
    }
    ~Parser() { XML_ParserFree(m_parser); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    // Parses `length` bytes placed in the buffer from buffer(); false on a parse error.
    void* buffer() { return XML_GetBuffer(m_parser, static_cast<int>(BlockSize)); }
    bool parseBuffer(std::size_t length, bool final)
    {
        return XML_ParseBuffer(m_parser, static_cast<int>(length), final ? 1 : 0) == XML_STATUS_OK;
    }
    bool parse(const char* data, std::size_t length, bool final)
    {
        return XML_Parse(m_parser, data, static_cast<int>(length), final ? 1 : 0) == XML_STATUS_OK;
    }
    std::string errorText() const
    {
        return strFormat(txt::XmlParseError, static_cast<unsigned long>(XML_GetCurrentLineNumber(m_parser)),
                         XML_ErrorString(XML_GetErrorCode(m_parser)));
    }

private:
    static void XMLCALL start(void* user, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<XmlInvoice*>(user)->onStart(name, attributes);
    }
    static void XMLCALL end(void* user, const XML_Char* name) { static_cast<XmlInvoice*>(user)->onEnd(name); }
    static void XMLCALL text(void* user, const XML_Char* piece, int length)
    {
        static_cast<XmlInvoice*>(user)->onText(std::string_view(piece, static_cast<std::size_t>(length)));
    }

    XML_Parser m_parser;
};

XmlInvoice::XmlInvoice(std::string path, bool parseNow) : m_filePath(std::move(path))
{
    if (parseNow)
        m_parseResult = Parse();
}

void XmlInvoice::reset()
{
    std::string path = std::move(m_filePath);
    *this = XmlInvoice();
    m_filePath = std::move(path);
}

bool XmlInvoice::IsInvoice(bool full)
{
    if (full) {
        if (!m_parsed)
            m_parseResult = Parse();
        return m_parseResult;
    }
    auto file = OpenFile::open(m_filePath);
    if (!file)
        return false;
    std::string head(BlockSize, '\0');
    const std::int64_t n = file->read(head.data(), head.size());
    if (n <= 0)
        return false;
    head.resize(static_cast<std::size_t>(n));
    const auto pos = head.find(RootElement);
    return pos != std::string::npos && pos > 0;
}

bool XmlInvoice::Parse()
{
    reset();
    Parser parser(*this);
    SystemError error;
    auto file = OpenFile::open(m_filePath, &error);
    if (!file)
        throw BV_ADZ_ERROR(-1, FileAccessMessage(m_filePath, error));
    m_parsed = true;
    bool wellFormed = true;
    for (;;) {
        void* block = parser.buffer();
        if (!block)
            throw BV_ADZ_ERROR(-1, txt::XmlParserCreate);
        const std::int64_t n = file->read(block, BlockSize);
        if (n < 0)
            throw BV_ADZ_ERROR(-1, FileAccessMessage(m_filePath, lastSystemError()));
        if (!parser.parseBuffer(static_cast<std::size_t>(n), n == 0)) {
            m_errorText = parser.errorText();
            wellFormed = false;
            break;
        }
        if (n == 0)
            break;
    }
    m_parseResult = finishParse(wellFormed);
    return m_parseResult;
}

bool XmlInvoice::ParseText(std::string_view document)
{
    reset();
    Parser parser(*this);
    m_parsed = true;
    bool wellFormed = true;
    for (std::size_t pos = 0;;) {
        const std::size_t n = std::min(BlockSize, document.size() - pos);
        if (!parser.parse(document.data() + pos, n, n == 0)) {
            m_errorText = parser.errorText();
            wellFormed = false;
            break;
        }
        if (n == 0)
            break;
        pos += n;
    }
    m_parseResult = finishParse(wellFormed);
    return m_parseResult;
}

bool XmlInvoice::finishParse(bool wellFormed)
{
    if (!wellFormed)
        return false;
    if (!m_senderEan.empty())
        return true;
    m_errorText = m_rootFound ? txt::XmlEanMissing : txt::XmlRootMissing;
    return false;
}

void XmlInvoice::onStart(const char* name, const char** attributes)
{
    m_currentPath += '/';
    m_currentPath += name;
    m_currentElement = name;
    ++m_depth;
    m_textRunStarted = false;

    if (std::strcmp(name, "invoice:request") == 0) {
        m_rootFound = true;
        const char* role = attribute(attributes, "role");
        if (role && std::strcmp(role, "production") == 0)
            m_production = true;
    } else if (std::strcmp(name, "invoice:sender") == 0) {
        if (const char* ean = attribute(attributes, "ean_party"))
            m_senderEan = ean;
    } else if (std::strcmp(name, "invoice:balance") == 0) {
        if (const char* amount = attribute(attributes, "amount_due")) {
            m_amountDue = centsFromDecimal(amount, CentsRounding::TowardZero);
            m_hasAmountDue = true;
        }
        if (const char* currency = attribute(attributes, "currency"))
            m_currency = currency;
    } else if (std::strcmp(name, "invoice:invoice") == 0) {
        if (const char* stamp = attribute(attributes, "invoice_timestamp")) {
            m_timestamp = decimalValue(stamp);
            m_hasTimestamp = true;
            m_timestampText = stamp;
        }
    }
}

void XmlInvoice::onEnd(const char* name)
{
    if (m_currentPath.find('/') != std::string::npos) {
        const auto at = m_currentPath.find(std::string("/") + name);
        if (at != std::string::npos)
            m_currentPath.erase(at);
    }
    m_currentElement = name;
    --m_depth;
    m_textRunStarted = false;
}

void XmlInvoice::onText(std::string_view piece)
{
    std::string* target = nullptr;
    if (m_currentPath.find(GuarantorPersonPath) != std::string::npos) {
        if (m_currentElement == "invoice:familyname")
            target = &m_guarantorFamilyName;
        else if (m_currentElement == "invoice:givenname")
            target = &m_guarantorGivenName;
    }
    if (m_currentPath.find(ProviderCompanyPath) != std::string::npos && m_currentElement == "invoice:companyname")
        target = &m_providerCompanyName;
    if (!target)
        return;
    // A new run of text replaces the earlier value; the later pieces of the same run are joined.
    if (!m_textRunStarted)
        target->clear();
    m_textRunStarted = true;
    appendCapped(*target, piece);
}

} // namespace bv
