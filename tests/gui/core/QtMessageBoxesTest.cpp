// Message boxes keep the system's line breaks: as wide as the longest line, never wider than the
// screen, and the text shown as plain text.

#include "gui/core/QtMessageBoxes.h"
#include "net/NetTexts.h"
#include "platform/Text.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

class QtMessageBoxesTest : public QObject
{
    Q_OBJECT

    // Shows `text` through the port and hands the open box to `inspect` before it is closed.
    static void showAndInspect(const std::string& text, const std::function<void(QMessageBox&)>& inspect)
    {
        bool inspected = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            inspect(*box);
            inspected = true;
            box->done(QMessageBox::Ok);
        });
        bv::QtMessageBoxes boxes;
        boxes.show(text, "brevalis", bv::MbIcon::Warning);
        QVERIFY(inspected);
    }

    static QLabel& textLabel(QMessageBox& box) { return *box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")); }

private slots:
    void noLineOfTheFirstStartNoticeWraps()
    {
        const std::string notice = bv::strFormat(bv::nettext::FirewallHint, "0848 000 000");
        showAndInspect(notice, [](QMessageBox& box) {
            QLabel& label = textLabel(box);
            const QFontMetrics metrics(label.font());
            for (const QString& line : label.text().split(QLatin1Char('\n')))
                QVERIFY2(metrics.horizontalAdvance(line) <= label.contentsRect().width(), qPrintable(line));
            QVERIFY(box.width() <= box.screen()->availableGeometry().width());
        });
    }

    void aLineWiderThanTheScreenIsWrappedWithinIt()
    {
        std::string longLine;
        for (int i = 0; i < 200; ++i)
            longLine += "Abrechnung ";
        showAndInspect(longLine + "\nEnde", [](QMessageBox& box) {
            QVERIFY(box.width() <= box.screen()->availableGeometry().width());
            QVERIFY(textLabel(box).wordWrap());
        });
    }

    void textIsShownAsWritten()
    {
        showAndInspect("Fehler in <b>Rechnung</b> 4", [](QMessageBox& box) {
            QCOMPARE(textLabel(box).textFormat(), Qt::PlainText);
            QCOMPARE(textLabel(box).text(), QStringLiteral("Fehler in <b>Rechnung</b> 4"));
        });
    }
};

QTEST_MAIN(QtMessageBoxesTest)
#include "QtMessageBoxesTest.moc"
