#include "app/practice/PracticeInterface.h"

#include "app/core/ClientApp.h"
#include "app/practice/ControlFile.h"
#include "app/practice/PracticeTexts.h"
#include "app/practice/TransferPreparation.h"
#include "app/send/SendTexts.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

namespace bv {

namespace {

const char* const SectionResult = "Rueckgabe";
const char* const KeyStatus = "Status";
const char* const StatusMissing = "-1";
const char* const StatusTransferred = "0";

} // namespace

PracticeInterface::PracticeInterface(MessageBoxes& boxes, PracticePorts& ports, std::string temporaryDirectory)
    : m_boxes(boxes), m_ports(ports), m_temporaryDirectory(std::move(temporaryDirectory))
{}

void PracticeInterface::run(const std::string& controlFile)
{
    const std::optional<ControlFile> control = ControlFile::open(controlFile);
    if (!control) {
        m_boxes.show(strFormat(practicetext::ControlFileNotOpened, controlFile.c_str()), practicetext::Caption,
                     MbIcon::Error);
        return;
    }
    switch (control->kind()) {
    case ControlFileKind::Transfer:
        transfer(*control);
        return;
    case ControlFileKind::InvoiceRecipient:
        // The recipient's data is taken over by the web application: the practice software may go on.
        writeControlFileStatus(controlFile, errorlevel::Transferred);
        break;
    case ControlFileKind::Other:
    case ControlFileKind::Unreadable:
        break;
    }
    m_ports.runMainWindow(practicetext::RequestPrefix + controlFile);
}

void PracticeInterface::transfer(const ControlFile& control)
{
    TransferPreparation preparation(m_boxes, m_temporaryDirectory);
    const PreparedTransfer prepared = preparation.prepare(control);
    if (prepared.busy) {
        // The same delivery is being transmitted by another process: this run reports that and
        // leaves the working directory to it.
        const std::string text = strFormat(sendtext::TransmissionRunning, prepared.workingDirectory.c_str());
        m_boxes.show(text, practicetext::Caption, MbIcon::Warning);
        writeControlFileStatus(control.path(), errorlevel::NotConfirmed, text);
        return;
    }
    if (!prepared) {
        m_boxes.show(practicetext::EvaluationFailed, practicetext::Caption, MbIcon::Error);
        writeControlFileStatus(control.path(), errorlevel::Unusable);
        return;
    }
    m_ports.runSendDialog(prepared.workingDirectory);

    // The transfer reports its result in the work file. Only a work file of this run can do so: a
    // left-over one could carry the success of an earlier delivery.
    std::string status = StatusMissing;
    if (prepared.workFileWritten) {
        const std::filesystem::path workFile = prepared.workingDirectory + practicetext::WorkFileName;
        status =
            trim(profile::readString(SectionResult, KeyStatus, StatusMissing, ControlFile::ValueBufferSize, workFile));
    }
    writeControlFileStatus(control.path(),
                           status == StatusTransferred ? errorlevel::Transferred : errorlevel::NotConfirmed);
}

void runControlFile(ClientApp& app, const std::string& controlFile, PracticePorts& ports)
{
    PracticeInterface(app.boxes(), ports, files::temporaryDirectory()).run(controlFile);
}

} // namespace bv
