#include "gui/send/QtSendDialogs.h"

#include "gui/contents/ContentsDialog.h"

namespace bv {

bool QtSendDialogs::runContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs)
{
    return runContentsDialog(m_profile, m_boxes, m_caption, file, variant, labs, m_window, m_scriptedUser);
}

} // namespace bv
