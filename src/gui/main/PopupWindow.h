#pragma once

#include <QDialog>

#include <memory>

class QWebEngineProfile;
class QWebEngineView;

namespace bv {

class BrowserPage;
class StatusTextChannel;

// Size and resizability of the next popup, as the page command BV_POPUPPROP last set them.
struct PopupShape
{
    int width = 0;
    int height = 0;
    bool resizable = false;
};

// A window the web application opens (a link with a target, window.open): a dialog titled
// "brevalis" holding its own browser, its client area the popup width by the popup height plus 5
// pixels each way, with a sizing border and a maximise box only when the popups are resizable. It
// deletes itself when closed, by the user or by the page.
class PopupWindow : public QDialog
{
public:
    PopupWindow(QWebEngineProfile* profile, const StatusTextChannel& channel, const PopupShape& shape, QWidget* parent);
    ~PopupWindow() override;

    BrowserPage* page() const { return m_page; }
    QWebEngineView* view() const { return m_view; }

    // The client-area size of a popup of that shape.
    static QSize clientSize(const PopupShape& shape);

private:
    QWebEngineView* m_view;
    BrowserPage* m_page;
};

} // namespace bv
