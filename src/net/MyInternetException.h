#pragma once

#include <optional>
#include <string>

namespace bv {

// The failure of one step inside the request routine: the library error number, its text, and where
// it happened. It never leaves the routine; the routine copies code and text into the request record.
class MyInternetException
{
public:
    static constexpr const char* SourceFile = "internetrequest";

    // Builds the text at once: the library's message for the code; for the extended error the
    // server's last response text is appended, and when that cannot be had the text says so.
    MyInternetException(int code, int line, const std::optional<std::string>& serverResponse = std::nullopt);

    int code() const { return m_code; }
    int line() const { return m_line; }
    const std::string& text() const { return m_text; }
    const char* file() const { return SourceFile; }

private:
    int m_code;
    int m_line;
    std::string m_text;
};

} // namespace bv
