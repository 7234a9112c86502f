#pragma once

#include "app/send/SendLaboratory.h"

#include <string>

class QWidget;

namespace bv {

// The send dialog's laboratory operations with the contents dialog of this machine: shown over the
// send dialog, with the receipt dialog, its imaging and its scanners behind "Bearbeiten".
class QtSendLaboratory : public FileLaboratory
{
public:
    QtSendLaboratory(ProfileStore& profile, MessageBoxes& boxes, std::string caption)
        : FileLaboratory(profile, boxes), m_caption(std::move(caption))
    {}

    // The window the contents dialog opens over.
    void setWindow(QWidget* window) { m_window = window; }

    bool showContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs) override;

private:
    std::string m_caption;
    QWidget* m_window = nullptr;
};

} // namespace bv
