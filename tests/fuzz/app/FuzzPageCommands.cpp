// Page commands arrive from web pages, start requests from other programs: the main window must
// take any text without crashing. Lines of the input are a start request, then pairs of page
// address and status text; every fifth pair is handed over as a later start's request instead.

#include "app/core/ClientApp.h"
#include "app/login/LoginService.h"
#include "app/main/MainWindowController.h"
#include "app/main/PageCommand.h"
#include "app/main/PageOrigin.h"
#include "net/ContractList.h"
#include "net/NetworkConnection.h"
#include "net/SessionRecord.h"
#include "platform/Dispatcher.h"

#include "../../net/FakePorts.h"
#include "../../app/main/MainWindowFakes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= input.size(); ++i) {
        if (i == input.size() || input[i] == '\n') {
            lines.push_back(input.substr(start, i - start));
            start = i + 1;
        }
    }

    SessionRecord session;
    ContractList contracts;
    test::MemoryProfileStore settings;
    settings.values["General/LoginURL"] = "https://centre.example.ch/login";
    settings.values["General/UseLan"] = "1";
    settings.values["General/LoginSuccess"] = "1";
    test::RecordingBoxes boxes;
    test::NetworkProbeOnline probe;
    test::FakeDialUp dialUp;
    NetworkConnection connection(settings, boxes, probe, dialUp);
    connection.readSettings();
    PopupProperties popup{535, 540, false};
    PageCommandMemory memory;
    QueueDispatcher ui;
    test::FakeMainWindowView view;
    view.active = ActiveWindow::Other;
    test::FakeMainWindowDialogs dialogs;
    test::ScriptedLoginDialog loginDialog;
    for (int i = 0; i < 4; ++i) {
        loginDialog.steps.push_back([&session] {
            session.loggedIn = true;
            session.sessionId = "s1";
            session.startAddress = "https://centre.example.ch/app/start";
            return LoginDialogResult::LoggedIn;
        });
    }
    LoginService login(session, contracts, settings, boxes, connection, loginDialog, "agent", false);

    MainWindowController controller(view, dialogs, login,
                                    {session, contracts, settings, boxes, connection, popup, memory, ui},
                                    lines.empty() ? std::string() : lines[0]);
    controller.onStartMessage();
    for (std::size_t i = 1; i + 1 < lines.size(); i += 2) {
        (void)pageOrigin(lines[i]);
        if ((i / 2) % 5 == 4)
            controller.onInstanceRequest(lines[i + 1]);
        else
            controller.onStatusTextChange(i % 3 == 0 ? lines[i] : "https://centre.example.ch/app", lines[i + 1]);
        if (view.startMessages > 0) {
            view.startMessages = 0;
            controller.onStartMessage();
        }
        if (view.cancels > 0) {
            view.cancels = 0;
            controller.onCancel();
        }
    }
    controller.onDestroy();
    return 0;
}
