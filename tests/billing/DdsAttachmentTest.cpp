// Attachments of DDS-RZ deliveries: the attachment container written and read back, its refusals,
// the binding of attachments to invoices and the extraction of an invoice's attachments.
#include "billing/AdzCodes.h"
#include "billing/AttachmentSamples.h"
#include "billing/DdsSamples.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/tiff/MultiTiffExtract.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

namespace bv {
namespace {

namespace fs = std::filesystem;
using samples::DdsPlan;
using samples::PackedFile;

// Readers whose attachment directory lies below the test's own directory.
class DdsAttachmentTest : public ::testing::Test
{
protected:
    template <typename Reader> std::unique_ptr<Reader> open(const std::string& name, std::string_view bytes)
    {
        auto reader = std::make_unique<Reader>(dir.write(name, bytes).string(), false, false, true);
        reader->setTemporaryDirectory(dir.path().string());
        reader->setTiffSplitter([this](const std::string& path, int ordinal) {
            splits.push_back(fs::path(path).filename().string() + "/" + std::to_string(ordinal));
            return pages;
        });
        reader->Validate();
        return reader;
    }
    std::string attachmentDirectory(const std::string& name) const
    {
        return dir.file("brevalis_Anlagen/" + name + "/").string();
    }
    template <typename F> void expectRefused(F&& action, int code, const std::string& message)
    {
        try {
            action();
            ADD_FAILURE() << "accepted; expected: " << message;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), code) << e.message();
            EXPECT_EQ(e.message(), message);
        }
    }

    TempDir dir{"bv-attachments-"};
    std::vector<std::string> splits;
    int pages = 3;
};

TEST_F(DdsAttachmentTest, ScannedAttachmentsArePackedReadBackExtractedAndSplit)
{
    const std::string dds = samples::ddsRzFile(DdsPlan{.invoices = 2});
    auto rz2 = open<DDSrz2Datei>("RZ0001.001", dds);
    rz2->ReadContents();
    const std::string scans = attachmentDirectory("RZ0001.001");
    const std::string tiff = samples::multiPageTiff(3);
    const std::string small = samples::multiPageTiff(1, 20, 20);
    dir.write("brevalis_Anlagen/RZ0001.001/b.tif", tiff);
    dir.write("brevalis_Anlagen/RZ0001.001/b.ini", samples::rz2AttachmentIni(samples::systemInvoiceNumber(1), "1"));
    dir.write("brevalis_Anlagen/RZ0001.001/a.tif", small);
    dir.write("brevalis_Anlagen/RZ0001.001/a.ini",
              samples::rz2AttachmentIni(samples::systemInvoiceNumber(0), "0", "12,50 EUR"));
    rz2->AddFromTempDDS();
    ASSERT_EQ(rz2->GetAttachmentCount(1), 2);
    EXPECT_EQ(rz2->attachments()[0].laboratoryAmount, 1250);
    EXPECT_EQ(rz2->invoices()[1].boundAttachments, 1);

    const std::string written = rz2->WriteContainer();
    EXPECT_EQ(written, scans + "~M004711.001.DDSRZ10");
    const std::string expected = samples::attachmentContainer(
        samples::ContainerPlan{.dds = dds,
                               .files = {PackedFile{scans + "a.tif", small}, PackedFile{scans + "b.tif", tiff},
                                         PackedFile{scans + "a.ini", dir.read("brevalis_Anlagen/RZ0001.001/a.ini")},
                                         PackedFile{scans + "b.ini", dir.read("brevalis_Anlagen/RZ0001.001/b.ini")}}});
    ASSERT_EQ(*files::readFile(written), expected);

    // Read back on another machine: the container arrives as RZ0002.001.
    auto back = open<DDSrz2Datei>("RZ0002.001", expected);
    EXPECT_EQ(back->numericTypeCode(), file_type::DdsV2Kind2828);
    back->ReadContents();
    const std::string unpacked = attachmentDirectory("RZ0002.001");
    EXPECT_EQ(back->GetFilePath(true), unpacked + "RZ0002.001.X.DDSRZ10");
    EXPECT_EQ(dir.read("brevalis_Anlagen/RZ0002.001/RZ0002.001.X.DDSRZ10"), dds);
    EXPECT_EQ(dir.read("brevalis_Anlagen/RZ0002.001/b.tif"), tiff);
    ASSERT_EQ(back->invoices()[1].boundAttachments, 1);
    EXPECT_EQ(back->invoices()[1].attachments[0]->path, unpacked + "b.tif");

    const std::string out = dir.file("out").string();
    fs::create_directory(out);
    EXPECT_EQ(back->ExtractAttachments(1, out), 3);
    EXPECT_EQ(dir.read("out/A0000000.tif"), tiff);
    EXPECT_EQ(samples::tiffPageCount(dir.file("out/A0000000.tif")), 3);
    EXPECT_EQ(splits, std::vector<std::string>{"A0000000.tif/1"});
    EXPECT_EQ(back->ExtractAttachments(2, out), 0);
    pages = 0; // a splitter log holding "Failure"
    EXPECT_EQ(back->ExtractAttachments(0, out), -1);
}

