#include "gui/update/UpdateDialog.h"

#include "UpdateFakes.h"
#include "bvcentre/BillingCentre.h"
#include "gui/core/QtDispatcher.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

using namespace std::chrono_literals;

namespace {

// The update window offscreen, downloading from a local billing centre.
class UpdateDialogTest : public QObject
{
    Q_OBJECT

private:
    bv::UpdateDependencies dependencies()
    {
        bv::UpdateDependencies deps(m_boxes, m_settings, m_dispatcher, m_launcher);
        deps.hangUp = [](bool) {};
        deps.temporaryDirectory = m_dir.path().string() + "/";
        deps.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
        deps.connectTimeout = 5s;
        deps.idleTimeout = 5s;
        return deps;
    }
    std::string installer() const { return m_dir.path().string() + "/bv_setup.exe"; }

private slots:
    void initTestCase() { QVERIFY(m_centre.start()); }

    void init()
    {
        m_boxes.boxes.clear();
        m_boxes.answers.clear();
        m_launcher.opened.clear();
        m_centre.clearScripts();
    }

    void showsTheUpdateWindow()
    {
        bv::UpdateDialog dialog(dependencies());
        QCOMPARE(dialog.windowTitle(), QString("brevalis"));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(Qt::white));
        auto* text = dialog.findChild<QLabel*>("updateText");
        QVERIFY(text);
        QCOMPARE(text->text(), QString::fromUtf8("Das automatische Update wird nun vom brevalis-Rechenzentrum "
                                                 "heruntergeladen. Dieser Vorgang kann einige Minuten in Anspruch "
                                                 "nehmen. Bitte haben Sie etwas Geduld."));
        auto* progress = dialog.findChild<QProgressBar*>("progressBar");
        QVERIFY(progress);
        QCOMPARE(progress->minimum(), 0);
        QCOMPARE(progress->maximum(), 100);
        QVERIFY(dialog.findChild<QPushButton*>("cancelButton"));
    }

    void downloadsAndStartsTheInstaller()
    {
        m_centre.setInstallerSize(2'000'000);
        m_boxes.answers = {bv::MbResult::Yes};
        bv::UpdateDialog dialog(dependencies());
        const std::string address = m_centre.url("/download/bv_setup.exe");
        QTimer::singleShot(0, &dialog, [&] { dialog.controller().start(address); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));

        QCOMPARE(dialog.findChild<QProgressBar*>("progressBar")->value(), 100);
        QCOMPARE(std::filesystem::file_size(installer()), std::uintmax_t(2'000'000));
        QCOMPARE(m_launcher.opened, std::vector<std::string>{installer()});
        QCOMPARE(m_settings.values["General/AutoUpdateFile"], installer());
    }

    void cancelButtonStopsTheDownload()
    {
        bv::testing::ScriptedReply slow;
        slow.body = std::string(400 * 1024, 'x');
        slow.contentType = "application/octet-stream";
        slow.delayPerChunk = 20ms;
        m_centre.script("/download/bv_setup.exe", slow);
        bv::UpdateDialog dialog(dependencies());
        auto* progress = dialog.findChild<QProgressBar*>("progressBar");
        const std::string address = m_centre.url("/download/bv_setup.exe");
        QTimer::singleShot(0, &dialog, [&] { dialog.controller().start(address); });
        QTimer poll;
        connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (progress->value() > 0)
                QTest::mouseClick(dialog.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        });
        poll.start(10);
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));

        QVERIFY(dialog.controller().outcome() == bv::UpdateOutcome::Cancelled);
        QVERIFY(!std::filesystem::exists(installer()));
        QCOMPARE(m_boxes.boxes.size(), std::size_t(1));
        QCOMPARE(m_boxes.boxes[0].text, std::string("La transmission a \xC3\xA9t\xC3\xA9 interrompue."));
        QVERIFY(m_launcher.opened.empty());
    }

private:
    bv::testing::BillingCentre m_centre;
    bv::TempDir m_dir;
    bv::RecordingMessageBoxes m_boxes;
    bv::test::MapSettings m_settings;
    bv::QtDispatcher m_dispatcher;
    bv::test::FakeLauncher m_launcher;
};

} // namespace

QTEST_MAIN(UpdateDialogTest)
#include "UpdateDialogTest.moc"
