#include "app/contents/ContentsController.h"
#include "app/contents/ContentsTexts.h"
#include "app/contents/FileAttachments.h"
#include "app/contents/LabServices.h"
#include "billing/DdsSamples.h"
#include "billing/StubBillingFile.h"
#include "billing/attachments/AttachmentIni.h"
#include "billing/formats/records/InvoiceObject.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include "OpenDds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

using namespace bv;
namespace t = bv::contentstext;

namespace {

using Position = samples::LabPosition;

using LabFile = samples::DdsLabFile;

class FakeInvoice : public AttachmentInvoice
{
public:
    std::vector<AttachmentReference>& references() override { return refs; }
    std::optional<AttachmentReference> createReference(const std::string& imagePath) override
    {
        return AttachmentReference{imagePath, attachmentIniPath(imagePath), -1};
    }
    void addReference(const AttachmentReference& reference) override { refs.push_back(reference); }
    std::vector<AttachmentReference> refs;
};

class FakeAttachments : public ContentsAttachments
{
public:
    AttachmentInvoice* invoice(int index) override { return &invoices[index]; }
    std::string attachmentDirectory() override { return directory; }
    std::map<int, FakeInvoice> invoices;
    std::string directory;
};

class FakeWindow : public ContentsWindow
{
public:
    void showTable(const TableDescription& shown, int shownWidth) override
    {
        table = shown;
        width = shownWidth;
    }
    void updateRow(const TableRow& row) override { updated.push_back(row); }
    void setFootnote(const std::string& text) override { footnote = text; }
    void print(const std::string& title, const std::string& note) override { printed = {title, note}; }
    void closeDialog(bool ok) override { closedWith = ok ? 1 : 2; }

    TableDescription table;
    int width = 0;
    std::vector<TableRow> updated;
    std::string footnote;
    std::pair<std::string, std::string> printed;
    int closedWith = 0;
};

// The receipt dialog: the user's decision is `decide`, and OK or Cancel `confirm`.
class FakeDialogs : public ContentsDialogs
{
public:
    bool runReceipt(AttachmentEntry& entry, ReceiptMode receiptMode, const PartnerLabList& offered) override
    {
        mode = receiptMode;
        labs = offered;
        if (decide)
            decide(entry);
        return confirm;
    }
    std::optional<std::size_t> chooseAttachment(const std::vector<AttachmentReference>&) override { return chosen; }

    std::function<void(AttachmentEntry&)> decide;
    bool confirm = true;
    std::optional<std::size_t> chosen = 0;
    ReceiptMode mode = ReceiptMode::Referenced;
    PartnerLabList labs;
};

const PartnerLabList OneLab = {{"123456", "Labor Nord"}};

class ContentsControllerTest : public ::testing::Test
{
protected:
    ContentsControllerTest() { attachments.directory = dir.path().string() + "/"; }

    CAbrechnungsDatei& load(LabFile& file)
    {
        reader = test::openRz2(dir.write("RZ000001.001", file.bytes()).string(), dir.path().string());
        return *reader;
    }
    ContentsController& open(CAbrechnungsDatei& file, ContentsView variant, PartnerLabList labs = {},
                             bool checkMode = false)
    {
        ContentsDependencies deps(profile, boxes, attachments);
        deps.now = [] { return std::time_t{1735045509}; };
        controller =
            std::make_unique<ContentsController>(window, dialogs, deps, file, variant, std::move(labs), checkMode);
        controller->open();
        return *controller;
    }
    std::vector<int> widths() const
    {
        std::vector<int> out;
        for (const TableColumn& column : window.table.columns)
            out.push_back(column.width);
        return out;
    }
    const TableRow& row(const std::string& key) const
    {
        return window.table.rows.at(static_cast<std::size_t>(window.table.rowIndex(key)));
    }

