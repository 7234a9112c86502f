#include "billing/AdzCodes.h"
#include "billing/formats/chz/CCHZDatei.h"

#include "billing/SampleFiles.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace bv {
namespace {

using samples::ChzPlan;

TEST(CCHZDatei, ReadsTheSummary)
{
    TempDir dir;
    const ChzPlan sample{"4711", "12", " 07.03.2013 ", "3", "1234.56"};
    const auto path = dir.write("CH0001.chz", samples::chzFile(sample));

    CCHZDatei chz(path.string());
    EXPECT_EQ(chz.GetCustomerNumber(), 4711);
    EXPECT_EQ(chz.GetCustomerNumberText(), "004711");
    EXPECT_EQ(chz.GetBatchNumber(), 12);
    EXPECT_EQ(chz.GetBatchNumberText(), "12");
    EXPECT_EQ(chz.dateText(), "20130307");
    EXPECT_EQ(*chz.GetMember(CAbrechnungsDatei::MemberSlot::Date), "20130307");
    EXPECT_EQ(*chz.GetMember(CAbrechnungsDatei::MemberSlot::Status), "00");
    EXPECT_EQ(chz.invoiceCount(), 3);
    EXPECT_EQ(chz.GetInvoiceCountText(), "3");
    EXPECT_EQ(chz.totalAmount(), 123456);
    EXPECT_EQ(chz.GetExtraText(), "-1");
    EXPECT_EQ(chz.GetTypeCode(), "CZ");
    EXPECT_EQ(chz.numericTypeCode(), 0xC020);
    EXPECT_EQ(chz.CurrencyName(), "CHF");
    EXPECT_EQ(chz.GetFilePath(false), "CH0001.chz");
}

TEST(CCHZDatei, NetTotalIsConvertedExactlyAndRoundedDown)
{
    TempDir dir;
    const std::pair<std::string, int> rows[] = {
        {"1234.56", 123456}, {"-0.5", -50}, {"0.1", 10}, {"19.99", 1999}, {"-0.555", -56}, {"7.009", 700}, {"", 0},
    };
    for (const auto& [text, cents] : rows) {
        ChzPlan sample;
        sample.totalNetto = text;
        CCHZDatei chz(dir.write("a.chz", samples::chzFile(sample)).string());
        EXPECT_EQ(chz.totalAmount(), cents) << text;
    }
}

TEST(CCHZDatei, FirstMissingKeyIsReportedInOrder)
{
    TempDir dir;
    const auto missing = [](ChzPlan sample, std::optional<std::string> ChzPlan::*key) {
        sample.*key = std::nullopt;
        return sample;
    };
    const ChzPlan nothing{std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    const ChzPlan onlyCustomer{"1", std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    const struct
    {
        ChzPlan sample;
        std::string message;
    } rows[] = {
        {nothing, "Fehler in Abrechnungsdatei: Pflichtfeld KuNr fehlt!"},
        {onlyCustomer, "Fehler in Abrechnungsdatei: Pflichtfeld StapelNr fehlt!"},
        {missing({}, &ChzPlan::datum), "Fehler in Abrechnungsdatei: Pflichtfeld Datum fehlt!"},
        {missing({}, &ChzPlan::anzRech), "Fehler in Abrechnungsdatei: Pflichtfeld AnzRech fehlt!"},
        {missing({}, &ChzPlan::totalNetto), "Fehler in Abrechnungsdatei: Pflichtfeld Total fehlt!"},
    };
    for (const auto& row : rows) {
        try {
            CCHZDatei chz(dir.write("a.chz", samples::chzFile(row.sample)).string());
            ADD_FAILURE() << row.message;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), adz::Content);
            EXPECT_EQ(e.message(), row.message);
        }
    }
}

TEST(CCHZDatei, EmptyValuesArePresent)
{
    TempDir dir;
    ChzPlan sample;
    sample.kuNr = sample.datum = sample.anzRech = "";
    CCHZDatei chz(dir.write("a.chz", samples::chzFile(sample)).string());
    EXPECT_EQ(chz.GetCustomerNumber(), 0);
    EXPECT_EQ(chz.dateText(), "00000000");
    EXPECT_EQ(chz.invoiceCount(), 0);
}

TEST(CCHZDatei, UnreadableFileIsCodeMinusOne)
{
    try {
        CCHZDatei chz("/nonexistent/a.chz");
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Structural);
        EXPECT_EQ(e.message().rfind("Dateizugriffsfehler [2] bei Datei: /nonexistent/a.chz", 0), 0u);
    }
}

// The resident-memory high-water mark of this process in kB, after resetting it to the current
// size when `reset` is set; nullopt where the kernel offers neither.
std::optional<long> peakResidentKb(bool reset)
{
    if (reset) {
        std::ofstream clear("/proc/self/clear_refs");
        if (!(clear << "5" << std::flush))
            return std::nullopt;
    }
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return std::nullopt;
}

TEST(CCHZDatei, SummaryBehindALargeBodyIsReadInMemoryOfItsOwn)
{
    TempDir dir;
    const auto path = dir.file("gross.chz");
    {
        std::ofstream out(path, std::ios::binary);
        const std::string lines = [] {
            std::string block;
            for (int i = 0; i < 10000; ++i)
                block += "Rechnung=" + std::string(89, 'x') + "\r\n";
            return block;
        }();
        for (int i = 0; i < 40; ++i) // 40 MB
            out << lines;
        out << samples::chzFile(ChzPlan{"4711", "12", "07.03.2013", "3", "1234.56"});
    }
    const auto before = peakResidentKb(true);
    if (!before)
        GTEST_SKIP() << "no resettable peak memory on this system";
    CCHZDatei chz(path.string());
    EXPECT_EQ(chz.GetBatchNumber(), 12);
    EXPECT_LT(*peakResidentKb(false) - *before, 16 * 1024);
}

TEST(CCHZDatei, ConvertDate)
{
    const std::pair<std::string, std::string> rows[] = {
        {"07.03.2013", "20130307"}, {"  ", "00000000"}, {"7/3/2013", "20130007"}, // separators not checked
        {"31.12.1999", "19991231"}, {"1", "00010001"},
    };
    for (const auto& [text, date] : rows)
        EXPECT_EQ(CCHZDatei::ConvertDate(text), date) << text;
}

} // namespace
} // namespace bv
