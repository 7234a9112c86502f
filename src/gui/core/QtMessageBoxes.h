#pragma once

#include "platform/MessageBoxes.h"

namespace bv
{

// Message boxes drawn with QMessageBox: the system's caption, icon and buttons; owned by the
// active modal window so that they stay on top of the dialog that raised them.
class QtMessageBoxes : public MessageBoxes
{
public:
    using MessageBoxes::show;
    MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                  MbResult defaultButton) override;
};

} // namespace bv
