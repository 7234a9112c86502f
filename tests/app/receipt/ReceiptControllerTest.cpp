#include "app/receipt/ReceiptController.h"
#include "app/receipt/ReceiptTexts.h"
#include "app/unattended/ReceiptTranscript.h"
#include "app/unattended/ScriptedUser.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Unattended.h"

#include "ReceiptFakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

using namespace bv;
using namespace bv::test;
namespace t = bv::receipttext;

namespace {

// 24.12.2024 12:00 UTC; the tests run in UTC.
constexpr std::time_t Now = 1735041600;

class ReceiptControllerTest : public ::testing::Test
{
protected:
    ReceiptControllerTest()
    {
        setenv("TZ", "UTC", 1);
        tzset();
        profile.writeString(section::RZAnlagen, profilekey::TmpDir.name, dir.file("tmp").string());
        profile.writeString(section::Scanner, bv::profilekey::SELECTSOURCE.name, "TRUE");
        profile.writeString(section::Scanner, bv::profilekey::MEDIANFILTER.name, "FALSE");
        profile.writeString(section::Scanner, bv::profilekey::SHOW_USER_INTERFACE.name, "FALSE");
        entry.receiptPath = dir.file("00030001.tif").string();
        entry.amount = 12345;
    }

    ReceiptController& open(int mode, PartnerLabList labs = {})
    {
        ReceiptDependencies deps(profile, boxes, document, scanner);
        deps.caption = "brevalis-Client 1.5.1";
        deps.now = [] { return Now; };
        controller = std::make_unique<ReceiptController>(view, deps, entry, mode, std::move(labs));
        controller->open();
        return *controller;
    }
    // An existing receipt of the given pages, opened for editing.
    ReceiptController& openExisting(const std::vector<std::string>& pages, PartnerLabList labs = {})
    {
        FakeDocument::writePages(entry.receiptPath, pages);
        entry.receiptFlag = true;
        return open(1, std::move(labs));
    }
    std::vector<std::string> workingPages() const { return FakeDocument::pagesOf(controller->workingCopy()); }
    std::vector<std::string> receiptPages() const { return FakeDocument::pagesOf(entry.receiptPath); }

    TempDir dir;
    TempRegistry registry;
    Profile profile{registry.registry()};
    RecordingMessageBoxes boxes;
    FakeDocument document;
    FakeScanner scanner;
    FakeReceiptView view;
    AttachmentEntry entry;
    std::unique_ptr<ReceiptController> controller;
};

const PartnerLabList TwoLabs = {{"123456", "Labor Nord"}, {"654321", "Labor Süd"}};

} // namespace

TEST_F(ReceiptControllerTest, OpeningNeedsTmpDirAndNamesTheWorkingCopyAfterTheReceipt)
{
    profile.writeString(section::RZAnlagen, profilekey::TmpDir.name, "");
    open(2);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{t::NoTmpDir});
    EXPECT_EQ(boxes.boxes[0].caption, "brevalis-Client 1.5.1");
    EXPECT_EQ(view.closedWith, 2);

    boxes.boxes.clear();
    view.closedWith = 0;
    profile.writeString(section::RZAnlagen, profilekey::TmpDir.name, dir.file("tmp").string());
    ReceiptController& c = open(2, TwoLabs);
    EXPECT_EQ(c.workingCopy(), dir.file("tmp/00030001.tmp").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("tmp")));
    EXPECT_EQ(view.lines, (std::vector<std::string>{"", "123456 Labor Nord", "654321 Labor Süd"}));
    EXPECT_EQ(view.amount, "123,45 EUR");
    EXPECT_EQ(view.title, "Beleg");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(view.closedWith, 0);
}

