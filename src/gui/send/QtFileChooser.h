#pragma once

#include "app/send/FileChooser.h"

class QWidget;

namespace bv {

class DialogTranscript;

// The file-open chooser drawn by QFileDialog. In an unattended run it shows nothing and takes the
// answer "file<TAB>path" from the transcript instead; no such answer cancels.
class QtFileChooser : public FileChooser
{
public:
    QtFileChooser(QWidget* parent, DialogTranscript* transcript) : m_parent(parent), m_transcript(transcript) {}
    std::optional<std::string> chooseFile(const std::string& title, const std::string& startDirectory) override;

    // The path of a "file<TAB>path" answer; nullopt for any other answer.
    static std::optional<std::string> answeredPath(const std::string& answer);

private:
    QWidget* m_parent;
    DialogTranscript* m_transcript;
};

} // namespace bv
