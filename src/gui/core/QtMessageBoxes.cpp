#include "gui/core/QtMessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace bv {

namespace {

QMessageBox::Icon qtIcon(MbIcon icon)
{
    switch (icon) {
    case MbIcon::Error:
        return QMessageBox::Critical;
    case MbIcon::Warning:
        return QMessageBox::Warning;
    case MbIcon::Information:
        return QMessageBox::Information;
    case MbIcon::Question:
        return QMessageBox::Question;
    case MbIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MbButtons buttons)
{
    switch (buttons) {
    case MbButtons::Ok:
        return QMessageBox::Ok;
    case MbButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MbButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MbButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MbButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton qtButton(MbResult result)
{
    switch (result) {
    case MbResult::Ok:
        return QMessageBox::Ok;
    case MbResult::Cancel:
        return QMessageBox::Cancel;
    case MbResult::Yes:
        return QMessageBox::Yes;
    case MbResult::No:
        return QMessageBox::No;
    case MbResult::Retry:
        return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

MbResult fromQt(int button, MbButtons buttons, MbResult fallback)
{
    switch (button) {
    case QMessageBox::Ok:
        return MbResult::Ok;
    case QMessageBox::Cancel:
        return MbResult::Cancel;
    case QMessageBox::Yes:
        return MbResult::Yes;
    case QMessageBox::No:
        return MbResult::No;
    case QMessageBox::Retry:
        return MbResult::Retry;
    default:
        // Closed with Escape or the title bar: Cancel where there is one, else the fallback.
        return MessageBoxes::hasButton(buttons, MbResult::Cancel) ? MbResult::Cancel : fallback;
    }
}

} // namespace

LineKeepingMessageBox::LineKeepingMessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                             QMessageBox::StandardButtons buttons, QWidget* parent)
    : QMessageBox(icon, caption, text, buttons, parent)
{
    // The system's texts are plain text: a "<" in a message is shown, not taken for markup, and
    // line breaks stay line breaks.
    setTextFormat(Qt::PlainText);
}

void LineKeepingMessageBox::showEvent(QShowEvent* event)
{
    QMessageBox::showEvent(event);
    fitLongestLine();
}

void LineKeepingMessageBox::fitLongestLine()
{
    // The toolkit sized the box to about half the screen and wraps every longer line a second
    // time; the system's texts bring their own line breaks, so the box grows to its longest line
    // instead. Only a line wider than the screen is still wrapped.
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label || !layout() || !screen())
        return;
    const int screenWidth = screen()->availableGeometry().width();
    label->setWordWrap(false);
    layout()->activate();
    int boxWidth = std::max(width(), layout()->totalMinimumSize().width());
    if (boxWidth > screenWidth) {
        label->setWordWrap(true);
        boxWidth = screenWidth;
    }
    layout()->activate();
    const int boxHeight =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(boxWidth) : layout()->totalMinimumSize().height();
    setFixedSize(boxWidth, boxHeight);
}

MbResult QtMessageBoxes::show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                              MbResult defaultButton)
{
    if (!hasButton(buttons, defaultButton))
        defaultButton = firstButton(buttons);
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    LineKeepingMessageBox box(qtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                              qtButtons(buttons), owner);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setDefaultButton(qtButton(defaultButton));
    const int pressed = box.exec();
    return fromQt(pressed, buttons, defaultButton);
}

} // namespace bv
