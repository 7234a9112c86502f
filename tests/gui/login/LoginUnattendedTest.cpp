#include "gui/login/QtLoginDialogRunner.h"

#include "app/core/ClientApp.h"
#include "app/unattended/ScriptedUser.h"
#include "bvcentre/BillingCentre.h"
#include "gui/core/QtDispatcher.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Unattended.h"

#include "FakePorts.h"

#include <QTest>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

// The login dialog of an unattended run: not shown, answers from the answers file, transcript lines.
class LoginUnattendedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_centre.start());
        m_centre.addAccount({"dupont", "geheim", {}, {}, false, false});
        std::ofstream(m_dir.file("answers.txt")) << "login\tdupont\tgeheim\n"
                                                 << "login\tdupont\tfalsch\n"
                                                 << "cancel\n";
        m_session = std::make_unique<bv::UnattendedSession>(m_dir.file("transcript.txt"), m_dir.file("answers.txt"));
        m_user = std::make_unique<bv::ScriptedUser>(*m_session);
    }

    void answersDriveTheDialog()
    {
        bv::TempRegistry registry;
        bv::test::RecordingBoxes boxes;
        bv::NetworkProbe probe;
        bv::DialUp dialUp;
        bv::ClientApp app(registry.registry(), boxes, bv::CommandLine::parse({"/conf", "Demo"}), "/usr/bin/bvals_cl",
                          probe, dialUp, m_user.get());
        bv::QtDispatcher dispatcher;
        bv::QtLoginDialogRunner runner(app, dispatcher);

        app.session().loginAddress = m_centre.url("/login");
        app.session().loginContext = "CMA";
        QVERIFY(runner.runLoginDialog() == bv::LoginDialogResult::LoggedIn);
        QVERIFY(app.session().loggedIn);

        app.session().logOut();
        app.session().loginAddress = m_centre.url("/login");
        QVERIFY(runner.runLoginDialog() == bv::LoginDialogResult::Cancelled);
        QCOMPARE(m_centre.requests("/login").size(), std::size_t(2));

        std::ifstream in(m_dir.file("transcript.txt"));
        std::string transcript((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QCOMPARE(transcript, std::string("DIALOG\tbrevalis Demo\topen\n"
                                         "DIALOG\tbrevalis Demo\tclose\tok\n"
                                         "DIALOG\tbrevalis Demo\topen\n"
                                         "DIALOG\tbrevalis Demo\tclose\tcancel\n"));
    }

private:
    bv::testing::BillingCentre m_centre;
    bv::TempDir m_dir;
    std::unique_ptr<bv::UnattendedSession> m_session;
    std::unique_ptr<bv::ScriptedUser> m_user;
};

} // namespace

QTEST_MAIN(LoginUnattendedTest)
#include "LoginUnattendedTest.moc"
