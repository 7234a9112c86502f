#include "app/login/LoginDialogRunner.h"
#include "app/login/LoginService.h"
#include "net/NetworkConnection.h"

#include "LoginFakes.h"

#include <gtest/gtest.h>

using bv::LoginDialogResult;

namespace {

class ScriptedDialog : public bv::LoginDialogRunner
{
public:
    explicit ScriptedDialog(std::function<LoginDialogResult()> run) : m_run(std::move(run)) {}
    LoginDialogResult runLoginDialog() override
    {
        ++runs;
        return m_run();
    }
    int runs = 0;

private:
    std::function<LoginDialogResult()> m_run;
};

class OfflineProbe : public bv::NetworkProbe
{
public:
    bv::ConnectionState query() const override { return {}; }
};

struct LoginServiceTest : ::testing::Test
{
    LoginServiceTest()
    {
        settings.values["General/LoginURL"] = "https://centre.example.ch/login";
        settings.values["General/UseLan"] = "1";
        settings.values["General/LoginSuccess"] = "1";
        settings.values["Abrechnungsversand/AliveURL"] = "https://centre.example.ch/alive";
        connection.readSettings();
    }

    bv::LoginService service(bv::LoginDialogRunner& dialog)
    {
        return bv::LoginService(session, contracts, settings, boxes, connection, dialog, "agent", false);
    }

    bv::SessionRecord session;
    bv::ContractList contracts;
    bv::test::MemoryProfileStore settings;
    bv::test::RecordingBoxes boxes;
    OfflineProbe probe;
    bv::DialUp dialUp;
    bv::NetworkConnection connection{settings, boxes, probe, dialUp};
};

} // namespace

TEST_F(LoginServiceTest, PreparesTheSessionAndRunsTheDialog)
{
    session.loginAddress = "stale";
    session.lockedOut = true;
    ScriptedDialog dialog([&] {
        EXPECT_EQ(session.loginAddress, "https://centre.example.ch/login");
        EXPECT_EQ(session.loginContext, "CSE");
        EXPECT_FALSE(session.updatesAllowed);
        EXPECT_FALSE(session.lockedOut);
        session.loggedIn = true;
        session.sessionId = "abc";
        return LoginDialogResult::LoggedIn;
    });
    auto login = service(dialog);
    EXPECT_TRUE(login.logIn("CSE", false));
    EXPECT_FALSE(login.cancelled());

    // An open session answers at once.
    EXPECT_TRUE(login.logIn("CMA", true));
    EXPECT_EQ(dialog.runs, 1);

    login.logOut();
    EXPECT_EQ(session.sessionId, "");
    EXPECT_TRUE(session.updatesAllowed);
    EXPECT_FALSE(session.loggedIn);
}

TEST_F(LoginServiceTest, CancelledAndRefusedLoginsLeaveNoSession)
{
    ScriptedDialog cancelled([] { return LoginDialogResult::Cancelled; });
    auto login = service(cancelled);
    EXPECT_FALSE(login.logIn("CMA", true));
    EXPECT_TRUE(login.cancelled());

    // A reply that opened a session and then refused it ("SESSIONID" before "MSG/ERROR").
    ScriptedDialog refused([&] {
        session.sessionId = "abc";
        session.loggedIn = false;
        return LoginDialogResult::LoggedIn;
    });
    auto second = service(refused);
    EXPECT_FALSE(second.logIn("CMA", true));
    EXPECT_FALSE(second.cancelled());
    EXPECT_EQ(session.sessionId, "");
    EXPECT_FALSE(second.logIn("CMA", true));
    EXPECT_EQ(refused.runs, 2);
}

TEST_F(LoginServiceTest, NoConnectionShowsTheMessageWithoutDialog)
{
    settings.values["General/UseLan"] = "0";
    connection.readSettings();
    ScriptedDialog dialog([] { return LoginDialogResult::LoggedIn; });
    auto login = service(dialog);
    EXPECT_FALSE(login.logIn("CMA", true));
    EXPECT_EQ(dialog.runs, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Die Verbindung zum brevalis-Rechenzentrum konnte\nnicht hergestellt werden. Bitte "
                                   "überprüfen Sie die\nNetzwerkeinstellungen und versuchen sie es erneut!");
    EXPECT_EQ(boxes.boxes[0].icon, bv::MbIcon::Error);
}

TEST_F(LoginServiceTest, CheckSessionAsksTheAliveAddress)
{
    ScriptedDialog dialog([] { return LoginDialogResult::Cancelled; });
    auto login = service(dialog);
    bv::test::ScriptedRoutine script;
    script.answers = {{0, "", "1"}};
    login.setRequestRoutine(script.routine());
    session.sessionId = "abc";
    std::string message;
    EXPECT_TRUE(login.checkSession(message));
    ASSERT_EQ(script.requests().size(), 1u);
    EXPECT_EQ(script.requests()[0].address, "https://centre.example.ch/alive");
    EXPECT_EQ(script.requests()[0].formBody, "CurrentSessionId=abc");
}
