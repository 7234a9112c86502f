// The DDS-RZ reader: the control record, LOAD_ALL with its structural rules, the totals and field
// checks, names, the attachment directory and enciphered deliveries.
#include "billing/AdzCodes.h"
#include "billing/DdsSamples.h"
#include "billing/FeeValueTable.h"
#include "billing/SampleFiles.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "billing/formats/records/RecordObject.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>

namespace bv {
namespace {

using samples::DdsFileBuilder;
using samples::DdsPlan;
using samples::HeaderPart;

// A reader on the builder's file, with its contents loaded.
class DdsReaderTest : public ::testing::Test
{
protected:
    std::unique_ptr<DDSrzDatei> open(const DdsFileBuilder& file, bool versionLimit = false)
    {
        const std::string path = dir.write("RZ0001.001", file.bytes()).string();
        if (file.plan().interfaceNumber == 3)
            return std::make_unique<DDSrz3Datei>(path, false, versionLimit);
        return std::make_unique<DDSrz2Datei>(path, false, versionLimit);
    }
    std::unique_ptr<DDSrzDatei> load(const DdsFileBuilder& file)
    {
        auto reader = open(file);
        reader->setFeeValues(&feeValues);
        reader->ReadContents();
        return reader;
    }
    // The refusal of opening and loading a file: its code and message.
    void expectRefused(const DdsFileBuilder& file, int code, const std::string& message)
    {
        try {
            load(file);
            ADD_FAILURE() << "accepted; expected: " << message;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), code) << e.message();
            EXPECT_EQ(e.message(), message);
        }
    }

    TempDir dir;
    FeeValueTable feeValues;
};

TEST_F(DdsReaderTest, ValidFileLoadsItsInvoices)
{
    DdsFileBuilder file(DdsPlan{.batchNumber = 1002, .invoices = 3, .fileRecord = true, .feePositions = 2});
    auto reader = load(file);
    EXPECT_EQ(reader->GetFormatName(), "VDDS-RZ Version 2.20 / RZ2");
    EXPECT_EQ(reader->transmissionName(), "DA004711.002");
    EXPECT_EQ(reader->GetCustomerNumberText(), "004711");
    EXPECT_EQ(reader->GetBatchNumberText(), "1002");
    EXPECT_EQ(reader->GetInvoiceCountText(), "3");
    EXPECT_EQ(reader->GetTypeCode(), "DA");
    EXPECT_EQ(reader->numericTypeCode(), 0xC001);
    EXPECT_EQ(reader->currencyCode(), currency::EUR);
    EXPECT_EQ(reader->controlTotal(), 3 * 12345);
    ASSERT_EQ(reader->invoices().size(), 3u);
    const DDSrzRechnung& second = reader->invoices()[1];
    EXPECT_EQ(second.firstRecordIndex, 6);
    EXPECT_EQ(second.recordCount, 5);
    EXPECT_EQ(second.systemInvoiceNumber, "0000001001");
    EXPECT_EQ(second.nameText, "Muster");
    EXPECT_EQ(second.amount, 12345);
    EXPECT_EQ(reader->invoices()[2].recordCount, 5); // up to the control record
    EXPECT_EQ(reader->GetInvoiceData(3), nullptr);
    EXPECT_EQ(reader->GetInvoice(6)->recordType(), 100);
    EXPECT_EQ(reader->CheckHeader(), 1);
    EXPECT_EQ(reader->CheckContents(true), 1);
    try {
        reader->GetInvoice(16);
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.message(), "Zugriff auf ungültigen Satzindex :16 / Höchster Rechnungssatzindex=15");
    }
}

TEST_F(DdsReaderTest, NamesAndCurrencyFollowTheControlRecord)
{
    const struct
    {
        int interfaceNumber;
        const char* version;
        const char* date;
        std::string name;
        int currency;
    } rows[] = {
        {2, "1.24", "20020101", "VDDS-RZ Version 1.24 / RZ2", currency::EUR},
        {2, "1.25", "20011231", "AdR-RZ Version 1.25 / RZ2", currency::DM},
        {3, "1.99", "20240101", "AdR-RZ Version 1.99 / RZ3", currency::EUR},
        {3, "2.00", "20240101", "VDDS-RZ Version 2.00 / RZ3", currency::EUR},
    };
    for (const auto& row : rows) {
        auto reader = load(
            DdsFileBuilder(DdsPlan{.version = row.version, .interfaceNumber = row.interfaceNumber, .date = row.date}));
        EXPECT_EQ(reader->GetFormatName(), row.name);
        EXPECT_EQ(reader->currencyCode(), row.currency) << row.date;
        EXPECT_EQ(reader->GetTypeCode(), row.interfaceNumber == 3 ? "DX" : "DA");
    }
}