TEST_F(ReceiptControllerTest, SelectSourceIsShownOnlyWhenConfigured)
{
    const std::vector<std::tuple<std::optional<std::string>, bool, bool>> rows = {
        {"TRUE", true, false}, {"true", true, false}, {"FALSE", false, false}, {std::nullopt, false, true}};
    for (const auto& [value, shown, message] : rows) {
        boxes.boxes.clear();
        if (value)
            profile.writeString(section::Scanner, bv::profilekey::SELECTSOURCE.name, *value);
        else
            registry.registry().deleteValue(profile.sectionKey(section::Scanner), bv::profilekey::SELECTSOURCE.name);
        open(2);
        EXPECT_EQ(view.visible[ReceiptButton::SelectSource], shown) << value.value_or("missing");
        EXPECT_EQ(boxes.texts() == std::vector<std::string>{t::NoSelectSource}, message);
    }
}

TEST_F(ReceiptControllerTest, ModesDecideWhatIsCopiedAndShown)
{
    ReceiptController& c = openExisting({"a", "b"});
    EXPECT_EQ(workingPages(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(document.bitmap, "a");
    EXPECT_EQ(view.pageText, "Seite 1 von 2");
    EXPECT_EQ(view.title, "Beleg - [00030001.tif]");
    EXPECT_TRUE(view.visible[ReceiptButton::Scan]);
    EXPECT_FALSE(view.moved);
    EXPECT_TRUE(c.hasDocument());

    // A referenced image is looked at: scanning controls hidden, partner controls moved up.
    open(0);
    EXPECT_TRUE(view.moved);
    for (ReceiptButton b :
         {ReceiptButton::Scan, ReceiptButton::DeletePage, ReceiptButton::Rotate, ReceiptButton::SelectSource})
        EXPECT_FALSE(view.visible[b]);
    EXPECT_FALSE(view.controlVisible[ReceiptControl::ReceiptCheck]);

    std::filesystem::remove(entry.receiptPath);
    open(1);
    EXPECT_EQ(boxes.texts().back(), "Die Datei \"" + entry.receiptPath + "\"\nwurde nicht gefunden.\n");
    EXPECT_FALSE(controller->hasDocument());
    open(7);
    EXPECT_EQ(boxes.texts().back(), t::BadMode);
}

TEST_F(ReceiptControllerTest, PartnerLineFollowsTheFirstSixCharactersOrTheOnlyLaboratory)
{
    const std::vector<std::tuple<std::string, PartnerLabList, int>> rows = {
        {" 1234567 ", TwoLabs, 1},           // longer number, same six leading digits, trimmed
        {"654321", TwoLabs, 2},              //
        {"999999", TwoLabs, 0},              // no such laboratory: the empty line
        {"", TwoLabs, 0},                    // no number, several laboratories
        {"", {{"123456", "Labor Nord"}}, 1}, // no number, exactly one laboratory
        {"", {}, 0},
    };
    for (const auto& [number, labs, line] : rows) {
        entry.partnerCustomerNumber = number;
        EXPECT_EQ(open(2, labs).selectedPartnerLine(), line) << number;
        EXPECT_EQ(view.line, line);
    }
    EXPECT_FALSE(view.controlVisible[ReceiptControl::PartnerGroup]); // no laboratories: group hidden
}

TEST_F(ReceiptControllerTest, ControlsFollowDocumentPageZoomAndFlags)
{
    open(2, TwoLabs);
    EXPECT_EQ(view.texts[ReceiptButton::Scan], "Erste Seite scannen");
    EXPECT_EQ(view.texts[ReceiptButton::DeletePage], "Angezeigte Seite löschen");
    for (ReceiptButton b :
         {ReceiptButton::First, ReceiptButton::Next, ReceiptButton::ZoomIn, ReceiptButton::Fit, ReceiptButton::Rotate,
          ReceiptButton::Append, ReceiptButton::Insert, ReceiptButton::Scan, ReceiptButton::DeletePage})
        EXPECT_FALSE(view.enabled[b]);
    EXPECT_TRUE(view.enabled[ReceiptButton::Ok]);
    EXPECT_FALSE(view.controlEnabled[ReceiptControl::PartnerGroup]);
    controller->setReceiptFlag(true);
    EXPECT_FALSE(view.enabled[ReceiptButton::Ok]); // receipt wanted, nothing scanned
    EXPECT_TRUE(view.enabled[ReceiptButton::Scan]);
    EXPECT_TRUE(view.controlEnabled[ReceiptControl::PartnerGroup]);
    EXPECT_FALSE(view.controlEnabled[ReceiptControl::PartnerFields]);
    controller->setPartnerFlag(true);
    EXPECT_TRUE(view.controlEnabled[ReceiptControl::PartnerFields]);

    openExisting({"a", "b", "c"});
    controller->nextPage();
    EXPECT_EQ(view.pageText, "Seite 2 von 3");
    EXPECT_EQ(view.texts[ReceiptButton::Scan], "Folgeseite 4 scannen");
    EXPECT_EQ(view.texts[ReceiptButton::DeletePage], "Angezeigte Seite 2 löschen");
    EXPECT_TRUE(view.enabled[ReceiptButton::First] && view.enabled[ReceiptButton::Last]);
    controller->lastPage();
    EXPECT_EQ(document.bitmap, "c");
    EXPECT_FALSE(view.enabled[ReceiptButton::Next] || view.enabled[ReceiptButton::Last]);
    EXPECT_TRUE(view.enabled[ReceiptButton::Previous]);
    EXPECT_TRUE(view.enabled[ReceiptButton::DeletePage]);

    // Zoom in stops at 1600 %, out at 1 %; fitting uses the image area (500 x 400 for 1000 x 2000).
    for (int i = 0; i < 40; ++i)
        controller->zoomIn();
    EXPECT_EQ(controller->zoomPercent(), 1600);
    EXPECT_EQ(view.zoomText, "Zoom 1600 %");
    EXPECT_FALSE(view.enabled[ReceiptButton::ZoomIn]);
    for (int i = 0; i < 60; ++i)
        controller->zoomOut();
    EXPECT_EQ(controller->zoomPercent(), 1);
    EXPECT_FALSE(view.enabled[ReceiptButton::ZoomOut]);
    controller->fit();
    EXPECT_EQ(controller->zoomPercent(), 20);
    controller->fitWidth();
    EXPECT_EQ(controller->zoomPercent(), 50);
}

TEST_F(ReceiptControllerTest, ScanningBuildsTheWorkingCopyPageByPage)
{
    profile.writeInt(section::Scanner, bv::profilekey::XRESOLUTION.name, 150);
    profile.writeInt(section::Scanner, bv::profilekey::PIXELTYPE.name, 1);
    profile.writeInt(section::Scanner, bv::profilekey::COLOR_RESOLUTION.name, 8);
    profile.writeString(section::Scanner, bv::profilekey::MEDIANFILTER.name, "TRUE");
    ReceiptController& c = open(2);
    c.scan();
    EXPECT_TRUE(c.receiptFlag() && view.receiptChecked);
    EXPECT_EQ(workingPages(), std::vector<std::string>{"s1"});
    EXPECT_EQ(scanner.settings.xResolution, 150);
    EXPECT_EQ(scanner.settings.yResolution, 120);
    EXPECT_EQ(scanner.settings.pixelType, 1);
    EXPECT_EQ(scanner.settings.brightness, 225);
    EXPECT_EQ(document.steps, (std::vector<std::string>{"reduce8", "median"}));
    c.scan();
    EXPECT_EQ(workingPages(), (std::vector<std::string>{"s1", "s2"}));
    EXPECT_EQ(c.page(), 2);
    c.firstPage();
    c.insert();
    EXPECT_EQ(workingPages(), (std::vector<std::string>{"s3", "s1", "s2"}));
    EXPECT_EQ(document.bitmap, "s3");
    EXPECT_EQ(scanner.opened, scanner.closed);
    // The scanner used is remembered.
    EXPECT_EQ(profile.readString(section::Scanner, bv::profilekey::TwnSourceName.name), "test:0");
    EXPECT_EQ(profile.readString(section::Scanner, bv::profilekey::TwnManufacturer.name), "Noname");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ReceiptControllerTest, ColourDepthOutsideOneToTwentyFourIsKept)
{
    for (int bits : {0, 32, 25}) {
        document.steps.clear();
        profile.writeInt(section::Scanner, bv::profilekey::COLOR_RESOLUTION.name, bits);
        open(2).scan();
        EXPECT_TRUE(document.steps.empty()) << bits;
    }
}

TEST_F(ReceiptControllerTest, MissingScannerFlagsAreReportedAndTakeTheirDefaults)
{
    const std::string key = profile.sectionKey(section::Scanner);
    registry.registry().deleteValue(key, bv::profilekey::MEDIANFILTER.name);
    registry.registry().deleteValue(key, bv::profilekey::SHOW_USER_INTERFACE.name);
    open(2).scan();
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{t::NoMedianFilter, t::NoShowUserInterface}));
    EXPECT_EQ(document.steps.back(), "median");
    EXPECT_FALSE(scanner.shownUi);
    profile.writeString(section::Scanner, bv::profilekey::SHOW_USER_INTERFACE.name, "true");
    controller->scan();
    EXPECT_TRUE(scanner.shownUi);
}