TEST_F(DdsAttachmentTest, ExtractedAttachmentsAreSplitIntoPagesByTheSplitterProgram)
{
    const char* bin = std::getenv("BV_BIN_DIR");
    RecordingMessageBoxes boxes;
    const MultiTiffExtract splitter(boxes, std::string(bin ? bin : ".") + "/bvtiffsplit");
    const std::string dds = samples::ddsRzFile(DdsPlan{.interfaceNumber = 3, .attachmentsPerInvoice = 2});
    auto rz3 = open<DDSrz3Datei>(
        "RZ0003.001", samples::attachmentContainer(
                          {.interfaceNumber = 3,
                           .dds = dds,
                           .files = {{"scan1.tif", samples::multiPageTiff(3)}, {"scan2.tif", "not a TIFF file"}}}));
    rz3->setTiffSplitter([&](const std::string& path, int ordinal) { return splitter.extract(path, ordinal); });
    rz3->ReadContents();
    fs::create_directory(dir.file("out"));
    // The first attachment gives three pages; the second fails, so the invoice's extraction does.
    EXPECT_EQ(rz3->ExtractAttachments(0, dir.file("out").string()), -1);
    for (const char* page : {"x0000101.tif", "x0000102.tif", "x0000103.tif"})
        EXPECT_EQ(samples::tiffPageCount(dir.file(std::string("out/") + page)), 1) << page;
    EXPECT_FALSE(fs::exists(dir.file("out/x0000104.tif")));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DdsAttachmentTest, EndByteOnlyWhenTheDataEndsOffARecordBoundary)
{
    for (const std::size_t size : {512u, 513u}) {
        SCOPED_TRACE(size);
        auto rz2 = open<DDSrz2Datei>("RZ" + std::to_string(size) + ".001", samples::ddsRzFile());
        rz2->ReadContents();
        const std::string scans = attachmentDirectory("RZ" + std::to_string(size) + ".001");
        dir.write("scan.tif", std::string(size, 'T'));
        dir.write("scan.ini", samples::rz2AttachmentIni("x", "0"));
        rz2->AddAttachment(dir.file("scan.tif").string());
        rz2->attachments()[0].companionPath.clear(); // the TIFF file alone
        const std::string container = *files::readFile(rz2->WriteContainer());
        EXPECT_EQ(container.size() % 256, size % 256 == 0 ? 0u : 1u);
        EXPECT_EQ(container.back(), size % 256 == 0 ? 'T' : '\x1a');
    }
}

