// The client at home on the desktop: the toolkit's texts follow the language, every dialog carries
// the client's icon.

#include "gui/core/DesktopIntegration.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLocale>
#include <QPushButton>
#include <QTest>

class DesktopIntegrationTest : public QObject
{
    Q_OBJECT

    static QString cancelText()
    {
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        return buttons.button(QDialogButtonBox::Cancel)->text();
    }

private slots:
    // Runs first: no catalogue is installed yet, so the toolkit speaks English.
    void languageWithoutCatalogueKeepsTheToolkitTexts()
    {
        QCOMPARE(bv::desktop::installToolkitTranslations(*qApp, QLocale(QLocale::Esperanto)), 0);
        QCOMPARE(cancelText(), QStringLiteral("Cancel"));
    }

    void frenchDesktopGetsFrenchStandardButtons()
    {
        QVERIFY(bv::desktop::installToolkitTranslations(*qApp, QLocale(QStringLiteral("fr_CH"))) >= 1);
        QCOMPARE(cancelText(), QStringLiteral("Annuler"));
    }

    void everyDialogCarriesTheClientIcon()
    {
        bv::desktop::installApplicationIcon();
        QDialog dialog;
        const QList<QSize> sizes = dialog.windowIcon().availableSizes();
        for (const int size : {16, 32, 48, 256})
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("ch.brevalis.client"));
    }
};

QTEST_MAIN(DesktopIntegrationTest)
#include "DesktopIntegrationTest.moc"
