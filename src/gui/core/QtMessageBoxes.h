#pragma once

#include "platform/MessageBoxes.h"

#include <QMessageBox>

namespace bv {

// A message box that keeps the line breaks of its text: it is as wide as its longest line, up to
// the width of the screen, so that no line is broken a second time.
class LineKeepingMessageBox : public QMessageBox
{
    Q_OBJECT

public:
    LineKeepingMessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
                          QMessageBox::StandardButtons buttons, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fitLongestLine();
};

// Message boxes drawn with QMessageBox: the system's caption, icon and buttons; owned by the
// active modal window so that they stay on top of the dialog that raised them.
class QtMessageBoxes : public MessageBoxes
{
public:
    using MessageBoxes::show;
    MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                  MbResult defaultButton) override;
};

} // namespace bv
