#include "gui/main/BrowserPage.h"

#include "gui/main/StatusTextChannel.h"

namespace bv {

BrowserPage::BrowserPage(QWebEngineProfile* profile, const StatusTextChannel& channel, QObject* parent)
    : QWebEnginePage(profile, parent), m_channel(channel)
{}

void BrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&)
{
    const auto assignment = m_channel.decode(message);
    if (!assignment || !m_statusHandler)
        return;
    // Handled from the event loop, not inside the browser's callback: a command may run a modal dialog.
    QMetaObject::invokeMethod(
        this, [handler = m_statusHandler, a = *assignment] { handler(a.pageUrl, a.text); }, Qt::QueuedConnection);
}

QWebEnginePage* BrowserPage::createWindow(WebWindowType)
{
    return m_windowFactory ? m_windowFactory() : nullptr;
}

} // namespace bv