TEST_F(DdsReaderTest, ControlRecordRules)
{
    const struct
    {
        const char* name;
        std::function<void(DdsFileBuilder&)> damage;
        int code;
        std::string message;
    } rows[] = {
        {"declares 5 of 6", [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 2, "00005"); }, adz::Structural,
         "Anzahl Sätze stimmt nicht mit der im Kontrollsatz angegebenen Anzahl überein! Nominal/Real: 5/6 in "
         "Kontrollsatz (\"0000\")!"},
        {"last record not 0000",
         [](DdsFileBuilder& f) { f.setHeader(f.controlIndex(), HeaderPart::RecordType, "0001"); }, adz::Structural,
         "Anzahl Sätze stimmt nicht mit der im Kontrollsatz angegebenen Anzahl überein! Nominal/Real: 6/6 in "
         "Kontrollsatz (\"0001\")!"},
        {"no invoice", [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 0, "0000"); },
         adz::ControlRecordInvoiceCount, "Anzahl Rechnungen = 0 in Kontrollsatz !"},
        {"medium 2 before the flag",
         [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 10, "002").setField(f.controlIndex(), 11, "J"); },
         adz::ControlRecordMedium,
         "Medium-Nummer in Kontrollsatz = \"002\" ! Folgemedien werden HIER nicht unterstützt!"},
        {"follow-up medium", [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 11, "J"); },
         adz::ControlRecordUnsupported,
         "Folgemediumkennung in Kontrollsatz = \"J\" ! Folgemedien werden HIER nicht unterstützt!"},
        {"character set", [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 8, "UTF8"); },
         adz::ControlRecordUnsupported, "Zeichensatzkennung in Kontrollsatz = \"UTF8\" ! Wird nicht unterstützt!"},
        {"date field", [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 5, "20241301"); },
         records::ControlRecordFieldCode,
         "Feldprüfung gescheitert: 6;0/11/D (Satzindex;Satzart/Feld/Typ)    Inhalt:[20241301]"},
        {"version", [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 9, "0.99"); }, adz::UnsupportedVersion,
         "Nicht unterstützte Dateiversion: 0.99"},
        {"interface of RZ3", [](DdsFileBuilder& f) { f.setHeader(f.controlIndex(), HeaderPart::Interface, "03"); },
         adz::Structural, "Falsche Datei-Version (03,2.20)! (Erwartet: DDS-RZ 02 / Version: 1.0)"},
        {"running number 00a1", [](DdsFileBuilder& f) { f.setHeader(1, HeaderPart::RunningNumber, "00a1"); },
         adz::RecordHeader, "Datensatz-Headerfehler (0110) bei Satzindex: 1 / Feld:.5"},
        {"other customer", [](DdsFileBuilder& f) { f.setHeader(1, HeaderPart::CustomerNumber, "00004712"); },
         adz::RecordHeader, "Datensatz-Headerfehler (0110) bei Satzindex: 1 / Feld:.1"},
        {"other interface", [](DdsFileBuilder& f) { f.setHeader(1, HeaderPart::Interface, "03"); }, adz::RecordHeader,
         "Datensatz-Headerfehler (0110) bei Satzindex: 1 / Feld:.2"},
        {"CR CR", [](DdsFileBuilder& f) { f.records()[1][255] = '\r'; }, adz::Content,
         "Datensatz-Formatfehler (Offset 1,Satzart[0110]): Satzabschluß falsch!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DdsFileBuilder file(DdsPlan{.invoices = 2});
        row.damage(file);
        expectRefused(file, row.code, row.message);
    }
}

TEST_F(DdsReaderTest, VersionLimitOption)
{
    DdsFileBuilder file(DdsPlan{.version = "2.60"});
    EXPECT_NO_THROW(open(file, false));
    try {
        open(file, true);
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::UnsupportedVersion);
        EXPECT_EQ(e.message(), "Nicht unterstützte Dateiversion: 2.60");
    }
}

