#include "gui/send/QtFileChooser.h"

#include "gui/core/DialogTranscript.h"

#include <QFileDialog>

namespace bv {

namespace {

const std::string FileAnswer = "file\t";

} // namespace

std::optional<std::string> QtFileChooser::answeredPath(const std::string& answer)
{
    if (answer.rfind(FileAnswer, 0) != 0)
        return std::nullopt;
    return answer.substr(FileAnswer.size());
}

std::optional<std::string> QtFileChooser::chooseFile(const std::string& title, const std::string& startDirectory)
{
    if (m_transcript && m_transcript->active()) {
        const auto answer = m_transcript->takeAnswer([](const std::string& a) { return answeredPath(a).has_value(); });
        if (!answer)
            return std::nullopt;
        return answeredPath(*answer);
    }
    const QString path =
        QFileDialog::getOpenFileName(m_parent, QString::fromStdString(title), QString::fromStdString(startDirectory));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

} // namespace bv
