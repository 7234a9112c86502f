#include "app/main/MainWindowController.h"

#include "app/core/ClientApp.h"
#include "app/login/LoginService.h"
#include "app/main/PageCommand.h"
#include "net/ContractList.h"
#include "net/NetworkConnection.h"
#include "net/SessionRecord.h"
#include "platform/Dispatcher.h"
#include "platform/TempDir.h"

#include "FakePorts.h"
#include "MainWindowFakes.h"

#include <gtest/gtest.h>

#include <memory>

namespace bv {
namespace {

const std::string StartPage = "https://centre.example.ch/app/start";
const std::string CentrePage = "https://centre.example.ch/app/page?session-id=s1";
const std::string LoginFailedText = "La connexion n'a pas pu être établie !";

struct MainWindowControllerTest : ::testing::Test
{
    MainWindowControllerTest()
    {
        settings.values["General/LoginURL"] = "https://centre.example.ch/login";
        settings.values["General/RequestURL"] = "https://centre.example.ch/request";
        settings.values["Abrechnungsversand/URL"] = "https://upload.example.ch/upload";
        settings.values["General/UseLan"] = "1";
        settings.values["General/LoginSuccess"] = "1";
        connection.readSettings();
    }

    MainWindowController& make(const std::string& startRequest = {})
    {
        controller = std::make_unique<MainWindowController>(
            view, dialogs, login, MainWindowContext{session, contracts, settings, boxes, connection, popup, memory, ui},
            startRequest);
        return *controller;
    }

    // The next login opens session `id` with the centre's start page.
    void acceptLogin(const std::string& id = "s1")
    {
        loginDialog.steps.push_back([this, id] {
            session.loggedIn = true;
            session.sessionId = id;
            session.startAddress = StartPage;
            return LoginDialogResult::LoggedIn;
        });
    }

    // A main window whose login succeeded and that shows the start page.
    MainWindowController& loggedIn(const std::string& startRequest = {})
    {
        acceptLogin();
        make(startRequest).onStartMessage();
        return *controller;
    }

    void status(const std::string& text, const std::string& page = CentrePage)
    {
        controller->onStatusTextChange(page, text);
    }

