#pragma once

#include <string>

class QWidget;

namespace bv {

// Demo and automated runs set BVALS_SCREENSHOT_DIR: windows then save pictures of themselves there,
// so a run without a display still shows what a user would have seen.
bool screenshotsWanted();
// Saves the widget as "<dir>/<name>.png"; false when not wanted or the file could not be written.
bool saveScreenshot(QWidget* widget, const std::string& name);

} // namespace bv
