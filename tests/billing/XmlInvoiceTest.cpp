#include "billing/formats/xml/XmlInvoice.h"

#include "billing/CAdzException.h"
#include "billing/SampleFiles.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

using samples::XmlInvoicePlan;
using samples::XmlVersion;

const std::string Ns40 = "xmlns:invoice=\"http://www.xmlData.ch/xmlInvoice/XSD\"";
const std::string NsForum = "xmlns:invoice=\"http://www.forum-datenaustausch.ch/invoice\"";

TEST(XmlInvoice, FullParseReadsTheValuesTheClientNeeds)
{
    TempDir dir;
    XmlInvoicePlan sample;
    sample.ean = "7601000123456";
    sample.amountDue = "12.35";
    sample.timestamp = 1700000000;
    sample.familyName = "Müller";
    sample.givenName = "Anne-Marie";
    sample.companyName = "Cabinet médical Beau-Site";
    const auto path = dir.write("a.xml", samples::xmlInvoice(sample));

    XmlInvoice invoice(path.string(), true);
    EXPECT_TRUE(invoice.parsed());
    ASSERT_TRUE(invoice.IsInvoice(true)) << invoice.ErrorText();
    EXPECT_TRUE(invoice.rootFound());
    EXPECT_TRUE(invoice.production());
    EXPECT_EQ(invoice.senderEan(), "7601000123456");
    EXPECT_EQ(invoice.amountDue(), 1235); // exact, not the float product 1234
    EXPECT_EQ(invoice.currency(), "CHF");
    EXPECT_EQ(invoice.timestamp(), 1700000000);
    EXPECT_EQ(invoice.timestampText(), "1700000000");
    EXPECT_EQ(invoice.guarantorFamilyName(), "Müller");
    EXPECT_EQ(invoice.guarantorGivenName(), "Anne-Marie");
    EXPECT_EQ(invoice.providerCompanyName(), "Cabinet médical Beau-Site");
    EXPECT_EQ(invoice.version(), XmlInvoiceVersion::V40);
}

TEST(XmlInvoice, AmountDueAndRole)
{
    const struct
    {
        std::optional<std::string> amount;
        std::string role;
        int cents;
        bool production;
    } rows[] = {
        {"100", "production", 10000, true},
        {"0.5", "test", 50, false},
        {std::nullopt, "production", -1, true},
        {"12.359", "Production", 1235, false}, // more decimals are cut; the role compares exactly
    };
    for (const auto& row : rows) {
        XmlInvoicePlan sample;
        sample.amountDue = row.amount;
        sample.role = row.role;
        XmlInvoice invoice;
        ASSERT_TRUE(invoice.ParseText(samples::xmlInvoice(sample)));
        EXPECT_EQ(invoice.amountDue(), row.cents) << row.amount.value_or("(none)");
        EXPECT_EQ(invoice.production(), row.production) << row.role;
    }
}

