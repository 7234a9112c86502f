#pragma once

#include <string>

namespace bv {

// The fields of the send dialog, each a label and a text.
enum class SendField
{
    InvoiceCount,
    Amount,
    FileDate,
    Customer,
    LastBatch,
    LastSend,
    TransferTime,
    FileSize // no label of its own: shown beside the transfer time
};

enum class SendButton
{
    Send,    // "Envoyer"
    Cancel,  // "Annuler"
    Contents // the file-contents button
};

// Parts of the dialog that are shown or hidden as a whole.
enum class SendGroup
{
    LastBatch, // the last batch number with its label
    Progress,  // progress bar and status line
    ProgressBar,
    ContentsButton,
    ConnectionIndicator // the icon shown once the upload request is open
};

// The send dialog's window as its controller sees it.
class SendDialogView
{
public:
    virtual ~SendDialogView() = default;
    virtual void setFieldLabel(SendField field, const std::string& label) = 0;
    virtual void setFieldText(SendField field, const std::string& text) = 0;
    virtual void showGroup(SendGroup group, bool visible) = 0;
    virtual void setButtonEnabled(SendButton button, bool enabled) = 0;
    virtual void setButtonText(SendButton button, const std::string& text) = 0;
    virtual void setProgress(int percent) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    // The dialog stays hidden while it opens; this centres and shows it with its fields filled.
    virtual void showDialog() = 0;
    // Ends the modal dialog.
    virtual void closeDialog() = 0;
    // The dialog waits for "Envoyer" or "Annuler"; and, while an upload runs, for "Annuler" alone. A
    // window needs nothing here (its loop waits for a click); a scripted user answers now.
    virtual void awaitUser() {}
    virtual void awaitCancelDuringUpload() {}
};

// The test-file dialog's window: a text saying what is sent, progress, status line and Cancel.
class TestFileView
{
public:
    virtual ~TestFileView() = default;
    virtual void setInfoText(const std::string& text) = 0;
    virtual void setProgress(int percent) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void showConnectionIndicator() = 0;
    virtual void closeDialog() = 0;
};

} // namespace bv
