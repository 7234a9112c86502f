#pragma once

#include <QWebEngineCertificateError>
#include <QWebEnginePage>

#include <functional>
#include <string>
#include <vector>

namespace bv {

class StatusTextChannel;

// A page of the embedded browser (main window or popup): hands the status texts its frames set to
// the window, opens new windows through the window's popup factory, and asks the window whether a
// certificate the browser refused may be accepted.
class BrowserPage : public QWebEnginePage
{
public:
    using StatusHandler = std::function<void(const QString& pageUrl, const QString& text)>;
    using WindowFactory = std::function<QWebEnginePage*()>;
    // The page's address and the certificate chain (DER, the server's own certificate first).
    using CertificateJudge = std::function<bool(const std::string& url, const std::vector<std::string>& chain)>;

    BrowserPage(QWebEngineProfile* profile, const StatusTextChannel& channel, QObject* parent = nullptr);

    void setStatusHandler(StatusHandler handler) { m_statusHandler = std::move(handler); }
    void setWindowFactory(WindowFactory factory) { m_windowFactory = std::move(factory); }
    void setCertificateJudge(CertificateJudge judge) { m_certificateJudge = std::move(judge); }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceId) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    void onCertificateError(const QWebEngineCertificateError& error);

    const StatusTextChannel& m_channel;
    StatusHandler m_statusHandler;
    WindowFactory m_windowFactory;
    CertificateJudge m_certificateJudge;
};

} // namespace bv