TEST(XmlInvoice, RefusedFilesCarryTheirReason)
{
    XmlInvoicePlan noEan;
    noEan.withSender = false;
    XmlInvoicePlan noTransportFrom = noEan;
    noTransportFrom.version = samples::XmlVersion::V45;
    const struct
    {
        std::string document;
        std::string error;
    } rows[] = {
        {samples::xmlInvoice(noEan), "Attribut 'invoice:sender ean_party' not found!"},
        {samples::xmlInvoice(noTransportFrom), "Attribut 'invoice:transport from' not found!"},
        // A sender outside an invoice request does not make one.
        {"<?xml version=\"1.0\"?>\n<other " + Ns40 +
             "><invoice:header><invoice:sender ean_party=\"1\"/>"
             "</invoice:header></other>",
         "Element 'invoice:request' not found!"},
        {"<?xml version=\"1.0\"?>\n<invoice:response " + NsForum + "/>", "Element 'invoice:request' not found!"},
        {"<request xmlns=\"urn:other\"><processing><transport from=\"1\"/></processing></request>",
         "Element 'invoice:request' not found!"},
        {"<?xml version=\"1.0\"?>\n<invoice:request " + Ns40 + ">\n<a></b>\n</invoice:request>",
         "Parse error at line 3:\nmismatched tag\n"},
        {"", "Parse error at line 1:\nno element found\n"},
        {"<invoice:request " + Ns40 + "><invoice:header><invoice:sender ean_party=\"1\"/>",
         "Parse error at line 1:\nno element found\n"},
        {"<invoice:request><invoice:header/></invoice:request>", "Parse error at line 1:\nunbound prefix\n"},
        {"<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
         "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
         "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
         "<invoice:request " +
             Ns40 +
             "><invoice:tiers_garant><invoice:provider><invoice:company><invoice:companyname>&h;"
             "</invoice:companyname></invoice:company></invoice:provider></invoice:tiers_garant></invoice:request>",
         "*"}, // entity expansion bomb: refused by the parser, whatever its words
    };
    for (const auto& row : rows) {
        XmlInvoice invoice;
        const bool ok = invoice.ParseText(row.document);
        EXPECT_FALSE(ok) << row.document.substr(0, 60);
        if (row.error != "*")
            EXPECT_EQ(invoice.ErrorText(), row.error);
        else
            EXPECT_EQ(invoice.ErrorText().rfind("Parse error at line 1:\n", 0), 0u) << invoice.ErrorText();
    }
}

// Every version, written with the usual prefix, another prefix and none under a default namespace,
// with and without the schema named: the same values come out.
TEST(XmlInvoice, EveryVersionIsReadFromItsOwnPlaces)
{
    const struct
    {
        XmlVersion version;
        XmlInvoiceVersion read;
    } versions[] = {{XmlVersion::V40, XmlInvoiceVersion::V40},
                    {XmlVersion::V44, XmlInvoiceVersion::V44},
                    {XmlVersion::V45, XmlInvoiceVersion::V45},
                    {XmlVersion::V50, XmlInvoiceVersion::V50}};
    for (const auto& row : versions) {
        for (const std::string prefix : {"invoice", "", "ns0"}) {
            for (const bool schema : {true, false}) {
                XmlInvoicePlan sample;
                sample.version = row.version;
                sample.prefix = prefix;
                sample.schemaLocation = schema;
                sample.ean = "7601000654321";
                sample.amountDue = "-45.10"; // a credit note
                sample.currency = "EUR";
                sample.timestamp = 1712345678;
                sample.role = "test";
                sample.targetSize = 20000;
                XmlInvoice invoice;
                const std::string where = "version " + std::to_string(static_cast<int>(row.version)) + " prefix '" +
                                          prefix + "' schema " + std::to_string(schema);
                ASSERT_TRUE(invoice.ParseText(samples::xmlInvoice(sample))) << where << ": " << invoice.ErrorText();
                EXPECT_EQ(invoice.version(), row.read) << where;
                EXPECT_EQ(invoice.senderEan(), "7601000654321") << where;
                EXPECT_EQ(invoice.amountDue(), -4510) << where;
                EXPECT_EQ(invoice.currency(), "EUR") << where;
                EXPECT_EQ(invoice.timestamp(), 1712345678) << where;
                EXPECT_FALSE(invoice.production()) << where;
                EXPECT_EQ(invoice.guarantorFamilyName() + "/" + invoice.guarantorGivenName(), "Muster/Hans") << where;
                EXPECT_EQ(invoice.providerName(), "Praxis Dr. Beispiel") << where;
                EXPECT_TRUE(XmlInvoice::quickCheck(samples::xmlInvoice(sample))) << where;
            }
        }
    }
}

