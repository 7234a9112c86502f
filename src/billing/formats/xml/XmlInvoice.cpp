#include "billing/formats/xml/XmlInvoice.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/DecimalAmount.h"
#include "billing/OpenFile.h"
#include "platform/Text.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

namespace bv {

namespace txt = billing_texts;

namespace {

// Expat hands namespaced names over as "namespace-URI<separator>local-name". A blank cannot occur
// in a namespace name, so the last blank splits the two.
constexpr char NamespaceSeparator = ' ';
constexpr std::string_view Namespace40 = "http://www.xmlData.ch/xmlInvoice/XSD";
constexpr std::string_view NamespaceForum = "http://www.forum-datenaustausch.ch/invoice";
constexpr std::string_view SchemaLocation = "http://www.w3.org/2001/XMLSchema-instance schemaLocation";
constexpr std::string_view RootText = "invoice:request";

// A display name is never longer than this; a longer text is cut at a character boundary.
constexpr std::size_t MaxNameLength = 4096;
// While the parser waits for the end of one long token (a comment, a tag with a huge attribute)
// it scans that token again with every block it is given. Feeding it twice as much each time it
// reported nothing keeps the rescanning linear in the token's length; this caps the piece size.
constexpr std::size_t MaxFeedSize = std::size_t{64} << 20;
// Invoices nest about a dozen elements deep. The parser keeps every open element, so a document
// nested deeper than this is refused before it can take memory out of all proportion to its size.
constexpr int MaxDepth = 4096;

// The invoice elements the reader looks at, by local name; the two tiers are one kind.
enum class Local : std::uint8_t
{
    Other,
    Request,
    Header,
    Sender,
    Invoice,
    Reminder,
    Balance,
    Processing,
    Transport,
    Payload,
    Body,
    Tiers,
    Guarantor,
    Provider,
    Providers,
    ProviderGln,
    Person,
    Company,
    CompanyName,
    FamilyName,
    GivenName,
};

constexpr std::pair<std::string_view, Local> LocalNames[] = {
    {"request", Local::Request},         {"header", Local::Header},
    {"sender", Local::Sender},           {"invoice", Local::Invoice},
    {"reminder", Local::Reminder},       {"balance", Local::Balance},
    {"processing", Local::Processing},   {"transport", Local::Transport},
    {"payload", Local::Payload},         {"body", Local::Body},
    {"tiers_garant", Local::Tiers},      {"tiers_payant", Local::Tiers},
    {"guarantor", Local::Guarantor},     {"provider", Local::Provider},
    {"providers", Local::Providers},     {"provider_gln", Local::ProviderGln},
    {"person", Local::Person},           {"company", Local::Company},
    {"companyname", Local::CompanyName}, {"familyname", Local::FamilyName},
    {"givenname", Local::GivenName},
};

Local localKind(std::string_view local)
{
    for (const auto& [name, kind] : LocalNames) {
        if (name == local)
            return kind;
    }
    return Local::Other;
}

// Versions as bits, so that one row of the table below can serve several of them.
enum VersionBit : unsigned
{
    Bit40 = 1,
    Bit44 = 2,
    Bit45 = 4,
    Bit50 = 8,
    BitsForum = Bit44 | Bit45 | Bit50,
};

constexpr std::array<XmlInvoiceVersion, 4> SlotVersions = {XmlInvoiceVersion::V40, XmlInvoiceVersion::V44,
                                                           XmlInvoiceVersion::V45, XmlInvoiceVersion::V50};

unsigned versionBit(XmlInvoiceVersion version)
{
    switch (version) {
    case XmlInvoiceVersion::V40:
        return Bit40;
    case XmlInvoiceVersion::V44:
        return Bit44;
    case XmlInvoiceVersion::V45:
        return Bit45;
    case XmlInvoiceVersion::V50:
        return Bit50;
    case XmlInvoiceVersion::Unknown:
        break;
    }
    return 0;
}

enum class Field
{
    SenderEan,
    Balance, // amount due and currency
    Timestamp,
    ReminderTimestamp,
};

// Where each version keeps a value: the path of elements below the root, the attribute and the field.
struct AttributeRow
{
    unsigned versions;
    std::initializer_list<Local> path;
    const char* attribute;
    Field field;
};

const AttributeRow AttributeRows[] = {
    {Bit40, {Local::Header, Local::Sender}, "ean_party", Field::SenderEan},
    {BitsForum, {Local::Processing, Local::Transport}, "from", Field::SenderEan},
    {Bit40, {Local::Invoice, Local::Balance}, "amount_due", Field::Balance},
    {Bit44, {Local::Payload, Local::Body, Local::Balance}, "amount_due", Field::Balance},
    {Bit45 | Bit50, {Local::Payload, Local::Body, Local::Tiers, Local::Balance}, "amount_due", Field::Balance},
    {Bit40, {Local::Invoice}, "invoice_timestamp", Field::Timestamp},
    {BitsForum, {Local::Payload, Local::Invoice}, "request_timestamp", Field::Timestamp},
    {BitsForum, {Local::Payload, Local::Reminder}, "request_timestamp", Field::ReminderTimestamp},
};

// Contexts of the display names: an open element lies within one when the elements above it end
// in the context's path (anywhere below the root).
enum Within : std::uint8_t
{
    InGuarantorPerson = 1,  // tiers_*/guarantor/person
    InProviderCompany = 2,  // tiers_*/provider/company
    InProviderPerson = 4,   // tiers_*/provider/person
    InProvidersCompany = 8, // tiers_*/providers/provider_gln/company
    InProvidersPerson = 16, // tiers_*/providers/provider_gln/person
};

struct ContextRow
{
    std::initializer_list<Local> path;
    Within context;
};

const ContextRow ContextRows[] = {
    {{Local::Tiers, Local::Guarantor, Local::Person}, InGuarantorPerson},
    {{Local::Tiers, Local::Provider, Local::Company}, InProviderCompany},
    {{Local::Tiers, Local::Provider, Local::Person}, InProviderPerson},
    {{Local::Tiers, Local::Providers, Local::ProviderGln, Local::Company}, InProvidersCompany},
    {{Local::Tiers, Local::Providers, Local::ProviderGln, Local::Person}, InProvidersPerson},
};

// The values one version's paths gave.
struct Found
{
    std::optional<std::string> senderEan;
    std::optional<int> amountDue;
    std::string currency;
    std::optional<std::string> timestamp;
    std::optional<std::string> reminderTimestamp;
    bool balanceSeen = false;
};

const char* attribute(const char** attributes, std::string_view name)
{
    for (const char** a = attributes; a && a[0]; a += 2) {
        if (name == a[0])
            return a[1];
    }
    return nullptr;
}

std::pair<std::string_view, std::string_view> splitName(std::string_view name)
{
    const auto at = name.rfind(NamespaceSeparator);
    if (at == std::string_view::npos)
        return {{}, name};
    return {name.substr(0, at), name.substr(at + 1)};
}

XmlInvoiceVersion rootVersion(std::string_view ns, std::string_view local)
{
    if (local != "request")
        return XmlInvoiceVersion::Unknown;
    if (ns == Namespace40)
        return XmlInvoiceVersion::V40;
    if (ns == NamespaceForum)
        return XmlInvoiceVersion::V44; // one of the forum versions; the caller tells which
    return XmlInvoiceVersion::Unknown;
}

// The forum version named by the schema in xsi:schemaLocation, Unknown when it names none of them.
XmlInvoiceVersion schemaVersion(const char* location)
{
    if (!location)
        return XmlInvoiceVersion::Unknown;
    const std::string_view text(location);
    if (text.find("generalInvoiceRequest_440") != std::string_view::npos)
        return XmlInvoiceVersion::V44;
    if (text.find("generalInvoiceRequest_450") != std::string_view::npos)
        return XmlInvoiceVersion::V45;
    if (text.find("generalInvoiceRequest_500") != std::string_view::npos)
        return XmlInvoiceVersion::V50;
    return XmlInvoiceVersion::Unknown;
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

// An expat parser with namespace processing, released on every path out. External entities and
// external DTDs are never loaded (expat's default); entity expansion stays within expat's
// amplification limit.
class NamespaceParser
{
public:
    NamespaceParser() : m_parser(XML_ParserCreateNS(nullptr, NamespaceSeparator))
    {
        if (!m_parser)
            throw BV_ADZ_ERROR(adz::Structural, txt::XmlParserCreate);
    }
    ~NamespaceParser() { XML_ParserFree(m_parser); }
    NamespaceParser(const NamespaceParser&) = delete;
    NamespaceParser& operator=(const NamespaceParser&) = delete;

    XML_Parser get() const { return m_parser; }
    // The parse-error text at the current line, with the parser's reason or the given one.
    std::string errorText(const char* reason = nullptr) const
    {
        return strFormat(txt::XmlParseError, static_cast<unsigned long>(XML_GetCurrentLineNumber(m_parser)),
                         reason ? reason : XML_ErrorString(XML_GetErrorCode(m_parser)));
    }

private:
    XML_Parser m_parser;
};

// Whether the document element in `head` is an invoice request of a known namespace.
bool headHasRequestRoot(std::string_view head)
{
    NamespaceParser parser;
    struct State
    {
        XML_Parser parser;
        bool request = false;
    } state{parser.get()};
    XML_SetUserData(parser.get(), &state);
    XML_SetStartElementHandler(parser.get(), [](void* user, const XML_Char* name, const XML_Char**) {
        auto* s = static_cast<State*>(user);
        const auto [ns, local] = splitName(name);
        s->request = rootVersion(ns, local) != XmlInvoiceVersion::Unknown;
        XML_StopParser(s->parser, XML_FALSE);
    });
    XML_Parse(parser.get(), head.data(), static_cast<int>(head.size()), XML_FALSE);
    return state.request;
}

} // namespace

// The state of one full parse: the open elements, the values found per version and the names.
class XmlInvoice::Reading
{
public:
    explicit Reading(XmlInvoice& invoice) : m_invoice(invoice)
    {
        XML_SetUserData(m_parser.get(), this);
        XML_SetElementHandler(m_parser.get(), &Reading::start, &Reading::end);
        XML_SetCharacterDataHandler(m_parser.get(), &Reading::text);
    }

