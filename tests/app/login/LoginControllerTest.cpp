#include "app/login/LoginController.h"

#include "app/unattended/LoginTranscript.h"
#include "app/unattended/ScriptedUser.h"
#include "platform/Files.h"
#include "platform/Unattended.h"
#include "platform/TempDir.h"

#include "LoginFakes.h"

#include <gtest/gtest.h>

#include <fstream>

using bv::LoginDialogResult;
using bv::MbIcon;
using bv::MbResult;
using bv::test::ScriptedRoutine;
using namespace std::chrono_literals;

namespace {

const char* const LoginUrl = "https://centre.example.ch/login";
const char* const BackupUrl = "https://backup.example.ch/backup";
const char* const Refused = "LOGINNOTOK: Nom d'utilisateur ou mot de passe incorrect";

struct LoginControllerTest : ::testing::Test
{
    LoginControllerTest()
    {
        session.loginAddress = LoginUrl;
        session.loginContext = "CMA";
        settings.values["General/LoginBackupURL"] = BackupUrl;
    }

    std::unique_ptr<bv::LoginController> makeController()
    {
        bv::LoginDependencies deps{session, contracts, settings, boxes, dispatcher};
        deps.environment = {"1.5.1 (Build 1051) CH-FR", "6.4.2/102.0", "Linux 6.1, Debian", "FRZ", "LAN"};
        deps.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
        deps.appendCustomerNumber = [this](const std::string& n) { appended.push_back(n); };
        deps.routine = script.routine();
        return std::make_unique<bv::LoginController>(view, std::move(deps));
    }

    // Presses OK with these fields and waits until the request's completion has been handled.
    void submit(bv::LoginController& controller, const std::string& user, const std::string& password)
    {
        view.user = user;
        view.pass = password;
        controller.ok();
        waitIdle(controller);
    }

    void waitIdle(bv::LoginController& controller)
    {
        ASSERT_TRUE(dispatcher.runUntil([&] { return !controller.busy(); }, 5s));
    }

    bv::SessionRecord session;
    bv::ContractList contracts;
    bv::test::MemoryProfileStore settings;
    bv::test::RecordingBoxes boxes;
    bv::QueueDispatcher dispatcher;
    bv::test::FakeLoginView view;
    ScriptedRoutine script;
    std::vector<std::string> appended;
};

} // namespace

TEST_F(LoginControllerTest, OpensWithTheLastUserAndFocusOnTheFieldToFill)
{
    auto controller = makeController();
    controller->start();
    EXPECT_EQ(view.user, "");
    EXPECT_EQ(view.focus, "user");

    settings.values["General/LastUser"] = "dupont";
    auto second = makeController();
    second->start();
    EXPECT_EQ(view.user, "dupont");
    EXPECT_EQ(view.focus, "password");
    EXPECT_EQ(bv::LoginController::title("Demo"), "brevalis Demo");
    EXPECT_EQ(bv::LoginController::title(""), "brevalis ");
}

TEST_F(LoginControllerTest, EmptyFieldCountsTheAttemptAndSendsNothing)
{
    auto controller = makeController();
    submit(*controller, "dupont", "");
    EXPECT_EQ(controller->attempts(), 1);
    EXPECT_TRUE(script.requests().empty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Veuillez entrer votre nom d'utilisateur et votre mot de passe !");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::None);
    EXPECT_EQ(view.closes, 0);
}

TEST_F(LoginControllerTest, SuccessfulLoginOpensTheSessionAndRemembersTheUser)
{
    script.answers = {{0, "", "SESSIONID: abc\r\nSTARTURL: https://centre.example.ch/app\r\nVERTLIST: 123=Dupont\r\n"}};
    auto controller = makeController();
    controller->start();
    view.user = "dupont";
    view.pass = "s&cret";
    controller->ok();
    EXPECT_TRUE(controller->busy());
    EXPECT_FALSE(view.buttonsEnabled);
    waitIdle(*controller);

    EXPECT_TRUE(view.buttonsEnabled);
    EXPECT_EQ(view.result, LoginDialogResult::LoggedIn);
    EXPECT_TRUE(session.loggedIn);
    EXPECT_EQ(session.sessionId, "abc");
    EXPECT_EQ(contracts.count(), 1);
    EXPECT_EQ(appended, std::vector<std::string>{"123"});
    EXPECT_EQ(settings.get("General/LastUser"), "dupont");
    EXPECT_EQ(settings.get("General/LoginSuccess"), "1");

    const auto sent = script.requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, LoginUrl);
    EXPECT_EQ(sent[0].agent, "brevalis-Client 1.5.1 (Build 1051) CH-FR");
    EXPECT_EQ(sent[0].formBody, "benutzer=dupont&passwort=s%26cret&" + controller->loginParameters());
    EXPECT_EQ(controller->loginParameters().rfind("ClientVersion=BV_CL%20%5B1.5.1", 0), 0u);
    EXPECT_NE(controller->loginParameters().find("&LoginKontext=CMA&"), std::string::npos);
}