TEST(XmlInvoice, RemindersTiersPayantAndProviderPersons)
{
    const struct
    {
        XmlVersion version;
        std::optional<std::int64_t> invoiceStamp;
        std::optional<std::int64_t> reminderStamp;
        bool tiersPayant;
        std::optional<std::string> providerFamily;
        std::int64_t stamp;
        std::string provider;
    } rows[] = {
        {XmlVersion::V44, std::nullopt, 1720000000, false, std::nullopt, 1720000000, "Praxis Dr. Beispiel"},
        {XmlVersion::V50, 1710000000, 1720000000, false, std::nullopt, 1710000000, "Praxis Dr. Beispiel"},
        {XmlVersion::V45, 1710000000, std::nullopt, true, std::nullopt, 1710000000, "Praxis Dr. Beispiel"},
        {XmlVersion::V40, 1710000000, std::nullopt, true, "Arzt", 1710000000, "Arzt Eva"},
        {XmlVersion::V45, 1710000000, std::nullopt, false, "Arzt", 1710000000, "Arzt Eva"},
        {XmlVersion::V50, 1710000000, std::nullopt, true, "Arzt", 1710000000, "Arzt Eva"},
    };
    for (const auto& row : rows) {
        XmlInvoicePlan sample;
        sample.version = row.version;
        sample.timestamp = row.invoiceStamp;
        sample.reminderTimestamp = row.reminderStamp;
        sample.tiersPayant = row.tiersPayant;
        sample.providerFamilyName = row.providerFamily;
        sample.schemaLocation = false; // the structure alone tells the version
        XmlInvoice invoice;
        const std::string where = "version " + std::to_string(static_cast<int>(row.version));
        ASSERT_TRUE(invoice.ParseText(samples::xmlInvoice(sample))) << where << invoice.ErrorText();
        EXPECT_EQ(invoice.timestamp(), row.stamp) << where;
        EXPECT_EQ(invoice.amountDue(), 12345) << where;
        EXPECT_EQ(invoice.guarantorFamilyName(), "Muster") << where;
        EXPECT_EQ(invoice.providerName(), row.provider) << where;
    }
}

