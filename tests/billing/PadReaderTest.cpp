// The PAD reader: framing, the control and file end records, LOAD_ALL with its structural rules, the
// conversion into MAS records with the reductions, the checks, the reduction summary and the digest.
#include "MasPadCases.h"
#include "billing/AdzCodes.h"
#include "billing/FeeValueTable.h"
#include "billing/PadSamples.h"
#include "billing/formats/pad/CPADDatei.h"
#include "billing/formats/records/RecordObject.h"
#include "platform/TempDir.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace bv {
namespace {

using samples::PadFileBuilder;
using samples::PadPlan;

std::string hex(const std::string& bytes)
{
    std::string out;
    for (const unsigned char c : bytes)
        out += strFormat("%02x", c);
    return out;
}

class PadReaderTest : public ::testing::Test
{
protected:
    std::unique_ptr<CPADDatei> load(const std::string& bytes, bool lines, PadReductions reductions = {})
    {
        const std::string path = dir.write("PV123456.DAT", bytes).string();
        auto reader = std::make_unique<CPADDatei>(path, false, false, lines, false, std::move(reductions), false);
        reader->setFeeValues(&feeValues);
        reader->ReadContents();
        return reader;
    }
    void expectRefused(const std::string& bytes, bool lines, int code, const std::string& message)
    {
        try {
            load(bytes, lines)->CheckContents(true);
            ADD_FAILURE() << "accepted; expected: " << message;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), code) << e.message();
            EXPECT_EQ(e.message(), message);
        }
    }

    TempDir dir;
    FeeValueTable feeValues;
};

TEST_F(PadReaderTest, CrossCheckCases)
{
    const struct
    {
        const char* name;
        bool lines;
        const char* east;
        double percent6a;
        bool lists;
        std::int64_t total;
        int kind;
        const char* digest;
    } rows[] = {
        {"E3", true, "19000101=0;20010101=2;20050101=0;20070101=3", 12.5, true, 5138, 4,
         "c4ee2d3b968a3d02d97bb4656ef3bbc098c2107a"},
        {"E4", false, "19000101=0", 0, false, 2412, 2, "422b668d99572f07ec4e0e7809bc9f1e7cf6eb1d"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        feeValues = FeeValueTable();
        if (row.lists) {
            ASSERT_TRUE(feeValues.AddList("01", "1=470-1000;5=200-600"));
            ASSERT_TRUE(feeValues.AddList("40", "120=600-900;7=300-400"));
        }
        PadReductions reductions;
        reductions.east = PadReductions::ParseEastTable(row.east);
        reductions.percent6a = row.percent6a;
        const std::string name = row.name;
        auto reader = load(cases::bytes(name + "-PV123456.DAT"), row.lines, reductions);
        std::vector<std::pair<int, std::string>> converted;
        for (int i = 0; i < reader->masRecordCount(); ++i)
            converted.emplace_back(reader->masRecordType(i), std::string(reader->masArea(i)));
        EXPECT_EQ(converted, cases::areas(name + "-areas.txt"));
        EXPECT_EQ(reader->fileTotal(), row.total);
        EXPECT_EQ(reader->reductions().ReductionText(reader->invoicesSubjectTo6a()),
                  cases::text(name + "-reduction.txt", true));
        std::string summary;
        EXPECT_EQ(reader->GetSummary(summary), row.kind);
        EXPECT_EQ(summary, cases::text(name + "-summary.txt"));
        EXPECT_EQ(reader->CalcHash(), "");
        EXPECT_EQ(hex(reader->hashText()), row.digest);
        EXPECT_EQ(reader->CheckContents(true), 1);
    }
}

TEST_F(PadReaderTest, FramingsAndVersionsLoad)
{
    const struct
    {
        bool lines;
        const char* version;
        const char* currency;
        const char* created;
        int currencyCode;
    } rows[] = {
        {true, "000001", "EUR", "150306", currency::EUR},
        {false, "000001", "DM", "150306", currency::DM},
        {true, "", "", "150301", currency::DM},
        {false, "", "", "150302", currency::EUR},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.version) + "/" + row.created);
        auto reader = load(samples::padFile(PadPlan{.lines = row.lines,
                                                    .version = row.version,
                                                    .currency = row.currency,
                                                    .creationDate = row.created,
                                                    .invoices = 2}),
                           row.lines);
        EXPECT_EQ(reader->currencyCode(), row.currencyCode);
        EXPECT_EQ(reader->invoiceCount(), 2);
        EXPECT_EQ(reader->GetFormatName(), "PAD");
        EXPECT_EQ(reader->GetTypeCode(), "PA");
        EXPECT_EQ(reader->expectedFileName(), "PV123456.dat");
        EXPECT_EQ(reader->fileTotal(), 2 * 2006);
        EXPECT_EQ(reader->CheckContents(true), 1);
        EXPECT_EQ(reader->GetInvoice(0)->recordType(), 200);
    }
}

