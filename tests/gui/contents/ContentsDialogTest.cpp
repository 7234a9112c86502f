#include "gui/contents/ContentsDialog.h"

#include "app/contents/ContentsTexts.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/DdsSamples.h"
#include "billing/attachments/AttachmentIni.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "gui/grid/GridWidget.h"
#include "gui/grid/TableModel.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include "../../app/contents/OpenDds.h"

#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace t = bv::contentstext;

namespace {

// The user of the receipt dialog decides that there is no receipt and no partner billing.
class NoReceiptDialogs : public bv::ContentsDialogs
{
public:
    bool runReceipt(bv::AttachmentEntry& entry, bv::ReceiptMode, const bv::PartnerLabList&) override
    {
        entry.receiptFlag = false;
        entry.partnerFlag = false;
        return true;
    }
    std::optional<std::size_t> chooseAttachment(const std::vector<bv::AttachmentReference>&) override { return 0; }
};

class NoAttachments : public bv::ContentsAttachments
{
public:
    explicit NoAttachments(std::string directory) : m_directory(std::move(directory)) {}
    bv::AttachmentInvoice* invoice(int) override { return nullptr; }
    std::string attachmentDirectory() override { return m_directory; }

private:
    std::string m_directory;
};

// One invoice with one external laboratory service of 42,00.
std::string labFile()
{
    bv::samples::DdsFileBuilder builder;
    auto& records = builder.records();
    records.insert(records.end() - 1, builder.makeRecord(500, bv::samples::systemInvoiceNumber(0), 4));
    builder.setField(builder.controlIndex() - 1, 0, "Fremdlabor");
    builder.setField(builder.controlIndex() - 1, 2, "0004200");
    builder.recount();
    return builder.bytes();
}

} // namespace

class ContentsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void editAndConfirm()
    {
        bv::TempRegistry registry;
        bv::Profile profile(registry.registry());
        profile.writeString(bv::section::Abrechnungsversand, bv::profilekey::BetragErgText.name, "inkl. Labor");
        bv::RecordingMessageBoxes boxes;
        auto file = bv::test::openRz2(m_dir.write("RZ000001.001", labFile()).string(), m_dir.path().string());
        NoReceiptDialogs dialogs;
        NoAttachments attachments(m_dir.path().string() + "/");
        bv::ContentsDialog dialog(dialogs, bv::ContentsDependencies(profile, boxes, attachments), *file,
                                  bv::ContentsView::NumberedLaboratory, {{"123456", "Labor Nord"}});
        dialog.controller().open();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QCOMPARE(dialog.windowTitle(), QString::fromUtf8(t::Title));
        QCOMPARE(dialog.findChild<QLabel*>("footnote")->text(), QString("* inkl. Labor"));
        bv::GridWidget& grid = dialog.grid();
        QVERIFY(grid.isColumnHidden(5) && !grid.isColumnHidden(7));
        QCOMPARE(grid.model()->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Rech. Betrag*"));
        const QModelIndex receipt = grid.model()->index(0, 6);
        QCOMPARE(grid.model()->data(receipt, Qt::ToolTipRole).toString(), QString::fromUtf8(t::StateTips[1]));

        auto* edit = grid.findChild<QPushButton*>("button:0000/0000");
        QVERIFY(edit);
        QTest::mouseClick(edit, Qt::LeftButton);
        QCOMPARE(grid.model()->data(grid.model()->index(0, 6), Qt::ToolTipRole).toString(),
                 QString::fromUtf8(t::StateTips[4]));
        QCOMPARE(grid.model()->data(grid.model()->index(0, 7), Qt::ToolTipRole).toString(),
                 QString::fromUtf8(t::StateTips[7]));
        QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(boxes.texts().empty());
    }

    void printsTitleAndFootnote()
    {
        bv::TableDescription table;
        table.columns = {{"Patient", 125, bv::CellAlignment::Left}, {"", 23, bv::CellAlignment::Centre, 3}};
        for (int i = 0; i < 80; ++i) // more than one page
            table.rows.push_back(
                {std::to_string(i),
                 {bv::TableCell::textCell("Muster " + std::to_string(i)), bv::TableCell::iconCell(5)}});
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const std::string pdf = m_dir.file("contents.pdf").string();
        printer.setOutputFileName(QString::fromStdString(pdf));
        bv::printTable(printer, table, "Abrechnungsstapel 12 von Teilnehmer 004711", "* inkl. Labor");

        QProcess text;
        text.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.count("Abrechnungsstapel 12 von Teilnehmer 004711") >= 2, qPrintable(printed));
        QVERIFY(printed.contains("* inkl. Labor"));
        QVERIFY(printed.contains("Muster 79"));
    }

private:
    bv::TempDir m_dir;
};

QTEST_MAIN(ContentsDialogTest)
#include "ContentsDialogTest.moc"
