#include "billing/CAdzException.h"

#include "billing/BillingTexts.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <cstdint>

namespace bv {

namespace {

// The throw site is shown by file name; the build directory says nothing to a user.
std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

CAdzException::CAdzException(std::string sourceFile, int line, std::string buildDate, int code, std::string message)
    : m_sourceFile(baseName(sourceFile)), m_line(line), m_buildDate(std::move(buildDate)), m_code(code),
      m_message(std::move(message))
{}

bool CAdzException::isControlFileCode() const
{
    return (static_cast<std::uint32_t>(m_code) >> 16) == ControlFileCodeMark;
}

std::string CAdzException::reportText() const
{
    return strFormat(billing_texts::AdzReportText, static_cast<long>(m_code), m_message.c_str());
}

std::string CAdzException::reportCaption() const
{
    return strFormat(billing_texts::AdzReportCaption, m_line, m_sourceFile.c_str(), m_buildDate.c_str());
}

void CAdzException::ReportError(MessageBoxes& boxes) const
{
    boxes.show(reportText(), reportCaption(), MbIcon::Error, MbButtons::Ok);
}

} // namespace bv
