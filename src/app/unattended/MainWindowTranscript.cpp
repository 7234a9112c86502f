#include "app/unattended/MainWindowTranscript.h"

#include "app/core/AppInfo.h"
#include "app/main/MainWindowController.h"
#include "app/main/MainWindowTexts.h"
#include "app/unattended/ScriptedUser.h"

namespace bv {

namespace {

const char* const PageField = "page";
const char* const CloseAnswer = "close";

} // namespace

MainWindowTranscript::MainWindowTranscript(ScriptedUser& user, const std::string& title)
    : m_user(user), m_transcript(user.session(), title)
{}

MainWindowView& MainWindowTranscript::wrap(MainWindowView& window)
{
    m_window = &window;
    return *this;
}

void MainWindowTranscript::pageLoaded(const std::string& url)
{
    if (!m_ended)
        m_transcript.field(PageField, url);
}

void MainWindowTranscript::pageSettled()
{
    // A page that loads behind a dialog of this window (the send dialog opened by the page itself) is
    // not where the run waits for the user.
    if (m_ended || (m_controller && m_controller->dialogRunning()))
        return;
    if (m_user.take([](const std::string& answer) { return answer == CloseAnswer; }) && m_controller)
        m_controller->onCloseCommand();
}

void MainWindowTranscript::endWindow()
{
    if (!m_ended) {
        m_ended = true;
        m_transcript.close(m_controller && m_controller->logoutRequested());
    }
    m_window->endWindow();
}

void MainWindowDialogsTranscript::showInfo()
{
    DialogTranscript transcript(m_user.session(), mainwindowtext::InfoTitle);
    transcript.field(mainwindowtext::InfoTitle, appinfo::ProgramTitle);
    transcript.close(true);
}

} // namespace bv
