#include "app/send/PartnerLabList.h"
#include "app/send/SendFields.h"
#include "app/send/SendFormatting.h"
#include "app/send/SendRules.h"
#include "billing/StubBillingFile.h"
#include "config/Profile.h"
#include "net/ContractList.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <map>

using namespace bv;

TEST(SendFormatting, TransferTimeIsRoundedDownToQuarterMinutes)
{
    const std::vector<std::pair<std::uint64_t, std::string>> rows = {
        {1000000, "2 min 30 s (Größe: 977 KB)"},
        {0, "0 min 30 s (Größe: 1 KB)"},
        {1024, "0 min 30 s (Größe: 2 KB)"},
        {225000, "1 min (Größe: 220 KB)"},              // exactly 60 seconds
        {232499, "1 min (Größe: 228 KB)"},              // 60 s: no second part
        {337500, "1 min 15 s (Größe: 330 KB)"},         // 75 s
        {150000000, "333 min 45 s (Größe: 146485 KB)"}, // 20,030 s
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(transferTimeText(bytes), text) << bytes;
    EXPECT_EQ(fileSizeText(1000000), "977 KB");
}

TEST(SendFormatting, AmountWithCurrencyAndConfiguredSuffix)
{
    EXPECT_EQ(amountText(123456789, "CHF", ""), "1234.567,89 CHF    ");
    EXPECT_EQ(amountText(99999, "EUR", "TVA incl."), "999,99 EUR    (TVA incl.)");
    EXPECT_EQ(amountText(-150, "CHF", ""), "-1,50 CHF    ");
}

TEST(PartnerLabs, EntriesNeedANumberAndKeepTheNameBetweenDelimiters)
{
    const PartnerLabList labs =
        parsePartnerLabs("4711=\"Labor Nord\";=\"ohne Nummer\";ohneGleich;;900001='X';12=;13=\"");
    ASSERT_EQ(labs.size(), 4u);
    EXPECT_EQ(labs[0].customerNumber, "4711");
    EXPECT_EQ(labs[0].name, "Labor Nord");
    EXPECT_EQ(labs[1].customerNumber, "900001");
    EXPECT_EQ(labs[1].name, "X");
    // Too short to hold a name between two delimiters.
    EXPECT_EQ(labs[2].customerNumber, "12");
    EXPECT_EQ(labs[2].name, "");
    EXPECT_EQ(labs[3].name, "");
    EXPECT_TRUE(parsePartnerLabs("").empty());
}

namespace {

// A spool of one stub file of the given type, with what the fields and rules read of it.
struct StubSpoolMaker
{
    std::unique_ptr<test::StubSpool> operator()(int fileType, int customer, int batch, int lastBatch = -1)
    {
        auto file = std::make_unique<test::StubBillingFile>();
        file->setFileType(fileType);
        file->setCurrency(currency::CHF);
        file->customerNumber = customer;
        file->batchNumber = batch;
        file->customerName = "Cabinet Dupont";
        file->attachments = 2;
        file->filePath = "/spool/RZ0001.001";
        file->fileName = "RZ0001.001";
        auto spool = std::make_unique<test::StubSpool>(boxes, profile, probe, std::move(file));
        spool->lastBatchNumber = lastBatch;
        return spool;
    }
    TempRegistry registry;
    Profile profile{registry.registry()};
    RecordingMessageBoxes boxes;
    files::RemovableProbe probe;
};

} // namespace

TEST(SendFields, CustomerLastBatchAndContentsFollowTheFormat)
{
    struct Row
    {
        int fileType;
        int batch;
        int lastBatch;
        std::string customerLabel, customerText, lastBatchLabel;
        ContentsButton contents;
    };
    const std::vector<Row> rows = {
        {file_type::Cha, -1, 4, "Client :", "Cabinet Dupont", "fichiers transmis :", ContentsButton::Hidden},
        {file_type::Chz, 27, -1, "Client / pile:", "000000 / 27", "Letzte Stapelnummer:", ContentsButton::Hidden},
        {file_type::Chz, -1, 3, "Client :", "000000", "Letzte Stapelnummer:", ContentsButton::Hidden},
        {file_type::DdsV2, 0, 3, "Client / pile:", "000000 / 0", "Letzte Stapelnummer:", ContentsButton::Shown},
        {file_type::DdsV2Kind2828, 0, 3, "Client / pile:", "000000 / 0",
         "Letzte Stapelnummer:", ContentsButton::AsDrawn},
    };
    StubSpoolMaker make;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fileType);
        auto spool = make(row.fileType, 4711, row.batch, row.lastBatch);
        const SpoolFields fields = spoolFields(*spool, "TVA");
        std::map<SendField, SendFieldRow> byField;
        for (const SendFieldRow& field : fields.rows)
            byField.emplace(field.field, field);
        EXPECT_EQ(byField.at(SendField::Customer).label, row.customerLabel);
        EXPECT_EQ(byField.at(SendField::Customer).text, row.customerText);
        EXPECT_EQ(byField.at(SendField::LastBatch).label, row.lastBatchLabel);
        EXPECT_EQ(byField.at(SendField::LastBatch).text, std::to_string(row.lastBatch));
        EXPECT_EQ(fields.lastBatchShown, row.lastBatch != -1);
        EXPECT_EQ(fields.contentsButton, row.contents);
        EXPECT_EQ(byField.at(SendField::Amount).text, "0,00 CHF    (TVA)");
        EXPECT_EQ(byField.at(SendField::FileSize).label, "") << "the file size keeps the transfer time's label";
    }
}

TEST(SendRules, AttachmentsNeedTheControlFileAndContractsBindTheCustomer)
{
    StubSpoolMaker make;
    auto spool = make(file_type::Chz, 4711, 1);
    EXPECT_FALSE(attachmentRule(*spool, make.boxes));
    ASSERT_EQ(make.boxes.texts().size(), 1u);
    EXPECT_EQ(make.boxes.texts()[0], "\xC3\x9C"
                                     "bergabe-/Kontrolldatei fehlend!\rDie Abrechnungsdatei \"RZ0001.001\" "
                                     "referenziert 2 Anlagedateien\nund kann nicht isoliert versendet werden!");
    spool->controlFile = 1;
    EXPECT_TRUE(attachmentRule(*spool, make.boxes));
    EXPECT_EQ(make.boxes.texts().size(), 1u);

    ContractList contracts;
    contracts.replaceFrom("4711=Praxis Muster", [](const std::string&) {});
    EXPECT_TRUE(contractRule(*make(file_type::Chz, 4711, 1), contracts));
    EXPECT_FALSE(contractRule(*make(file_type::Chz, 4712, 1), contracts));
    EXPECT_TRUE(contractRule(*make(file_type::Cha, 4712, 1), contracts)) << "XML invoices go by the sender's EAN";
}
