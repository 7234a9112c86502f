#include "gui/core/DesktopIntegration.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <array>

// The icon resources live in the gui library; a static library registers them only when asked.
static void initDesktopIconResources()
{
    Q_INIT_RESOURCE(DesktopIcon);
}

namespace bv::desktop {

namespace {

constexpr std::array IconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// The toolkit's catalogues that hold texts the client shows: qtbase for the widgets and dialogs,
// qtwebengine for the web view's menus where the distribution ships it.
constexpr std::array ToolkitCatalogues{"qtbase", "qtwebengine"};

} // namespace

QIcon applicationIcon()
{
    initDesktopIconResources();
    QIcon icon;
    for (const int size : IconSizes)
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

void installApplicationIcon()
{
    QGuiApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopId));
}

int installToolkitTranslations(QCoreApplication& application, const QLocale& locale)
{
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    int installed = 0;
    for (const char* catalogue : ToolkitCatalogues) {
        auto* translator = new QTranslator(&application);
        if (translator->load(locale, QString::fromLatin1(catalogue), QStringLiteral("_"), directory) &&
            QCoreApplication::installTranslator(translator)) {
            ++installed;
        } else {
            delete translator;
        }
    }
    return installed;
}

} // namespace bv::desktop