    // Feeds the document to the parser; false with the error text when it is not well-formed.
    bool feed(const Source& source, const std::string& fileName)
    {
        std::size_t feedSize = BlockSize;
        for (;;) {
            auto* buffer = static_cast<char*>(XML_GetBuffer(m_parser.get(), static_cast<int>(feedSize)));
            if (!buffer)
                return fail();
            // The file is read block by block into the parser's own buffer.
            std::size_t filled = 0;
            while (filled < feedSize) {
                const std::int64_t n = source(buffer + filled, std::min(BlockSize, feedSize - filled));
                if (n < 0)
                    throw BV_ADZ_ERROR(adz::Structural, FileAccessMessage(fileName, lastSystemError()));
                if (n == 0)
                    break;
                filled += static_cast<std::size_t>(n);
            }
            m_reported = false;
            if (XML_ParseBuffer(m_parser.get(), static_cast<int>(filled), filled == 0) != XML_STATUS_OK) {
                if (m_tooDeep) {
                    m_invoice.m_errorText = m_parser.errorText(txt::XmlNestingTooDeep);
                    return false;
                }
                return fail();
            }
            if (filled == 0)
                return true;
            feedSize = m_reported ? BlockSize : std::min(feedSize * 2, MaxFeedSize);
        }
    }