// Shapes that would make a careless reader slow or greedy: long tokens are read through with the
// values around them intact; nesting deeper than any invoice is refused as a parse error.
TEST(XmlInvoice, LongTokensAndDeepNesting)
{
    XmlInvoicePlan sample;
    sample.version = XmlVersion::V44;
    const std::string plain = samples::xmlInvoice(sample);
    const auto afterRoot = plain.find('>', plain.find("<invoice:request")) + 1;
    const auto nested = [](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i)
            text += "<invoice:x>";
        for (int i = 0; i < levels; ++i)
            text += "</invoice:x>";
        return text;
    };
    const struct
    {
        std::string insert;
        std::string error;
    } rows[] = {
        {"<!--" + std::string(3'000'000, 'c') + "-->", ""},
        {"<invoice:remark text=\"" + std::string(3'000'000, 'a') + "\"/>", ""},
        {"<invoice:" + std::string(100'000, 'n') + "/>", ""},
        {nested(4000), ""},
        {nested(100'000), "Parse error at line 2:\nelements nested too deeply\n"},
    };
    for (const auto& row : rows) {
        std::string document = plain;
        document.insert(afterRoot, row.insert);
        XmlInvoice invoice;
        EXPECT_EQ(invoice.ParseText(document), row.error.empty());
        EXPECT_EQ(invoice.ErrorText(), row.error);
        if (row.error.empty()) {
            EXPECT_EQ(invoice.amountDue(), 12345);
        }
    }
}

TEST(XmlInvoice, ExternalEntitiesAndDtdsAreNeverLoaded)
{
    TempDir dir;
    const auto secret = dir.write("secret.txt", "SECRET");
    XmlInvoicePlan sample;
    sample.companyName = "Praxis &ext;";
    std::string document = samples::xmlInvoice(sample);
    document.insert(document.find("<invoice:request"), "<!DOCTYPE invoice:request SYSTEM \"" +
                                                           dir.file("missing.dtd").string() +
                                                           "\" [<!ENTITY ext SYSTEM \"" + secret.string() + "\">]>\n");
    XmlInvoice invoice;
    ASSERT_TRUE(invoice.ParseText(document)) << invoice.ErrorText();
    EXPECT_EQ(invoice.providerName().find("SECRET"), std::string::npos) << invoice.providerName();
}

TEST(XmlInvoice, NamesAreTakenOnlyUnderTheirPaths)
{
    const std::string document =
        "<invoice:request " + Ns40 +
        "><invoice:header><invoice:sender ean_party=\"1\"/></invoice:header>"
        "<invoice:patient><invoice:person><invoice:familyname>Patient</invoice:familyname></invoice:person>"
        "</invoice:patient>"
        "<invoice:tiers_garant><invoice:guarantor><invoice:person>"
        "<invoice:familyname>Garant</invoice:familyname>"
        "<invoice:person><invoice:givenname>Nested</invoice:givenname></invoice:person>"
        // the nested person's end tag cut the path at the first person: this name is not under it
        "<invoice:givenname>Outside</invoice:givenname>"
        "</invoice:person></invoice:guarantor></invoice:tiers_garant></invoice:request>";
    XmlInvoice invoice;
    ASSERT_TRUE(invoice.ParseText(document));
    EXPECT_EQ(invoice.guarantorFamilyName(), "Garant");
    EXPECT_EQ(invoice.guarantorGivenName(), "Nested");
}

TEST(XmlInvoice, TextSplitByEntitiesOrBlocksIsOneName)
{
    XmlInvoicePlan sample;
    sample.companyName = "Gruppenpraxis Meier &amp; Partner";
    // Push the company name across the 8192-byte block boundary.
    std::string document = samples::xmlInvoice(sample);
    const auto at = document.find("Gruppenpraxis");
    document.insert(document.rfind('\n', at) + 1, std::string(8192 - at % 8192 - 5, ' '));
    ASSERT_NE(document.find("Meier"), std::string::npos);
    XmlInvoice invoice;
    ASSERT_TRUE(invoice.ParseText(document));
    EXPECT_EQ(invoice.providerCompanyName(), "Gruppenpraxis Meier & Partner");
}

TEST(XmlInvoice, QuickCheckLooksForTheRootInTheFirstBlock)
{
    TempDir dir;
    const struct
    {
        std::string content;
        bool invoice;
    } rows[] = {
        {"invoice:request and more", false}, // at the very first byte it does not count
        {" invoice:request", true},
        {"<invoice:request/>", true},
        {"", false},
        {std::string(8192, ' ') + "<invoice:request/>", false}, // beyond the first block
        {std::string(8170, ' ') + "<invoice:request/>", true},
        {std::string("\0\0<invoice:request/>", 20), true},
        // Any prefix, or none under a default namespace; the namespace decides.
        {"<?xml version=\"1.0\"?>\n<request xmlns=\"http://www.xmlData.ch/xmlInvoice/XSD\">", true},
        {"<inv:request xmlns:inv=\"http://www.forum-datenaustausch.ch/invoice\" modus=\"test\">", true},
        {"<response xmlns=\"http://www.forum-datenaustausch.ch/invoice\"/>", false},
        {"<request xmlns=\"urn:other\"/>", false},
        {"<request/>", false},
    };
    for (const auto& row : rows) {
        const auto path = dir.write("q.xml", row.content);
        EXPECT_EQ(XmlInvoice(path.string()).IsInvoice(false), row.invoice) << row.content.size();
    }
    EXPECT_FALSE(XmlInvoice((dir.path() / "missing.xml").string()).IsInvoice(false));
}

TEST(XmlInvoice, LargeFileIsStreamed)
{
    TempDir dir;
    XmlInvoicePlan sample;
    sample.targetSize = 300000;
    const auto path = dir.write("big.xml", samples::xmlInvoice(sample));
    XmlInvoice invoice(path.string());
    EXPECT_TRUE(invoice.IsInvoice(true)) << invoice.ErrorText();
    EXPECT_EQ(invoice.senderEan(), sample.ean);
}

TEST(XmlInvoice, UnreadableFileIsAnErrorNotARefusal)
{
    XmlInvoice invoice("/nonexistent/x.xml");
    EXPECT_THROW(invoice.Parse(), CAdzException);
}

} // namespace
} // namespace bv
