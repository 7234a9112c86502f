#include "platform/Unattended.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace bv {

namespace {

constexpr MbResult AllResults[] = {MbResult::Ok, MbResult::Cancel, MbResult::Yes, MbResult::No, MbResult::Retry};

std::deque<std::string> readAnswers(const std::filesystem::path& answers)
{
    std::deque<std::string> list;
    if (answers.empty())
        return list;
    const auto text = files::readFile(answers);
    if (!text)
        return list;
    for (std::string line : split(*text, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            list.push_back(std::move(line));
    }
    return list;
}

} // namespace

UnattendedSession::UnattendedSession(std::filesystem::path transcript, const std::filesystem::path& answers)
    : m_transcript(std::move(transcript)), m_answers(readAnswers(answers))
{}

std::unique_ptr<UnattendedSession> UnattendedSession::fromEnvironment()
{
    const char* transcript = std::getenv("BVALS_UI_TRANSCRIPT");
    if (!transcript || !*transcript)
        return nullptr;
    const char* answers = std::getenv("BVALS_UI_ANSWERS");
    return std::make_unique<UnattendedSession>(transcript, answers ? answers : "");
}

void UnattendedSession::writeLine(const std::string& line)
{
    // One write() of the whole line on an O_APPEND descriptor: lines from several threads or
    // processes never interleave.
    const std::string data = line + "\n";
    const int fd = ::open(m_transcript.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void UnattendedSession::writeMessage(const std::string& caption, MbIcon icon, MbButtons buttons,
                                     const std::string& text)
{
    writeLine("MSG\t" + escape(caption) + "\t" + iconWord(icon) + "\t" + buttonsWord(buttons) + "\t" + escape(text));
}

void UnattendedSession::writeDialogOpen(const std::string& title)
{
    writeLine("DIALOG\t" + escape(title) + "\topen");
}

void UnattendedSession::writeDialogClose(const std::string& title, bool ok)
{
    writeLine("DIALOG\t" + escape(title) + "\tclose\t" + (ok ? "ok" : "cancel"));
}

void UnattendedSession::writeField(const std::string& label, const std::string& value)
{
    writeLine("FIELD\t" + escape(label) + "\t" + escape(value));
}

std::optional<std::string> UnattendedSession::takeAnswer(const std::function<bool(const std::string&)>& fits)
{
    std::lock_guard lock(m_mutex);
    if (m_answers.empty() || !fits(m_answers.front()))
        return std::nullopt;
    std::string answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

std::optional<std::string> UnattendedSession::peekAnswer() const
{
    std::lock_guard lock(m_mutex);
    if (m_answers.empty())
        return std::nullopt;
    return m_answers.front();
}

std::string UnattendedSession::escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

UnattendedMessageBoxes::UnattendedMessageBoxes(UnattendedSession& session) : m_session(session) {}

MbResult UnattendedMessageBoxes::show(const std::string& text, const std::string& caption, MbIcon icon,
                                      MbButtons buttons, MbResult defaultButton)
{
    m_session.writeMessage(caption, icon, buttons, text);
    const MbResult fallback = hasButton(buttons, defaultButton) ? defaultButton : firstButton(buttons);
    if (buttons == MbButtons::Ok)
        return MbResult::Ok;
    auto resultOf = [buttons](const std::string& answer) -> std::optional<MbResult> {
        for (MbResult r : AllResults) {
            if (hasButton(buttons, r) && iequals(trim(answer), resultWord(r)))
                return r;
        }
        return std::nullopt;
    };
    const auto answer = m_session.takeAnswer([&](const std::string& a) { return resultOf(a).has_value(); });
    return answer ? *resultOf(*answer) : fallback;
}

} // namespace bv