TEST_F(LoginControllerTest, ThirdRefusalLocksTheUserOut)
{
    script.answers = {{0, "", Refused}, {0, "", Refused}, {0, "", Refused}};
    auto controller = makeController();
    controller->start();
    submit(*controller, "dupont", "wrong1");
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(view.pass, "");
    EXPECT_EQ(view.focus, "password");
    submit(*controller, "dupont", "wrong2");
    EXPECT_EQ(view.closes, 0);
    submit(*controller, "dupont", "wrong3");
    EXPECT_EQ(view.result, LoginDialogResult::Failed);
    EXPECT_TRUE(session.lockedOut);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_EQ(boxes.boxes.size(), 3u);
    EXPECT_FALSE(settings.get("General/LastUser"));
    EXPECT_FALSE(settings.get("General/LoginSuccess"));
}

TEST_F(LoginControllerTest, LockedAccountEndsTheDialogWithoutCountingAsLockout)
{
    script.answers = {{0, "", "BV_LOCKED: Compte bloqué"}};
    auto controller = makeController();
    submit(*controller, "dupont", "pw");
    EXPECT_EQ(view.result, LoginDialogResult::Failed);
    EXPECT_FALSE(session.lockedOut);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Compte bloqué");
}

TEST_F(LoginControllerTest, AcceptedUpdateEndsTheLoginSuccessfully)
{
    boxes.answers = {MbResult::Yes};
    script.answers = {{0, "", "AUTOUPDATE: https://centre.example.ch/bv_setup.exe"}};
    auto controller = makeController();
    submit(*controller, "dupont", "pw");
    EXPECT_EQ(view.result, LoginDialogResult::LoggedIn);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_EQ(session.updateAddress, "https://centre.example.ch/bv_setup.exe");
    EXPECT_EQ(settings.get("General/LoginSuccess"), "1");
}

struct FailureRow
{
    const char* name;
    ScriptedRoutine::Answer answer;
    std::string message;
};

class LoginRequestFailure : public LoginControllerTest, public ::testing::WithParamInterface<FailureRow>
{
};

TEST_P(LoginRequestFailure, WithoutBackupServerShowsTheErrorAndEnds)
{
    settings.values["General/UseBackupURL"] = "0";
    script.answers = {GetParam().answer};
    session.loggedIn = true;
    auto controller = makeController();
    submit(*controller, "dupont", "pw");
    EXPECT_EQ(view.result, LoginDialogResult::Failed);
    EXPECT_FALSE(session.loggedIn);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, GetParam().message);
    EXPECT_EQ(boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(script.requests().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, LoginRequestFailure,
    ::testing::Values(FailureRow{"Offline",
                                 {2, "Der Internet Explorer befindet sich im 'Offlinebetrieb'.", ""},
                                 "Die Anmeldung konnte nicht durchgeführt werden,\nda sich der Internet Explorer im "
                                 "'Offlinebetrieb' befindet."},
                      FailureRow{"CannotConnect",
                                 {12029, "Es konnte keine Verbindung mit dem Server hergestellt werden.", ""},
                                 "Es konnte keine Verbindung mit dem Server hergestellt werden."},
                      FailureRow{"HttpStatus",
                                 {-3, "L'erreur http 500 est apparue ! ", "Internal"},
                                 "L'erreur http 500 est apparue ! "},
                      FailureRow{"NoText", {12345, "", ""}, "L'erreur 12345 est apparue !"}),
    [](const auto& info) { return info.param.name; });

TEST_F(LoginControllerTest, BackupRedirectRepostsTheSameCredentialsOnceOnly)
{
    settings.values["General/UseBackupURL"] = "1";
    const ScriptedRoutine::Answer refusedConnection{
        12029, "Es konnte keine Verbindung mit dem Server hergestellt werden.", ""};
    script.answers = {
        refusedConnection, {0, "", "BV_LOGINREDIRECT: https://other.example.ch/login\r\n"}, refusedConnection};
    auto controller = makeController();
    submit(*controller, "dupont", "pw");
    ASSERT_TRUE(dispatcher.runUntil([&] { return view.closes > 0; }, 5s));

    const auto sent = script.requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].address, BackupUrl);
    EXPECT_EQ(sent[1].formBody, "");
    EXPECT_EQ(sent[2].address, "https://other.example.ch/login");
    EXPECT_EQ(sent[2].formBody, sent[0].formBody);
    EXPECT_EQ(session.loginAddress, "https://other.example.ch/login");
    EXPECT_EQ(view.result, LoginDialogResult::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Es konnte keine Verbindung mit dem Server hergestellt werden.");
    EXPECT_EQ(controller->attempts(), 1);
}

