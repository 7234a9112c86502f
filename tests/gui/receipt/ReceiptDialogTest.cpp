#include "gui/receipt/ReceiptDialog.h"

#include "app/receipt/ReceiptTexts.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "gui/imaging/MagickImageDocument.h"
#include "gui/imaging/TiffPages.h"
#include "gui/scanning/SaneScanner.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>

namespace t = bv::receipttext;

// The receipt dialog driven through its widgets: two pages scanned from SANE's virtual scanner, paged,
// zoomed, the partner billing filled in and confirmed; the receipt is a two-page TIFF.
class ReceiptDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_dir.write("sane/dll.conf", "test\n");
        ::setenv("SANE_CONFIG_DIR", m_dir.file("sane").c_str(), 1);
    }

    void scanPageAndConfirm()
    {
        bv::TempRegistry registry;
        bv::Profile profile(registry.registry());
        profile.writeString(bv::section::RZAnlagen, bv::profilekey::TmpDir.name, m_dir.file("tmp").string());
        profile.writeString(bv::section::Scanner, bv::profilekey::SELECTSOURCE.name, "TRUE");
        profile.writeString(bv::section::Scanner, bv::profilekey::MEDIANFILTER.name, "FALSE");
        profile.writeString(bv::section::Scanner, bv::profilekey::SHOW_USER_INTERFACE.name, "FALSE");
        profile.writeInt(bv::section::Scanner, bv::profilekey::XRESOLUTION.name, 50);
        profile.writeInt(bv::section::Scanner, bv::profilekey::YRESOLUTION.name, 50);
        profile.writeInt(bv::section::Scanner, bv::profilekey::PIXELTYPE.name, 1);
        bv::RecordingMessageBoxes boxes;
        bv::MagickImageDocument document;
        bv::SaneScanner scanner;
        bv::AttachmentEntry entry;
        entry.receiptPath = m_dir.file("00000000.tif").string();
        entry.amount = 4200;
        bv::ReceiptDependencies deps(profile, boxes, document, scanner);
        bv::ReceiptDialog dialog(deps, entry, 2, {{"123456", "Labor Nord"}});
        dialog.controller().open();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* scan = dialog.findChild<QPushButton*>("scan");
        auto* ok = dialog.findChild<QPushButton*>("ok");
        auto* pageText = dialog.findChild<QLabel*>("pageText");
        QVERIFY(scan && ok && pageText);
        QCOMPARE(dialog.windowTitle(), QString("Beleg"));
        QCOMPARE(scan->text(), QString::fromUtf8(t::ScanFirst));
        QVERIFY(!scan->isEnabled());
        QCOMPARE(dialog.findChild<QLabel*>("amount")->text(), QString("42,00 EUR"));
        QCOMPARE(dialog.findChild<QComboBox*>("partnerList")->currentIndex(), 1); // the only laboratory

        auto* receipt = dialog.findChild<QCheckBox*>("receipt");
        // A check box takes clicks on its box and text only.
        QTest::mouseClick(receipt, Qt::LeftButton, {}, QPoint(5, receipt->height() / 2));
        QVERIFY(scan->isEnabled());
        QVERIFY(!ok->isEnabled()); // a receipt is wanted and nothing is scanned yet
        QTest::mouseClick(scan, Qt::LeftButton);
        QTest::mouseClick(scan, Qt::LeftButton);
        QCOMPARE(pageText->text(), QString("Seite 2 von 2"));
        QCOMPARE(scan->text(), QString("Folgeseite 3 scannen"));
        QCOMPARE(dialog.windowTitle(), QString("Beleg - [00000000.tif]"));
        QVERIFY(ok->isEnabled());
        QTest::mouseClick(dialog.findChild<QPushButton*>("firstPage"), Qt::LeftButton);
        QCOMPARE(pageText->text(), QString("Seite 1 von 2"));
        const QString zoom = dialog.findChild<QLabel*>("zoomText")->text();
        QTest::mouseClick(dialog.findChild<QPushButton*>("zoomIn"), Qt::LeftButton);
        QVERIFY(dialog.findChild<QLabel*>("zoomText")->text() != zoom);
        QVERIFY(!dialog.findChild<QGraphicsView*>("imageArea")->scene()->sceneRect().isEmpty());

        auto* group = dialog.findChild<QGroupBox*>("partnerGroup");
        QVERIFY(group->isVisible() && !group->isChecked());
        group->setChecked(true);
        emit group->clicked(true);
        QTest::keyClicks(dialog.findChild<QLineEdit*>("labInvoiceNumber"), "L-1");
        QTest::keyClicks(dialog.findChild<QLineEdit*>("labInvoiceDate"), "01.12.2024");
        QTest::mouseClick(ok, Qt::LeftButton);

        QVERIFY(boxes.texts().empty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(bv::tiffpages::pageCount(entry.receiptPath), 2);
        QCOMPARE(entry.partnerCustomerNumber, std::string("123456"));
        QCOMPARE(entry.labInvoiceNumber, std::string("L-1"));
        QVERIFY(entry.receiptFlag && entry.partnerFlag);
        QCOMPARE(profile.readString(bv::section::Scanner, bv::profilekey::TwnSourceName.name), std::string("test:0"));
    }

private:
    bv::TempDir m_dir;
};

QTEST_MAIN(ReceiptDialogTest)
#include "ReceiptDialogTest.moc"
