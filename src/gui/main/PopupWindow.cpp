#include "gui/main/PopupWindow.h"

#include "app/main/MainWindowTexts.h"
#include "gui/main/BrowserPage.h"

#include <QVBoxLayout>
#include <QWebEngineView>

#include <algorithm>

namespace bv {

namespace {

// Extra pixels of the popup's client area in each direction.
constexpr long long PopupMargin = 5;

int boundedExtent(int extent)
{
    return static_cast<int>(std::clamp<long long>(extent + PopupMargin, 1, QWIDGETSIZE_MAX));
}

} // namespace

PopupWindow::PopupWindow(QWebEngineProfile* profile, const StatusTextChannel& channel, const PopupShape& shape,
                         QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("popupWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(mainwindowtext::PopupTitle));

    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("popupBrowser"));
    m_page = new BrowserPage(profile, channel, m_view);
    m_view->setPage(m_page);
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    const QSize size = clientSize(shape);
    if (shape.resizable) {
        setWindowFlag(Qt::WindowMaximizeButtonHint, true);
        resize(size);
    } else {
        setFixedSize(size);
    }
}

PopupWindow::~PopupWindow() = default;

QSize PopupWindow::clientSize(const PopupShape& shape)
{
    return {boundedExtent(shape.width), boundedExtent(shape.height)};
}

} // namespace bv
