// The app-layer headers come before any Qt header: the application object's command line has a
// member named like one of Qt's keywords.
#include "app/core/CInstanceChecker.h"
#include "app/core/ClientApp.h"
#include "app/unattended/ScriptedUser.h"
#include "bvcentre/BillingCentre.h"
#include "config/Profile.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Unattended.h"

#include "FakePorts.h"

#include "gui/main/MainWindowLauncher.h"

#include <QTest>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

std::vector<std::string> lines(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The main window of an unattended run, started through its launcher as start-up does: the real
// login dialog answers from the answers file, pages load offscreen, the transcript tells what
// happened.
class MainWindowUnattendedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_centre.start());
        m_centre.addAccount({"dupont", "geheim", {{"123456", "Cabinet Dupont"}}, {}, false, false});
        m_centre.setStartPath("/app/send?auto=1");
        std::ofstream(m_dir.file("answers.txt")) << "login\tdupont\tgeheim\n"
                                                 << "close\n";
        m_session = std::make_unique<bv::UnattendedSession>(m_dir.file("transcript.txt"), m_dir.file("answers.txt"));
        m_user = std::make_unique<bv::ScriptedUser>(*m_session);
    }

    void loginPageCommandAndNextPage()
    {
        bv::TempRegistry registry;
        bv::test::RecordingBoxes boxes;
        bv::NetworkProbe probe;
        bv::DialUp dialUp;
        bv::ClientApp app(registry.registry(), boxes, bv::CommandLine::parse({"/conf", "Demo"}), "/usr/bin/bvals_cl",
                          probe, dialUp, m_user.get());
        app.profile().writeString(bv::section::General, "LoginURL", m_centre.url("/login"));
        app.profile().writeString(bv::section::General, "UseLan", "1");
        app.profile().writeString(bv::section::General, "LoginSuccess", "1");
        app.connection().readSettings();

        int sendDialogs = 0;
        bv::MainWindowServices services;
        services.sendDialog = [&](QWidget*) {
            ++sendDialogs;
            return m_centre.url("/app/next");
        };
        bv::CInstanceChecker checker("bvtest_unattended_" + std::to_string(::getpid()));
        QVERIFY(!checker.PreviousInstanceRunning());
        bv::runMainWindow(app, {}, checker, services);

        QCOMPARE(sendDialogs, 1);
        const std::vector<std::string> transcript = lines(m_dir.file("transcript.txt"));
        QVERIFY(transcript.size() >= 5);
        QCOMPARE(transcript[0], std::string("DIALOG\tbrevalis Demo\topen")); // the main window
        QCOMPARE(transcript[1], std::string("DIALOG\tbrevalis Demo\topen")); // the login dialog over it
        QCOMPARE(transcript[2], std::string("DIALOG\tbrevalis Demo\tclose\tok"));
        // A page that gives its command while loading may be left before its load is reported; the
        // next page is reported, and the "close" answer waiting then ends the window. When the load of
        // the commanding page is reported only after its command ran, the answer may end the window on
        // that report, before the next page arrives.
        std::string all;
        for (const std::string& line : transcript)
            all += line + "\n";
        const std::string lastPage = transcript[transcript.size() - 2];
        QVERIFY2(lastPage == "FIELD\tpage\t" + m_centre.url("/app/next") ||
                     lastPage.starts_with("FIELD\tpage\t" + m_centre.url("/app/send?")),
                 all.c_str());
        QCOMPARE(transcript.back(), std::string("DIALOG\tbrevalis Demo\tclose\tcancel"));
        // The window remembered its place.
        QVERIFY(app.profile().exists(bv::section::WindowPos, "cx"));
    }

private:
    bv::testing::BillingCentre m_centre;
    bv::TempDir m_dir;
    std::unique_ptr<bv::UnattendedSession> m_session;
    std::unique_ptr<bv::ScriptedUser> m_user;
};

} // namespace

QTEST_MAIN(MainWindowUnattendedTest)
#include "MainWindowUnattendedTest.moc"
