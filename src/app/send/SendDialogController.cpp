#include "app/send/SendDialogController.h"

#include "app/login/LoginService.h"
#include "app/login/LoginTexts.h"
#include "app/send/ControlFileStatus.h"
#include "app/send/KeepAliveTimer.h"
#include "app/send/SendFormatting.h"
#include "app/send/SendTexts.h"
#include "app/core/AppInfo.h"
#include "billing/CAbrechnungSpool.h"
#include "billing/CAdzException.h"
#include "billing/FeeValueTable.h"
#include "billing/SendJournal.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/cha/CCHADatei.h"
#include "billing/formats/cha/CCHASpool.h"
#include "billing/formats/chz/CCHZSpool.h"
#include "billing/formats/dds/CDDSSpool.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/ContractList.h"
#include "net/SessionRecord.h"
#include "platform/DirectoryLock.h"
#include "platform/Dispatcher.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <ctime>
#include <filesystem>
#include <system_error>

namespace bv {

namespace {

// Configuration of the dialog (section Abrechnungsversand) with its defaults.
const char* const EuroDefaultKey = "EuroDefault";
const char* const MaxFileSizeDefault = "100000000";
const char* const FirstEurDateDefault = "20020101";
const char* const LastDemDateDefault = "20011231";
constexpr int AliveTimeoutDefault = 60000;

// The login context of the send dialog; it never offers updates.
const char* const LoginContext = "CSE";

// Status values written into the practice software's control file.
constexpr int ControlStatusOpeningError = -943;
constexpr int ControlStatusTransmissionError = -56;
constexpr int ControlStatusCancelled = -2;

const char* const AnswerSend = "send";
const char* const AnswerCancel = "cancel";

std::string systemToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

std::uint64_t sizeOf(const std::string& path)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

bool isFixedRecordSpool(int spoolType)
{
    return spoolType == spool_type::Dds || spoolType == spool_type::Pad || spoolType == spool_type::Mas;
}

} // namespace

std::unique_ptr<CAbrechnungSpool> createSwissSpool(int spoolType, const std::string& directory, bool euroDefault,
                                                   MessageBoxes& boxes, Profile& profile,
                                                   const files::RemovableProbe& removableProbe)
{
    if (spoolType == spool_type::Chz)
        return std::make_unique<CCHZSpool>(boxes, profile, removableProbe, directory, false, euroDefault);
    if (spoolType == spool_type::Cha)
        return std::make_unique<CCHASpool>(boxes, profile, removableProbe, directory, false, euroDefault);
    return nullptr;
}

SendDialogController::SendDialogController(SendDialogView& view, SendDialogDependencies dependencies, bool standalone,
                                           const std::string& spoolDirectory, bool spoolOption)
    : m_view(view), m_deps(std::move(dependencies)), m_standalone(standalone),
      m_spoolDir(bv::spoolDirectory(spoolDirectory, m_deps.profile)), m_spoolOption(spoolOption)
{
    if (!m_deps.createSpool) {
        m_deps.createSpool = [this](int type, const std::string& directory, bool euroDefault) {
            // The DDS spool reads and validates its file, so that a practice software learns what is
            // wrong with its output; this edition then refuses the type.
            if (type == spool_type::Dds)
                return std::unique_ptr<CAbrechnungSpool>(std::make_unique<CDDSSpool>(
                    m_deps.boxes, m_deps.profile, m_deps.removableProbe, directory, m_spoolOption, &m_deps.feeValues));
            return createSwissSpool(type, directory, euroDefault, m_deps.boxes, m_deps.profile, m_deps.removableProbe);
        };
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
    m_euroDefault = m_deps.profile.readString(section::Abrechnungsversand, EuroDefaultKey, "0") == "1";
    m_deps.feeValues.loadFromProfile(m_deps.profile);
    m_view.setFieldLabel(SendField::Customer, sendtext::CustomerLabelInitial);

    if (!takeSpool() || createSpool() == Opening::Close) {
        close();
        return;
    }
    if ((!m_spool && !isFixedRecordSpool(m_spoolType)) || (m_spool && m_spool->IsEmpty())) {
        const std::string text = m_spool || m_spoolType == spool_type::Empty
                                     ? strFormat(sendtext::NoFile, m_spoolDir.c_str())
                                     : strFormat(sendtext::NoFileWithCode, m_spoolType, m_spoolDir.c_str());
        m_deps.boxes.show(text, sendtext::Caption, MbIcon::Warning);
        close();
        return;
    }
    if (m_spoolType != spool_type::Chz && m_spoolType != spool_type::Cha) {
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
        m_spoolType = DetermineSpoolType(m_spoolDir, m_deps.profile);
        switch (m_spoolType) {
        case spool_type::Chz:
            m_spool = m_deps.createSpool(m_spoolType, m_spoolDir, m_euroDefault);
            break;
        case spool_type::Cha:
            m_spool = m_deps.createSpool(m_spoolType, m_spoolDir, m_euroDefault);
            m_view.setFieldLabel(SendField::LastBatch, sendtext::LastBatchLabelCha);
            break;
        case spool_type::Dds:
            m_spool = m_deps.createSpool(m_spoolType, m_spoolDir, m_euroDefault);
            break;
        case spool_type::Empty:
        case spool_type::Pad:
        case spool_type::Mas:
            // The other fixed-record spools are recognised but not built in this edition: their
            // types end in the refusal below.
        case spool_type::Unrecognised:
        case spool_type::CannotOpen:
            break;
        default:
            throw BV_ADZ_ERROR(-1, sendtext::WrongSpoolType);
        }
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
        writeControlFileStatus(error.controlFile(), ControlStatusOpeningError, error.message());
}

bool SendDialogController::applyBlockingRules()
{
    CAbrechnungsDatei* file = m_spool->billingFile();
    if (!file)
        return true;
    try {
        if (!CheckVersandWaehrung(file->currencyCode()))
            return false;
    } catch (const CAdzException& error) {
        error.ReportError(m_deps.boxes);
        return false;
    }
    const int attachments = file->GetAttachmentCount(0);
    if (attachments >= 1 && m_spool->HasControlFile() == 0) {
        m_deps.boxes.show(
            strFormat(sendtext::AttachmentsWithoutControlFile, file->GetFilePath(false).c_str(), attachments),
            sendtext::Caption, MbIcon::Error);
        return false;
    }
    return true;
}

bool SendDialogController::CheckVersandWaehrung(int currencyCode)
{
    const Profile& profile = m_deps.profile;
    const std::string now = today();
    const char* warning = nullptr;
    const char* refusal = nullptr;
    int mode = 0;
    switch (currencyCode) {
    case currency::EUR:
        // Dates are eight digits, so comparing them as text compares them as days.
        if (profile.readString(section::Abrechnungsversand, profilekey::FirstEURDate, FirstEurDateDefault) <= now)
            return true;
        mode = profile.readInt(section::Abrechnungsversand, profilekey::EURVorUmstellung, 0);
        warning = sendtext::EuroWarn;
        refusal = sendtext::EuroRefuse;
        break;
    case currency::DM:
        if (profile.readString(section::Abrechnungsversand, profilekey::LastDEMDate, LastDemDateDefault) >= now)
            return true;
        mode = profile.readInt(section::Abrechnungsversand, profilekey::DEMNachUmstellung, 0);
        warning = sendtext::DmWarn;
        refusal = sendtext::DmRefuse;
        break;
    case currency::CHF:
        return true;
    default:
        throw BV_ADZ_ERROR(-1, sendtext::UnknownCurrency);
    }
    if (mode == 1) {
        m_deps.boxes.show(warning, sendtext::Caption, MbIcon::Warning);
        return true;
    }
    if (mode == 2)
        return true;
    m_deps.boxes.show(refusal, sendtext::Caption, MbIcon::Error);
    return false;
}

void SendDialogController::fillFields()
{
    CAbrechnungSpool& spool = *m_spool;
    CAbrechnungsDatei* file = spool.billingFile();

    m_view.setFieldLabel(SendField::InvoiceCount, sendtext::InvoiceCountLabel);
    m_view.setFieldText(SendField::InvoiceCount, std::to_string(spool.invoiceCount()));

    const std::string suffix = m_deps.profile.readString(section::Abrechnungsversand, profilekey::BetragErgText, "");
    m_view.setFieldLabel(SendField::Amount, sendtext::AmountLabel);
    m_view.setFieldText(SendField::Amount,
                        amountText(spool.totalAmount(), file ? file->CurrencyName() : std::string(), suffix));

    m_view.setFieldLabel(SendField::FileDate, sendtext::FileDateLabel);
    m_view.setFieldText(SendField::FileDate, spool.GetFileDateText());

    if (m_spoolType == spool_type::Cha) {
        const auto* cha = dynamic_cast<const CCHADatei*>(file);
        m_view.setFieldLabel(SendField::Customer, sendtext::CustomerLabel);
        m_view.setFieldText(SendField::Customer, cha ? cha->providerName() : std::string());
    } else {
        const std::string customer = file ? file->GetCustomerNumberText() : std::string();
        const int batch = spool.GetBatchNumber();
        if (batch >= 0) {
            m_view.setFieldLabel(SendField::Customer, sendtext::CustomerBatchLabel);
            m_view.setFieldText(SendField::Customer, strFormat(sendtext::CustomerBatchFormat, customer.c_str(), batch));
        } else {
            m_view.setFieldLabel(SendField::Customer, sendtext::CustomerLabel);
            m_view.setFieldText(SendField::Customer, customer);
        }
    }

    if (m_spoolType != spool_type::Cha)
        m_view.setFieldLabel(SendField::LastBatch, sendtext::LastBatchLabel);
    const int lastBatch = spool.GetLastBatchNumber();
    m_view.setFieldText(SendField::LastBatch, std::to_string(lastBatch));
    m_view.showGroup(SendGroup::LastBatch, lastBatch != -1);

    m_view.setFieldLabel(SendField::LastSend, sendtext::LastSendLabel);
    m_view.setFieldText(SendField::LastSend, spool.LastSendText());

    const std::uint64_t size = sizeOf(spool.uploadFile());
    m_view.setFieldLabel(SendField::TransferTime, sendtext::TransferTimeLabel);
    m_view.setFieldText(SendField::TransferTime, transferTimeText(size));
    m_view.setFieldText(SendField::FileSize, fileSizeText(size));

    // The file-contents button belongs to the fixed-record formats; CHA and CHZ have no contents view.
    const int fileType = file ? file->numericTypeCode() : 0;
    switch (fileType) {
    case file_type::DdsV2:
    case file_type::DdsV3:
    case file_type::DdsV3Kind2828:
    case file_type::Mas:
    case file_type::Pad:
        m_view.setButtonText(SendButton::Contents, sendtext::ContentsButtonFixedRecord);
        m_view.showGroup(SendGroup::ContentsButton, true);
        break;
    case file_type::Chz:
    case file_type::Cha:
        m_view.showGroup(SendGroup::ContentsButton, false);
        break;
    default:
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
    waitForUser();
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
    m_spool->setDoNotBook(false);
    setSendButtonsEnabled(false);
    m_view.showGroup(SendGroup::Progress, true);

    // From the main window the session may have expired while the dialog was open.
    if (!m_standalone) {
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
        if (!contractAllows()) {
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
    const long long limit = decimalValue(
        m_deps.profile.readString(section::Abrechnungsversand, profilekey::MaxDateiGroesse, MaxFileSizeDefault));
    const std::uint64_t size = sizeOf(path);
    if (static_cast<long long>(size) <= limit)
        return true;
    m_deps.boxes.show(strFormat(sendtext::FileTooLarge, path.c_str(), appinfo::AppTitle,
                                static_cast<int>(size / 1000000), static_cast<int>(limit / 1000000)),
                      sendtext::Caption, MbIcon::Error);
    return false;
}

bool SendDialogController::contractAllows() const
{
    // XML invoices are addressed by the sender's EAN, not by a contract.
    if (m_spoolType == spool_type::Cha)
        return true;
    const CAbrechnungsDatei* file = m_spool->billingFile();
    return file && m_deps.login.contracts().contains(std::to_string(file->GetCustomerNumber()));
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
        writeControlFileStatus(m_spool->GetControlFilePath(), status, text);
}

void SendDialogController::setSendButtonsEnabled(bool enabled)
{
    m_view.setButtonEnabled(SendButton::Send, enabled);
    m_view.setButtonEnabled(SendButton::Contents, enabled);
}

void SendDialogController::waitForUser()
{
    if (!m_answers || m_closed)
        return;
    postToDialog([this] {
        if (m_closed || m_uploading)
            return;
        const auto answer = m_answers([](const std::string& a) { return a == AnswerSend || a == AnswerCancel; });
        if (answer && *answer == AnswerSend)
            send();
        else
            cancel();
    });
}

void SendDialogController::offerUploadCancel()
{
    if (!m_answers)
        return;
    postToDialog([this] {
        if (m_closed || !m_uploading)
            return;
        if (m_answers([](const std::string& a) { return a == AnswerCancel; }))
            cancel();
    });
}

std::chrono::milliseconds SendDialogController::aliveTimeout() const
{
    const int period =
        m_deps.profile.readInt(section::Abrechnungsversand, profilekey::AliveTimeout, AliveTimeoutDefault);
    // A period of 0 or less would check the session without pause.
    return std::chrono::milliseconds(period > 0 ? period : AliveTimeoutDefault);
}

std::string SendDialogController::today() const
{
    return m_deps.today ? m_deps.today() : systemToday();
}

std::string SendDialogController::servicelineTelephone() const
{
    return m_deps.profile.readString(section::General, profilekey::ServicelineTel, logintext::DefaultServiceline);
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
