#include "app/send/SendDialogController.h"

#include "app/login/LoginService.h"
#include "app/login/LoginTexts.h"
#include "app/send/KeepAliveTimer.h"
#include "app/send/SendFields.h"
#include "app/send/SendRules.h"
#include "app/send/SendTexts.h"
#include "billing/AdzCodes.h"
#include "billing/CAbrechnungSpool.h"
#include "billing/CAdzException.h"
#include "billing/FeeValueTable.h"
#include "billing/SendJournal.h"
#include "billing/SpoolDetection.h"
#include "billing/attachments/AttachmentStore.h"
#include "billing/formats/dds/Rz3ControlFile.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/ContractList.h"
#include "net/SessionRecord.h"
#include "platform/DirectoryLock.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <ctime>
#include <filesystem>

namespace bv {

namespace {

// The login context of the send dialog; it never offers updates.
const char* const LoginContext = "CSE";

// Status values written into the practice software's control file.
constexpr int ControlStatusOpeningError = -943;
constexpr int ControlStatusTransmissionError = -56;
constexpr int ControlStatusCancelled = -2;

std::string systemToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

} // namespace

SendDialogController::SendDialogController(SendDialogView& view, SendDialogDependencies dependencies,
                                           SendDialogMode mode)
    : m_view(view), m_deps(std::move(dependencies)), m_mode(std::move(mode)),
      m_spoolDir(m_mode.spoolDirectory.empty() ? std::string() : files::directoryText(m_mode.spoolDirectory))
{
    if (!m_deps.createSpool)
        m_deps.createSpool = CreateSpool;
    m_laboratory = m_deps.laboratory;
    if (!m_laboratory) {
        m_fileLaboratory = std::make_unique<FileLaboratory>(m_deps.profile, m_deps.boxes);
        m_laboratory = m_fileLaboratory.get();
    }
}

SendDialogController::~SendDialogController()
{
    m_alive.reset();
    m_deps.timer.stop();
    // The spool waits for its upload thread when it goes; a running upload is stopped first.
    if (m_spool && m_uploading && !m_cancelRequested && m_spool->uploadRunning())
        m_spool->CancelSend();
    m_spool.reset();
    m_spoolLock.reset();
}

// ---- Opening ----

void SendDialogController::open()
{
    m_euroDefault = m_deps.profile.read(profilekey::EuroDefault) == "1";
    m_deps.feeValues.loadFromProfile(m_deps.profile);
    m_view.setFieldLabel(SendField::Customer, sendtext::CustomerLabelInitial);

    // Without a spool directory (the temporary directory's path is too long) nothing waits, and no
    // lock or journal is looked for.
    if (m_mode.spoolDirectory.empty()) {
        m_deps.boxes.show(strFormat(sendtext::NoFile, ""), sendtext::Caption, MbIcon::Warning);
        close();
        return;
    }
    if (!takeSpool()) {
        close();
        return;
    }
    // Attachment INI files that this program left in the spool directory belong to no delivery
    // there; they go before the directory is read. Those of the practice software stay.
    removeOwnIniFiles(m_spoolDir);
    if (createSpool() == Opening::Close) {
        close();
        return;
    }
    // A format whose spool this edition does not build goes on to the refusal below.
    const SpoolFinding finding = m_spoolRow->finding;
    if ((!m_spool && finding != SpoolFinding::Format) || (m_spool && m_spool->IsEmpty())) {
        const std::string text = m_spool || finding == SpoolFinding::Nothing
                                     ? strFormat(sendtext::NoFile, m_spoolDir.c_str())
                                     : strFormat(sendtext::NoFileWithCode, m_spoolType, m_spoolDir.c_str());
        m_deps.boxes.show(text, sendtext::Caption, MbIcon::Warning);
        close();
        return;
    }
    if (!m_deps.edition.transmits(m_spoolType)) {
        m_deps.boxes.show(sendtext::UnsupportedType, sendtext::Caption, MbIcon::Warning);
        close();
        return;
    }
    if (!applyBlockingRules()) {
        close();
        return;
    }
    fillFields();
    m_view.showDialog();
    postToDialog([this] { startMessage(); });
}

bool SendDialogController::takeSpool()
{
    DirectoryLock::Outcome outcome = DirectoryLock::Outcome::Unavailable;
    m_spoolLock = DirectoryLock::tryAcquire(m_spoolDir, &outcome);
    if (outcome == DirectoryLock::Outcome::Busy) {
        m_deps.boxes.show(strFormat(sendtext::TransmissionRunning, m_spoolDir.c_str()), sendtext::Caption,
                          MbIcon::Warning);
        return false;
    }
    // Without a lock (a directory that is not there, a file system without locks) the dialog goes on
    // as before; the spool reports what it finds.
    CompleteInterruptedTransmission(m_spoolDir, m_deps.profile, m_deps.boxes);
    return true;
}

SendDialogController::Opening SendDialogController::createSpool()
{
    try {
        m_spoolType = DetermineSpoolType(m_mode.spoolDirectory, m_deps.profile);
        m_spoolRow = spoolTypeRow(m_spoolType);
        if (!m_spoolRow)
            throw BV_ADZ_ERROR(adz::Structural, sendtext::WrongSpoolType);
        m_spool = m_deps.createSpool(m_spoolType, SpoolRequest{m_deps.boxes, m_deps.profile, m_deps.removableProbe,
                                                               m_mode.spoolDirectory, m_euroDefault, m_mode.spoolOption,
                                                               &m_deps.feeValues});
    } catch (const CAdzException& error) {
        m_spool.reset();
        reportOpeningError(error);
        return Opening::Close;
    } catch (const std::exception&) {
        m_spool.reset();
        m_deps.boxes.show(sendtext::UnknownFileError, sendtext::Caption, MbIcon::Error);
        return Opening::Close;
    }
    return Opening::Continue;
}

void SendDialogController::reportOpeningError(const CAdzException& error)
{
    m_deps.boxes.show(
        strFormat(sendtext::AccessError, m_spoolDir.c_str(), error.message().c_str(), servicelineTelephone().c_str()),
        sendtext::Caption, MbIcon::Error);
    if (error.isControlFileCode() && !error.controlFile().empty())
        WriteControlFileStatus(error.controlFile(), ControlStatusOpeningError, error.message());
}

bool SendDialogController::applyBlockingRules()
{
    const CAbrechnungsDatei* file = m_spool->billingFile();
    if (!file)
        return true;
    try {
        if (!CheckVersandWaehrung(file->currencyCode()))
            return false;
    } catch (const CAdzException& error) {
        error.ReportError(m_deps.boxes);
        return false;
    }
    return attachmentRule(*m_spool, m_deps.boxes);
}

bool SendDialogController::CheckVersandWaehrung(int currencyCode)
{
    return currencyRule(currencyCode, today(), m_deps.profile, m_deps.boxes);
}

void SendDialogController::fillFields()
{
    const SpoolFields fields = spoolFields(*m_spool, m_deps.profile.read(profilekey::BetragErgText));
    for (const SendFieldRow& row : fields.rows) {
        if (!row.label.empty())
            m_view.setFieldLabel(row.field, row.label);
        m_view.setFieldText(row.field, row.text);
    }
    m_view.showGroup(SendGroup::LastBatch, fields.lastBatchShown);
    switch (fields.contentsButton) {
    case ContentsButton::Shown:
        m_view.setButtonText(SendButton::Contents, sendtext::ContentsButtonFixedRecord);
        m_view.showGroup(SendGroup::ContentsButton, true);
        break;
    case ContentsButton::Hidden:
        m_view.showGroup(SendGroup::ContentsButton, false);
        break;
    case ContentsButton::AsDrawn:
        break;
    }
    m_view.showGroup(SendGroup::Progress, false);
    m_view.showGroup(SendGroup::ConnectionIndicator, false);
}

// ---- Start message and connection ----

void SendDialogController::startMessage()
{
    if (m_closed)
        return;
    if (!checkConnection()) {
        close();
        return;
    }
    // The laboratory checks of the fixed-record formats start from the contract's partner
    // laboratories; for CHA and CHZ they pass at once.
    m_partnerLabs = loadPartnerLabs(m_deps.profile, m_deps.login.contracts().selectedNumber());
    laboratoryChecks();
    if (m_closed)
        return;
    waitForUser();
}

// ---- Laboratory services of the fixed-record formats ----

ContentsView SendDialogController::contentsView() const
{
    return m_spool ? m_spool->facts().contents : ContentsView::None;
}

void SendDialogController::laboratoryChecks()
{
    CAbrechnungsDatei* file = m_spool->billingFile();
    const ContentsView view = contentsView();
    if (!file || !isLaboratory(view))
        return;
    // Receipts scanned in an earlier opening are used again or thrown away, as the user says.
    try {
        if (view == ContentsView::NumberedLaboratory && m_laboratory->hasScannedReceipts(*file)) {
            if (m_deps.boxes.show(sendtext::ReceiptsExist, sendtext::Caption, MbIcon::Question, MbButtons::YesNo) ==
                MbResult::Yes) {
                packReceipts();
            } else {
                m_laboratory->discardScannedReceipts(*file);
            }
        }
    } catch (const CAdzException& error) {
        error.ReportError(m_deps.boxes);
    }
    if (laboratoryComplete())
        return;
    const bool partners = !m_partnerLabs.empty();
    const char* text = view == ContentsView::ReferencedLaboratory ? sendtext::PartnerBillingMissing
                       : partners                                 ? sendtext::LabReceiptsOrPartnersMissing
                                                                  : sendtext::LabReceiptsMissing;
    m_deps.boxes.show(text, m_deps.agent, MbIcon::Information);
    showContents();
}

bool SendDialogController::laboratoryComplete()
{
    CAbrechnungsDatei* file = m_spool ? m_spool->billingFile() : nullptr;
    const ContentsView view = contentsView();
    // Partner billing is asked only of a contract that has partner laboratories.
    const bool checked = view == ContentsView::NumberedLaboratory ||
                         (view == ContentsView::ReferencedLaboratory && !m_partnerLabs.empty());
    return !file || !checked || m_laboratory->checkContents(*file, view, m_partnerLabs) == 1;
}

bool SendDialogController::packReceipts()
{
    CAbrechnungsDatei& file = *m_spool->billingFile();
    try {
        try {
            m_laboratory->takeOverReceipts(file);
            const std::string container = m_laboratory->writeContainer(file);
            if (!container.empty())
                m_spool->sendInstead(container);
        } catch (const std::filesystem::filesystem_error& failure) {
            throw BV_ADZ_ERROR(adz::Structural,
                               FileAccessMessage(file.GetFilePath(false), systemError(failure.code().value())));
        }
    } catch (const CAdzException& error) {
        // The working copy alone would go without the receipts: sending packs them again first.
        m_containerPending = true;
        error.ReportError(m_deps.boxes);
        return false;
    }
    m_containerPending = false;
    fillFields();
    return true;
}

bool SendDialogController::checkConnection()
{
    if (m_deps.login.logIn(LoginContext, false))
        return true;
    const std::string text = m_deps.login.lockedOut()
                                 ? strFormat(logintext::LockedOutFormat, servicelineTelephone().c_str())
                                 : std::string(logintext::NotConnected);
    m_deps.boxes.show(text, sendtext::Caption, MbIcon::Error);
    return false;
}

// ---- Sending ----

void SendDialogController::send()
{
    if (m_closed || m_uploading || !m_spool)
        return;
    if (!laboratoryComplete()) {
        m_deps.boxes.show(sendtext::LaboratoryIncomplete, sendtext::Caption, MbIcon::Warning);
        waitForUser();
        return;
    }
    if (m_containerPending && !packReceipts()) {
        waitForUser();
        return;
    }
    m_spool->setDoNotBook(false);
    setSendButtonsEnabled(false);
    m_view.showGroup(SendGroup::Progress, true);

    // From the main window the session may have expired while the dialog was open.
    if (!m_mode.standalone) {
        std::string message;
        if (!m_deps.login.checkSession(message)) {
            m_deps.boxes.show(message, sendtext::Caption, MbIcon::Information);
            m_deps.login.logOut();
            close();
            return;
        }
    }

    bool started = false;
    if (CheckFileSize(m_spool->uploadFile()) && checkConnection()) {
        if (!contractRule(*m_spool, m_deps.login.contracts())) {
            m_deps.boxes.show(sendtext::WrongUser, sendtext::Caption, MbIcon::Error);
            close();
            return;
        }
        started = startUpload();
        if (m_closed)
            return;
    }
    if (!started) {
        setSendButtonsEnabled(true);
        waitForUser();
        return;
    }
    offerUploadCancel();
}

bool SendDialogController::CheckFileSize(const std::string& path)
{
    return fileSizeRule(path, m_deps.profile, m_deps.boxes);
}

bool SendDialogController::startUpload()
{
    m_view.showGroup(SendGroup::ProgressBar, true);
    SendContext context;
    context.sessionId = m_deps.login.session().sessionId;
    context.agent = m_deps.agent;
    context.useProxy = m_deps.useProxy;
    context.starter = &m_deps.starter;
    context.observer = this;
    try {
        m_spool->StartSend(context);
    } catch (const CAdzException& error) {
        writeControlStatus(ControlStatusTransmissionError, sendtext::ControlTransmissionFailed);
        m_deps.boxes.show(sendtext::TransmissionError, sendtext::Caption, MbIcon::Error);
        error.ReportError(m_deps.boxes);
        m_spool.reset();
        close();
        return false;
    }
    m_uploading = true;
    m_cancelRequested = false;
    m_deps.timer.start(aliveTimeout());
    return true;
}

void SendDialogController::cancel()
{
    if (m_closed)
        return;
    if (m_uploading) {
        // The thread stops at its next block; the dialog closes on its completion notice. A second
        // request would wait for an acknowledgement the thread gives only once.
        if (!m_cancelRequested) {
            m_cancelRequested = true;
            m_spool->CancelSend();
        }
        return;
    }
    if (m_spool && !m_confirmed) {
        writeControlStatus(ControlStatusCancelled, sendtext::ControlCancelledByUser);
        m_spool->ReleaseFile();
    }
    close();
}

void SendDialogController::showContents()
{
    if (m_closed || m_uploading)
        return;
    std::string ignored;
    m_deps.login.checkSession(ignored);
    // The contents dialogs belong to the fixed-record formats; CHA and CHZ have none.
    CAbrechnungsDatei* file = m_spool ? m_spool->billingFile() : nullptr;
    const ContentsView view = contentsView();
    if (!file || view == ContentsView::None)
        return;
    if (!m_deps.dialogs || !m_deps.dialogs->runContents(*file, view, m_partnerLabs))
        return;
    if (isLaboratory(view))
        packReceipts();
}

void SendDialogController::keepAliveTick()
{
    if (m_closed)
        return;
    std::string message;
    if (m_deps.login.checkSession(message))
        return;
    m_deps.timer.stop();
    if (m_uploading && !m_cancelRequested) {
        m_cancelRequested = true;
        m_spool->CancelSend();
    }
    m_deps.boxes.show(message, sendtext::Caption, MbIcon::Information);
    m_deps.login.logOut();
    close();
}

void SendDialogController::uploadCompleted()
{
    if (m_closed || !m_uploading)
        return;
    m_view.setButtonEnabled(SendButton::Send, true);
    m_view.setButtonEnabled(SendButton::Cancel, true);
    m_deps.timer.stop();
    m_spool->FinishSend();
    m_uploading = false;
    m_confirmed = m_spool->transmissionConfirmed();
    m_nextUrl = m_spool->nextUrl();
    close();
}

// ---- Upload thread reports ----

void SendDialogController::postToDialog(std::function<void()> fn)
{
    m_deps.dispatcher.post([token = m_aliveToken, fn = std::move(fn)] {
        if (!token.expired())
            fn();
    });
}

void SendDialogController::uploadProgress(int percent)
{
    postToDialog([this, percent] { m_view.setProgress(percent); });
}

void SendDialogController::uploadStatus(const std::string& text)
{
    // The text is copied here, so the thread need not wait for the dialog: a thread blocked on the
    // dialog while the dialog waits in CancelSend for the thread would never be released.
    postToDialog([this, text] { m_view.setStatusText(text); });
}

void SendDialogController::uploadOpened()
{
    postToDialog([this] { m_view.showGroup(SendGroup::ConnectionIndicator, true); });
}

void SendDialogController::uploadFinished()
{
    postToDialog([this] { uploadCompleted(); });
}

// ---- Helpers ----

void SendDialogController::writeControlStatus(int status, const std::string& text)
{
    if (m_spool && m_spool->HasControlFile())
        WriteControlFileStatus(m_spool->GetControlFilePath(), status, text);
}

void SendDialogController::setSendButtonsEnabled(bool enabled)
{
    m_view.setButtonEnabled(SendButton::Send, enabled);
    m_view.setButtonEnabled(SendButton::Contents, enabled);
}

void SendDialogController::waitForUser()
{
    if (!m_closed)
        m_view.awaitUser();
}

void SendDialogController::offerUploadCancel()
{
    m_view.awaitCancelDuringUpload();
}

std::chrono::milliseconds SendDialogController::aliveTimeout() const
{
    const int period = m_deps.profile.readInt(profilekey::AliveTimeout);
    // A period of 0 or less would check the session without pause.
    return std::chrono::milliseconds(period > 0 ? period : profilekey::AliveTimeout.defaultNumber());
}

std::string SendDialogController::today() const
{
    return m_deps.today ? m_deps.today() : systemToday();
}

std::string SendDialogController::servicelineTelephone() const
{
    return m_deps.profile.read(profilekey::ServicelineTel);
}

void SendDialogController::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_deps.timer.stop();
    m_view.closeDialog();
}

} // namespace bv
