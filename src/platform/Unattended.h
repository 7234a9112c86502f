#pragma once

#include "platform/MessageBoxes.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace bv {

// Unattended mode: when BVALS_UI_TRANSCRIPT names a file, nothing is shown on screen. Every
// message box and dialog appends a line to that transcript, and answers are taken in order from
// the file named by BVALS_UI_ANSWERS, one a line. Automated tests and practice software that
// drives the client use it.
class UnattendedSession
{
public:
    UnattendedSession(std::filesystem::path transcript, const std::filesystem::path& answers);

    // The session the environment asks for, or null when BVALS_UI_TRANSCRIPT is unset. The program
    // asks once, at start, and hands the session to whatever writes or answers.
    static std::unique_ptr<UnattendedSession> fromEnvironment();

    // Appends one line (a line feed is added). Fields are joined by tabs by the callers below.
    void writeLine(const std::string& line);

    // "MSG<TAB>caption<TAB>icon<TAB>buttons<TAB>text" with the text escaped.
    void writeMessage(const std::string& caption, MbIcon icon, MbButtons buttons, const std::string& text);
    // "DIALOG<TAB>title<TAB>open" and "DIALOG<TAB>title<TAB>close<TAB>ok|cancel".
    void writeDialogOpen(const std::string& title);
    void writeDialogClose(const std::string& title, bool ok);
    // "FIELD<TAB>label<TAB>value", value escaped.
    void writeField(const std::string& label, const std::string& value);

    // The next answer when `fits` accepts it; it is then consumed. An answer that does not fit
    // stays for the next taker.
    std::optional<std::string> takeAnswer(const std::function<bool(const std::string&)>& fits);
    std::optional<std::string> peekAnswer() const;

    // Line breaks become the two characters backslash and n, a backslash becomes two backslashes;
    // tabs and carriage returns likewise become \t and \r, so a transcript line stays one line.
    static std::string escape(const std::string& text);

private:
    std::filesystem::path m_transcript;
    std::deque<std::string> m_answers;
    mutable std::mutex m_mutex;
};

// Message boxes of an unattended run: one transcript line each; a box whose only button is OK takes
// no answer, every other box takes the next answer that names one of its buttons, else its default.
class UnattendedMessageBoxes : public MessageBoxes
{
public:
    explicit UnattendedMessageBoxes(UnattendedSession& session);
    using MessageBoxes::show;
    MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                  MbResult defaultButton) override;

private:
    UnattendedSession& m_session;
};

} // namespace bv
