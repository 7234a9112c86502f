#include "app/login/LoginController.h"
#include "net/AliveCheck.h"

#include "LoginFakes.h"
#include "RawHttpServer.h"
#include "bvcentre/BillingCentre.h"

#include <gtest/gtest.h>

using bv::LoginDialogResult;
using namespace std::chrono_literals;

namespace {

const char* const Agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";

// The login dialog's behaviour over real sockets: the controller with the real request routine
// against a local billing centre.
struct LoginCentreTest : ::testing::Test
{
    LoginCentreTest()
    {
        EXPECT_TRUE(centre.start());
        bv::testing::Account account;
        account.user = "dupont";
        account.password = "ge+heim&1";
        account.contracts = {{"123456", "Cabinet Dupont"}};
        centre.addAccount(account);
        session.loginAddress = centre.url("/login");
        session.loginContext = "CSE";
        settings.values["General/LoginBackupURL"] = centre.url("/backup");
    }

    // Runs one dialog: OK with these credentials, then waits until it closes.
    LoginDialogResult login(const std::string& user, const std::string& password)
    {
        bv::LoginDependencies deps(session, contracts, settings, boxes, dispatcher);
        deps.environment = {"1.5.1 (Build 1051) CH-FR", "6.4.2/102.0", "Linux 6.1, Debian GNU/Linux 12", "FRZ", "LAN"};
        deps.agent = Agent;
        deps.appendCustomerNumber = [](const std::string&) {};
        deps.connectTimeout = 2s;
        deps.idleTimeout = 1s;
        bv::LoginController controller(view, std::move(deps));
        controller.start();
        view.user = user;
        view.pass = password;
        controller.ok();
        EXPECT_TRUE(
            dispatcher.runUntil([&] { return view.closes > 0 || (!controller.busy() && view.pass.empty()); }, 10s));
        return view.closes > 0 ? *view.result : LoginDialogResult::Cancelled;
    }

    bv::testing::BillingCentre centre;
    bv::SessionRecord session;
    bv::ContractList contracts;
    bv::test::MemoryProfileStore settings;
    bv::test::RecordingBoxes boxes;
    bv::QueueDispatcher dispatcher;
    bv::test::FakeLoginView view;
};

} // namespace

TEST_F(LoginCentreTest, CredentialsWithFormDelimitersArriveUnchanged)
{
    EXPECT_EQ(login("dupont", "ge+heim&1"), LoginDialogResult::LoggedIn);
    EXPECT_TRUE(session.loggedIn);
    EXPECT_EQ(centre.activeSessions(), std::vector<std::string>{session.sessionId});
    EXPECT_EQ(contracts.count(), 1);

    const auto logins = centre.requests("/login");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].method, "POST");
    EXPECT_EQ(logins[0].httpVersion, "HTTP/1.0");
    EXPECT_EQ(logins[0].form.find("passwort")->second, "ge+heim&1");
    EXPECT_EQ(logins[0].form.find("OSVersion")->second, "Linux 6.1, Debian GNU/Linux 12");
    EXPECT_EQ(logins[0].form.find("LoginKontext")->second, "CSE");
    // The parameters in the order the billing centre expects them.
    std::vector<std::string> names;
    for (const std::string& pair : bv::split(logins[0].body, '&'))
        names.push_back(pair.substr(0, pair.find('=')));
    EXPECT_EQ(names, (std::vector<std::string>{"benutzer", "passwort", "ClientVersion", "BrowserVersion", "OSVersion",
                                               "RegVersion", "ClientLanguage", "netcon", "LoginKontext",
                                               "TwnManufacturer", "TwnSourceName"}));
    const auto agent = logins[0].headers.find("User-Agent");
    ASSERT_NE(agent, logins[0].headers.end());
    EXPECT_EQ(agent->second, Agent);

    std::string message;
    EXPECT_TRUE(bv::checkSessionAlive(session, centre.url("/alive"), Agent, false, message));
    centre.expireSessions();
    EXPECT_FALSE(bv::checkSessionAlive(session, centre.url("/alive"), Agent, false, message));
    EXPECT_EQ(message, "Ihre Sitzung ist wegen Zeitüberschreitung abgelaufen!");
}

TEST_F(LoginCentreTest, ErrorStatusShowsTheHttpError)
{
    bv::testing::ScriptedReply failing;
    failing.status = 500;
    failing.body = "Erreur interne";
    centre.script("/login", failing);
    EXPECT_EQ(login("dupont", "ge+heim&1"), LoginDialogResult::Failed);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"L'erreur http 500 est apparue ! "});
}

TEST_F(LoginCentreTest, SilentLoginServerTimesOut)
{
    bv::testing::ScriptedReply silent;
    silent.body = "SESSIONID: late";
    silent.delayBeforeHeaders = 3s;
    centre.script("/login", silent);
    EXPECT_EQ(login("dupont", "ge+heim&1"), LoginDialogResult::Failed);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Das Zeitlimit für den Vorgang wurde überschritten."});
}

TEST_F(LoginCentreTest, BrokenReplyIsAConnectionAbort)
{
    bv::testing::ScriptedReply broken;
    broken.body = "SESSIONID: abc\r\nSTARTURL: /app/start\r\n";
    broken.closeAfterBytes = 10;
    centre.script("/login", broken);
    EXPECT_EQ(login("dupont", "ge+heim&1"), LoginDialogResult::Failed);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Die Verbindung mit dem Server wurde unerwartet beendet."});
}

TEST_F(LoginCentreTest, UnreachableLoginServerIsRedirectedByTheBackupServer)
{
    settings.values["General/UseBackupURL"] = "1";
    session.loginAddress = "http://127.0.0.1:" + std::to_string(bv::test::closedPort()) + "/login";
    centre.setBackupReply("BV_BACKUPMSG: Serveur de secours\r\nBV_LOGINREDIRECT: /login\r\n");
    EXPECT_EQ(login("dupont", "ge+heim&1"), LoginDialogResult::LoggedIn);
    EXPECT_EQ(session.loginAddress, centre.url("/login"));
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Serveur de secours"});
    EXPECT_EQ(centre.requests("/backup").size(), 1u);
    EXPECT_EQ(centre.requests("/backup")[0].body, "");
}

TEST_F(LoginCentreTest, BackupServerThatSaysDoNothingEndsTheLogin)
{
    settings.values["General/UseBackupURL"] = "1";
    session.loginAddress = "http://127.0.0.1:" + std::to_string(bv::test::closedPort()) + "/login";
    EXPECT_EQ(login("dupont", "ge+heim&1"), LoginDialogResult::Failed);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Es konnte keine Verbindung mit dem Server hergestellt werden. "
                                                      "(Le serveur backup a été atteint !)"});
}

TEST_F(LoginCentreTest, LockedAccount)
{
    centre.addAccount({"bloque", "pw", {}, {}, false, true});
    EXPECT_EQ(login("bloque", "pw"), LoginDialogResult::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].icon, bv::MbIcon::Warning);
}
