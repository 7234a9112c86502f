#include "billing/formats/xml/XmlInvoice.h"

#include "billing/CAdzException.h"
#include "billing/SampleFiles.h"
#include "registry/TempDir.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

using samples::XmlInvoiceSpec;

TEST(XmlInvoice, FullParseReadsTheValuesTheClientNeeds)
{
    TempDir dir;
    XmlInvoiceSpec sample;
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
    EXPECT_EQ(invoice.currentPath(), "");
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
        XmlInvoiceSpec sample;
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
    XmlInvoiceSpec noEan;
    noEan.withSender = false;
    const struct
    {
        std::string document;
        std::string error;
    } rows[] = {
        {samples::xmlInvoice(noEan), "Attribut 'invoice:sender ean_party' not found!"},
        {"<?xml version=\"1.0\"?>\n<other><invoice:sender ean_party=\"1\"/></other>", ""}, // EAN without root
        {"<?xml version=\"1.0\"?>\n<invoice:response/>", "Element 'invoice:request' not found!"},
        {"<?xml version=\"1.0\"?>\n<invoice:request>\n<a></b>\n</invoice:request>",
         "Parse error at line 3:\nmismatched tag\n"},
        {"", "Parse error at line 1:\nno element found\n"},
        {"<invoice:request><invoice:sender ean_party=\"1\"/>", "Parse error at line 1:\nno element found\n"},
        {"<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
         "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
         "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
         "<invoice:request><invoice:tiers_garant><invoice:provider><invoice:company><invoice:companyname>&h;"
         "</invoice:companyname></invoice:company></invoice:provider></invoice:tiers_garant></invoice:request>",
         "*"}, // entity expansion bomb: refused by the parser, whatever its words
    };
    for (const auto& row : rows) {
        XmlInvoice invoice;
        const bool ok = invoice.ParseText(row.document);
        if (row.error.empty()) {
            // Only the sender EAN decides acceptance.
            EXPECT_TRUE(ok);
            EXPECT_FALSE(invoice.rootFound());
            continue;
        }
        EXPECT_FALSE(ok) << row.document.substr(0, 60);
        if (row.error != "*")
            EXPECT_EQ(invoice.ErrorText(), row.error);
        else
            EXPECT_EQ(invoice.ErrorText().rfind("Parse error at line 1:\n", 0), 0u) << invoice.ErrorText();
    }
}

TEST(XmlInvoice, NamesAreTakenOnlyUnderTheirPaths)
{
    const std::string document =
        "<invoice:request><invoice:sender ean_party=\"1\"/>"
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
    XmlInvoiceSpec sample;
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
    XmlInvoiceSpec sample;
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