TEST_F(LoginControllerTest, BackupRedirectToAWorkingServerLogsIn)
{
    settings.values["General/UseBackupURL"] = "1";
    script.answers = {
        {12002, "Zeit", ""}, {0, "", "BV_LOGINREDIRECT: https://other.example.ch/login"}, {0, "", "SESSIONID: s2"}};
    auto controller = makeController();
    submit(*controller, "dupont", "pw");
    ASSERT_TRUE(dispatcher.runUntil([&] { return view.closes > 0; }, 5s));
    EXPECT_EQ(view.result, LoginDialogResult::LoggedIn);
    EXPECT_EQ(session.sessionId, "s2");
}

struct BackupRow
{
    const char* name;
    ScriptedRoutine::Answer firstLogin;
    ScriptedRoutine::Answer backup;
    std::vector<std::string> messages;
};

class BackupProcedure : public LoginControllerTest, public ::testing::WithParamInterface<BackupRow>
{
};

TEST_P(BackupProcedure, EndsTheDialogWithItsMessages)
{
    settings.values["General/UseBackupURL"] = "1";
    script.answers = {GetParam().firstLogin, GetParam().backup};
    auto controller = makeController();
    submit(*controller, "dupont", "pw");
    EXPECT_EQ(view.result, LoginDialogResult::Failed);
    EXPECT_FALSE(session.loggedIn);
    EXPECT_EQ(boxes.texts(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, BackupProcedure,
    ::testing::Values(
        BackupRow{
            "DoNothing",
            {12029, "Es konnte keine Verbindung mit dem Server hergestellt werden.", ""},
            {0, "", "BV_BACKUPMSG: Wartung\\nbis 18 Uhr\nBV_DONOTHING"},
            {"Wartung\nbis 18 Uhr",
             "Es konnte keine Verbindung mit dem Server hergestellt werden. (Le serveur backup a été atteint !)"}},
        BackupRow{"DoNothingWithoutText",
                  {12345, "", ""},
                  {0, "", "BV_DONOTHING"},
                  {"L'erreur 12345 est apparue ! (Le serveur backup a été atteint !)"}},
        BackupRow{"BackupUnreachable",
                  {12029, "x", ""},
                  {12007, "Der Servername oder die Serveradresse konnte nicht aufgelöst werden.", ""},
                  {"Backup-Server: Der Servername oder die Serveradresse konnte nicht aufgelöst werden."}},
        BackupRow{
            "BackupErrorWithoutText", {12029, "x", ""}, {99, "", ""}, {"Backup-Server: L'erreur 99 est apparue !"}},
        BackupRow{"FaultyBackupReply",
                  {12029, "x", ""},
                  {0, "", "SESSIONID: nope"},
                  {"Die Backup-Serverantwort war fehlerhaft!"}}),
    [](const auto& info) { return info.param.name; });

TEST_F(LoginControllerTest, CancelIsIgnoredWhileTheRequestRuns)
{
    script.answers = {{0, "", "SESSIONID: abc"}};
    auto controller = makeController();
    view.user = "dupont";
    view.pass = "pw";
    controller->ok();
    controller->cancel();
    EXPECT_EQ(view.closes, 0);
    waitIdle(*controller);
    EXPECT_EQ(view.result, LoginDialogResult::LoggedIn);
    controller->cancel();
    EXPECT_EQ(view.closes, 1);
}

TEST_F(LoginControllerTest, CancelClearsTheLogin)
{
    session.loggedIn = true;
    auto controller = makeController();
    controller->cancel();
    EXPECT_EQ(view.result, LoginDialogResult::Cancelled);
    EXPECT_FALSE(session.loggedIn);
}

TEST_F(LoginControllerTest, CompletionAfterTheDialogIsGoneIsDropped)
{
    script.answers = {{0, "", "SESSIONID: abc"}};
    auto controller = makeController();
    view.user = "dupont";
    view.pass = "pw";
    controller->ok();
    controller.reset(); // waits for the worker; its completion notice is still queued
    dispatcher.runPending();
    EXPECT_EQ(view.closes, 0);
    EXPECT_FALSE(session.loggedIn);
}

// The login dialog of an unattended run: its transcript decorator answers whenever the controller
// waits for the user.
struct LoginTranscriptTest : LoginControllerTest
{
    // A controller behind the decorator, the scripted user answering from `answers`.
    std::unique_ptr<bv::LoginController> makeScripted(const std::vector<std::string>& answers)
    {
        sessionFile = std::make_unique<bv::UnattendedSession>(dir.file("transcript.txt"), answersFile(answers));
        user = std::make_unique<bv::ScriptedUser>(*sessionFile);
        decorator = std::make_unique<bv::LoginTranscript>(*user, "brevalis Demo");
        bv::LoginDependencies deps{session, contracts, settings, boxes, dispatcher};
        deps.routine = script.routine();
        auto controller = std::make_unique<bv::LoginController>(decorator->wrap(view), std::move(deps));
        decorator->attach(*controller);
        return controller;
    }

    std::filesystem::path answersFile(const std::vector<std::string>& answers)
    {
        std::ofstream out(dir.file("answers.txt"), std::ios::trunc);
        for (const std::string& answer : answers)
            out << answer << "\n";
        return dir.file("answers.txt");
    }

    bv::TempDir dir;
    std::unique_ptr<bv::UnattendedSession> sessionFile;
    std::unique_ptr<bv::ScriptedUser> user;
    std::unique_ptr<bv::LoginTranscript> decorator;
};

TEST_F(LoginTranscriptTest, AnswersFillTheFieldsOrCancel)
{
    script.answers = {{0, "", Refused}, {0, "", "SESSIONID: abc"}};
    auto controller = makeScripted({"login\tdupont\twrong", "yes", "login\tdupont\tright"});
    controller->start();
    ASSERT_TRUE(dispatcher.runUntil([&] { return view.closes > 0; }, 5s));
    // After the refusal the dialog waits again; "yes" is no answer for it, so the dialog cancels and
    // leaves "yes" for the next taker.
    EXPECT_EQ(view.result, LoginDialogResult::Cancelled);
    EXPECT_EQ(sessionFile->peekAnswer(), "yes");
    ASSERT_EQ(script.requests().size(), 1u);
    EXPECT_EQ(script.requests()[0].formBody.substr(0, 34), "benutzer=dupont&passwort=wrong&Cli");

    view.closes = 0;
    auto second = makeScripted({"login\tdupont\tright"});
    second->start();
    ASSERT_TRUE(dispatcher.runUntil([&] { return view.closes > 0; }, 5s));
    EXPECT_EQ(view.result, LoginDialogResult::LoggedIn);
    EXPECT_EQ(session.sessionId, "abc");
    EXPECT_EQ(bv::files::readFile(dir.file("transcript.txt")),
              "DIALOG\tbrevalis Demo\topen\nDIALOG\tbrevalis Demo\tclose\tcancel\n"
              "DIALOG\tbrevalis Demo\topen\nDIALOG\tbrevalis Demo\tclose\tok\n");
}

TEST_F(LoginTranscriptTest, WithoutAnswersCancels)
{
    auto controller = makeScripted({});
    controller->start();
    EXPECT_EQ(view.result, LoginDialogResult::Cancelled);
    EXPECT_TRUE(script.requests().empty());
}