TEST_F(DdsReaderTest, StructuralRules)
{
    feeValues.AddList("0", "4711=0-100");
    const struct
    {
        const char* name;
        DdsPlan plan;
        std::function<void(DdsFileBuilder&)> damage;
        int code;
        std::string message;
    } rows[] = {
        {"unknown record type",
         {.invoices = 2},
         [](DdsFileBuilder& f) { f.setHeader(1, HeaderPart::RecordType, "0999"); },
         adz::Structural,
         "Nichtimplemetierte Satzart (999 ?) bei Satzindex: 1"},
        {"first invoice without 0200",
         {.invoices = 2},
         [](DdsFileBuilder& f) { f.records()[2] = f.makeRecord(210, samples::systemInvoiceNumber(0), 3); },
         adz::Structural,
         "Rechnungsdatensatz (Satzart 200) fehlt! (Systemrechnungsnummer \"0000001000\")"},
        {"last invoice without 0200",
         {.invoices = 2},
         [](DdsFileBuilder& f) { f.records()[5] = f.makeRecord(210, samples::systemInvoiceNumber(1), 3); },
         adz::Structural,
         "Rechnungsdatensatz (Satzart 200) fehlt! (letzte Rechnung/Systemrechnungsnummer \"0000001001\")"},
        {"system invoice number",
         {.invoices = 2},
         [](DdsFileBuilder& f) { f.setHeader(1, HeaderPart::SystemInvoiceNumber, "0000009999"); },
         adz::Structural,
         "Falsche oder fehlende Systemrechnungsnummer in Satzheader (\"0000009999\" statt \"0000001000\") bei "
         "Satzindex: 1"},
        {"running number",
         {.invoices = 2},
         [](DdsFileBuilder& f) { f.setHeader(1, HeaderPart::RunningNumber, "0005"); },
         adz::Structural,
         "Falsche laufende Nummer in Satzheader (5 statt 2) bei Satzindex: 1"},
        {"amount one above the limit",
         {.amount = 100000001},
         nullptr,
         adz::Structural,
         "Irregulärer Rechnungsbetrag (Systemrechnungsnummer \"0000001000\") bei Satzindex: 2"},
        // 2^32 + 100 read into 32 bits would be 100.
        {"amount beyond 32 bits",
         {.amount = 4294967396},
         nullptr,
         adz::Structural,
         "Irregulärer Rechnungsbetrag (Systemrechnungsnummer \"0000001000\") bei Satzindex: 2"},
        {"fee value outside its range",
         {.invoices = 2, .feePositions = 1},
         nullptr,
         adz::Structural,
         "Fehler bei Überprüfung eines Leistungswertes, möglicherweise liegt ein Währungsproblem vor!\nRechnung 1, "
         "Ziffer 4711"},
        {"0850 in RZ2",
         {.interfaceNumber = 2, .attachmentsPerInvoice = 1},
         nullptr,
         adz::Structural,
         "Satzart 850 falsch f. Interface RZ02 (bei Satzindex: 3)"},
        {"0850 numbered again in the second invoice",
         {.interfaceNumber = 3, .invoices = 2, .attachmentsPerInvoice = 2},
         [](DdsFileBuilder& f) { f.setField(8, 0, "00001"); },
         adz::Structural,
         "Satzart 850: Falscher Anlagenindex bei Satzindex: 8 (Index 3 erwartet!)"},
        {"more invoices than declared",
         {.invoices = 3},
         [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 0, "0001"); },
         adz::InvoiceCount,
         "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden:3 ;  in Zusammenfassung deklariert: 1!"},
        {"fewer invoices than declared",
         {.invoices = 2},
         [](DdsFileBuilder& f) { f.setField(f.controlIndex(), 0, "0009"); },
         adz::InvoiceCount,
         "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden:2 ;  in Zusammenfassung deklariert: 9!"},
        {"two records before the first invoice",
         {.invoices = 2, .fileRecord = true},
         [](DdsFileBuilder& f) {
             f.records().insert(f.records().begin(), f.records()[0]);
             f.recount();
         },
         adz::Structural,
         "Undefinierter Struktureller Fehler: Nicht zugeordnete Sätze !"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DdsFileBuilder file(row.plan);
        if (row.damage)
            row.damage(file);
        expectRefused(file, row.code, row.message);
    }
}

