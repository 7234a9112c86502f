#include "gui/update/UpdateDialogRunner.h"

#include "app/core/ClientApp.h"
#include "app/unattended/ScriptedUser.h"
#include "bvcentre/BillingCentre.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Unattended.h"

#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace std::chrono_literals;

namespace {

// The update dialog of an unattended run, started from the application object: not shown, the
// answer "cancel" presses Cancel while downloading, the install question takes "no".
class UpdateUnattendedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_centre.start());
        std::ofstream(m_dir.file("answers.txt")) << "cancel\nno\n";
        std::filesystem::create_directories(m_dir.file("tmp"));
        ::setenv("TMPDIR", m_dir.file("tmp").c_str(), 1);
        m_session = std::make_unique<bv::UnattendedSession>(m_dir.file("transcript.txt"), m_dir.file("answers.txt"));
        m_user = std::make_unique<bv::ScriptedUser>(*m_session);
    }

    void answersDriveTheDialog()
    {
        bv::TempRegistry registry;
        bv::UnattendedMessageBoxes boxes(*m_session);
        bv::NetworkProbe probe;
        bv::DialUp dialUp;
        bv::ClientApp app(registry.registry(), boxes, bv::CommandLine::parse({}), "/usr/bin/bvals_cl", probe, dialUp,
                          m_user.get());

        bv::testing::ScriptedReply slow;
        slow.body = std::string(400 * 1024, 'x');
        slow.contentType = "application/octet-stream";
        slow.delayPerChunk = 20ms;
        slow.times = 1;
        m_centre.script("/download/bv_setup.exe", slow);
        bv::runUpdateDialog(app, m_centre.url("/download/bv_setup.exe"), nullptr);

        m_centre.setInstallerSize(5000);
        bv::runUpdateDialog(app, m_centre.url("/download/bv_setup.exe"), nullptr);

        QCOMPARE(m_centre.requests("/download/bv_setup.exe").size(), std::size_t(2));
        QVERIFY(!std::filesystem::exists(m_dir.file("tmp/bv_setup.exe")));
        QCOMPARE(app.profile().readString("General", "AutoUpdateFile"), std::string());
        std::ifstream in(m_dir.file("transcript.txt"));
        std::string transcript((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QCOMPARE(transcript, std::string("DIALOG\tbrevalis\topen\n"
                                         "MSG\tbrevalis\terror\tok\tLa transmission a \xC3\xA9t\xC3\xA9 interrompue.\n"
                                         "DIALOG\tbrevalis\tclose\tcancel\n"
                                         "DIALOG\tbrevalis\topen\n"
                                         "MSG\tbrevalis\tquestion\tyesno\tDas Update wurde vollst\xC3\xA4ndig "
                                         "heruntergeladen.\\nSoll die neue brevalis-Softwareversion nun installiert "
                                         "werden?\n"
                                         "DIALOG\tbrevalis\tclose\tcancel\n"));
    }

private:
    bv::testing::BillingCentre m_centre;
    bv::TempDir m_dir;
    std::unique_ptr<bv::UnattendedSession> m_session;
    std::unique_ptr<bv::ScriptedUser> m_user;
};

} // namespace

QTEST_MAIN(UpdateUnattendedTest)
#include "UpdateUnattendedTest.moc"
