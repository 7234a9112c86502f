#pragma once

#include <exception>
#include <string>

namespace bv {

class MessageBoxes;

// Error of the billing-file library: a code the callers branch on (negative for structural errors,
// 34 for content errors, upper 16 bits 0xCCCC for errors that also go into the practice
// software's control file), the German message the user reads, and where it was raised. Thrown by
// value, caught by const reference.
class CAdzException : public std::exception
{
public:
    // Codes of the reserved range carry this value in their upper 16 bits.
    static constexpr unsigned ControlFileCodeMark = 0xCCCCu;

    CAdzException(std::string sourceFile, int line, std::string buildDate, int code, std::string message);

    int code() const { return m_code; }
    const std::string& message() const { return m_message; }
    const std::string& sourceFile() const { return m_sourceFile; }
    int line() const { return m_line; }
    const std::string& buildDate() const { return m_buildDate; }
    const std::string& controlFile() const { return m_controlFile; }
    void setControlFile(std::string path) { m_controlFile = std::move(path); }
    // True for codes whose upper 16 bits mark an error of the practice software's control file.
    bool isControlFileCode() const;

    const char* what() const noexcept override { return m_message.c_str(); }

    // Shows the error with an error icon: text "CAdzException:(code):message", caption
    // "(line<-source / build date)".
    void ReportError(MessageBoxes& boxes) const;
    std::string reportText() const;
    std::string reportCaption() const;

private:
    std::string m_sourceFile;
    int m_line;
    std::string m_buildDate;
    int m_code;
    std::string m_message;
    std::string m_controlFile;
};

} // namespace bv

// Builds a CAdzException that records the file and line of the throw site and the build date.
#define BV_ADZ_ERROR(code, message) ::bv::CAdzException(__FILE__, __LINE__, __DATE__, (code), (message))