TEST_F(DdsReaderTest, AcceptedStructures)
{
    // One leading file record; the highest regular amount; a marked 0100 record inside an invoice;
    // 0850 records numbered through the whole file.
    DdsFileBuilder file(DdsPlan{
        .interfaceNumber = 3, .invoices = 2, .amount = 100000000, .fileRecord = true, .attachmentsPerInvoice = 2});
    file.records().insert(file.records().begin() + 4, file.makeRecord(100, samples::systemInvoiceNumber(0), 4));
    file.setHeader(4, HeaderPart::GroupMarker, "51");
    for (int r = 5; r <= 6; ++r)
        file.setHeader(r, HeaderPart::RunningNumber, r == 5 ? "0005" : "0006");
    file.recount();
    auto reader = load(file);
    ASSERT_EQ(reader->invoices().size(), 2u);
    EXPECT_EQ(reader->invoices()[0].extra0100Count, 1);
    EXPECT_EQ(reader->invoices()[0].attachmentCount, 2);
    EXPECT_EQ(reader->invoices()[1].amount, 100000000);
    EXPECT_EQ(reader->GetAttachmentCount(0), 4);
    EXPECT_EQ(reader->GetAttachmentOption(), 1);
}

TEST_F(DdsReaderTest, TotalsAreComparedExactlyAndShownFormatted)
{
    const struct
    {
        const char* controlTotal;
        std::int64_t amount;
        std::string message;
    } rows[] = {
        {"00000123456", 123400, "Prüfsumme(Gesamtbetrag) FALSCH!: Kontrollsatz: EUR 1.234,56 / Summe: EUR 1.234,00"},
        // 2^32 + 12345: in 32 bits it would equal the sum.
        {"04294979641", 12345, "Prüfsumme(Gesamtbetrag) FALSCH!: Kontrollsatz: EUR 42949.796,41 / Summe: EUR 123,45"},
    };
    for (const auto& row : rows) {
        DdsFileBuilder file(DdsPlan{.amount = row.amount});
        file.setField(file.controlIndex(), 1, row.controlTotal);
        auto reader = load(file);
        EXPECT_EQ(reader->CheckHeader(), 0);
        try {
            reader->CheckContents(false);
            ADD_FAILURE() << row.controlTotal;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), adz::ControlTotal);
            EXPECT_EQ(e.message(), row.message);
        }
    }
}

TEST_F(DdsReaderTest, ContentCheckOfFieldsAndNameRecords)
{
    // Record 5 is the second invoice's 0100 record; its field 8 holds the month 13.
    DdsFileBuilder file(DdsPlan{.invoices = 2, .fileRecord = true, .feePositions = 1});
    file.setField(5, 8, "20241315");
    auto reader = load(file);
    EXPECT_EQ(reader->CheckContents(false), 0);
    try {
        reader->CheckContents(true);
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), records::ContentFieldCode);
        EXPECT_EQ(e.message(), "Feldprüfung gescheitert: 5;100/14/D (Satzindex;Satzart/Feld/Typ)    Inhalt:[20241315]");
    }

    DdsFileBuilder marked(DdsPlan{.invoices = 1});
    marked.setHeader(1, HeaderPart::GroupMarker, "50");
    EXPECT_EQ(load(marked)->CheckContents(true), 0);
}

TEST_F(DdsReaderTest, DosCodePageIsConvertedButNotInTheControlRecord)
{
    DdsFileBuilder file(DdsPlan{.characterSet = "C850"});
    file.setField(1, 6, "M\x81ller");
    file.setField(file.controlIndex(), 4, "PRAXIS \x81");
    auto reader = load(file);
    EXPECT_EQ(reader->invoices()[0].nameText, "M\xFCller");
    EXPECT_EQ(reader->field4Text(), "PRAXIS \x81    ");
}

TEST_F(DdsReaderTest, EmptyAndMissingFilesAreRefused)
{
    try {
        DDSrz2Datei reader(dir.write("RZ0001.001", "").string(), false, false);
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Content);
        EXPECT_EQ(e.message(), "Datensatz-Lesefehler (Offset 0): nur 0d gelesen! ");
    }
    try {
        DDSrz2Datei reader(dir.file("RZ0002.001").string(), false, false);
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Structural);
        EXPECT_EQ(e.message().rfind("Dateizugriffsfehler [2] bei Datei: ", 0), 0u) << e.message();
    }
}