TEST_F(ReceiptControllerTest, FailedOrCancelledScansLeaveTheDocumentAsItWas)
{
    ReceiptController& c = openExisting({"a", "b"});
    scanner.results.push_back({ScanResult::Status::Failed, 9, {}});
    scanner.results.push_back({ScanResult::Status::Cancelled, 0, {}});
    c.scan();
    c.scan();
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Der Scan-Vorgang ist leider fehlgeschlagen.(Fehler 9)\n"});
    EXPECT_EQ(workingPages(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(document.bitmap, "a");

    // A page that cannot be saved is reported by where it was to go.
    document.failing = {"save"};
    c.scan();
    c.insert();
    EXPECT_EQ(boxes.texts().at(1), t::AppendFailed);
    EXPECT_EQ(boxes.texts().at(2), t::InsertFailed);
    EXPECT_EQ(document.bitmap, "a");
    open(2).scan();
    EXPECT_EQ(boxes.texts().back(), t::SaveFailed);
    EXPECT_FALSE(controller->hasDocument());

    // Sources that cannot be listed after a scan: the page is kept, the box is captioned "ERROR".
    document.failing.clear();
    scanner.listOk = false;
    controller->scan();
    EXPECT_EQ(boxes.boxes.back().caption, "ERROR");
    EXPECT_EQ(boxes.texts().back(), t::SourcesFailed);
    EXPECT_TRUE(controller->hasDocument());
}

TEST_F(ReceiptControllerTest, SelectingTheScannerUsesItForTheNextScan)
{
    ReceiptController& c = open(2);
    view.sourceChoice = 1;
    c.selectSource();
    c.scan();
    EXPECT_EQ(scanner.selected, "test:1");
    EXPECT_EQ(profile.readString(section::Scanner, bv::profilekey::TwnManufacturer.name), "Other");
    scanner.listOk = false;
    c.selectSource();
    EXPECT_EQ(boxes.texts().back(), "Fehler bei der Auswahl des Scanners  aufgetreten.");
    EXPECT_EQ(scanner.opened, scanner.closed);
}

TEST_F(ReceiptControllerTest, DeletingAndRotatingPagesRewriteTheWorkingCopy)
{
    ReceiptController& c = openExisting({"a", "b", "c"});
    c.lastPage();
    c.rotate();
    EXPECT_EQ(workingPages(), (std::vector<std::string>{"a", "b", "cr"}));
    boxes.answers = {MbResult::Cancel, MbResult::Ok};
    c.deletePage();
    EXPECT_EQ(workingPages().size(), 3u);
    c.deletePage();
    EXPECT_EQ(boxes.boxes.back().buttons, MbButtons::OkCancel);
    EXPECT_EQ(workingPages(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(c.page(), 2);
    EXPECT_EQ(document.bitmap, "b");

    document.failing = {"rotate"};
    c.rotate();
    EXPECT_EQ(boxes.texts().back(), t::RotateFailed);
    EXPECT_EQ(workingPages(), (std::vector<std::string>{"a", "b"}));

    // Deleting the only page removes the working copy; OK then reports that nothing was scanned.
    document.failing.clear();
    c.deletePage();
    c.deletePage();
    EXPECT_FALSE(std::filesystem::exists(c.workingCopy()));
    EXPECT_FALSE(c.hasDocument());
    EXPECT_EQ(view.title, "Beleg");
    c.ok();
    EXPECT_EQ(boxes.texts().back(), t::ScanFirstPage);
    EXPECT_EQ(view.closedWith, 1);
}

TEST_F(ReceiptControllerTest, OkCopiesTheWorkingCopyAndFillsThePartnerData)
{
    ReceiptController& c = openExisting({"a"}, TwoLabs);
    c.scan();
    c.setPartnerFlag(true);
    c.selectPartnerLine(2);
    c.setNumberText("L-7");
    c.setDateText("5.11.2024");
    c.ok();
    EXPECT_EQ(view.closedWith, 1);
    EXPECT_EQ(receiptPages(), (std::vector<std::string>{"a", "s1"}));
    EXPECT_TRUE(entry.receiptFlag && entry.partnerFlag);
    EXPECT_EQ(entry.partnerCustomerNumber, "654321");
    EXPECT_EQ(entry.labInvoiceNumber, "L-7");
    EXPECT_EQ(entry.labInvoiceDate, 1730764800);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ReceiptControllerTest, OkChecksNumberDateAndPartnerBeforeClosing)
{
    const std::vector<std::pair<std::string, std::string>> dates = {
        {"", t::NoDate},
        {"5/11/2024", t::BadDate},
        {"31.02.2024", t::BadDate},
        {"31.12.2002", t::BadYear},
        {"25.12.2024", t::FutureDate},
        {"1.1.03", ""}, // two-digit years are this century up to 29
    };
    for (const auto& [date, message] : dates) {
        boxes.boxes.clear();
        ReceiptController& c = openExisting({"a"}, TwoLabs);
        c.setPartnerFlag(true);
        c.selectPartnerLine(1);
        c.setNumberText("L-1");
        c.setDateText(date);
        c.ok();
        EXPECT_EQ(c.closed(), message.empty()) << date;
        if (!message.empty()) {
            EXPECT_EQ(boxes.texts(), std::vector<std::string>{message}) << date;
        }
    }
    entry = AttachmentEntry{}; // the last row above filled the entry
    entry.receiptPath = dir.file("00030001.tif").string();
    ReceiptController& c = openExisting({"a"}, TwoLabs);
    c.setPartnerFlag(true);
    c.selectPartnerLine(1);
    c.ok();
    EXPECT_EQ(boxes.texts().back(), t::NoNumber);
    c.selectPartnerLine(0);
    c.ok();
    EXPECT_EQ(boxes.texts().back(), t::NoPartner);
    EXPECT_FALSE(c.closed());
    EXPECT_EQ(ReceiptController::parseDate("1.1.2038")->tm_year, 138);
}

TEST_F(ReceiptControllerTest, SwitchingTheReceiptOffAsksBeforeDeletingIt)
{
    ReceiptController& c = openExisting({"a"}, TwoLabs);
    c.setPartnerFlag(true);
    c.setReceiptFlag(false);
    boxes.answers = {MbResult::No, MbResult::Yes};
    c.ok();
    EXPECT_EQ(boxes.boxes.back().buttons, MbButtons::YesNo);
    EXPECT_FALSE(c.closed());
    EXPECT_FALSE(entry.receiptFlag || entry.partnerFlag);
    c.ok();
    EXPECT_EQ(view.closedWith, 1);
    EXPECT_FALSE(std::filesystem::exists(entry.receiptPath));
    EXPECT_FALSE(std::filesystem::exists(c.workingCopy()));
}

TEST_F(ReceiptControllerTest, CancelStillWritesTheEditedDocumentAndAFailedCopyKeepsTheReceipt)
{
    ReceiptController& c = openExisting({"a"});
    c.scan();
    c.cancel();
    EXPECT_EQ(view.closedWith, 2);
    EXPECT_EQ(receiptPages(), (std::vector<std::string>{"a", "s1"}));

    // The receipt's directory refuses the copy: the previous receipt stays, the dialog stays open.
    ReceiptController& d = openExisting({"a"});
    d.scan();
    entry.receiptPath = dir.file("gone/00030001.tif").string();
    d.ok();
    EXPECT_EQ(boxes.texts().back(), t::CopyBackFailed);
    EXPECT_FALSE(d.closed());
    EXPECT_EQ(FakeDocument::pagesOf(dir.file("00030001.tif").string()), std::vector<std::string>{"a"});
    const std::string working = d.workingCopy();
    controller.reset();
    EXPECT_FALSE(std::filesystem::exists(working)); // the dialog's end removes its working copy
}

TEST_F(ReceiptControllerTest, WindowPositionIsRestoredAndWrittenBack)
{
    profile.writeInt(section::SVWindowPos, profilekey::x.name, 100);
    profile.writeInt(section::SVWindowPos, profilekey::y.name, 50);
    profile.writeInt(section::SVWindowPos, profilekey::cx.name, 700);
    profile.writeInt(section::SVWindowPos, profilekey::cy.name, 900);
    open(2).cancel();
    EXPECT_EQ(view.placement, (WindowPlacement{100, 50, 810, 900, false, false}));
    EXPECT_EQ(profile.readInt(section::SVWindowPos, profilekey::x.name, -1), 10);
    EXPECT_EQ(profile.readInt(section::SVWindowPos, profilekey::cy.name, -1), 600);
    view.area = {0, 0, 800, 600};
    open(2);
    EXPECT_TRUE(view.placement.maximise);
}

TEST_F(ReceiptControllerTest, AScriptedUserPressesTheButtons)
{
    {
        std::ofstream answers(dir.file("answers.txt"));
        for (const char* answer :
             {"beleg\tscan", "beleg\tscan", "beleg\tprevious", "beleg\trotate", "beleg\tpartner\t1",
              "beleg\tlab\t6543219", "beleg\tnumber\tL-3", "beleg\tdate\t01.12.2024", "send", "beleg\tok"})
            answers << answer << "\n";
    }
    UnattendedSession session(dir.file("transcript.txt"), dir.file("answers.txt"));
    ScriptedUser user(session);
    ReceiptTranscript transcript(user);
    ReceiptDependencies deps(profile, boxes, document, scanner);
    deps.now = [] { return Now; };
    controller = std::make_unique<ReceiptController>(transcript.wrap(view), deps, entry, 2, TwoLabs);
    EXPECT_FALSE(transcript.run(*controller));
    // "send" belongs to another dialog: the receipt dialog is cancelled there.
    EXPECT_EQ(view.closedWith, 2);
    EXPECT_EQ(receiptPages(), (std::vector<std::string>{"s1r", "s2"}));
    EXPECT_EQ(controller->selectedPartnerLine(), 2);
    EXPECT_EQ(view.number, "L-3");
    EXPECT_EQ(session.peekAnswer(), "send");
    EXPECT_EQ(files::readFile(dir.file("transcript.txt")),
              "DIALOG\tBeleg\topen\nFIELD\tBeleg\t1\nFIELD\tSeiten\t2\nDIALOG\tBeleg\tclose\tcancel\n");
}
