#include "billing/attachments/AttachmentIni.h"
#include "billing/attachments/AttachmentStore.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sys/stat.h>

using namespace bv;

namespace {

// An invoice of a billing file: its references, and a binding that refuses the images named so.
class FakeInvoice : public AttachmentInvoice
{
public:
    std::vector<AttachmentReference>& references() override { return refs; }
    std::optional<AttachmentReference> createReference(const std::string& imagePath) override
    {
        if (refused.count(imagePath))
            return std::nullopt;
        return AttachmentReference{imagePath, attachmentIniPath(imagePath), -1};
    }
    void addReference(const AttachmentReference& reference) override { refs.push_back(reference); }

    std::vector<AttachmentReference> refs;
    std::set<std::string> refused;
};

// 24.12.2024 13:05:09 UTC; the tests run in UTC so that local dates are fixed.
constexpr std::time_t Now = 1735045509;

class AttachmentStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
        row.invoice = &invoice;
        row.index = 3;
        row.invoiceNumber = "R-17   ";
        row.recipientName = "Muster, Anna";
    }
    AttachmentStore store(AttachmentLayout::Kind kind, bool readOnly = false)
    {
        AttachmentLayout layout{kind, dir.path().string() + "/", readOnly};
        return AttachmentStore(layout, boxes, [] { return Now; });
    }
    std::string ownIni(const std::string& beleg, const std::string& data) const
    {
        return "[GENERAL]\r\nErsteller=bvals_cl\r\n[RZRECHNUNG]\r\nBeleg=" + beleg + "\r\n[DATA]\r\n" + data;
    }

    TempDir dir;
    RecordingMessageBoxes boxes;
    FakeInvoice invoice;
    AttachmentInvoiceRow row;
};

AttachmentEntry partnerEntry()
{
    AttachmentEntry e;
    e.receiptPath = "/x/00030001.tif";
    e.receiptFlag = true;
    e.partnerFlag = true;
    e.partnerCustomerNumber = "004711";
    e.labInvoiceNumber = "L-99";
    e.labInvoiceDate = parseIniDate("05.11.2024");
    e.amount = 123456;
    return e;
}

} // namespace

