#pragma once

#include "app/send/FileChooser.h"

class QWidget;

namespace bv {

// The file-open chooser drawn by QFileDialog.
class QtFileChooser : public FileChooser
{
public:
    explicit QtFileChooser(QWidget* parent) : m_parent(parent) {}
    std::optional<std::string> chooseFile(const std::string& title, const std::string& startDirectory) override;

private:
    QWidget* m_parent;
};

} // namespace bv
