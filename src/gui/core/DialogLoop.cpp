#include "gui/core/DialogLoop.h"

#include <QDialog>
#include <QEventLoop>

namespace bv {

void runDialogLoop(QDialog& dialog, bool scripted)
{
    if (!scripted) {
        dialog.exec();
        return;
    }
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace bv