TEST_F(AttachmentStoreTest, WritesTheIniLineByLineInWindows1252)
{
    row.invoiceNumber = "Zahnärztin 1 ";
    EXPECT_EQ(attachmentIniText(row, partnerEntry(), Now),
              "[GENERAL]\r\nErsteller=bvals_cl\r\nErstellungsdatum=24.12.2024 13:05:09\r\n\r\n"
              "[RZRECHNUNG]\r\nBeleg=1\r\nRechnungsnummer=Zahn\xE4rztin 1\r\nRechnungsindex=3\r\n"
              "Laborbetrag=1234,56 EUR\r\n\r\n"
              "[DATA]\r\nPartnerabrechnung=1\r\nbrevalis-Kundennummer=004711\r\nRechnungsnummer=L-99\r\n"
              "Rechnungsdatum=05.11.2024\r\nRechnungsbetrag=1234,56 EUR\r\n");

    // No amount, no partner billing: no Laborbetrag line and "Partnerabrechnung=0".
    AttachmentEntry plain;
    const std::string text = attachmentIniText(row, plain, Now);
    EXPECT_EQ(text.find("Laborbetrag"), std::string::npos);
    EXPECT_NE(text.find("Beleg=0\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("[DATA]\r\nPartnerabrechnung=0\r\n"));
}

TEST_F(AttachmentStoreTest, AmountsAreWrittenAndReadInTheirIniForms)
{
    const std::vector<std::pair<long long, std::string>> written = {
        {5, "0,05 EUR"}, {123456, "1234,56 EUR"}, {100, "1,00 EUR"}, {-5, "-0,05 EUR"}};
    for (const auto& [cents, text] : written) {
        EXPECT_EQ(formatIniAmount(cents), text);
        EXPECT_EQ(parseIniAmount(text), cents) << text;
    }
    // A thousands point ends the number; without decimals the figure counts as cents.
    EXPECT_EQ(parseIniAmount("1.234,56 EUR"), 1);
    EXPECT_EQ(parseIniAmount("12 EUR"), 12);
    EXPECT_EQ(parseIniAmount("-1"), -1);
    EXPECT_EQ(parseIniDate("-1"), 0);
    EXPECT_EQ(parseIniDate("31.02.2024"), 0);
    EXPECT_EQ(parseIniDate("29.02.2024"), 1709164800);
}

TEST_F(AttachmentStoreTest, ReadingKeepsOnlyWhatTheFlagsAllow)
{
    // Beleg=2 is neither receipt nor partner billing, whatever [DATA] says.
    AttachmentEntry e = partnerEntry();
    ASSERT_TRUE(readAttachmentIniText(e, ownIni("2", "Partnerabrechnung=1\r\n"), IniStrictness::Lenient));
    EXPECT_FALSE(e.receiptFlag);
    EXPECT_FALSE(e.partnerFlag);
    EXPECT_EQ(e.partnerCustomerNumber, "");
    EXPECT_EQ(e.labInvoiceDate, 0);
    EXPECT_EQ(e.amount, 123456); // the amount stays as it was
    EXPECT_EQ(e.receiptPath, "/x/00030001.tif");

    // Partner billing without its keys: every default is -1.
    e = AttachmentEntry{};
    ASSERT_TRUE(readAttachmentIniText(e, ownIni("1", "Partnerabrechnung=1\r\n"), IniStrictness::Lenient));
    EXPECT_TRUE(e.partnerFlag);
    EXPECT_EQ(e.partnerCustomerNumber, "-1");
    EXPECT_EQ(e.labInvoiceNumber, "-1");
    EXPECT_EQ(e.amount, -1);
    EXPECT_EQ(e.labInvoiceDate, 0);

    // The strict variant refuses another creator and leaves the entry alone; lenient reads it.
    const std::string foreign = "[GENERAL]\r\nErsteller=Praxis\r\n[RZRECHNUNG]\r\nBeleg=0\r\n";
    e = partnerEntry();
    EXPECT_FALSE(readAttachmentIniText(e, foreign, IniStrictness::Strict));
    EXPECT_TRUE(e.receiptFlag);
    EXPECT_TRUE(readAttachmentIniText(e, foreign, IniStrictness::Lenient));
    EXPECT_FALSE(e.receiptFlag);

    // A value is read through a 64-byte buffer.
    e = AttachmentEntry{};
    readAttachmentIniText(e, ownIni("1", "Partnerabrechnung=1\r\nbrevalis-Kundennummer=" + std::string(100, '7')),
                          IniStrictness::Lenient);
    EXPECT_EQ(e.partnerCustomerNumber, std::string(63, '7'));
}

TEST_F(AttachmentStoreTest, PartnerDataSurvivesAWriteAndReadButUndecidedPartnerDoesNot)
{
    AttachmentEntry written = partnerEntry();
    written.receiptPath = (dir.path() / "a.tif").string();
    const std::string path = writeAttachmentIni(row, written, boxes, Now);
    ASSERT_EQ(path, (dir.path() / "a.ini").string());
    AttachmentEntry read;
    ASSERT_TRUE(readAttachmentIni(read, path, IniStrictness::Strict));
    EXPECT_TRUE(read.receiptFlag && read.partnerFlag);
    EXPECT_EQ(read.partnerCustomerNumber, "004711");
    EXPECT_EQ(read.labInvoiceNumber, "L-99");
    EXPECT_EQ(read.labInvoiceDate, written.labInvoiceDate);
    EXPECT_EQ(read.amount, 123456);

    written.partnerCustomerNumber.clear();
    writeAttachmentIni(row, written, boxes, Now);
    ASSERT_TRUE(readAttachmentIni(read, path, IniStrictness::Strict));
    EXPECT_TRUE(read.receiptFlag);
    EXPECT_FALSE(read.partnerFlag);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(AttachmentStoreTest, NumberedEntriesComeFromReferencesByAmountThenFromNumberedInis)
{
    dir.write("mine.ini", ownIni("1", "Partnerabrechnung=0\r\n"));
    invoice.refs = {{"/r/a.tif", "", 500}, {"/r/b.tif", (dir.path() / "mine.ini").string(), 700}};
    dir.write("00030003.ini", ownIni("0", ""));
    store(AttachmentLayout::Kind::Numbered)
        .buildEntries(row, {{500, 'F'}, {500, 'E'}, {700, 'F'}, {900, 'F'}, {900, 'F'}});
    ASSERT_EQ(row.entries.size(), 5u);
    // Two services of one amount both take the first reference with it.
    EXPECT_EQ(row.entries[0].receiptPath, "/r/a.tif");
    EXPECT_EQ(row.entries[1].receiptPath, "/r/a.tif");
    EXPECT_EQ(row.entries[1].labKind, 'E');
    EXPECT_TRUE(row.entries[0].receiptFlag);
    EXPECT_EQ(row.entries[2].receiptPath, "/r/b.tif");
    EXPECT_FALSE(row.entries[2].partnerFlag);
    // No reference: the numbered INI of service 3 decides "no receipt"; service 4 has none.
    EXPECT_EQ(row.entries[3].receiptPath, "");
    EXPECT_FALSE(row.entries[3].receiptFlag);
    EXPECT_TRUE(row.entries[4].receiptFlag && row.entries[4].partnerFlag);
    EXPECT_EQ(row.entries[4].recipientName, "Muster, Anna");
}

TEST_F(AttachmentStoreTest, ReferencedEntriesTakeTheFirstReferenceWithAClientIni)
{
    dir.write("p.ini", "[GENERAL]\r\nErsteller=Praxis\r\n[RZRECHNUNG]\r\nBeleg=0\r\n");
    dir.write("c.ini", ownIni("1", "Partnerabrechnung=1\r\nbrevalis-Kundennummer=000042\r\n"));
    invoice.refs = {{"/r/n.tif", "", -1},
                    {"/r/p.tif", (dir.path() / "p.ini").string(), -1},
                    {"/r/c.tif", (dir.path() / "c.ini").string(), -1}};
    store(AttachmentLayout::Kind::Referenced).buildEntries(row, {{100, 'F'}, {200, 'F'}});
    ASSERT_EQ(row.entries.size(), 2u);
    for (const AttachmentEntry& e : row.entries) {
        EXPECT_EQ(e.receiptPath, "/r/c.tif");
        EXPECT_EQ(e.partnerCustomerNumber, "000042");
    }
    EXPECT_TRUE(AttachmentStore::hasForeignIni({&invoice}));

    // Without a client INI the entries stay undecided; read-only builds nothing.
    invoice.refs = {{"/r/n.tif", "", -1}};
    row.entries.clear();
    store(AttachmentLayout::Kind::Referenced).buildEntries(row, {{100, 'F'}});
    EXPECT_TRUE(row.entries[0].receiptFlag && row.entries[0].partnerFlag && row.entries[0].receiptPath.empty());
    EXPECT_FALSE(AttachmentStore::hasForeignIni({&invoice}));
    row.entries.clear();
    store(AttachmentLayout::Kind::Referenced, true).buildEntries(row, {{100, 'F'}});
    EXPECT_TRUE(row.entries.empty());
}

TEST_F(AttachmentStoreTest, CommitWritesEveryIniAndRegistersFinishedReceipts)
{
    AttachmentEntry scanned;
    scanned.receiptFlag = true;
    scanned.receiptPath = (dir.path() / "00030000.tif").string();
    AttachmentEntry refused = scanned;
    refused.receiptPath = (dir.path() / "00030001.tif").string();
    invoice.refused.insert(refused.receiptPath);
    AttachmentEntry unwritable = scanned;
    unwritable.receiptPath = (dir.path() / "missing/x.tif").string();
    AttachmentEntry none; // no receipt decided: nothing to place
    row.entries = {unwritable, scanned, refused, none};
    std::vector<AttachmentInvoiceRow> rows = {row};
    store(AttachmentLayout::Kind::Numbered).commit(rows);

    // The failed write is shown and the commit goes on with the next entries.
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind(
                  "Fehler beim Schreiben von " + (dir.path() / "missing/x.ini").string() + "\nFehler: ", 0),
              0u);
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
    EXPECT_FALSE(dir.read("00030000.ini").empty());
    EXPECT_FALSE(dir.read("00030001.ini").empty());
    ASSERT_EQ(invoice.refs.size(), 2u); // the unwritable one is still registered, the refused one not
    EXPECT_EQ(invoice.refs[1].imagePath, scanned.receiptPath);
}

TEST_F(AttachmentStoreTest, ReferencedCommitNamesTheIniOnMatchingReferencesOnly)
{
    const std::string image = (dir.path() / "Scan.TIF").string();
    invoice.refs = {{(dir.path() / "scan.tif").string(), "", -1}, {image, "/kept.ini", -1}, {"/other.tif", "", -1}};
    AttachmentEntry entry;
    entry.receiptFlag = true;
    entry.receiptPath = image;
    row.entries = {entry};
    std::vector<AttachmentInvoiceRow> rows = {row};
    store(AttachmentLayout::Kind::Referenced).commit(rows);
    const std::string ini = (dir.path() / "Scan.ini").string();
    EXPECT_EQ(invoice.refs[0].iniPath, ini);
    EXPECT_EQ(invoice.refs[1].iniPath, "/kept.ini");
    EXPECT_EQ(invoice.refs[2].iniPath, "");

    // Read-only: nothing written.
    std::filesystem::remove(ini);
    store(AttachmentLayout::Kind::Referenced, true).commit(rows);
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(AttachmentStoreTest, PreparingAnEntryChoosesModeImageAndPartnerList)
{
    AttachmentEntry own;
    own.labKind = 'E';
    AttachmentEntry kept;
    kept.receiptFlag = true;
    kept.receiptPath = "/k.tif";
    row.entries = {own, kept};
    const AttachmentStore numbered = store(AttachmentLayout::Kind::Numbered);
    auto request = numbered.prepareForReceipt(row, 0, {}, "");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->mode, ReceiptMode::New);
    EXPECT_FALSE(request->withPartnerLabs);
    EXPECT_EQ(row.entries[0].receiptPath, dir.path().string() + "/00030000.tif");
    EXPECT_EQ(numbered.prepareForReceipt(row, 1, {}, "")->mode, ReceiptMode::Existing);

    const AttachmentStore referenced = store(AttachmentLayout::Kind::Referenced);
    row.entries = {AttachmentEntry{}};
    EXPECT_FALSE(referenced.prepareForReceipt(row, 0, {}, "0800 123"));
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_NE(boxes.texts()[0].find("unter der Telefonnummer 0800 123."), std::string::npos);

    invoice.refs = {{"/one.tif", "", -1}};
    EXPECT_EQ(referenced.prepareForReceipt(row, 0, {}, "")->mode, ReceiptMode::Referenced);
    EXPECT_EQ(row.entries[0].receiptPath, "/one.tif");

    row.entries = {AttachmentEntry{}};
    invoice.refs.push_back({"/two.tif", "", -1});
    EXPECT_FALSE(referenced.prepareForReceipt(
        row, 0, [](const auto&) { return std::nullopt; }, ""));
    EXPECT_EQ(row.entries[0].receiptPath, "");
    EXPECT_TRUE(referenced.prepareForReceipt(
        row, 0, [](const auto&) { return std::optional<std::size_t>(1); }, ""));
    EXPECT_EQ(row.entries[0].receiptPath, "/two.tif");
}

TEST_F(AttachmentStoreTest, SweepRemovesOnlyThisProgramsRegularIniFiles)
{
    const std::string own = ownIni("1", "");
    dir.write("spool/a.ini", own);
    dir.write("spool/B.INI", own);
    dir.write("spool/praxis.ini", "[GENERAL]\r\nErsteller=Praxis\r\n");
    dir.write("spool/nocreator.ini", "[RZRECHNUNG]\r\nBeleg=1\r\n");
    dir.write("spool/keep.txt", own);
    std::filesystem::create_directory(dir.file("spool/dir.ini"));
    ASSERT_EQ(mkfifo(dir.file("spool/pipe.ini").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir.file("spool/a.ini"), dir.file("spool/link.ini"));
    const std::string spool = dir.file("spool").string();

    EXPECT_EQ(removeOwnIniFiles(spool), 2);
    for (const char* kept : {"praxis.ini", "nocreator.ini", "keep.txt", "dir.ini", "pipe.ini"})
        EXPECT_TRUE(std::filesystem::exists(dir.file(std::string("spool/") + kept))) << kept;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("spool/link.ini")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("spool/a.ini")));

    // A read-only INI of this program stops the sweep.
    dir.write("spool/ro.ini", own);
    std::filesystem::permissions(dir.file("spool/ro.ini"), std::filesystem::perms::owner_read);
    EXPECT_EQ(removeOwnIniFiles(spool), -3);
    EXPECT_EQ(removeOwnIniFiles(dir.file("absent").string()), -2);
}
