#include "gui/main/MainWindow.h"

#include "app/main/MainWindowController.h"
#include "app/main/MainWindowTexts.h"
#include "gui/core/Screenshot.h"
#include "gui/main/BrowserPage.h"
#include "gui/main/PopupWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace bv {

namespace {

constexpr int ScreenshotDelayMs = 700;

QUrl toUrl(const std::string& address)
{
    return QUrl(QString::fromStdString(address), QUrl::TolerantMode);
}

} // namespace

MainWindow::MainWindow(const QString& title, PopupShapeSource popupShape, QWidget* parent)
    : QDialog(parent), m_popupShape(std::move(popupShape))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(title);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);

    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("windowMenuBar"));
    QMenu* menu = m_menuBar->addMenu(QString::fromUtf8(mainwindowtext::MenuTitle));
    menu->setObjectName(QStringLiteral("windowMenu"));
    QAction* info = menu->addAction(QString::fromUtf8(mainwindowtext::MenuInfo));
    info->setObjectName(QStringLiteral("infoAction"));
    QAction* configuration = menu->addAction(QString::fromUtf8(mainwindowtext::MenuConfiguration));
    configuration->setObjectName(QStringLiteral("configurationAction"));
    connect(info, &QAction::triggered, this, [this] {
        if (m_controller)
            m_controller->onInfoCommand();
    });
    connect(configuration, &QAction::triggered, this, [this] {
        if (m_controller)
            m_controller->onConfigurationCommand();
    });

    m_placeholder = new QWidget(this);
    m_placeholder->setObjectName(QStringLiteral("browserPlaceholder"));
    m_placeholder->setStyleSheet(QStringLiteral("background: white;"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setMenuBar(m_menuBar);
    m_layout->addWidget(m_placeholder);
}

MainWindow::~MainWindow()
{
    // Pages must go before the profile they belong to.
    for (const auto& popup : m_popups)
        delete popup.data();
    delete m_view;
    delete m_profile;
}

void MainWindow::run()
{
    exec();
}

std::vector<PopupWindow*> MainWindow::popups() const
{
    std::vector<PopupWindow*> open;
    for (const auto& popup : m_popups) {
        if (popup)
            open.push_back(popup.data());
    }
    return open;
}

void MainWindow::ensureBrowser()
{
    if (m_view)
        return;
    m_profile = new QWebEngineProfile(this); // off the record: nothing of a session stays on disk
    m_profile->scripts()->insert(m_channel.script());
    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("browser"));
    m_page = new BrowserPage(m_profile, m_channel, m_view);
    m_view->setPage(m_page);
    connectPage(m_page);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &MainWindow::onLoadingChanged);
    m_layout->replaceWidget(m_placeholder, m_view);
    delete m_placeholder;
    m_placeholder = nullptr;
}

void MainWindow::connectPage(BrowserPage* page)
{
    page->setStatusHandler([this](const QString& url, const QString& text) { onStatusText(url, text); });
    page->setWindowFactory([this] { return openPopup(); });
    page->setCertificateJudge([this](const std::string& url, const std::vector<std::string>& chain) {
        return m_controller && m_controller->acceptCertificateError(url, chain);
    });
}

QWebEnginePage* MainWindow::openPopup()
{
    std::erase_if(m_popups, [](const QPointer<PopupWindow>& popup) { return popup.isNull(); });
    auto* popup = new PopupWindow(m_profile, m_channel, m_popupShape(), this);
    connectPage(popup->page());
    m_popups.emplace_back(popup);
    emit popupOpened(popup);
    popup->show();
    return popup->page();
}

void MainWindow::onStatusText(const QString& pageUrl, const QString& text)
{
    emit statusTextReceived(pageUrl, text);
    if (m_controller)
        m_controller->onStatusTextChange(pageUrl.toStdString(), text.toStdString());
}

