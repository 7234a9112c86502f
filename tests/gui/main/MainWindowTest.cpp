// The app-layer headers come before any Qt header: the application object's command line has a
// member named like one of Qt's keywords.
#include "app/core/CInstanceChecker.h"
#include "app/core/ClientApp.h"
#include "app/login/LoginService.h"
#include "app/main/MainWindowController.h"
#include "app/main/PageCommand.h"
#include "bvcentre/BillingCentre.h"
#include "bvcentre/TestCertificates.h"
#include "net/ContractList.h"
#include "net/NetworkConnection.h"
#include "net/SessionRecord.h"
#include "platform/InstanceChannel.h"
#include "platform/TempDir.h"

#include "FakePorts.h"
#include "MainWindowFakes.h"

#include "gui/core/QtDispatcher.h"
#include "gui/main/BrowserPage.h"
#include "gui/main/MainWindow.h"
#include "gui/main/PopupWindow.h"
#include "net/CertificateTrust.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <future>
#include <memory>
#include <unistd.h>

namespace {

constexpr int Timeout = 20000;

// A main window with its real controller and browser against a local billing centre; the login and
// the dialogs it starts are fakes.
struct Rig
{
    explicit Rig(bv::testing::BillingCentre& centre, const std::string& startRequest = {})
    {
        settings.values["General/LoginURL"] = centre.url("/login");
        settings.values["General/RequestURL"] = centre.url("/request");
        settings.values["General/UseLan"] = "1";
        settings.values["General/LoginSuccess"] = "1";
        connection.readSettings();
        for (const char* id : {"gui-1", "gui-2"}) {
            loginDialog.steps.push_back([this, &centre, id] {
                session.loggedIn = true;
                session.sessionId = id;
                session.startAddress = centre.url("/app/start");
                return bv::LoginDialogResult::LoggedIn;
            });
        }
        window = std::make_unique<bv::MainWindow>("brevalis Demo", [this] {
            return bv::PopupShape{popup.width, popup.height, popup.resizable};
        });
        controller = std::make_unique<bv::MainWindowController>(
            *window, dialogs, login,
            bv::MainWindowContext{session, contracts, settings, boxes, connection, popup, memory, dispatcher},
            startRequest);
        window->attach(controller.get());
        statuses = std::make_unique<QSignalSpy>(window.get(), &bv::MainWindow::statusTextReceived);
        loads = std::make_unique<QSignalSpy>(window.get(), &bv::MainWindow::pageLoaded);
    }

    ~Rig()
    {
        controller->onDestroy();
        window->attach(nullptr);
    }

    void start(bv::CInstanceChecker* checker = nullptr)
    {
        controller->initialise(checker);
        window->show();
    }

    // Shows a page and waits until it finished loading.
    bool open(const std::string& url)
    {
        const auto before = loads->count();
        window->navigate(url);
        return QTest::qWaitFor([&] { return loads->count() > before; }, Timeout);
    }

    // Runs a script in the page and waits until the status texts it sets have reached the window.
    bool run(const QString& script, int statusTexts)
    {
        const auto before = statuses->count();
        window->page()->runJavaScript(script);
        return QTest::qWaitFor([&] { return statuses->count() >= before + statusTexts; }, Timeout);
    }

    bv::SessionRecord session;
    bv::ContractList contracts;
    bv::test::MemoryProfileStore settings;
    bv::test::RecordingBoxes boxes;
    bv::test::NetworkProbeOnline probe;
    bv::test::FakeDialUp dialUp;
    bv::NetworkConnection connection{settings, boxes, probe, dialUp};
    bv::PopupProperties popup{535, 540, false};
    bv::PageCommandMemory memory;
    bv::QtDispatcher dispatcher;
    bv::test::FakeMainWindowDialogs dialogs;
    bv::test::ScriptedLoginDialog loginDialog;
    bv::LoginService login{session, contracts, settings, boxes, connection, loginDialog, "agent", false};
    std::unique_ptr<bv::MainWindow> window;
    std::unique_ptr<bv::MainWindowController> controller;
    std::unique_ptr<QSignalSpy> statuses;
    std::unique_ptr<QSignalSpy> loads;
};

// The main window through the real web engine, offscreen.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_centre.start()); }

    void init() { m_centre.clearRequests(); }

