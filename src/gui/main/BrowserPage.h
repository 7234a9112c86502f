#pragma once

#include <QWebEnginePage>

#include <functional>

namespace bv {

class StatusTextChannel;

// A page of the embedded browser (main window or popup): hands the status texts its frames set to
// the window, and opens new windows through the window's popup factory.
class BrowserPage : public QWebEnginePage
{
public:
    using StatusHandler = std::function<void(const QString& pageUrl, const QString& text)>;
    using WindowFactory = std::function<QWebEnginePage*()>;

    BrowserPage(QWebEngineProfile* profile, const StatusTextChannel& channel, QObject* parent = nullptr);

    void setStatusHandler(StatusHandler handler) { m_statusHandler = std::move(handler); }
    void setWindowFactory(WindowFactory factory) { m_windowFactory = std::move(factory); }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceId) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    const StatusTextChannel& m_channel;
    StatusHandler m_statusHandler;
    WindowFactory m_windowFactory;
};

} // namespace bv
