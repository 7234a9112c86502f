#include "gui/login/BrowserVersion.h"

#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace bv {

std::string browserVersionText()
{
    return std::string(qWebEngineVersion()) + "/" + qWebEngineChromiumVersion();
}

} // namespace bv
