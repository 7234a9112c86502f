#pragma once

#include "app/main/MainWindowPorts.h"
#include "gui/main/PopupWindow.h"
#include "gui/main/StatusTextChannel.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenuBar;
class QVBoxLayout;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace bv {

class BrowserPage;
class MainWindowController;

// The main window: filled by the embedded browser that shows the billing centre's web application,
// with a window menu holding "&Info" and "&Configuration" (on Linux the window manager owns the
// system menu). It only draws and forwards: what a page command, a key or a menu entry means is
// decided by its MainWindowController. The browser is created at the first navigation, so that the
// window and the login dialog come up without waiting for the web engine.
class MainWindow : public QDialog, public MainWindowView
{
    Q_OBJECT

public:
    using PopupShapeSource = std::function<PopupShape()>;

    // `popupShape` tells the shape of each popup when a page opens it.
    MainWindow(const QString& title, PopupShapeSource popupShape, QWidget* parent = nullptr);
    ~MainWindow() override;

    void attach(MainWindowController* controller) { m_controller = controller; }

    // Runs the window modally until it ended.
    void run();

    QWebEngineView* browser() const { return m_view; }
    BrowserPage* page() const { return m_page; }
    std::vector<PopupWindow*> popups() const;

    // MainWindowView
    void navigate(const std::string& url) override;
    void navigatePost(const std::string& url, const std::string& postData) override;
    void postStartMessage() override;
    void postCancel() override;
    void endWindow() override;
    ScreenRect workArea() const override;
    void placeWindow(const WindowPlacement& placement) override;
    ScreenRect windowRect() const override;
    ActiveWindow activeWindow() const override;
    ActiveWindow waitForActiveWindow(std::chrono::milliseconds wait) override;
    void bringToFront() override;
    void activateOpenWindow() override;

    // Escape asks the controller; Enter does nothing.
    void reject() override;
    void accept() override {}

signals:
    // A page finished loading, or failed to (the main browser only).
    void pageLoaded(const QUrl& url, bool ok);
    // A page finished loading while the window had not ended; later, when it is still the page shown
    // and nothing loads (with BVALS_SCREENSHOT_DIR set, once its picture was taken), it settled.
    void pageShown(const QString& url);
    void pageSettled();
    // A page opened a popup window.
    void popupOpened(PopupWindow* popup);
    // A page command reached the window (before the controller decided on it).
    void statusTextReceived(const QString& pageUrl, const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ensureBrowser();
    void connectPage(BrowserPage* page);
    QWebEnginePage* openPopup();
    void onStatusText(const QString& pageUrl, const QString& text);
    void onLoadingChanged(const QWebEngineLoadingInfo& loading);

    PopupShapeSource m_popupShape;
    MainWindowController* m_controller = nullptr;
    StatusTextChannel m_channel;
    QVBoxLayout* m_layout;
    QMenuBar* m_menuBar;
    QWidget* m_placeholder;
    QWebEngineProfile* m_profile = nullptr;
    QWebEngineView* m_view = nullptr;
    BrowserPage* m_page = nullptr;
    std::vector<QPointer<PopupWindow>> m_popups;
    bool m_ended = false;
    int m_pagesLoaded = 0;     // pages loaded so far; names the demo's pictures
    bool m_navigating = false; // a page is loading
};

} // namespace bv