TEST_F(DdsAttachmentTest, ContainerRefusals)
{
    const std::string dds = samples::ddsRzFile();
    const std::string ini = samples::rz2AttachmentIni(samples::systemInvoiceNumber(0), "0"); // 60 bytes
    const auto pair = [&](std::string tif, std::string iniName, std::string iniBytes) {
        return samples::attachmentContainer(samples::ContainerPlan{
            .dds = dds, .files = {PackedFile{std::move(tif), "TIFF"}, {std::move(iniName), std::move(iniBytes)}}});
    };
    // Header, two directory records, the DDS-RZ file in records 3 to 6, the TIFF data at record 7 and
    // the INI data at record 8: 2305 bytes.
    const auto patched = [&](int record, std::size_t offset, std::string text) {
        std::string bytes = pair("a.tif", "a.ini", ini);
        samples::patchRecord(bytes, record, offset, text);
        return bytes;
    };
    const struct
    {
        const char* name;
        std::string bytes;
        std::string message; // code -703
        bool nothingWritten;
    } rows[] = {
        {"reference count differs", patched(0, 43, "0003"),
         "Die Gesamtanzahl der Anlagen: \"2\" stimmt nicht mit der in der Abrechnungsdatei angegebenen "
         "Referenzanzahl: \"3\" überein",
         true},
        {"odd", samples::attachmentContainer({.dds = dds, .files = {{"a.tif", "T"}, {"a.ini", ini}, {"b.tif", "T"}}}),
         "Die Gesamtanzahl der Anlagen: \"3\" darf bei RZ2-Dateien nicht ungerade sein", true},
        {"size beyond the end", patched(1, 40, "00009999"),
         "Verzeichniseintrag 1 (\"a.tif\") liegt außerhalb des Anlagencontainers (Offset 1792, Größe 9999, "
         "Dateigröße 2305)",
         true},
        {"offset beyond the end", patched(2, 31, "99999999"),
         "Verzeichniseintrag 2 (\"a.ini\") liegt außerhalb des Anlagencontainers (Offset 25599999744, Größe 60, "
         "Dateigröße 2305)",
         true},
        {"truncated", pair("a.tif", "a.ini", ini).substr(0, 4 * 256),
         "Die Abrechnungsdatei liegt außerhalb des Anlagencontainers (Satz 3 bis 6, Dateigröße 1024)", true},
        {"empty name", pair("C:\\scan\\", "a.ini", ini),
         "Unzulässiger Dateiname im Anlagencontainer (Verzeichniseintrag 1): \"C:\\scan\\\"", true},
        {"parent directory", pair("a.tif", "x/..", ini),
         "Unzulässiger Dateiname im Anlagencontainer (Verzeichniseintrag 2): \"x/..\"", true},
        {"the billing file's name", pair("/x/rz0009.001.x.ddsrz10", "a.ini", ini),
         "Unzulässiger Dateiname im Anlagencontainer (Verzeichniseintrag 1): \"/x/rz0009.001.x.ddsrz10\"", true},
        {"no invoice number", pair("a.tif", "a.ini", "[RZRECHNUNG]\r\nRechnungsindex=0\r\n"),
         "Die Rechnungsnummer: \"fehler\" ist zu lang, nicht vorhanden oder der Key existiert nicht", false},
        {"invoice number too long", pair("a.tif", "a.ini", samples::rz2AttachmentIni("12345678901", "0")),
         "Die Rechnungsnummer: \"12345678901\" ist zu lang, nicht vorhanden oder der Key existiert nicht", false},
        {"no invoice index", pair("a.tif", "a.ini", "[RZRECHNUNG]\r\nRechnungsnummer=1\r\n"),
         "Die Rechnungsindex: \"fehler\" ist nicht vorhanden oder der Key existiert nicht", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        expectRefused([&] { open<DDSrz2Datei>("RZ0009.001", row.bytes); }, -703, row.message);
        if (row.nothingWritten) {
            EXPECT_TRUE(!fs::exists(attachmentDirectory("RZ0009.001")) ||
                        fs::is_empty(attachmentDirectory("RZ0009.001")));
        }
        fs::remove_all(attachmentDirectory("RZ0009.001"));
    }
}

TEST_F(DdsAttachmentTest, NamesFromTheContainerStayInTheAttachmentDirectory)
{
    const struct
    {
        const char* name;
        const char* written;
    } rows[] = {
        {"../../x.tif", "x.tif"},
        {"/tmp/y.tif", "y.tif"},
        {"C:\\praxis\\scan\\a.tif", "a.tif"},
        {"a\\..\\..\\z.tif", "z.tif"},
    };
    std::vector<PackedFile> packed;
    for (const auto& row : rows)
        packed.push_back({row.name, row.written});
    auto rz3 = open<DDSrz3Datei>(
        "RZ0003.001", samples::attachmentContainer(samples::ContainerPlan{
                          .interfaceNumber = 3,
                          .dds = samples::ddsRzFile(DdsPlan{.interfaceNumber = 3, .attachmentsPerInvoice = 4}),
                          .files = packed}));
    rz3->ReadContents();
    EXPECT_EQ(rz3->numericTypeCode(), file_type::DdsV3Kind2828);
    ASSERT_EQ(rz3->GetAttachmentCount(1), 4);
    EXPECT_EQ(rz3->GetAttachmentCount(0), 4);
    for (const auto& row : rows)
        EXPECT_EQ(dir.read("brevalis_Anlagen/RZ0003.001/" + std::string(row.written)), row.written) << row.name;
    EXPECT_FALSE(fs::exists(dir.file("x.tif")));

    // The references of the invoice name the attachments by number.
    fs::create_directory(dir.file("out"));
    EXPECT_EQ(rz3->ExtractAttachments(0, dir.file("out").string()), 12);
    EXPECT_EQ(dir.read("out/A0000400.tif"), "z.tif");
    rz3->attachments().pop_back();
    expectRefused([&] { rz3->ExtractAttachments(0, dir.file("out").string()); }, adz::AttachmentReference,
                  "Inkonsistenz in Anlagenreferenzierung ! (Rechnung-Nr.1)");
}

TEST_F(DdsAttachmentTest, AttachmentListRules)
{
    auto rz2 = open<DDSrz2Datei>("RZ0001.001", samples::ddsRzFile(DdsPlan{.invoices = 2}));
    rz2->ReadContents();
    dir.write("lone.tif", "T");
    expectRefused([&] { rz2->AddAttachment(dir.file("lone.tif").string()); }, adz::Content,
                  "RZ2: Keine ini-Datei zu Anlage " + dir.file("lone.tif").string() + " gefunden!");
    dir.write("s.tif", "T");
    dir.write("s.ini", samples::rz2AttachmentIni("x", "0"));
    for (int i = 0; i < 25; ++i)
        rz2->AddAttachment(dir.file("s.tif").string());
    expectRefused([&] { rz2->AddAttachment(dir.file("s.tif").string()); }, adz::Structural,
                  "Rechnung 1 enthält mehr als 25 Anlagen!");
    dir.write("s.ini", samples::rz2AttachmentIni("x", "-1"));
    for (int i = 0; i < 30; ++i)
        rz2->AddAttachment(dir.file("s.tif").string());
    EXPECT_EQ(rz2->GetAttachmentCount(1), 50); // invoice count x 25: the rest is left out
    EXPECT_EQ(rz2->attachments().back().laboratoryAmount, -1);
    expectRefused([&] { rz2->AddFromTempDDS(); }, adz::AttachmentContainer,
                  "AddFromTempDDS: m_pAnlage wurde bereits allokiert!");
    rz2->attachments()[1].path.clear();
    expectRefused([&] { rz2->WriteContainer(); }, adz::Content, "Anlageliste unvollstängig! (nur 1 statt 50 Anlagen)");
}

} // namespace
} // namespace bv