    // Moves the values of the invoice's version into the invoice.
    void finish()
    {
        XmlInvoice& inv = m_invoice;
        inv.m_rootFound = m_rootKind != RootKind::None;
        inv.m_version = decidedVersion();
        const unsigned bit = versionBit(inv.m_version);
        const auto slot = std::find_if(SlotVersions.begin(), SlotVersions.end(),
                                       [bit](XmlInvoiceVersion v) { return versionBit(v) == bit; });
        if (slot == SlotVersions.end())
            return;
        Found& found = m_found[static_cast<std::size_t>(slot - SlotVersions.begin())];
        inv.m_senderEan = found.senderEan.value_or(std::string());
        if (found.amountDue) {
            inv.m_amountDue = *found.amountDue;
            inv.m_hasAmountDue = true;
        }
        inv.m_currency = found.currency;
        // A reminder carries its own request time stamp; the invoice's is taken when both are there.
        if (const auto& stamp = found.timestamp ? found.timestamp : found.reminderTimestamp) {
            inv.m_timestamp = decimalValue(*stamp);
            inv.m_hasTimestamp = true;
            inv.m_timestampText = *stamp;
        }
        // 5.0 lists its providers under "providers"; the older place is taken where that is empty,
        // and the other way round.
        const bool providers = inv.m_version == XmlInvoiceVersion::V50;
        const Names& first = providers ? m_providers : m_provider;
        const Names& second = providers ? m_provider : m_providers;
        const Names& provider = first.empty() ? second : first;
        inv.m_providerCompanyName = provider.company;
        inv.m_providerFamilyName = provider.family;
        inv.m_providerGivenName = provider.given;
    }

private:
    enum class RootKind
    {
        None,
        V40,
        Forum,
    };

