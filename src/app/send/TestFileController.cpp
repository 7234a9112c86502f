#include "app/send/TestFileController.h"

#include "app/send/FileChooser.h"
#include "app/send/SendTexts.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/ContractList.h"
#include "net/SessionRecord.h"
#include "net/UrlEscape.h"
#include "platform/Dispatcher.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <filesystem>

namespace bv {

TestFileController::TestFileController(TestFileView& view, TestFileDependencies dependencies)
    : m_view(view), m_deps(std::move(dependencies))
{}

TestFileController::~TestFileController()
{
    m_alive.reset();
    if (m_handle && !m_handle->finished())
        m_block.cancel.set();
    m_handle.reset(); // waits for the thread
}

std::string TestFileController::uploadUrl(const std::string& serviceUrl, const std::string& customerNumber,
                                          const std::string& sessionId, const std::string& path)
{
    const std::string fileName = std::filesystem::path(path).filename().string();
    return strFormat(sendtext::TestFileUrl, serviceUrl.c_str(), urlEscape(customerNumber).c_str(),
                     urlEscape(sendtext::TestFileBatch).c_str(), urlEscape(sendtext::TestFileType).c_str(),
                     urlEscape(sessionId).c_str(), urlEscape(fileName).c_str(), urlEscape(path).c_str());
}

void TestFileController::open()
{
    const std::string start = m_deps.profile.read(profilekey::spooldir);
    const auto chosen = m_deps.chooser.chooseFile(sendtext::ChooseFileTitle, start);
    if (!chosen || chosen->empty()) {
        close();
        return;
    }
    const std::string& path = *chosen;
    m_block.prepare(uploadUrl(m_deps.profile.read(profilekey::URL), m_deps.contracts.selectedNumber(),
                              m_deps.session.sessionId, path),
                    path, m_deps.agent, m_deps.useProxy);

    const std::string fileName = std::filesystem::path(path).filename().string();
    m_view.setInfoText(strFormat(sendtext::TestFileSending, fileName.c_str()));
    m_handle = m_deps.starter.start(m_block, this);
    if (!m_handle)
        close();
}

void TestFileController::cancel()
{
    if (m_closed)
        return;
    if (m_handle) {
        m_block.cancelAndWait(*m_handle);
        m_deps.boxes.show(sendtext::TestFileCancelled, sendtext::Caption, MbIcon::Error);
    }
    close();
}

void TestFileController::uploadCompleted()
{
    if (m_closed || !m_handle)
        return;
    m_handle.reset();
    if (m_block.errorCode != 0) {
        const std::string text = m_block.errorText.empty()
                                     ? strFormat(sendtext::TestFileErrorCode, m_block.errorCode)
                                     : strFormat(sendtext::TestFileError, m_block.errorText.c_str());
        m_deps.boxes.show(text, sendtext::Caption, MbIcon::Error);
    } else {
        m_deps.boxes.show(sendtext::TestFileDone, sendtext::Caption, MbIcon::Information);
    }
    close();
}

void TestFileController::postToDialog(std::function<void()> fn)
{
    m_deps.dispatcher.post([token = m_aliveToken, fn = std::move(fn)] {
        if (!token.expired())
            fn();
    });
}

void TestFileController::uploadProgress(int percent)
{
    postToDialog([this, percent] { m_view.setProgress(percent); });
}

void TestFileController::uploadStatus(const std::string& text)
{
    // Copied and posted: the thread never waits for the dialog, which may itself wait for the
    // thread's acknowledgement of a cancel.
    postToDialog([this, text] { m_view.setStatusText(text); });
}

void TestFileController::uploadOpened()
{
    postToDialog([this] { m_view.showConnectionIndicator(); });
}

void TestFileController::uploadFinished()
{
    postToDialog([this] { uploadCompleted(); });
}

void TestFileController::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_view.closeDialog();
}

} // namespace bv
