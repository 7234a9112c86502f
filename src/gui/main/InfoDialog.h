#pragma once

#include <QDialog>

namespace bv {

// The information dialog of the window menu ("Info"): the program's title and version.
class InfoDialog : public QDialog
{
public:
    explicit InfoDialog(QWidget* parent = nullptr);

    // Runs it modally.
    void run();
};

} // namespace bv
