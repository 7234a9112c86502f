// The MAS reader: header and summary records, LOAD_ALL with its structural rules, the reductions of the
// service lines and the rewritten records, the checks and the reduction statistics.
#include "MasPadCases.h"
#include "billing/AdzCodes.h"
#include "billing/FeeValueTable.h"
#include "billing/MasSamples.h"
#include "billing/formats/mas/MASrzDatei.h"
#include "billing/formats/mas/MasServiceLines.h"
#include "billing/formats/records/RecordObject.h"
#include "platform/TempDir.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace bv {
namespace {

using samples::MasFileBuilder;
using samples::MasPlan;

class MasReaderTest : public ::testing::Test
{
protected:
    std::unique_ptr<MASrzDatei> open(const std::string& bytes, bool versionLimit = false)
    {
        const std::string path = dir.write("M00001.001", bytes).string();
        return std::make_unique<MASrzDatei>(path, false, false, versionLimit, false);
    }
    std::unique_ptr<MASrzDatei> load(const std::string& bytes)
    {
        auto reader = open(bytes);
        reader->setFeeValues(&feeValues);
        reader->ReadContents();
        return reader;
    }
    void expectRefused(const std::string& bytes, int code, const std::string& message, bool versionLimit = false)
    {
        try {
            auto reader = open(bytes, versionLimit);
            reader->setFeeValues(&feeValues);
            reader->ReadContents();
            reader->CheckContents(true);
            ADD_FAILURE() << "accepted; expected: " << message;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), code) << e.message();
            EXPECT_EQ(e.message(), message);
        }
    }
    // The data areas of the loaded records of one type.
    static std::vector<std::string> areasOf(const MASrzDatei& reader, int type)
    {
        std::vector<std::string> out;
        for (const RecordObject& record : reader.recordObjects()) {
            if (record.recordType() == type)
                out.emplace_back(record.data());
        }
        return out;
    }

    TempDir dir;
    FeeValueTable feeValues;
};

TEST_F(MasReaderTest, ValidFileLoads)
{
    auto reader = load(samples::masFile(MasPlan{.invoices = 3}));
    EXPECT_EQ(reader->GetFormatName(), "MAS");
    EXPECT_EQ(reader->GetTypeCode(), "MA");
    EXPECT_EQ(reader->numericTypeCode(), 0xC008);
    EXPECT_EQ(reader->transmissionName(), "MA123456.007");
    EXPECT_EQ(reader->GetCustomerNumberText(), "123456");
    EXPECT_EQ(reader->GetInvoiceCountText(), "3");
    EXPECT_EQ(reader->currencyCode(), currency::EUR);
    EXPECT_TRUE(reader->ownSender());
    ASSERT_EQ(reader->invoices().size(), 3u);
    EXPECT_EQ(reader->invoices()[1].firstRecordIndex, 8);
    EXPECT_EQ(reader->invoices()[1].recordCount, 7);
    EXPECT_EQ(reader->invoices()[2].amount, 2002);
    EXPECT_EQ(reader->CheckContents(true), 1);
    EXPECT_EQ(reader->GetInvoice(0)->recordType(), 100);
    try {
        reader->GetInvoice(21);
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.message(), "Zugriff auf ungültigen Satzindex :21 / Höchster Rechnungssatzindex=20");
    }
}

// The worked cases: service and total records rewritten with their reductions, and the statistics.
TEST_F(MasReaderTest, CrossCheckCases)
{
    const struct
    {
        const char* name;
        const char* list;
        const char* entries;
        int kind;
        std::int64_t reducedTotal; // the summary holds the file's own, unreduced total
    } rows[] = {
        {"E1", "01", "0001=900-1100", 3, 1852},
        {"E2", "40", "0001=1900-2100;120=1600-1800;0002=900-1000", 4, 7249},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        feeValues = FeeValueTable();
        ASSERT_TRUE(feeValues.AddList(row.list, row.entries));
        auto reader = load(cases::bytes(std::string(row.name) + "-M00001.001"));
        std::vector<std::string> expected700, expected900;
        for (const auto& [type, area] : cases::areas(std::string(row.name) + "-areas.txt"))
            (type == 700 ? expected700 : expected900).push_back(area);
        EXPECT_EQ(areasOf(*reader, 700), expected700);
        EXPECT_EQ(areasOf(*reader, 900), expected900);
        std::string summary;
        EXPECT_EQ(reader->GetSummary(summary), row.kind);
        EXPECT_EQ(summary, cases::text(std::string(row.name) + "-summary.txt"));
        EXPECT_EQ(reader->invoiceSum(), row.reducedTotal);
        EXPECT_EQ(reader->CheckContents(true), 1);
    }
}

