#include "gui/send/QtFileChooser.h"

#include <QFileDialog>

namespace bv {

std::optional<std::string> QtFileChooser::chooseFile(const std::string& title, const std::string& startDirectory)
{
    const QString path =
        QFileDialog::getOpenFileName(m_parent, QString::fromStdString(title), QString::fromStdString(startDirectory));
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

} // namespace bv