    // One open element: its full name's hash (to find an ancestor of the same name), its kind and
    // the name contexts it lies within.
    struct Open
    {
        std::size_t hash;
        Local local;
        std::uint8_t within;
    };

    struct Occurrences
    {
        std::size_t count = 0;
        std::size_t first = 0;
    };

    struct Names
    {
        std::string company;
        std::string family;
        std::string given;
        bool empty() const { return company.empty() && family.empty() && given.empty(); }
    };

    static void XMLCALL start(void* user, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<Reading*>(user)->onStart(name, attributes);
    }
    static void XMLCALL end(void* user, const XML_Char* name) { static_cast<Reading*>(user)->onEnd(name); }
    static void XMLCALL text(void* user, const XML_Char* piece, int length)
    {
        static_cast<Reading*>(user)->onText(std::string_view(piece, static_cast<std::size_t>(length)));
    }

    bool fail()
    {
        m_invoice.m_errorText = m_parser.errorText();
        return false;
    }

    void onStart(const char* name, const char** attributes)
    {
        m_reported = true;
        m_textRun = false;
        if (++m_depth > MaxDepth) {
            m_tooDeep = true;
            XML_StopParser(m_parser.get(), XML_FALSE);
            return;
        }
        const std::string_view full(name);
        const auto [ns, local] = splitName(full);
        Local kind = kindOf(ns, local);
        if (!m_rootSeen) {
            m_rootSeen = true;
            onRoot(ns, local, attributes);
            if (m_rootKind != RootKind::None)
                kind = Local::Request;
        }
        push(std::hash<std::string_view>{}(full), kind);
        m_current = kind;
        if (m_rootKind != RootKind::None && kind != Local::Other)
            takeAttributes(attributes);
    }

    // Only elements of the invoice's own namespace are looked at.
    Local kindOf(std::string_view ns, std::string_view local) const
    {
        return m_rootNamespace.empty() || ns != m_rootNamespace ? Local::Other : localKind(local);
    }

    void onRoot(std::string_view ns, std::string_view local, const char** attributes)
    {
        const XmlInvoiceVersion version = rootVersion(ns, local);
        if (version == XmlInvoiceVersion::Unknown)
            return;
        m_rootNamespace = std::string(ns);
        if (version == XmlInvoiceVersion::V40) {
            m_rootKind = RootKind::V40;
            m_versions = Bit40;
            const char* role = attribute(attributes, "role");
            m_invoice.m_production = role && std::string_view(role) == "production";
            return;
        }
        m_rootKind = RootKind::Forum;
        m_schemaVersion = schemaVersion(attribute(attributes, SchemaLocation));
        m_versions = m_schemaVersion != XmlInvoiceVersion::Unknown ? versionBit(m_schemaVersion) : BitsForum;
        const char* modus = attribute(attributes, "modus");
        m_invoice.m_production = modus && std::string_view(modus) == "production";
    }