TEST_F(MasReaderTest, VersionsSelectTheirTables)
{
    const struct
    {
        const char* version;
        char filler; // the last letter of the text records
        int currency;
    } rows[] = {
        {"1.0", 'X', currency::DM},   {"1.10", 'X', currency::DM},  {"V1.20", 'X', currency::EUR}, // header's currency
        {"1.30", 'X', currency::EUR}, {"1.31", '-', currency::EUR},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        auto reader = load(samples::masFile(MasPlan{.version = row.version}));
        EXPECT_EQ(reader->GetInvoice(0)->fields().letters().back(), row.filler);
        EXPECT_EQ(reader->currencyCode(), row.currency);
        EXPECT_EQ(reader->CheckContents(true), 1);
    }
    EXPECT_EQ(load(samples::masFile(MasPlan{.version = "V1.20"}))->version(), 1200);
    expectRefused(samples::masFile(MasPlan{.version = "1.31"}), adz::UnsupportedVersion,
                  "Nicht unterstützte Dateiversion: 1.31", true);
}

// A 1.0 file keeps its own service layout when its lines are rewritten, so that its table still
// accepts them.
TEST_F(MasReaderTest, VersionOneZeroServiceLinesKeepTheirLayout)
{
    MasFileBuilder file(MasPlan{.version = "1.0"});
    const int invoiceRecord = file.indicesOf(300).front();
    file.setField(invoiceRecord, 6, "1").setField(invoiceRecord, 7, "M");
    auto reader = load(file.bytes());
    const std::string area = areasOf(*reader, 700).front();
    EXPECT_EQ(area.substr(60), std::string("Beratung") + std::string(45, ' '));
    EXPECT_EQ(reader->CheckContents(true), 1);
}