    void loginShowsTheStartPageAndEscapeDoesNotClose()
    {
        Rig rig(m_centre);
        rig.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.loads->count() > 0, Timeout);
        QCOMPARE(rig.window->browser()->url().toString().toStdString(), m_centre.url("/app/start"));
        QCOMPARE(rig.window->windowTitle(), QString("brevalis Demo"));
        QVERIFY(rig.window->findChild<QAction*>("infoAction"));
        QCOMPARE(rig.window->findChild<QAction*>("configurationAction")->text(), QString("&Configuration"));

        QTest::keyClick(rig.window.get(), Qt::Key_Escape);
        QTest::keyClick(rig.window.get(), Qt::Key_Return);
        rig.window->reject(); // what Escape does when the browser does not take the key
        QTest::qWait(50);
        QVERIFY(rig.window->isVisible());
        rig.window->findChild<QAction*>("configurationAction")->trigger();
        QCOMPARE(rig.dialogs.setupDialogs, 1);
    }

    void eachPageCommandReachesTheClientOnce()
    {
        Rig rig(m_centre);
        rig.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.loads->count() > 0, Timeout);

        QVERIFY(rig.open(m_centre.url("/app/send?auto=1")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.dialogs.sendDialogs, 1, Timeout);
        // The same text again is not obeyed; another text in between re-arms it.
        QVERIFY(rig.run("bvCommand(); bvCommand();", 2));
        QCOMPARE(rig.dialogs.sendDialogs, 1);
        QVERIFY(rig.run("window.status = 'Fertig'; bvCommand();", 2));
        QTRY_COMPARE_WITH_TIMEOUT(rig.dialogs.sendDialogs, 2, Timeout);
        QCOMPARE(rig.memory.lastHandledText, std::string("BV_SENDAD"));

        QVERIFY(rig.open(m_centre.url("/app/config?auto=1")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.dialogs.setupDialogs, 1, Timeout);

        QVERIFY(rig.open(m_centre.url("/app/popupprop?auto=1")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.popup.width, 400, Timeout);
        QCOMPARE(rig.popup.height, 300);
        QVERIFY(rig.popup.resizable);

        QVERIFY(rig.open(m_centre.url("/app/reg?auto=1")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.settings.get("Abrechnungsversand/Demo").value_or(""), std::string("1"), Timeout);

        QVERIFY(rig.open(m_centre.url("/app/sessionend?auto=1")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.loginDialog.runs, 2, Timeout); // logged in again
        QCOMPARE(rig.boxes.texts(), std::vector<std::string>{"Votre session a expiré.\nVeuillez vous reconnecter."});
        QCOMPARE(rig.session.sessionId, std::string("gui-2"));

        // The page can read back what it set.
        QVariant readBack;
        rig.window->page()->runJavaScript("window.status = 'x'; window.status",
                                          [&](const QVariant& v) { readBack = v; });
        QTRY_COMPARE_WITH_TIMEOUT(readBack.toString(), QString("x"), Timeout);

        QVERIFY(rig.open(m_centre.url("/app/logout?auto=1")));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.window->isVisible(), Timeout);
        QVERIFY(rig.controller->logoutRequested());
        QVERIFY(rig.controller->ended());
    }

    void pagesOfAnotherSiteGiveNoCommands()
    {
        Rig rig(m_centre);
        rig.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.loads->count() > 0, Timeout);
        // The same server under another host name is another site.
        const std::string foreign = "http://localhost:" + std::to_string(m_centre.port()) + "/app/reg?auto=1";
        QVERIFY(rig.open(foreign));
        QTRY_COMPARE_WITH_TIMEOUT(rig.statuses->count(), 1, Timeout);
        QCOMPARE(rig.statuses->at(0).at(0).toString().toStdString(), foreign);
        QTest::qWait(100);
        QVERIFY(!rig.settings.get("Abrechnungsversand/Demo"));
        // A page cannot forge an assignment through the console.
        QVERIFY(rig.open(m_centre.url("/app/start")));
        rig.window->page()->runJavaScript("console.info('bv-status-0\\nhttp://127.0.0.1/\\nBV_CONFIG');"
                                          "window.status = 'Fertig';");
        QTRY_COMPARE_WITH_TIMEOUT(rig.statuses->count(), 2, Timeout);
        QCOMPARE(rig.statuses->at(1).at(1).toString(), QString("Fertig"));
        QCOMPARE(rig.dialogs.setupDialogs, 0);
    }

    // With the client's extra authority, the centre's pages show over HTTPS as its requests go
    // through; the same server under a name that is not the centre's, or without that authority,
    // stays refused.
    void centresPagesOverHttpsAreTrustedAsTheClientsRequests()
    {
        bv::TempDir dir("bv-web-tls-");
        const auto certs = bv::testing::makeTestCertificates(dir.path());
        bv::testing::BillingCentre::Options options;
        options.certFile = certs.certFile;
        options.keyFile = certs.keyFile;
        bv::testing::BillingCentre centre(options);
        QVERIFY(centre.start());
        QVERIFY(centre.url("/").rfind("https://127.0.0.1:", 0) == 0);
        const std::unique_ptr<void, void (*)(void*)> unset(this, [](void*) { ::unsetenv(bv::CaFileVariable); });
        ::setenv(bv::CaFileVariable, certs.caFile.c_str(), 1);
        {
            Rig rig(centre);
            rig.start();
            QTRY_VERIFY_WITH_TIMEOUT(rig.loads->count() > 0, Timeout);
            QVERIFY(rig.loads->at(0).at(1).toBool());
            QVERIFY(rig.open(centre.url("/app/send?auto=1")));
            QTRY_COMPARE_WITH_TIMEOUT(rig.dialogs.sendDialogs, 1, Timeout);
            QVERIFY(rig.open("https://localhost:" + std::to_string(centre.port()) + "/app/start"));
            QVERIFY(!rig.loads->last().at(1).toBool());
        }
        ::unsetenv(bv::CaFileVariable);
        Rig rig(centre);
        rig.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.loads->count() > 0, Timeout);
        QVERIFY(!rig.loads->at(0).at(1).toBool());
    }

    void popupOpensWithTheConfiguredSize()
    {
        Rig rig(m_centre);
        rig.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.loads->count() > 0, Timeout);

        QVERIFY(rig.open(m_centre.url("/app/popup?auto=1")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.window->popups().size(), std::size_t(1), Timeout);
        bv::PopupWindow* fixed = rig.window->popups()[0];
        QCOMPARE(fixed->windowTitle(), QString("brevalis"));
        QCOMPARE(fixed->size(), QSize(540, 545));
        QCOMPARE(fixed->minimumSize(), fixed->maximumSize());
        QTRY_VERIFY_WITH_TIMEOUT(fixed->view()->url().path() == "/app/popup-content", Timeout);

        rig.popup = bv::PopupProperties{400, 300, true};
        QVERIFY(rig.run("bvOpen(); window.status = 'opened';", 1));
        QTRY_COMPARE_WITH_TIMEOUT(rig.window->popups().size(), std::size_t(2), Timeout);
        bv::PopupWindow* resizable = rig.window->popups()[1];
        QCOMPARE(resizable->size(), QSize(405, 305));
        QVERIFY(resizable->minimumSize() != resizable->maximumSize());

        // The page closes its popup.
        fixed->page()->runJavaScript("window.close();");
        QTRY_COMPARE_WITH_TIMEOUT(rig.window->popups().size(), std::size_t(1), Timeout);
    }

    void laterStartHandsItsRequestFileToTheWindow()
    {
        bv::TempDir dir;
        const std::string path = dir.write("anfrage.ini", std::string("[Anfrage]\r\nPatient=1\r\n\0rest", 28)).string();
        const std::string name = "bvtest_mainwindow_" + std::to_string(::getpid());
        bv::CInstanceChecker checker(name);
        QVERIFY(!checker.PreviousInstanceRunning());
        Rig rig(m_centre);
        rig.contracts.replaceFrom("123456=Cabinet", [](const std::string&) {});
        rig.start(&checker);
        QTRY_VERIFY_WITH_TIMEOUT(rig.loads->count() > 0, Timeout);

        auto second = std::async(std::launch::async, [&] { return bv::sendToInstance(name, "REQ:" + path); });
        QTRY_VERIFY_WITH_TIMEOUT(m_centre.requests("/request").size() == 1, Timeout);
        QVERIFY(second.get());
        const auto request = m_centre.requests("/request").at(0);
        QCOMPARE(request.method, std::string("POST"));
        QCOMPARE(request.body, std::string("[Anfrage]\r\nPatient=1\r\n"));
        QCOMPARE(request.query.find("filename")->second, path);
        QCOMPARE(request.query.find("vertnr")->second, std::string("123456"));
        QCOMPARE(request.query.find("session-id")->second, std::string("gui-1"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.window->browser()->url().path() == "/request", Timeout);
    }

private:
    bv::testing::BillingCentre m_centre;
};

} // namespace

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
