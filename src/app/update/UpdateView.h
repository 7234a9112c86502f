#pragma once

namespace bv {

// The update dialog's window as its controller sees it: a progress bar, and the end of the dialog.
class UpdateView
{
public:
    virtual ~UpdateView() = default;
    virtual void setProgress(int percent) = 0;
    virtual void closeDialog() = 0;
};

} // namespace bv
