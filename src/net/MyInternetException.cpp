#include "net/MyInternetException.h"

#include "net/NetTexts.h"
#include "net/WinInetErrors.h"
#include "platform/Text.h"

namespace bv {

MyInternetException::MyInternetException(int code, int line, const std::optional<std::string>& serverResponse)
    : m_code(code), m_line(line), m_text(wininet::errorText(code))
{
    if (code != wininet::ExtendedError)
        return;
    if (serverResponse) {
        m_text += *serverResponse;
    } else {
        const std::string reason = nettext::NoInternetError + std::to_string(code);
        m_text = strFormat(nettext::ErrorTextUnavailable, reason.c_str());
    }
}

} // namespace bv
