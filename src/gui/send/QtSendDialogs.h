#pragma once

#include "app/send/SendLaboratory.h"

#include <string>

class QWidget;

namespace bv {

class MessageBoxes;
class ProfileStore;
class ScriptedUser;

// The dialogs the send dialog opens on this machine: the contents dialog over the send dialog, with
// the receipt dialog, its imaging and its scanners behind "Bearbeiten".
class QtSendDialogs : public SendDialogs
{
public:
    // With a scripted user the contents dialog takes its answers (unattended runs).
    QtSendDialogs(ProfileStore& profile, MessageBoxes& boxes, std::string caption, ScriptedUser* scriptedUser)
        : m_profile(profile), m_boxes(boxes), m_caption(std::move(caption)), m_scriptedUser(scriptedUser)
    {}

    // The window the dialogs open over.
    void setWindow(QWidget* window) { m_window = window; }

    bool runContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs) override;

private:
    ProfileStore& m_profile;
    MessageBoxes& m_boxes;
    std::string m_caption;
    ScriptedUser* m_scriptedUser;
    QWidget* m_window = nullptr;
};

} // namespace bv