TEST_F(DdsReaderTest, AttachmentDirectoryIsMadeOrReported)
{
    auto reader = open(DdsFileBuilder());
    RecordingMessageBoxes boxes;
    reader->setMessageBoxes(&boxes);
    reader->setTemporaryDirectory(dir.file("tmp").string());
    std::filesystem::create_directory(dir.file("tmp"));
    const std::string attachments = reader->AttachmentDirectory();
    EXPECT_EQ(attachments, dir.file("tmp/brevalis_Anlagen/RZ0001.001/").string());
    EXPECT_TRUE(std::filesystem::is_directory(attachments));
    dir.write("tmp/brevalis_Anlagen/RZ0001.001/a.tif", "x");
    EXPECT_EQ(reader->EmptyAttachmentDirectory(true), 0);
    EXPECT_FALSE(std::filesystem::exists(attachments));

    const struct
    {
        const char* blocker; // a file where a directory must go
        std::string message;
    } rows[] = {
        {"brevalis_Anlagen", "Das Verzeichnis: brevalis_Anlagen\\ konnte nicht erzeugt werden."},
        {"brevalis_Anlagen/RZ0001.001", "Das Verzeichnis: brevalis_Anlagen\\RZ0001.001\\ konnte nicht erzeugt werden."},
    };
    for (const auto& row : rows) {
        TempDir root;
        root.write(row.blocker, "not a directory");
        auto blocked = open(DdsFileBuilder());
        blocked->setMessageBoxes(&boxes);
        blocked->setTemporaryDirectory(root.path().string());
        boxes.boxes.clear();
        try {
            blocked->AttachmentDirectory();
            ADD_FAILURE();
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), adz::Structural);
            EXPECT_EQ(e.message(), row.message);
        }
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, row.message);
        EXPECT_EQ(boxes.boxes[0].caption, "Hinweis");
        EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);
    }
}

TEST_F(DdsReaderTest, EncipheredDeliveryRoundTrip)
{
    const std::string plain = samples::ddsRzFile(DdsPlan{.interfaceNumber = 3, .invoices = 20});
    const std::string delivery = samples::encipheredDelivery(plain);
    const auto path = dir.write("RZ0001.001", delivery);
    EXPECT_EQ(IsVddsEncrypted(path), 3);
    EXPECT_EQ(IsVddsEncrypted(dir.write("RZ0002.001", plain)), 0);

    const std::string keep = dir.file("kept").string();
    EXPECT_EQ(UnwrapVddsEncrypted(path, keep), path.string());
    EXPECT_EQ(dir.read("RZ0001.001"), plain);
    EXPECT_EQ(dir.read("kept"), delivery);
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".~VDDS"));
    DDSrz3Datei reader(path.string(), false, false);
    EXPECT_EQ(reader.ReadContents(), 1);

    // Without a name the delivery keeps its name with the time and "_VDDSenc".
    const auto second = dir.write("RZ0003.001", delivery);
    UnwrapVddsEncrypted(second, "");
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("RZ0003.001_", 0) == 0 && name.size() == 11 + 14 + 8 && name.ends_with("_VDDSenc")) {
            ++kept;
            EXPECT_EQ(dir.read(name), delivery);
        }
    }
    EXPECT_EQ(kept, 1);
}

TEST_F(DdsReaderTest, FailedUnwrapLeavesTheDeliveryAsItWas)
{
    const std::string delivery = samples::encipheredDelivery(samples::ddsRzFile(DdsPlan{.invoices = 20}));
    const auto path = dir.write("RZ0001.001", delivery);
    // The disk fills up after the first block.
    int blocks = 0;
    const PlainWriter diskFull = [&blocks](int, std::string_view) {
        errno = ENOSPC;
        return blocks++ < 1;
    };
    EXPECT_THROW(UnwrapVddsEncrypted(path, dir.file("kept").string(), diskFull), CAdzException);
    EXPECT_EQ(dir.read("RZ0001.001"), delivery);
    EXPECT_FALSE(std::filesystem::exists(dir.file("kept")));
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".~VDDS"));

    // A second name that is taken: nothing changes.
    dir.write("kept", "other");
    EXPECT_THROW(UnwrapVddsEncrypted(path, dir.file("kept").string()), CAdzException);
    EXPECT_EQ(dir.read("RZ0001.001"), delivery);
    EXPECT_EQ(dir.read("kept"), "other");
}

} // namespace
} // namespace bv