TEST_F(MasReaderTest, StructuralRefusals)
{
    using Change = std::function<void(MasFileBuilder&)>;
    const auto at = [](int type, int nth = 0) {
        return [type, nth](MasFileBuilder& f) { return f.indicesOf(type).at(static_cast<std::size_t>(nth)); };
    };
    const struct
    {
        const char* what;
        Change change;
        int code;
        std::string message;
    } rows[] = {
        {"first record of type 100", [](MasFileBuilder& f) { f.records()[0] = f.makeRecord(100, "000000"); },
         adz::Structural,
         "Anzahl Sätze stimmt nicht mit der im Kontrollsatz angegebenen Anzahl überein! Nominal/Real: 16/16 in "
         "Kontrollsatz (\"MCX1\")!"},
        {"declared record count", [&](MasFileBuilder& f) { f.setField(f.summaryIndex(), 0, "000015"); },
         adz::Structural,
         "Anzahl Sätze stimmt nicht mit der im Kontrollsatz angegebenen Anzahl überein! Nominal/Real: 15/16 in "
         "Kontrollsatz (\"MCX1\")!"},
        {"no invoices declared", [](MasFileBuilder& f) { f.setField(f.summaryIndex(), 4, "0000"); },
         adz::ControlRecordInvoiceCount, "Anzahl Rechnungen = 0 in Kontrollsatz !"},
        {"character set", [](MasFileBuilder& f) { f.setField(f.summaryIndex(), 2, "UTF8"); },
         adz::ControlRecordUnsupported, "Zeichensatzkennung in Kontrollsatz = \"UTF8\" ! Wird nicht unterstützt!"},
        {"summary field", [](MasFileBuilder& f) { f.setField(f.summaryIndex(), 5, "0000000x000"); },
         records::ControlRecordFieldCode,
         "Feldprüfung gescheitert: 15;990/11/N (Satzindex;Satzart/Feld/Typ)    Inhalt:[0000000x000]"},
        {"header field", [](MasFileBuilder& f) { f.setField(0, 2, "20191301"); }, records::ControlRecordFieldCode,
         "Feldprüfung gescheitert: 0;0/8/D (Satzindex;Satzart/Feld/Typ)    Inhalt:[20191301]"},
        {"customer number", [](MasFileBuilder& f) { f.records()[3].replace(0, 6, "654321"); }, adz::RecordHeader,
         "Datensatz-Headerfehler (201) bei Satzindex: 3 / Feld:.1"},
        {"record type", [](MasFileBuilder& f) { f.records()[3].replace(12, 3, "2x1"); }, adz::RecordHeader,
         "Datensatz-Headerfehler (2x1) bei Satzindex: 3 / Feld:.4"},
        {"unknown record type", [](MasFileBuilder& f) { f.records()[3].replace(12, 3, "350"); }, adz::Structural,
         "Nichtimplemetierte Satzart (350 ?) bei Satzindex: 3"},
        {"system invoice number", [](MasFileBuilder& f) { f.records()[4].replace(6, 6, "000009"); }, adz::Structural,
         "Falsche oder fehlende Systemrechnungsnummer in Satzheader (\"000009\" statt \"000001\") bei Satzindex: 4"},
        {"totals missing", [&](MasFileBuilder& f) { f.records()[at(900)(f)] = f.makeRecord(800, "000001"); },
         adz::Structural, "Rechnungsdatensatz (Satzart 200) fehlt! (Systemrechnungsnummer \"000001\")"},
        {"totals of the last invoice missing",
         [&](MasFileBuilder& f) { f.records()[at(900, 1)(f)] = f.makeRecord(800, "000002"); }, adz::Structural,
         "Rechnungsdatensatz (Satzart 200) fehlt! (letzte Rechnung/Systemrechnungsnummer \"000002\")"},
        {"more invoices than declared", [](MasFileBuilder& f) { f.setField(f.summaryIndex(), 4, "0001"); },
         adz::InvoiceCount,
         "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden: 2; in Zusammenfassung deklariert: 1!"},
        {"OSTMIND_FLAG A then B",
         [&](MasFileBuilder& f) { f.setField(at(300)(f), 15, "A").setField(at(300, 1)(f), 15, "B"); }, adz::Structural,
         "Die Rechnungen in der Datei haben unterschiedliche Werte im Feld 19 OSTMIND_FLAG im Datensatz 300 "},
        {"control total", [](MasFileBuilder& f) { f.setField(f.summaryIndex(), 5, "00000004000"); }, adz::ControlTotal,
         "Prüfsumme (Gesamtbetrag) FALSCH!: Kontrollsatz: 40,00 / Summe: 40,04"},
        {"service field", [&](MasFileBuilder& f) { f.setField(at(700)(f), 3, "00x1"); }, records::ContentFieldCode,
         "Feldprüfung gescheitert: 5;700/9/N (Satzindex;Satzart/Feld/Typ)    Inhalt:[00x1]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        MasFileBuilder file(MasPlan{.invoices = 2});
        row.change(file);
        expectRefused(file.bytes(), row.code, row.message);
    }
}

TEST_F(MasReaderTest, OstmindFlagIThenBIsAccepted)
{
    MasFileBuilder file(MasPlan{.invoices = 2});
    file.setField(file.indicesOf(300)[0], 15, "I").setField(file.indicesOf(300)[1], 15, "B");
    EXPECT_EQ(load(file.bytes())->reductionMarker(), "B");
}

TEST_F(MasReaderTest, FeeValuesAreCheckedByTheRecipientRecordsList)
{
    ASSERT_TRUE(feeValues.AddList("Muster", "0001=100-200"));
    expectRefused(samples::masFile(), adz::Structural,
                  "Fehler bei Überprüfung eines Leistungswertes, möglicherweise liegt ein Währungsproblem vor! "
                  "Rechnung 1, Ziffer 0001");
}

// Rewritten records keep their 113 characters: sums beyond eight digits refuse the invoice.
TEST_F(MasReaderTest, TotalsBeyondTheirDigitsAreIrregular)
{
    MasFileBuilder file(MasPlan{.servicesPerInvoice = 11, .serviceAmount = 9999999});
    file.setField(file.indicesOf(300).front(), 14, "M");
    expectRefused(file.bytes(), adz::Structural,
                  "Irregulärer Rechnungsbetrag (Systemrechnungsnummer \"000001\") bei Satzindex: 16");
}

TEST_F(MasReaderTest, EastPercentageIsRounded)
{
    MasFileBuilder file;
    const int invoiceRecord = file.indicesOf(300).front();
    file.setField(invoiceRecord, 15, "M");
    file.setField(file.indicesOf(700).front(), 14, "2900");
    auto reader = load(file.bytes());
    const std::string area = areasOf(*reader, 700).front();
    EXPECT_EQ(area.substr(28, 8), " 0000711"); // floor(0.71 x 1001 + 0.5)
    EXPECT_EQ(area.substr(100, 4), "2900");
}

TEST_F(MasReaderTest, CharacterSetsAndCurrency)
{
    const struct
    {
        const char* characterSet;
        std::string written;
        std::string read; // Windows-1252
    } rows[] = {
        {"ASC7", "M{ller", "M\xE4ller"},
        {"C850", "M\x81ller", "M\xFCller"},
        {"ANSI", "M\xFCller", "M\xFCller"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.characterSet);
        auto reader = load(samples::masFile(MasPlan{.characterSet = row.characterSet, .recipientName = row.written}));
        EXPECT_EQ(reader->invoices()[0].nameText, row.read);
    }
    expectRefused(samples::masFile(MasPlan{.currency = "CHF"}), adz::Content, "Währungsbezeichnung 'CHF' unbekannt!");
}

// The rewritten areas are the printf layouts, also for negative values and short or long texts.
TEST(MasAreasTest, AreasFollowTheirLayouts)
{
    const std::string longText(45, 't');
    const struct
    {
        mas::ServiceLine line;
        bool withEast;
    } services[] = {
        {{"20190305", ' ', "0001", "0001", "01000000", 851, ' ', "0001001", 0, 0, "Beratung", 29.0}, true},
        {{"201903051", 'L', "123456789", "12", "1", -9999999, '-', "12345678", -5, 7, "x", -5.0}, true},
        {{"20190305", 'J', "", "", "", 0, ' ', "0000000", 9999999, -9999999, longText, 0.0}, false},
    };
    for (const auto& row : services) {
        const mas::ServiceLine& l = row.line;
        const std::string expected =
            strFormat("%8s%c%-7s%-4s%-8s%c%07lld%c%7s%c%07lld%c%07lld%-40s", std::string(l.date.substr(0, 8)).c_str(),
                      l.kind, std::string(l.fee.substr(0, 7)).c_str(), std::string(l.quantity).c_str(),
                      std::string(l.factor).c_str(), mas::signOf(l.amount), std::llabs(l.amount), l.valueSign,
                      std::string(l.value.substr(0, 7)).c_str(), mas::signOf(l.secondValue), std::llabs(l.secondValue),
                      mas::signOf(l.thirdValue), std::llabs(l.thirdValue), std::string(l.text.substr(0, 40)).c_str()) +
            (row.withEast ? strFormat("%04d%9s", mas::percentHundredths(l.eastPercent), "") : std::string(13, ' '));
        EXPECT_EQ(mas::serviceArea(l, row.withEast), expected);
    }
    EXPECT_EQ(mas::totalsArea(6248, 787, -151, 1200, -350, 10, 7249),
              " 00006248 00000787-00000151 00001200-0000035000010 00007249" + std::string(54, ' '));
    EXPECT_EQ(mas::totalsArea(-99999999, 0, 0, 0, 0, -9999, 0),
              "-99999999 00000000 00000000 00000000 00000000-9999 00000000" + std::string(54, ' '));
    EXPECT_EQ(mas::serviceArea({.amount = 10'000'000}, true), "");
    EXPECT_EQ(mas::totalsArea(100'000'000, 0, 0, 0, 0, 1, 0), "");
}

TEST(ReductionStatisticsTest, KindCodes)
{
    const struct
    {
        int before, from, n06, r06, n07, r07, mas, pad;
    } rows[] = {
        {2, 0, 2, 0, 0, 0, 1, 1}, {2, 0, 1, 1, 0, 0, 2, 2}, {2, 0, 0, 2, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 0, 2, 2},
        {1, 1, 1, 0, 1, 0, 1, 1}, {0, 2, 0, 0, 2, 0, 3, 3}, {1, 1, 0, 1, 1, 0, 0, 0}, {0, 2, 0, 0, 0, 2, 4, 4},
        {0, 2, 0, 0, 0, 0, 2, 2}, {0, 0, 0, 0, 0, 0, 2, 2}, {1, 2, 1, 0, 1, 1, 4, 4},
    };
    for (const auto& row : rows) {
        mas::ReductionStatistics s;
        s.before2007 = row.before;
        s.from2007 = row.from;
        s.unreduced06 = row.n06;
        s.reduced06 = row.r06;
        s.unreduced07 = row.n07;
        s.reduced07 = row.r07;
        EXPECT_EQ(s.masKind(), row.mas) << row.before << row.from << row.n06 << row.r06 << row.n07 << row.r07;
        EXPECT_EQ(s.padKind(), row.pad) << row.before << row.from << row.n06 << row.r06 << row.n07 << row.r07;
    }
}

} // namespace
} // namespace bv