TEST_F(PadReaderTest, StructuralRefusals)
{
    using Change = std::function<void(PadFileBuilder&)>;
    const struct
    {
        const char* what;
        Change change;
        int code;
        std::string message;
    } rows[] = {
        {"record count", [](PadFileBuilder& f) { f.setField(f.recordCount() - 1, 0, "000004"); }, adz::Structural,
         "Anzahl Sätze stimmt nicht mit der im Kontrollsatz angegebenen Anzahl überein! Nominal/Real: 4/7 in "
         "Kontrollsatz (\"0000\")!"},
        {"control record field", [](PadFileBuilder& f) { f.setField(0, 2, "321306"); }, records::ControlRecordFieldCode,
         "Feldprüfung gescheitert: 0;0/8/2 (Satzindex;Satzart/Feld/Typ)    Inhalt:[321306]"},
        {"customer number", [](PadFileBuilder& f) { f.records()[1].replace(0, 6, "654321"); }, adz::RecordHeader,
         "Datensatz-Headerfehler (200) bei Satzindex: 1 / Feld:.1"},
        {"unknown record type", [](PadFileBuilder& f) { f.records()[3].replace(12, 3, "350"); }, adz::Structural,
         "Nichtimplemetierte Satzart (350 ?) bei Satzindex: 3"},
        {"system invoice number", [](PadFileBuilder& f) { f.records()[4].replace(6, 6, "000009"); }, adz::Structural,
         "Falsche oder fehlende Systemrechnungsnummer in Satzheader (\"000009\" statt \"000001\") bei Satzindex: 4"},
        {"unvalued service", [](PadFileBuilder& f) { f.setField(4, 6, "0000000"); }, adz::Structural,
         "Die Leistungen dieser Datei sind nicht bewertet,\ndaher ist eine Verarbeitung durch brevalis nicht "
         "möglich!\n(Rechnung: 1, Satz: 4)"},
        {"invoice currency", [](PadFileBuilder& f) { f.setField(2, 12, "DM"); }, adz::Structural,
         "Die Währung mindestens einer Rechnung weicht von der Währung der Datei (EUR) ab.\nDaher ist eine "
         "Verarbeitung durch brevalis nicht möglich!\n(Nummer der Rechnung: 1)"},
        {"service field", [](PadFileBuilder& f) { f.setField(4, 3, "00x1"); }, records::ContentFieldCode,
         "Feldprüfung gescheitert: 3;700/7/N (Satzindex;Satzart/Feld/Typ)    Inhalt:[00x1]"},
        {"end record missing", [](PadFileBuilder& f) { f.records()[5] = f.makeRecord(800, "000001"); }, adz::Structural,
         "Rechnungsdatensatz (Satzart 200) fehlt!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        PadFileBuilder file;
        file.records().erase(file.records().begin() + 1); // no text record: 200 opens the invoice
        file.recount();
        row.change(file);
        expectRefused(file.bytes(), true, row.code, row.message);
    }
}

// An invoice without recipient record among others: more invoices than recipient records.
TEST_F(PadReaderTest, MoreInvoicesThanRecipientRecordsEndInTheCountMessage)
{
    PadFileBuilder file(PadPlan{.invoices = 2});
    const int recipient = file.indicesOf(200).back();
    file.records()[static_cast<std::size_t>(recipient)] = file.makeRecord(410, "000002");
    file.recount();
    expectRefused(file.bytes(), true, adz::InvoiceCount,
                  "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden: 2; in Zusammenfassung deklariert: 1!");
}

TEST_F(PadReaderTest, FeeValuesOfTheRecipientGroupAreChecked)
{
    ASSERT_TRUE(feeValues.AddList("01", "1=100-200"));
    expectRefused(samples::padFile(), true, adz::Structural,
                  "Fehler bei Überprüfung eines Leistungswertes, möglicherweise liegt ein Währungsproblem vor! "
                  "Rechnung 1, Ziffer 1");
}

TEST_F(PadReaderTest, DigestNeedsWholeRecords)
{
    std::string bytes = samples::padFile();
    bytes.resize(bytes.size() - 2); // the last record without its CR LF
    auto shortened = load(bytes, true);
    shortened->CalcHash();
    EXPECT_EQ(shortened->hashText().size(), 20u);
    // 128-byte records: a last record of 126 bytes passes the length check but cannot be hashed.
    std::string bare = samples::padFile(PadPlan{.lines = false});
    bare.resize(bare.size() - 2);
    const std::string path = dir.write("PV000001.DAT", bare).string();
    CPADDatei reader(path, false, false, false, false, {}, true);
    reader.CheckRecordLength();
    try {
        reader.CalcHash();
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Content);
        EXPECT_EQ(e.message(), "CalcHash-Lesefehler (Satz 7)!");
    }
}

TEST(PadReductionsTest, EastTableAndPercentages)
{
    PadReductions reductions;
    reductions.east = PadReductions::ParseEastTable("20010101=2;ohne;20050101=0");
    ASSERT_EQ(reductions.east.size(), 2u);
    const struct
    {
        const char* date;
        double percent;
    } rows[] = {{"20010101", 0}, {"20010102", 2}, {"20050101", 2}, {"20050102", 0}};
    for (const auto& row : rows)
        EXPECT_EQ(reductions.eastPercentOn(row.date), row.percent) << row.date;
    std::string many;
    for (int i = 0; i < 25; ++i)
        many += "2001010" + std::to_string(i % 10) + "=1;";
    EXPECT_EQ(PadReductions::ParseEastTable(many).size(), 20u);
    for (const char* text : {"20010101=100", "20010101=-1"}) {
        try {
            PadReductions::ParseEastTable(text);
            ADD_FAILURE() << text;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), adz::Structural);
        }
    }
    reductions.percent6a = 12.5;
    EXPECT_EQ(reductions.ReductionText(2), "Bei der Ermittlung des Gesamtbetrages wurden\nfolgende Minderungen "
                                           "berücksichtigt:\n\n- 13%-ige Minderung nach 6a, Abs.1 GOÄ bei 2 "
                                           "Rechnungen\n- Ostminderung");
    EXPECT_EQ(PadReductions().ReductionText(0),
              "Bei der Ermittlung des Gesamtbetrages wurden\nkeine Minderungen berücksichtigt!");
}

} // namespace
} // namespace bv
