#pragma once

#include "app/login/LoginDialogRunner.h"
#include "app/login/LoginService.h"
#include "app/send/SendDialogController.h"
#include "billing/FeeValueTable.h"
#include "billing/SampleFiles.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "config/ProfileStore.h"
#include "net/ContractList.h"
#include "net/NetworkConnection.h"
#include "net/SessionRecord.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include "SendFakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace bv::test {

class ScriptedLoginDialog : public LoginDialogRunner
{
public:
    explicit ScriptedLoginDialog(SessionRecord& session) : m_session(session) {}
    LoginDialogResult runLoginDialog() override
    {
        ++runs;
        m_session.lockedOut = lockOut;
        if (result == LoginDialogResult::LoggedIn) {
            m_session.sessionId = "S-LOGIN";
            m_session.loggedIn = true;
        }
        return result;
    }
    LoginDialogResult result = LoginDialogResult::LoggedIn;
    bool lockOut = false;
    int runs = 0;

private:
    SessionRecord& m_session;
};

class FixedRemovableProbe : public files::RemovableProbe
{
public:
    bool isRemovable(const std::filesystem::path&) const override { return false; }
};

// A send dialog over a temporary registry and spool directory, with a logged-in session, an alive
// check that answers from `aliveReply`, and an upload thread of the tests.
struct SendDialogFixture : ::testing::Test
{
    SendDialogFixture()
    {
        profile.writeString(section::General, profilekey::UseLan.name, "1");
        profile.writeString(section::General, profilekey::LoginSuccess.name, "1");
        profile.writeString(section::Abrechnungsversand, "URL", "http://centre.test/upload");
        profile.writeString(section::Abrechnungsversand, profilekey::AliveURL.name, "http://centre.test/alive");
        connection.readSettings();
        session.sessionId = "S1";
        session.loggedIn = true;
        contracts.replaceFrom("4711=Praxis Muster#900001=Labor", [](const std::string&) {});
        login.setRequestRoutine([this](InternetRequest& request) {
            ++aliveRequests;
            request.reply = aliveReply;
        });
    }

    std::unique_ptr<SendDialogController> makeController(bool standalone = false, SpoolFactory factory = {})
    {
        SendDialogDependencies deps(profile, boxes, login, starter, dispatcher, timer, fees, removable);
        deps.agent = "brevalis-Client test";
        deps.today = [this] { return today; };
        deps.createSpool = std::move(factory);
        deps.edition = edition;
        deps.laboratory = laboratory;
        deps.dialogs = dialogs;
        return std::make_unique<SendDialogController>(view, std::move(deps),
                                                      SendDialogMode{standalone, spool.path(), true});
    }

    // Opens the dialog and runs its start message.
    std::unique_ptr<SendDialogController> openDialog(bool standalone = false, SpoolFactory factory = {})
    {
        auto controller = makeController(standalone, std::move(factory));
        controller->open();
        dispatcher.runPending();
        return controller;
    }

    bool pumpUntilClosed(SendDialogController& controller)
    {
        return dispatcher.runUntil([&] { return controller.closed(); }, std::chrono::seconds(10));
    }

    std::string spoolDir() const { return spool.path().string() + "/"; }
    void writeXml(const std::string& name, const samples::XmlInvoicePlan& sample = {})
    {
        spool.write(name, samples::xmlInvoice(sample));
    }
    void writeChz(const std::string& name, const samples::ChzPlan& sample = {})
    {
        spool.write(name, samples::chzFile(sample));
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& box : boxes.boxes)
            out.push_back(box.text);
        return out;
    }

    TempRegistry registry;
    Profile profile{registry.registry()};
    TempDir spool{"bv-send-spool-"};
    RecordingMessageBoxes boxes;
    SessionRecord session;
    ContractList contracts;
    ProfileStore& settings = profile;
    NetworkProbe probe;
    DialUp dialUp;
    NetworkConnection connection{settings, boxes, probe, dialUp};
    ScriptedLoginDialog loginDialog{session};
    LoginService login{session, contracts, settings, boxes, connection, loginDialog, "agent", false};
    QueueDispatcher dispatcher;
    FakeTimer timer;
    FeeValueTable fees;
    FixedRemovableProbe removable;
    ThreadUploadStarter starter;
    FakeSendView view;
    std::string aliveReply = "1";
    int aliveRequests = 0;
    std::string today = "20240315";
    Edition edition = clientEdition();
    SendLaboratory* laboratory = nullptr; // the file's own operations when not set
    SendDialogs* dialogs = nullptr;
};

} // namespace bv::test
