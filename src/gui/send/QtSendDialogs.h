#pragma once

#include "app/send/SendLaboratory.h"

#include <string>

class QWidget;

namespace bv {

class MessageBoxes;
class ProfileStore;

// The dialogs the send dialog opens on this machine: the contents dialog over the send dialog, with
// the receipt dialog, its imaging and its scanners behind "Bearbeiten".
class QtSendDialogs : public SendDialogs
{
public:
    QtSendDialogs(ProfileStore& profile, MessageBoxes& boxes, std::string caption)
        : m_profile(profile), m_boxes(boxes), m_caption(std::move(caption))
    {}

    // The window the dialogs open over.
    void setWindow(QWidget* window) { m_window = window; }

    bool runContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs) override;

private:
    ProfileStore& m_profile;
    MessageBoxes& m_boxes;
    std::string m_caption;
    QWidget* m_window = nullptr;
};

} // namespace bv