    // The version the root named, or for a forum file without schema name the one its structure
    // shows: the balance directly in the body is 4.4, a providers list is 5.0, otherwise 4.5.
    XmlInvoiceVersion decidedVersion() const
    {
        if (m_rootKind == RootKind::None)
            return XmlInvoiceVersion::Unknown;
        if (m_rootKind == RootKind::V40)
            return XmlInvoiceVersion::V40;
        if (m_schemaVersion != XmlInvoiceVersion::Unknown)
            return m_schemaVersion;
        if (m_found[1].balanceSeen)
            return XmlInvoiceVersion::V44;
        return m_sawProviders ? XmlInvoiceVersion::V50 : XmlInvoiceVersion::V45;
    }

    void push(std::size_t hash, Local kind)
    {
        std::uint8_t within = m_open.empty() ? 0 : m_open.back().within;
        m_open.push_back({hash, kind, 0});
        for (const auto& row : ContextRows) {
            if (endsWith(row.path))
                within |= row.context;
        }
        m_open.back().within = within;
        auto& seen = m_occurrences[hash];
        if (seen.count++ == 0)
            seen.first = m_open.size() - 1;
        if (kind == Local::Providers && m_open.size() >= 2 && m_open[m_open.size() - 2].local == Local::Tiers)
            m_sawProviders = true;
    }

    // The open elements end in `path` (the last entry being the element just opened).
    bool endsWith(std::initializer_list<Local> path) const
    {
        if (m_open.size() < path.size())
            return false;
        return std::equal(path.begin(), path.end(), m_open.end() - static_cast<std::ptrdiff_t>(path.size()),
                          [](Local kind, const Open& open) { return kind == open.local; });
    }

    // The open elements are exactly the root followed by `path`.
    bool isAt(std::initializer_list<Local> path) const
    {
        return m_open.size() == path.size() + 1 && m_open.front().local == Local::Request && endsWith(path);
    }

    void takeAttributes(const char** attributes)
    {
        for (const auto& row : AttributeRows) {
            const unsigned versions = row.versions & m_versions;
            if (!versions || *(row.path.end() - 1) != m_current || !isAt(row.path))
                continue;
            const char* value = attribute(attributes, row.attribute);
            for (std::size_t slot = 0; slot < SlotVersions.size(); ++slot) {
                if (versions & versionBit(SlotVersions[slot]))
                    store(m_found[slot], row.field, value, attributes);
            }
        }
    }

    static void store(Found& found, Field field, const char* value, const char** attributes)
    {
        switch (field) {
        case Field::SenderEan:
            if (value)
                found.senderEan = value;
            break;
        case Field::Balance:
            found.balanceSeen = true;
            if (value)
                found.amountDue = centsFromDecimal(value, CentsRounding::TowardZero);
            if (const char* currency = attribute(attributes, "currency"))
                found.currency = currency;
            break;
        case Field::Timestamp:
            if (value)
                found.timestamp = value;
            break;
        case Field::ReminderTimestamp:
            if (value)
                found.reminderTimestamp = value;
            break;
        }
    }

    // An end tag closes the open elements from the first one of the same name on. For a nested
    // element named like one of its ancestors that is the ancestor, as the path of open elements
    // has always been kept.
    void onEnd(const char* name)
    {
        m_reported = true;
        m_textRun = false;
        --m_depth;
        const std::string_view full(name);
        const auto at = m_occurrences.find(std::hash<std::string_view>{}(full));
        if (at != m_occurrences.end()) {
            const std::size_t cut = at->second.first;
            while (m_open.size() > cut) {
                const auto top = m_occurrences.find(m_open.back().hash);
                if (--top->second.count == 0)
                    m_occurrences.erase(top);
                m_open.pop_back();
            }
        }
        const auto [ns, local] = splitName(full);
        m_current = kindOf(ns, local);
    }