    TempDir dir;
    TempRegistry registry;
    Profile profile{registry.registry()};
    RecordingMessageBoxes boxes;
    FakeAttachments attachments;
    FakeWindow window;
    FakeDialogs dialogs;
    std::unique_ptr<CAbrechnungsDatei> reader;
    std::unique_ptr<ContentsController> controller;
};

} // namespace

TEST(LabKeywords, AreNormalisedAndEmptyOnesDropped)
{
    EXPECT_EQ(normaliseLabText("Lab.-Kosten Praxis"), "labkostenpraxis");
    EXPECT_EQ(normaliseLabText("Fremd./Labor ÄÖÜ"), "fremdlaboräöü");
    EXPECT_EQ(splitLabKeywords("Eigen Labor; ;-./;praxis-labor;"),
              (std::vector<std::string>{"eigenlabor", "praxislabor"}));
}

TEST_F(ContentsControllerTest, LaboratoryServicesByKindKeywordsAndMarker)
{
    struct Row
    {
        std::string kind;
        std::vector<Position> positions;
        std::vector<std::pair<int, char>> services;
    };
    const std::vector<Row> rows = {
        {"F", {{"Lab.-Kosten Praxis", 100}}, {}}, // own keywords not searched
        {"E", {{"Lab.-Kosten Praxis", 100}}, {{100, 'E'}}},
        {"A", {{"Lab.-Kosten Praxis", 100}}, {{100, 'E'}}},
        {"A", {{"Fremdlabor und Eigenlabor", 200}}, {{200, 'F'}}}, // both lists: external
        {"E", {{"Dentallabor", 300}}, {}},
        {"F",
         {{"Dentallabor", 300, "-"}, {"Material", 5}, {"FREMD-LABOR", 7}, {"labkostengewe", 12345}},
         {{7, 'F'}, {12345, 'F'}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind + " " + r.positions[0].text);
        LabFile file(1);
        file.add(0, 500, r.positions);
        CAbrechnungsDatei& dds = load(file);
        LabKeywords keywords{splitLabKeywords(t::DefaultOwnKeywords), splitLabKeywords(t::DefaultExternalKeywords)};
        std::vector<std::pair<int, char>> found;
        for (const LabService& s : findLabServices(*dds.GetInvoiceData(0), keywords, r.kind[0]))
            found.emplace_back(s.amount, s.kind);
        EXPECT_EQ(found, r.services);
    }
}

TEST_F(ContentsControllerTest, A510RecordHoldsOnePosition)
{
    LabFile file(1);
    file.add(0, 510, {{"Fremdlabor Zahnersatz", 4200}});
    CAbrechnungsDatei& dds = load(file);
    LabKeywords keywords{{}, {"fremdlabor", "z"}}; // "z" would match texts in later fields
    const auto services = findLabServices(*dds.GetInvoiceData(0), keywords, 'F');
    ASSERT_EQ(services.size(), 1u);
    EXPECT_EQ(services[0].amount, 4200);
}

TEST_F(ContentsControllerTest, ColumnsOfEachVariant)
{
    struct Row
    {
        ContentsView variant;
        std::string kind;
        PartnerLabList labs;
        bool foreignIni;
        std::string amountNote;
        std::vector<int> widths;
    };
    using enum ContentsView;
    const std::vector<Row> rows = {
        {NumberedLaboratory, "F", {}, false, "", {125, 125, 70, 80, 80, 0, 23, 0, 80, 70, 0}},
        {NumberedLaboratory, "E", OneLab, false, "", {125, 125, 70, 80, 80, 0, 23, 23, 80, 70, 75}},
        {ReferencedLaboratory, "E", OneLab, false, "", {125, 125, 70, 80, 80, 0, 0, 23, 80, 70, 0}},
        {ReferencedLaboratory, "E", OneLab, true, "", {125, 125, 70, 80, 80, 0, 0, 0, 0, 0, 0}},
        {ReferencedLaboratory, "E", {}, false, "", {125, 125, 70, 80, 80, 0, 0, 0, 0, 0, 0}},
        {Plain, "E", OneLab, false, "inkl. MwSt.", {165, 165, 70, 80, 80, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(&r - rows.data()));
        profile.writeString(section::RZAnlagen, profilekey::LaborLeistungenTyp.name, r.kind);
        profile.writeString(section::Abrechnungsversand, profilekey::BetragErgText.name, r.amountNote);
        attachments.invoices.clear();
        if (r.foreignIni)
            attachments.invoices[0].refs = {{"a.tif", dir.write("a.ini", "[GENERAL]\r\nErsteller=praxis\r\n"), -1}};
        LabFile file(1);
        open(load(file), r.variant, r.labs);
        EXPECT_EQ(widths(), r.widths);
        EXPECT_EQ(window.width, window.table.totalWidth() + 25);
        EXPECT_EQ(window.table.columns[4].title, r.amountNote.empty() ? t::Amount : t::AmountStarred);
        EXPECT_EQ(window.footnote, r.amountNote.empty() ? "" : "* " + r.amountNote);
    }
    test::StubBillingFile pad;
    pad.setFileType(file_type::Pad);
    open(pad, Plain);
    EXPECT_EQ(widths(), (std::vector<int>{165, 165, 0, 80, 80, 0}));
}

TEST_F(ContentsControllerTest, RowsOfInvoicesAndTheirServicesWithTheSumRow)
{
    LabFile file(3);
    file.set(0, 100, 0, "Muster").set(0, 100, 1, "Hans").set(0, 100, 6, "P-17");
    file.set(0, 110, 0, "Muster").set(0, 110, 1, "Erna");
    file.set(1, 100, 0, "Br\xF6sel").set(1, 100, 1, "Ida").set(1, 100, 6, "").remove(1, 110);
    file.add(1, 121, {}).set(1, 121, 3, "Kasse").set(1, 121, 2, "Ida");
    file.add(1, 500, {{"Fremdlabor", 1234}, {"Dentallabor", 5}});
    file.set(2, 100, 0, "Solo").set(2, 100, 1, "Ola").set(2, 110, 0, "").set(2, 110, 1, "");
    profile.writeString(section::RZAnlagen, profilekey::StrictCheck.name, "0");
    open(load(file), ContentsView::NumberedLaboratory, OneLab);

    const auto texts = [&](const std::string& key) {
        std::vector<std::string> out;
        for (const TableCell& cell : row(key).cells)
            out.push_back(cell.kind == TableCell::Kind::Icon ? "#" + std::to_string(cell.icon) : cell.text);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(texts("0000/9999"),
              (V{"Muster, Erna", "Muster, Hans", "P-17", "0000001000", "123,45", "0000/9999", "", "", "", "", ""}));
    EXPECT_EQ(texts("0001/0000"), (V{"Kasse, Ida", "Brösel, Ida", "", "0000001001", "123,45", "0001/0000", "#1", "#1",
                                     t::Edit, "12,34", t::ExternalLab}));
    EXPECT_EQ(texts("0001/0001"), (V{"", "", "", "", "", "0001/0001", "#1", "#1", t::Edit, "0,05", t::ExternalLab}));
    EXPECT_EQ(texts("0002/9999")[0], "Solo, Ola"); // an empty recipient is the patient
    const TableRow& sum = window.table.rows.back();
    EXPECT_EQ(sum.key, ContentsController::SumKey);
    EXPECT_EQ(sum.cells[0].text, "3 Rechnungen");
    EXPECT_EQ(sum.cells[4].text, "370,35");
    for (const TableCell& cell : sum.cells)
        EXPECT_EQ(cell.background, ContentsController::SumColour);
    EXPECT_EQ(window.table.columns[6].headerIcon, 3);
    EXPECT_EQ(window.table.columns[7].headerIcon, 6);
    EXPECT_EQ(window.table.iconTooltip(8), "Die Angaben zur Partnerabrechnung sind vollständig.");
}

TEST_F(ContentsControllerTest, DefaultKindIsExternalWhenTheFileHasMarked0100Records)
{
    profile.writeString(section::RZAnlagen, profilekey::LaborLeistungenTyp.name, "Ebenso");
    LabFile plainFile(1);
    EXPECT_EQ(open(load(plainFile), ContentsView::NumberedLaboratory).defaultKind(), 'E');
    LabFile marked(1);
    marked.addMarked0100(0);
    EXPECT_EQ(open(load(marked), ContentsView::NumberedLaboratory).defaultKind(), 'F');
    EXPECT_EQ(open(load(plainFile), ContentsView::ReferencedLaboratory).defaultKind(), 'F');
}

TEST_F(ContentsControllerTest, EditingShowsTheDecisionAndCancelKeepsThePreviousOne)
{
    struct Row
    {
        bool receipt;
        std::string path;
        bool partner;
        std::string customer;
        char kind;
        int receiptIcon;
        int partnerIcon; // -1: no icon
    };
    const std::vector<Row> rows = {
        {false, "", false, "", 'F', 4, 7},
        {true, "r.tif", true, "123456", 'F', 5, 8},
        {true, "", true, "", 'F', 1, 1},
        {true, "r.tif", false, "", 'E', 5, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(&r - rows.data()));
        LabFile file(1);
        file.add(0, 500, {{"Fremdlabor", 100}});
        window.updated.clear();
        open(load(file), ContentsView::NumberedLaboratory, OneLab);
        dialogs.decide = [&r](AttachmentEntry& entry) {
            entry.receiptFlag = r.receipt;
            entry.receiptPath = r.path;
            entry.partnerFlag = r.partner;
            entry.partnerCustomerNumber = r.customer;
            entry.labKind = r.kind;
        };
        dialogs.confirm = true;
        controller->edit("0000/0000");
        ASSERT_EQ(window.updated.size(), 1u);
        EXPECT_EQ(window.updated[0].cells[6].icon, r.receiptIcon);
        EXPECT_EQ(window.updated[0].cells[7].icon, r.partnerIcon);
        EXPECT_EQ(dialogs.mode, ReceiptMode::New);
        EXPECT_EQ(dialogs.labs.size(), 1u);

        dialogs.confirm = false;
        dialogs.decide = [](AttachmentEntry& entry) { entry = {}; };
        controller->edit("0000/0000");
        EXPECT_EQ(window.updated.back().cells[6].icon, r.receiptIcon);
    }
}

TEST_F(ContentsControllerTest, CompletenessInCheckMode)
{
    struct Row
    {
        PartnerLabList labs;
        std::string ini; // the stored decision of the first service, empty: none
        bool foreignIni;
        int result;
    };
    const std::string partnerWanted =
        "[RZRECHNUNG]\r\nBeleg=1\r\n[DATA]\r\nPartnerabrechnung=1\r\nbrevalis-Kundennummer=\r\n";
    const std::vector<Row> rows = {
        {{}, "", false, 0},                            // undecided
        {{}, "[RZRECHNUNG]\r\nBeleg=0\r\n", false, 1}, // no receipt
        {{}, partnerWanted, false, 0},                 // receipt wanted, none assigned
        {OneLab, "[RZRECHNUNG]\r\nBeleg=0\r\n", false, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(&r - rows.data()));
        std::filesystem::remove(dir.file("00000000.ini"));
        if (!r.ini.empty())
            dir.write("00000000.ini", r.ini);
        LabFile file(1);
        file.add(0, 500, {{"Fremdlabor", 100}});
        ContentsDependencies deps(profile, boxes, attachments);
        EXPECT_EQ(checkContents(deps, load(file), ContentsView::NumberedLaboratory, r.labs), r.result);
    }
    // A partner decision wanted without a laboratory counts only with partner laboratories.
    LabFile file(1);
    file.add(0, 500, {{"Fremdlabor", 100}});
    attachments.invoices[0].refs = {{dir.write("s.tif", "x").string(), dir.write("s.ini", partnerWanted), 100}};
    ContentsDependencies deps(profile, boxes, attachments);
    EXPECT_EQ(checkContents(deps, load(file), ContentsView::NumberedLaboratory, {}), 1);
    EXPECT_EQ(checkContents(deps, *reader, ContentsView::NumberedLaboratory, OneLab), 0);
    EXPECT_TRUE(window.table.rows.empty()); // nothing shown
    // Read-only referenced files count as complete.
    attachments.invoices[0].refs = {{"a.tif", dir.write("a.ini", "[GENERAL]\r\nErsteller=praxis\r\n"), -1}};
    EXPECT_EQ(checkContents(deps, *reader, ContentsView::ReferencedLaboratory, OneLab), 1);
}

TEST_F(ContentsControllerTest, OkWritesTheDecisionsAndCancelWritesNothing)
{
    LabFile file(1);
    file.add(0, 500, {{"Fremdlabor", 100}});
    CAbrechnungsDatei& dds = load(file);
    dialogs.decide = [](AttachmentEntry& entry) { entry.partnerFlag = false; };
    open(dds, ContentsView::NumberedLaboratory, OneLab);
    controller->edit("0000/0000");
    controller->cancel();
    EXPECT_EQ(window.closedWith, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("00000000.ini")));

    open(dds, ContentsView::NumberedLaboratory, OneLab);
    controller->edit("0000/0000");
    controller->ok();
    EXPECT_EQ(window.closedWith, 1);
    AttachmentEntry stored;
    ASSERT_TRUE(readAttachmentIni(stored, dir.file("00000000.ini").string(), IniStrictness::Lenient));
    EXPECT_TRUE(stored.receiptFlag);
    EXPECT_FALSE(stored.partnerFlag);
}

TEST_F(ContentsControllerTest, InvoicesWithoutServicesHaveNoButtonWhateverStrictCheckSays)
{
    for (const char* strict : {"1", "0"}) {
        profile.writeString(section::RZAnlagen, profilekey::StrictCheck.name, strict);
        LabFile file(1);
        file.add(0, 500, {{"Material", 100}});
        open(load(file), ContentsView::NumberedLaboratory, OneLab);
        EXPECT_EQ(controller->rows()[0].editable, std::string(strict) == "0");
        EXPECT_EQ(row("0000/9999").cells[8].kind, TableCell::Kind::Text);
        controller->edit("0000/9999");
        EXPECT_TRUE(window.updated.empty());
    }
}

TEST_F(ContentsControllerTest, PrintTitleAndUnknownVariant)
{
    test::StubBillingFile file;
    file.customerNumber = 4711;
    file.batchNumber = 12;
    open(file, ContentsView::Plain);
    controller->print();
    EXPECT_EQ(window.printed.first, "Abrechnungsstapel 12 von Teilnehmer 000000");
    file.batchNumber = -1;
    EXPECT_EQ(controller->printTitle(), "Abrechnungsdatei von Teilnehmer 000000");

    open(file, ContentsView::None);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{t::CannotInitialise});
    EXPECT_EQ(window.closedWith, 2);
}

TEST_F(ContentsControllerTest, TheBillingFileGivesTheAttachmentDirectoryAndItsBoundReceipts)
{
    LabFile file(2);
    CAbrechnungsDatei& dds = load(file);
    FileAttachments fileAttachments(dds);
    EXPECT_EQ(fileAttachments.attachmentDirectory(), dir.path().string() + "/brevalis_Anlagen/RZ000001.001/");
    ASSERT_NE(fileAttachments.invoice(1), nullptr);
    EXPECT_TRUE(fileAttachments.invoice(1)->references().empty());
    EXPECT_EQ(fileAttachments.invoice(2), nullptr);
    test::StubBillingFile other;
    EXPECT_THROW(FileAttachments(other).attachmentDirectory(), CAdzException);
}