    SessionRecord session;
    ContractList contracts;
    test::MemoryProfileStore settings;
    test::RecordingBoxes boxes;
    test::NetworkProbeOnline probe;
    test::FakeDialUp dialUp;
    NetworkConnection connection{settings, boxes, probe, dialUp};
    PopupProperties popup{535, 540, false};
    PageCommandMemory memory;
    QueueDispatcher ui;
    test::FakeMainWindowView view;
    test::FakeMainWindowDialogs dialogs;
    test::ScriptedLoginDialog loginDialog;
    LoginService login{session, contracts, settings, boxes, connection, loginDialog, "agent", false};
    std::unique_ptr<MainWindowController> controller;
};

// --- start request and start message ---------------------------------------------------------------

struct StartRequestRow
{
    const char* request;
    const char* pendingFile;
    const char* startOverride;
};

TEST_F(MainWindowControllerTest, StartRequestIsSplitAtTheFirstColon)
{
    const StartRequestRow rows[] = {
        {"REQ:/tmp/anfrage.ini", "/tmp/anfrage.ini", ""},
        {"REQ:C:\\Praxis\\a:b.ini", "C:\\Praxis\\a:b.ini", ""},
        {"StartURL:https://centre.example.ch/app/next", "", "https://centre.example.ch/app/next"},
        {"REQ", "", ""},         // no colon: names nothing
        {":/tmp/x", "", ""},     // empty command
        {"req:/tmp/x", "", ""},  // commands are case-sensitive
        {"OPEN:/tmp/x", "", ""}, // unknown command
        {"", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.request);
        MainWindowController& c = make(row.request);
        EXPECT_EQ(c.pendingRequestFile(), row.pendingFile);
        EXPECT_EQ(c.startAddressOverride(), row.startOverride);
    }
}

TEST_F(MainWindowControllerTest, InitialisationPlacesTheWindowThenQueuesTheLogin)
{
    make().initialise(nullptr);
    EXPECT_EQ(view.startMessages, 1);
    EXPECT_EQ(view.broughtToFront, 1);
    EXPECT_EQ(view.placement, (WindowPlacement{0, 0, 810, 572, false, true}));
    EXPECT_EQ(loginDialog.runs, 0); // the login runs on the start message, not before
}

TEST_F(MainWindowControllerTest, LoginThenStartPageOrTheOverrideOnce)
{
    loggedIn();
    EXPECT_EQ(session.loginContext, "CMA");
    EXPECT_TRUE(session.updatesAllowed);
    EXPECT_EQ(view.urls(), std::vector<std::string>{StartPage});

    view.navigations.clear();
    loggedIn("StartURL:https://centre.example.ch/app/next");
    EXPECT_EQ(view.urls(), std::vector<std::string>{"https://centre.example.ch/app/next"});
    EXPECT_TRUE(controller->startAddressOverride().empty());
    // A later start message (after a re-login) shows the session's start page again.
    controller->onStartMessage();
    EXPECT_EQ(view.urls().back(), StartPage);
}

struct LoginOutcomeRow
{
    const char* name;
    std::function<void(SessionRecord&)> reply;
    LoginDialogResult result;
    std::vector<std::string> messages;
    std::vector<std::string> updates;
};

TEST_F(MainWindowControllerTest, FailedLoginEndsTheWindowWithItsMessage)
{
    settings.values["General/ServicelineTel"] = "0848 123 456";
    const LoginOutcomeRow rows[] = {
        {"update accepted",
         [](SessionRecord& s) { s.updateAddress = "https://centre.example.ch/bv_setup.exe"; },
         LoginDialogResult::LoggedIn,
         {},
         {"https://centre.example.ch/bv_setup.exe"}},
        {"locked out",
         [](SessionRecord& s) { s.lockedOut = true; },
         LoginDialogResult::Failed,
         {"La connexion n'a pas pu être établie !\n\nSi vous avez oublié votre mot de passe, veuillez vous "
          "adresser à la ligne d'assistance 0848 123 456."},
         {}},
        {"refused", [](SessionRecord&) {}, LoginDialogResult::Failed, {LoginFailedText}, {}},
        {"cancelled", [](SessionRecord&) {}, LoginDialogResult::Cancelled, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        session = SessionRecord{};
        boxes.boxes.clear();
        dialogs.updates.clear();
        view = test::FakeMainWindowView{};
        loginDialog.steps.push_back([&] {
            row.reply(session);
            return row.result;
        });
        make("REQ:/nonexistent").onStartMessage();
        EXPECT_EQ(boxes.texts(), row.messages);
        EXPECT_EQ(dialogs.updates, row.updates);
        EXPECT_EQ(view.ends, 1);
        EXPECT_TRUE(view.navigations.empty()); // neither the request nor a page
    }
}

// --- request files ---------------------------------------------------------------------------------

TEST_F(MainWindowControllerTest, RequestFileIsPostedToTheRequestAddressAfterTheLogin)
{
    TempDir dir;
    const std::string path = dir.write("anfrage 1.ini", std::string("[Request]\r\nA=1\r\n\0trailing", 25)).string();
    contracts.replaceFrom("12 34=Cabinet", [](const std::string&) {});
    acceptLogin("sess/1");
    make("REQ:" + path).onStartMessage();

    ASSERT_EQ(view.navigations.size(), 1u);
    const auto& posted = view.navigations[0];
    EXPECT_TRUE(posted.post);
    // Contract number and path escaped (a "/" too), the session id as it is.
    std::string escapedPath;
    for (char c : path)
        escapedPath += c == '/' ? std::string("%2F") : c == ' ' ? std::string("%20") : std::string(1, c);
    EXPECT_EQ(posted.url, "https://centre.example.ch/request?vertnr=12%2034&session-id=sess/1&filename=" + escapedPath);
    EXPECT_EQ(posted.postData, "[Request]\r\nA=1\r\n"); // up to the first zero byte
    EXPECT_TRUE(controller->pendingRequestFile().empty());
}

TEST_F(MainWindowControllerTest, RequestFileThatCannotBeOpenedShowsTheCauseAndTheStartPage)
{
    TempDir dir;
    acceptLogin();
    make("REQ:" + (dir.path() / "missing.ini").string()).onStartMessage();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Die angeforderte Datenübermittlung kann nicht durchgeführt werden.\n\n"
                                   "Fehler beim Öffnen von " +
                                       (dir.path() / "missing.ini").string() + "\nFehler: 2");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
    EXPECT_EQ(view.urls(), std::vector<std::string>{StartPage});

    boxes.boxes.clear();
    EXPECT_FALSE(controller->runRequestFile(dir.path().string())); // a directory: access denied
    EXPECT_NE(boxes.boxes.at(0).text.find("\nFehler: 5"), std::string::npos);
}

TEST_F(MainWindowControllerTest, RequestFilePostsAtMostItsFirst32768Bytes)
{
    TempDir dir;
    const std::string path = dir.write("big.ini", std::string(40000, 'x')).string();
    loggedIn();
    ASSERT_TRUE(controller->runRequestFile(path));
    EXPECT_EQ(view.navigations.back().postData.size(), 32768u);
}

// --- page commands ---------------------------------------------------------------------------------

TEST_F(MainWindowControllerTest, RepeatedStatusTextIsObeyedOnceUntilAnotherTextRearmsIt)
{
    loggedIn();
    status("BV_SENDAD");
    status("BV_SENDAD");
    EXPECT_EQ(dialogs.sendDialogs, 1);
    status("");
    status("BV_SENDAD");
    EXPECT_EQ(dialogs.sendDialogs, 2);

    // The last handled text is one for the whole process: a new main window does not obey it again.
    loggedIn();
    status("BV_SENDAD");
    EXPECT_EQ(dialogs.sendDialogs, 2);
    EXPECT_EQ(memory.lastHandledText, "BV_SENDAD");
}

TEST_F(MainWindowControllerTest, OnlyTextsBeginningWithBvAreCommands)
{
    loggedIn();
    for (const char* text : {"Done", "bv_SENDAD", " BV_SENDAD", "BV_SENDADX", "BV_UNKNOWN: x", "BV"})
        status(text);
    status("BV_SENDAD: with a value");
    EXPECT_EQ(dialogs.sendDialogs, 1);
    EXPECT_EQ(dialogs.setupDialogs, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

struct PopupRow
{
    const char* value;
    PopupProperties expected;
};

TEST_F(MainWindowControllerTest, PopupPropertiesFromThePage)
{
    loggedIn();
    const PopupRow rows[] = {
        {"height=300,width=400,resizable=yes", {400, 300, true}},
        {"width=0,height=10,resizable=yes", {535, 10, true}}, // width 0 keeps the width
        {"resizable=YES,height=-5", {535, 540, false}},       // only "yes" turns resizing on
        {"width=640px", {640, 540, false}},                   // decimal rule: leading digits
        {"resizable=yes ,width=abc", {535, 540, false}},
        {"", {535, 540, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        popup = PopupProperties{535, 540, false};
        status(std::string("BV_POPUPPROP: ") + row.value);
        status("");
        EXPECT_EQ(popup.width, row.expected.width);
        EXPECT_EQ(popup.height, row.expected.height);
        EXPECT_EQ(popup.resizable, row.expected.resizable);
    }
}

TEST_F(MainWindowControllerTest, RemoteWriteFromThePageAndItsFailure)
{
    loggedIn();
    status("BV_REG: Abrechnungsversand/Demo=a=b");
    EXPECT_EQ(settings.get("Abrechnungsversand/Demo"), "a=b");
    EXPECT_TRUE(boxes.boxes.empty());

    settings.failWrites = true;
    status("BV_REG: Abrechnungsversand/Demo=c");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Die Aktualisierung der Registrierungsinformation ist fehlgeschlagen.");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);
}

TEST_F(MainWindowControllerTest, SessionEndLogsOutOnceAndLogsInAgain)
{
    loggedIn();
    view.navigations.clear();
    status("BV_SESSIONEND: Votre session a expiré.\\nVeuillez vous reconnecter.");
    EXPECT_EQ(view.urls(), std::vector<std::string>{"about:blank"});
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Votre session a expiré.\nVeuillez vous reconnecter.");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Information);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_TRUE(session.sessionId.empty());
    EXPECT_EQ(view.startMessages, 1);

    // The centre hands out the same session id again: a second end for it is ignored.
    acceptLogin("s1");
    controller->onStartMessage();
    status("BV_SESSIONEND: encore");
    EXPECT_TRUE(session.loggedIn);
    EXPECT_EQ(view.startMessages, 1);

    // Not logged in: nothing to end.
    session.loggedIn = false;
    session.sessionId = "s2";
    status("BV_SESSIONEND: x");
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(MainWindowControllerTest, EscapeClosesOnlyAfterLogout)
{
    loggedIn();
    controller->onCancel();
    EXPECT_EQ(view.ends, 0);

    status("BV_LOGOUT");
    EXPECT_TRUE(controller->logoutRequested());
    EXPECT_EQ(view.cancels, 1);
    EXPECT_EQ(view.ends, 0); // the close message is queued, not handled inside the page event
    controller->onCancel();
    EXPECT_EQ(view.ends, 1);
}

TEST_F(MainWindowControllerTest, CloseCommandEndsTheWindowAtOnce)
{
    loggedIn();
    controller->onCloseCommand();
    controller->onCloseCommand();
    EXPECT_EQ(view.ends, 1);
}

TEST_F(MainWindowControllerTest, SendDialogShowsTheNextPageAndLogsInAgainWhenTheSessionEnded)
{
    loggedIn();
    view.navigations.clear();
    dialogs.nextPage = "https://centre.example.ch/app/next";
    status("BV_SENDAD");
    EXPECT_EQ(view.urls(), std::vector<std::string>{"https://centre.example.ch/app/next"});
    EXPECT_EQ(view.startMessages, 0);

    status("");
    view.navigations.clear();
    dialogs.nextPage.clear();
    dialogs.duringSendDialog = [this] { login.logOut(); }; // the upload reply ended the session
    status("BV_SENDAD");
    EXPECT_EQ(view.urls(), std::vector<std::string>{"about:blank"});
    EXPECT_EQ(view.startMessages, 1);
}

TEST_F(MainWindowControllerTest, SendTestQuestionChoosesTheTestTransfer)
{
    loggedIn();
    session.sendTestAllowed = true;
    boxes.answers = {MbResult::Yes};
    status("BV_SENDAD");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Voulez-vous transmettre une fichier quelconque pour effectuer un test?");
    EXPECT_EQ(boxes.boxes[0].buttons, MbButtons::YesNo);
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Question);
    EXPECT_EQ(dialogs.testFileDialogs, 1);
    EXPECT_EQ(dialogs.sendDialogs, 0);

    status("");
    boxes.answers = {MbResult::No};
    status("BV_SENDAD");
    EXPECT_EQ(dialogs.testFileDialogs, 1);
    EXPECT_EQ(dialogs.sendDialogs, 1);
}

TEST_F(MainWindowControllerTest, ConfigurationFromThePageAndFromTheMenu)
{
    loggedIn();
    status("BV_CONFIG");
    controller->onConfigurationCommand();
    controller->onInfoCommand();
    EXPECT_EQ(dialogs.setupDialogs, 2);
    EXPECT_EQ(dialogs.infos, 1);
}

TEST_F(MainWindowControllerTest, CommandsThatOpenADialogWaitUntilTheRunningDialogEnded)
{
    loggedIn();
    dialogs.duringSendDialog = [this] {
        status("BV_CONFIG");
        status("BV_SENDAD: again");
        status("BV_POPUPPROP: width=700"); // changes nothing on screen: still obeyed
    };
    status("BV_SENDAD");
    EXPECT_EQ(dialogs.sendDialogs, 1);
    EXPECT_EQ(dialogs.setupDialogs, 0);
    EXPECT_EQ(popup.width, 700);
    // Not remembered while refused: the page can give the command again.
    dialogs.duringSendDialog = nullptr;
    status("BV_CONFIG");
    EXPECT_EQ(dialogs.setupDialogs, 1);
}

// --- pages of other sites (mend) -------------------------------------------------------------------

struct OriginRow
{
    const char* page;
    bool obeyed;
};

TEST_F(MainWindowControllerTest, CommandsAreObeyedOnlyFromTheBillingCentresOwnPages)
{
    loggedIn();
    const OriginRow rows[] = {
        {"https://centre.example.ch/app/reg", true},
        {"HTTPS://Centre.Example.CH:443/other", true},    // same origin written differently
        {"https://upload.example.ch/after-upload", true}, // upload address
        {"https://evil.example.org/app/reg", false},
        {"http://centre.example.ch/app/reg", false},       // other scheme
        {"https://centre.example.ch:8443/app/reg", false}, // other port
        {"https://centre.example.ch.evil.org/", false},
        {"https://centre.example.ch@evil.org/", false}, // user info before another host
        {"https://evil.org/?https://centre.example.ch/", false},
        {"about:blank", false},
        {"", false},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        settings.values.erase("Abrechnungsversand/Demo");
        const std::string text = "BV_REG: Abrechnungsversand/Demo=" + std::to_string(++n);
        status(text, row.page);
        EXPECT_EQ(settings.get("Abrechnungsversand/Demo").has_value(), row.obeyed);
        // A text of a foreign page is not even remembered.
        EXPECT_EQ(memory.lastHandledText == text, row.obeyed);
    }
}

TEST_F(MainWindowControllerTest, TrustedAddressesFollowTheSessionAndTheProfile)
{
    loggedIn();
    session.startAddress = "https://www.example.ch/start";
    status("BV_SENDAD", "https://www.example.ch/app");
    EXPECT_EQ(dialogs.sendDialogs, 1);

    settings.values.erase("Abrechnungsversand/URL");
    status("BV_CONFIG", "https://upload.example.ch/x");
    EXPECT_EQ(dialogs.setupDialogs, 0);
    settings.values["General/RequestURL"] = "https://req.example.ch/r";
    status("BV_CONFIG", "https://req.example.ch/answer");
    EXPECT_EQ(dialogs.setupDialogs, 1);
}

TEST_F(MainWindowControllerTest, CertificateErrorsAreAcceptedOnlyForTheCentresOwnVerifiedPages)
{
    std::vector<std::string> askedHosts;
    bool chainVerifies = true;
    MainWindowContext context{session, contracts, settings, boxes, connection, popup, memory, ui};
    context.certificateTrusted = [&](const std::vector<std::string>& chain, const std::string& host) {
        EXPECT_EQ(chain, std::vector<std::string>{"leaf"});
        askedHosts.push_back(host);
        return chainVerifies;
    };
    settings.values["General/RequestURL"] = "https://[::1]:8443/request";
    MainWindowController controller(view, dialogs, login, context, "");
    const std::vector<std::string> chain{"leaf"};

    EXPECT_TRUE(controller.acceptCertificateError("https://Centre.Example.CH/app/start", chain));
    EXPECT_TRUE(controller.acceptCertificateError("https://[::1]:8443/app", chain));
    EXPECT_EQ(askedHosts, (std::vector<std::string>{"centre.example.ch", "[::1]"}));
    // Another site, or the centre's host on another scheme or port: the chain is not even looked at.
    for (const char* page :
         {"https://evil.example.org/", "http://centre.example.ch/", "https://centre.example.ch:8443/", "about:blank"})
        EXPECT_FALSE(controller.acceptCertificateError(page, chain)) << page;
    EXPECT_EQ(askedHosts.size(), 2u);
    chainVerifies = false;
    EXPECT_FALSE(controller.acceptCertificateError("https://centre.example.ch/app/start", chain));
}

// --- requests of later starts ----------------------------------------------------------------------

TEST_F(MainWindowControllerTest, LaterStartWithoutRequestOnlyBringsTheWindowForward)
{
    loggedIn();
    controller->onInstanceRequest("");
    EXPECT_EQ(view.broughtToFront, 1);
    EXPECT_EQ(view.navigations.size(), 1u);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MainWindowControllerTest, LaterStartRequestRunsOnlyWhenTheMainWindowIsActive)
{
    TempDir dir;
    const std::string path = dir.write("req.ini", "A=1").string();
    loggedIn();

    controller->onInstanceRequest("REQ:" + path);
    ASSERT_EQ(view.navigations.size(), 2u);
    EXPECT_TRUE(view.navigations[1].post);
    EXPECT_EQ(loginDialog.runs, 1); // no new login

    view.active = ActiveWindow::Other;
    controller->onInstanceRequest("REQ:" + path);
    EXPECT_EQ(view.navigations.size(), 2u);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{
                                 "Die angeforderte Datenübermittlung kann nicht durchgeführt werden,\nweil im "
                                 "brevalis-Abrechnungsmodul ein weiteres Fenster geöffnet ist.\n\nBitte schließen Sie "
                                 "das Fenster und versuchen Sie die Datenübermittlung erneut."});
    EXPECT_EQ(view.activatedOpenWindow, 1);

    boxes.boxes.clear();
    view.active = ActiveWindow::None;
    view.activeAfterWait = ActiveWindow::None;
    controller->onInstanceRequest("REQ:" + path);
    EXPECT_EQ(view.waited, std::chrono::milliseconds(500));
    EXPECT_EQ(boxes.texts(),
              std::vector<std::string>{"Die angeforderte Datenübermittlung kann nicht durchgeführt werden,\nweil das "
                                       "brevalis-Abrechnungsmodul noch beschäftigt ist.\n\nBitte versuchen Sie die "
                                       "Datenübermittlung erneut."});
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);

    // The window became active while waiting: the request runs.
    view.activeAfterWait = ActiveWindow::Main;
    controller->onInstanceRequest("REQ:" + path);
    EXPECT_EQ(view.navigations.size(), 3u);

    // Other commands are answered but do nothing.
    controller->onInstanceRequest("StartURL:https://evil.example.org/");
    EXPECT_EQ(view.navigations.size(), 3u);
}

// --- end of the window -----------------------------------------------------------------------------

TEST_F(MainWindowControllerTest, DestroySavesThePlaceAndOffersToHangUpOnce)
{
    settings.values["General/UseLan"] = "0";
    connection.readSettings();
    dialUp.connections = {{7, "Praxis-ISDN"}};
    boxes.answers = {MbResult::Yes};
    make();
    view.rect = ScreenRect{40, 30, 1040, 730};
    controller->onDestroy();
    controller->onDestroy();
    EXPECT_EQ(settings.get("WindowPos/x"), "40");
    EXPECT_EQ(settings.get("WindowPos/y"), "30");
    EXPECT_EQ(settings.get("WindowPos/cx"), "1000");
    EXPECT_EQ(settings.get("WindowPos/cy"), "700");
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Soll die Verbindung mit Praxis-ISDN getrennt werden?"});
    EXPECT_EQ(dialUp.hungUp, std::vector<std::uint32_t>{7});
}

TEST_F(MainWindowControllerTest, RememberedPlaceIsRestored)
{
    settings.values["WindowPos/x"] = "100";
    settings.values["WindowPos/y"] = "50";
    settings.values["WindowPos/cx"] = "900";
    settings.values["WindowPos/cy"] = "600";
    make().initialise(nullptr);
    EXPECT_EQ(view.placement, (WindowPlacement{100, 50, 900, 600, false, false}));
}

} // namespace
} // namespace bv