    void onText(std::string_view piece)
    {
        m_reported = true;
        // The element test uses the element last opened or closed; the context is that of the
        // elements open around it.
        const std::uint8_t within = m_open.size() >= 2 ? m_open[m_open.size() - 2].within : 0;
        std::string* target = nullptr;
        if (within & InGuarantorPerson) {
            if (m_current == Local::FamilyName)
                target = &m_invoice.m_guarantorFamilyName;
            else if (m_current == Local::GivenName)
                target = &m_invoice.m_guarantorGivenName;
        }
        if (m_current == Local::CompanyName && (within & InProviderCompany))
            target = &m_provider.company;
        else if (m_current == Local::CompanyName && (within & InProvidersCompany))
            target = &m_providers.company;
        else if (m_current == Local::FamilyName && (within & (InProviderPerson | InProvidersPerson)))
            target = within & InProvidersPerson ? &m_providers.family : &m_provider.family;
        else if (m_current == Local::GivenName && (within & (InProviderPerson | InProvidersPerson)))
            target = within & InProvidersPerson ? &m_providers.given : &m_provider.given;
        if (!target)
            return;
        // A new run of text replaces the earlier value; the later pieces of the same run are joined.
        if (!m_textRun)
            target->clear();
        m_textRun = true;
        appendCapped(*target, piece);
    }

    XmlInvoice& m_invoice;
    NamespaceParser m_parser;
    bool m_reported = false; // a handler ran during the last piece fed
    int m_depth = 0;         // elements open in the document
    bool m_tooDeep = false;

    bool m_rootSeen = false;
    RootKind m_rootKind = RootKind::None;
    std::string m_rootNamespace;
    XmlInvoiceVersion m_schemaVersion = XmlInvoiceVersion::Unknown;
    unsigned m_versions = 0; // the versions whose paths are still possible
    bool m_sawProviders = false;
    std::array<Found, SlotVersions.size()> m_found;

    std::vector<Open> m_open;
    std::unordered_map<std::size_t, Occurrences> m_occurrences;
    Local m_current = Local::Other;
    // Character data between two tags arrives in pieces wherever the parser's input blocks or
    // entity references split it; the pieces of one run form one text.
    bool m_textRun = false;
    Names m_provider;
    Names m_providers;
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

std::string XmlInvoice::providerName() const
{
    if (!m_providerCompanyName.empty())
        return m_providerCompanyName;
    if (m_providerFamilyName.empty() || m_providerGivenName.empty())
        return m_providerFamilyName + m_providerGivenName;
    return m_providerFamilyName + " " + m_providerGivenName;
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
    return quickCheck(head);
}

bool XmlInvoice::quickCheck(std::string_view head)
{
    head = head.substr(0, BlockSize);
    const auto pos = head.find(RootText);
    if (pos != std::string_view::npos && pos > 0)
        return true;
    return headHasRequestRoot(head);
}

bool XmlInvoice::Parse()
{
    reset();
    SystemError error;
    auto file = OpenFile::open(m_filePath, &error);
    if (!file)
        throw BV_ADZ_ERROR(adz::Structural, FileAccessMessage(m_filePath, error));
    return parseFrom([&file](char* buffer, std::size_t size) { return file->read(buffer, size); });
}

bool XmlInvoice::ParseText(std::string_view document)
{
    reset();
    return parseFrom([&document](char* buffer, std::size_t size) {
        const std::size_t n = std::min(size, document.size());
        std::copy_n(document.data(), n, buffer);
        document.remove_prefix(n);
        return static_cast<std::int64_t>(n);
    });
}

bool XmlInvoice::parseFrom(const Source& source)
{
    Reading reading(*this);
    m_parsed = true;
    const bool wellFormed = reading.feed(source, m_filePath);
    reading.finish();
    if (!wellFormed) {
        m_parseResult = false;
        return false;
    }
    m_parseResult = !m_senderEan.empty();
    if (!m_parseResult) {
        m_errorText = !m_rootFound                          ? txt::XmlRootMissing
                      : m_version == XmlInvoiceVersion::V40 ? txt::XmlEanMissing
                                                            : txt::XmlTransportFromMissing;
    }
    return m_parseResult;
}

} // namespace bv
