#include "gui/main/BrowserPage.h"

#include "gui/main/StatusTextChannel.h"

namespace bv {

BrowserPage::BrowserPage(QWebEngineProfile* profile, const StatusTextChannel& channel, QObject* parent)
    : QWebEnginePage(profile, parent), m_channel(channel)
{
    connect(this, &QWebEnginePage::certificateError, this, &BrowserPage::onCertificateError);
}

void BrowserPage::onCertificateError(const QWebEngineCertificateError& error)
{
    QWebEngineCertificateError decision = error;
    std::vector<std::string> chain;
    for (const QSslCertificate& certificate : error.certificateChain())
        chain.push_back(certificate.toDer().toStdString());
    if (error.isOverridable() && m_certificateJudge && m_certificateJudge(error.url().toString().toStdString(), chain))
        decision.acceptCertificate();
    else
        decision.rejectCertificate();
}

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
