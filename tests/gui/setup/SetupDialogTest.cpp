// The setup dialog's widgets follow the controller: drive buttons, directory field, OK writes.

#include "config/Profile.h"
#include "config/SetupController.h"
#include "gui/setup/SetupDialog.h"
#include "platform/Files.h"
#include "platform/TempRegistry.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

class DrivesPresent : public bv::files::DriveProbe
{
public:
    explicit DrivesPresent(bool a) : m_a(a) {}
    bool driveExists(char letter) const override { return letter == 'A' && m_a; }

private:
    bool m_a;
};

} // namespace

class SetupDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void directoryChoiceWithoutDrives()
    {
        bv::TempRegistry registry;
        bv::Profile profile(registry.registry());
        profile.writeString(bv::section::Abrechnungsversand, "spooldir", "/srv/spool");
        profile.writeString(bv::section::Abrechnungsversand, "UseProxy", "1");
        DrivesPresent drives(false);
        bv::SetupController controller(profile, drives);
        bv::SetupDialog dialog(controller);

        auto* driveA = dialog.findChild<QRadioButton*>("driveA");
        auto* driveB = dialog.findChild<QRadioButton*>("driveB");
        auto* directory = dialog.findChild<QLineEdit*>("directoryText");
        QVERIFY(driveA && driveB && directory);
        QVERIFY(!driveA->isEnabled());
        QVERIFY(!driveB->isEnabled());
        QVERIFY(directory->isEnabled());
        QCOMPARE(directory->text(), QStringLiteral("/srv/spool"));
        QVERIFY(dialog.findChild<QCheckBox*>("useProxy")->isChecked());
        QVERIFY(!dialog.findChild<QCheckBox*>("useLan")->isChecked());
    }

    void okWritesTheEditedValues()
    {
        bv::TempRegistry registry;
        bv::Profile profile(registry.registry());
        profile.writeString(bv::section::Abrechnungsversand, "spooldir", "A:\\");
        DrivesPresent drives(true);
        bv::SetupController controller(profile, drives);
        bv::SetupDialog dialog(controller);

        auto* driveA = dialog.findChild<QRadioButton*>("driveA");
        auto* directoryChoice = dialog.findChild<QRadioButton*>("directoryChoice");
        auto* directory = dialog.findChild<QLineEdit*>("directoryText");
        QVERIFY(driveA->isEnabled());
        QVERIFY(driveA->isChecked());
        QVERIFY(!directory->isEnabled()); // a drive choice disables the directory field

        directoryChoice->setChecked(true);
        QVERIFY(directory->isEnabled());
        directory->setText(QStringLiteral("/srv/neu"));
        dialog.findChild<QCheckBox*>("useLan")->setChecked(true);
        dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(profile.readString(bv::section::Abrechnungsversand, "spooldir"), std::string("/srv/neu"));
        QCOMPARE(profile.readString(bv::section::Abrechnungsversand, "SavedSpooldir"), std::string("/srv/neu"));
        QCOMPARE(profile.readString(bv::section::General, "UseLan"), std::string("1"));
        QCOMPARE(profile.readString(bv::section::Abrechnungsversand, "UseProxy"), std::string("0"));
    }

    void cancelWritesNothing()
    {
        bv::TempRegistry registry;
        bv::Profile profile(registry.registry());
        profile.writeString(bv::section::Abrechnungsversand, "spooldir", "/srv/spool");
        DrivesPresent drives(false);
        bv::SetupController controller(profile, drives);
        bv::SetupDialog dialog(controller);
        dialog.findChild<QLineEdit*>("directoryText")->setText(QStringLiteral("/elsewhere"));
        dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(profile.readString(bv::section::Abrechnungsversand, "spooldir"), std::string("/srv/spool"));
        QVERIFY(!profile.exists(bv::section::Abrechnungsversand, "SavedSpooldir"));
    }
};

QTEST_MAIN(SetupDialogTest)
#include "SetupDialogTest.moc"
