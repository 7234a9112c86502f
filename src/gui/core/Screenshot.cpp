#include "gui/core/Screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>

namespace bv {

namespace {

const char* screenshotDirectory()
{
    const char* dir = std::getenv("BVALS_SCREENSHOT_DIR");
    return dir && *dir ? dir : nullptr;
}

} // namespace

bool screenshotsWanted()
{
    return screenshotDirectory() != nullptr;
}

bool saveScreenshot(QWidget* widget, const std::string& name)
{
    const char* dir = screenshotDirectory();
    if (!dir || !widget)
        return false;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    const QString file = QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromStdString(name) + ".png");
    return widget->grab().save(file, "PNG");
}

} // namespace bv
