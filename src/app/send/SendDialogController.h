#pragma once

#include "app/send/PartnerLabList.h"
#include "app/send/SendDialogMode.h"
#include "app/send/SendDialogView.h"
#include "app/send/SendLaboratory.h"
#include "billing/Edition.h"
#include "billing/SpoolFactory.h"
#include "upload/UploadJob.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace bv {

class CAbrechnungSpool;
class CAdzException;
class DirectoryLock;
class FeeValueTable;
class KeepAliveTimer;
class LoginService;
class MessageBoxes;
class ProfileStore;
class UiDispatcher;
namespace files {
class RemovableProbe;
}

// What the send dialog works with; the application object provides it (see SendWiring.h).
struct SendDialogDependencies
{
    SendDialogDependencies(ProfileStore& profile_, MessageBoxes& boxes_, LoginService& login_, UploadStarter& starter_,
                           UiDispatcher& dispatcher_, KeepAliveTimer& timer_, FeeValueTable& feeValues_,
                           const files::RemovableProbe& removableProbe_)
        : profile(profile_), boxes(boxes_), login(login_), starter(starter_), dispatcher(dispatcher_), timer(timer_),
          feeValues(feeValues_), removableProbe(removableProbe_)
    {}

    ProfileStore& profile;
    MessageBoxes& boxes;
    LoginService& login;      // log in "CSE", the alive check, log out, the contract list
    UploadStarter& starter;   // starts the upload thread
    UiDispatcher& dispatcher; // the upload thread's reports reach the dialog through it
    KeepAliveTimer& timer;
    FeeValueTable& feeValues; // the process-wide fee value table, filled when the dialog opens
    const files::RemovableProbe& removableProbe;
    std::string agent; // the program title
    bool useProxy = false;
    // Today's local date as "yyyymmdd"; the system clock when not set.
    std::function<std::string()> today;
    // The spool objects by spool type; CreateSpool when not set.
    SpoolFactory createSpool;
    // The spool types this build sends; the others are refused after they were read.
    Edition edition = clientEdition();
    // Receipts, attachment container and completeness check of a fixed-record file; the file's own
    // operations when not set.
    SendLaboratory* laboratory = nullptr;
    // The dialogs it opens (the contents dialog); none when not set.
    SendDialogs* dialogs = nullptr;
};

// The send dialog "Envoyer la facture" (CSendADDlg): on opening it takes the spool directory for
// itself (a dialog of another process on it closes at once), finishes a transmission that a process
// ended during its booking, determines what waits in the spool directory, builds the spool object,
// applies the rules that may block a transmission and shows what will be sent and what was sent
// last; "Envoyer" starts the upload, the upload thread's reports drive the progress bar and status
// line, and its completion notice books the result and closes the dialog. While an upload runs, a
// keep-alive timer checks the session.
class SendDialogController : public UploadObserver
{
public:
    SendDialogController(SendDialogView& view, SendDialogDependencies dependencies, SendDialogMode mode);
    ~SendDialogController() override;
    SendDialogController(const SendDialogController&) = delete;
    SendDialogController& operator=(const SendDialogController&) = delete;

    // OnInitDialog: ends with the dialog shown and its start message posted, or closed.
    void open();
    // OnSend: the "Envoyer" button.
    void send();
    // OnCancel: "Annuler", Escape or the window's close button.
    void cancel();
    // The file-contents button: the contents dialog of the file's format; after OK in a laboratory
    // variant the file is packed with its receipts into its attachment container, which is sent.
    void showContents();
    // One tick of the keep-alive timer.
    void keepAliveTick();

    // The currency rule (DM 0, EUR 1, CHF 2): false when the file must not be sent; throws
    // CAdzException code -1 for any other code.
    bool CheckVersandWaehrung(int currency);
    // The size rule: false (after the message) when the file is larger than MaxDateiGroesse.
    bool CheckFileSize(const std::string& path);

    // The upload thread's reports; called on the upload thread, handed to the dialog's thread.
    void uploadProgress(int percent) override;
    void uploadStatus(const std::string& text) override;
    void uploadOpened() override;
    void uploadFinished() override;

    bool closed() const { return m_closed; }
    bool uploading() const { return m_uploading; }
    bool standalone() const { return m_mode.standalone; }
    bool spoolOption() const { return m_mode.spoolOption; }
    bool euroDefault() const { return m_euroDefault; }
    int spoolType() const { return m_spoolType; }
    const std::string& spoolDirectory() const { return m_spoolDir; }
    CAbrechnungSpool* spool() const { return m_spool.get(); }
    const PartnerLabList& partnerLabs() const { return m_partnerLabs; }
    // After completion: whether the billing centre confirmed the transmission, and the page it
    // named to show next (empty when none).
    bool transmissionConfirmed() const { return m_confirmed; }
    const std::string& nextUrl() const { return m_nextUrl; }

private:
    enum class Opening
    {
        Continue,
        Close
    };
    bool takeSpool();
    Opening createSpool();
    bool applyBlockingRules();
    void fillFields();
    void startMessage();
    void laboratoryChecks();
    bool laboratoryComplete();
    ContentsView contentsView() const;
    // The file takes over the receipts decided for it and is packed with them into its attachment
    // container, which is then sent in place of the working copy. False (after the message) when not.
    bool packReceipts();
    bool checkConnection();
    bool startUpload();
    void uploadCompleted();
    void reportOpeningError(const CAdzException& error);
    void writeControlStatus(int status, const std::string& text);
    void setSendButtonsEnabled(bool enabled);
    void waitForUser();
    void offerUploadCancel();
    std::chrono::milliseconds aliveTimeout() const;
    std::string today() const;
    std::string servicelineTelephone() const;
    void close();
    void postToDialog(std::function<void()> fn);

    SendDialogView& m_view;
    SendDialogDependencies m_deps;
    SendDialogMode m_mode;
    std::string m_spoolDir; // the spool directory as its messages name it
    bool m_euroDefault = false;
    int m_spoolType = 0;
    const SpoolTypeRow* m_spoolRow = nullptr;
    // One transmission per spool directory: held from before the spool is read until the dialog is
    // gone, after the spool and its upload thread.
    std::shared_ptr<DirectoryLock> m_spoolLock;
    std::unique_ptr<CAbrechnungSpool> m_spool;
    PartnerLabList m_partnerLabs;
    std::unique_ptr<FileLaboratory> m_fileLaboratory; // when the dependencies name none
    SendLaboratory* m_laboratory = nullptr;
    // The user's receipts are decided but not yet packed: the container could not be written.
    bool m_containerPending = false;
    bool m_closed = false;
    bool m_uploading = false;
    bool m_cancelRequested = false;
    bool m_confirmed = false;
    std::string m_nextUrl;
    // Reports that arrive after the dialog is gone find the token expired and are dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    const std::weak_ptr<int> m_aliveToken = m_alive;
};

} // namespace bv
