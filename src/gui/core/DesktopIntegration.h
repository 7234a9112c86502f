#pragma once

class QCoreApplication;
class QIcon;
class QLocale;

namespace bv::desktop {

// Name of the desktop entry, the icon and the AppStream component of the installed client.
inline constexpr const char* DesktopId = "ch.brevalis.client";

// The client's icon in every size it is drawn in, from the program's own resources.
QIcon applicationIcon();

// Makes the client's icon the window icon of every window and dialog, and names its desktop entry so
// that the desktop shows the windows under the menu entry.
void installApplicationIcon();

// Installs the toolkit's own translations for `locale` (standard buttons, file chooser, context
// menus) from the toolkit's translations directory; the client's texts are the system's and are not
// translated. Returns the number of catalogues installed: none for a language without a catalogue.
int installToolkitTranslations(QCoreApplication& application, const QLocale& locale);

} // namespace bv::desktop