void MainWindow::onLoadingChanged(const QWebEngineLoadingInfo& loading)
{
    m_navigating = loading.status() == QWebEngineLoadingInfo::LoadStartedStatus;
    if (loading.status() != QWebEngineLoadingInfo::LoadSucceededStatus &&
        loading.status() != QWebEngineLoadingInfo::LoadFailedStatus)
        return;
    const QUrl url = loading.url();
    emit pageLoaded(url, loading.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
    if (m_ended)
        return;
    emit pageShown(url.toString());
    const int number = ++m_pagesLoaded;
    const auto settled = [this, number] {
        // A page that a later page has replaced, or one whose successor is loading, is not where the
        // user is.
        if (m_ended || m_navigating || number != m_pagesLoaded)
            return;
        emit pageSettled();
    };
    if (!screenshotsWanted()) {
        settled();
        return;
    }
    // Give the page a moment to paint before its picture is taken.
    QTimer::singleShot(ScreenshotDelayMs, this, [this, number, settled] {
        saveScreenshot(this, "main-window-" + std::to_string(number));
        settled();
    });
}

void MainWindow::navigate(const std::string& url)
{
    ensureBrowser();
    m_page->load(toUrl(url));
}

void MainWindow::navigatePost(const std::string& url, const std::string& postData)
{
    ensureBrowser();
    QWebEngineHttpRequest request(toUrl(url), QWebEngineHttpRequest::Post);
    request.setPostData(QByteArray::fromStdString(postData));
    m_page->load(request);
}

void MainWindow::postStartMessage()
{
    QTimer::singleShot(0, this, [this] {
        if (m_controller)
            m_controller->onStartMessage();
    });
}

void MainWindow::postCancel()
{
    QTimer::singleShot(0, this, [this] {
        if (m_controller)
            m_controller->onCancel();
    });
}

void MainWindow::endWindow()
{
    if (m_ended)
        return;
    m_ended = true;
    QDialog::done(QDialog::Rejected);
}

ScreenRect MainWindow::workArea() const
{
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect area = shown ? shown->availableGeometry() : QRect(0, 0, 1024, 768);
    return {area.left(), area.top(), area.x() + area.width(), area.y() + area.height()};
}

void MainWindow::placeWindow(const WindowPlacement& placement)
{
    resize(placement.cx, placement.cy);
    if (placement.centre) {
        const ScreenRect area = workArea();
        move(area.left + (area.right - area.left - placement.cx) / 2,
             area.top + (area.bottom - area.top - placement.cy) / 2);
    } else {
        move(placement.x, placement.y);
    }
    if (placement.maximise)
        setWindowState(windowState() | Qt::WindowMaximized);
}

ScreenRect MainWindow::windowRect() const
{
    const QPoint at = pos();
    return {at.x(), at.y(), at.x() + width(), at.y() + height()};
}

ActiveWindow MainWindow::activeWindow() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this)
        return ActiveWindow::Other;
    const QWidget* active = QApplication::activeWindow();
    if (active && active != this)
        return ActiveWindow::Other;
    // Window managers may refuse to activate a window on request of another program; a shown main
    // window with nothing in front of it takes the request.
    if (active == this || isVisible())
        return ActiveWindow::Main;
    return ActiveWindow::None;
}

ActiveWindow MainWindow::waitForActiveWindow(std::chrono::milliseconds wait)
{
    QElapsedTimer elapsed;
    elapsed.start();
    ActiveWindow active = activeWindow();
    while (active == ActiveWindow::None && elapsed.elapsed() < wait.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
        active = activeWindow();
    }
    return active;
}

void MainWindow::bringToFront()
{
    if (isMinimized())
        showNormal();
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = this;
    front->raise();
    front->activateWindow();
}

void MainWindow::activateOpenWindow()
{
    QWidget* open = QApplication::activeModalWidget();
    if (!open || open == this)
        open = QApplication::activeWindow();
    if (open && open != this) {
        open->raise();
        open->activateWindow();
    }
}

void MainWindow::reject()
{
    if (m_controller)
        m_controller->onCancel();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (m_controller)
        m_controller->onCloseCommand();
}

} // namespace bv
