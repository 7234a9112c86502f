#include "billing/formats/dds/CDDSSpool.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/formats/dds/DdsTexts.h"
#include "billing/formats/dds/Rz3ControlFile.h"
#include "billing/formats/dds/AttachmentTexts.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "billing/tiff/MultiTiffExtract.h"
#include "config/ProfileStore.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <ctime>
#include <filesystem>

namespace bv {

namespace txt = dds_texts;

namespace {

// The spool reads every version the interface has published since: no version limit. A container
// is unpacked by the first Validate, after the reader knows where to show its messages.
std::unique_ptr<DDSrzDatei> openReader(int fileType, const std::string& path)
{
    switch (fileType) {
    case file_type::DdsV2:
    case file_type::DdsV2Kind2828:
        return std::make_unique<DDSrz2Datei>(path, false, false, true);
    case file_type::DdsV3:
    case file_type::DdsV3Kind2828:
        return std::make_unique<DDSrz3Datei>(path, false, false, true);
    default:
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::NotADdsFile, path.c_str()));
    }
}

// An error of the control-file flow, marked for the send dialog, which writes it into the file.
CAdzException controlFileError(const CAdzException& error, const std::string& controlPath)
{
    const unsigned code = (CAdzException::ControlFileCodeMark << 16) | (static_cast<unsigned>(error.code()) & 0xFFFFu);
    CAdzException marked(error.sourceFile(), error.line(), error.buildDate(), static_cast<int>(code), error.message());
    marked.setControlFile(controlPath);
    return marked;
}

bool referencesIndexFiles(int fileType)
{
    return fileType == file_type::DdsV3 || fileType == file_type::DdsV3Kind2828 || fileType == file_type::ControlIni;
}

} // namespace

CDDSSpool::CDDSSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
                     const std::filesystem::path& directory, bool attachmentMatching, const FeeValueTable* feeValues)
    : CAbrechnungSpool(boxes, profile, removableProbe), m_attachmentMatching(attachmentMatching)
{
    SetRemovableFlag(files::directoryText(directory));
    const std::string filter = profile.read(profilekey::file_filter);
    const std::string path = SelectNextFile(directory, filter);
    if (path.empty())
        return;
    if (m_fileCount > 1)
        m_boxes.show(strFormat(billing_texts::SeveralFilesWaiting, m_fileCount), txt::CaptionSpool, MbIcon::None);

    const int fileType = DetectFileType(path);
    std::unique_ptr<DDSrzDatei> reader;
    if (fileType == file_type::ControlIni) {
        reader = takeUpControlFile(path, feeValues);
        if (!reader)
            return;
    } else {
        reader = openReader(fileType, path);
        reader->setFeeValues(feeValues);
        reader->setMessageBoxes(&m_boxes);
        handSplitter(*reader);
        reader->Validate();
    }
    takeOver(std::move(reader), !m_controlPath.empty());
    if (!m_controlPath.empty()) {
        // A control-file delivery travels as the attachment container its batch was packed into, and
        // what is marked as sent is the batch file the control file names, not the control file.
        m_sourceIdentity = files::fileIdentity(m_filePath);
        sendInstead(ddsFile()->containerPath());
    }
    const DDSrzDatei& dds = *ddsFile();
    if (dds.controlCustomerNumber() != dds.GetCustomerNumber()) {
        m_file->closeFile();
        throw BV_ADZ_ERROR(adz::Structural, txt::CustomerNumberMismatch);
    }
    m_transmissionName = dds.transmissionName();
    m_controlTotal = dds.controlTotal();
    readLastTransmission(dds.GetCustomerNumberText());
}

std::unique_ptr<DDSrzDatei> CDDSSpool::takeUpControlFile(const std::string& controlPath, const FeeValueTable* feeValues)
{
    try {
        if (!IsControlFileReady(controlPath))
            return nullptr;
        WriteControlFileStatus(controlPath, rz3::StatusBeforeProcessing, attachment_texts::StatusBeforeProcessing);
        auto reader =
            DDSrz3Datei::ProcessControlFile(controlPath, false, false, m_attachmentMatching, [&](DDSrz3Datei& batch) {
                batch.setFeeValues(feeValues);
                batch.setMessageBoxes(&m_boxes);
            });
        m_controlPath = controlPath;
        return reader;
    } catch (const CAdzException& error) {
        throw controlFileError(error, controlPath);
    }
}

void CDDSSpool::handSplitter(DDSrzDatei& reader)
{
    // The splitter program is looked up when an invoice's attachments are extracted.
    reader.setTiffSplitter([this](const std::string& attachment, int invoiceOrdinal) {
        return MultiTiffExtract(m_boxes, MultiTiffExtract::splitterPathFrom(m_profile))
            .extract(attachment, invoiceOrdinal);
    });
}

std::string CDDSSpool::GetControlFilePath() const
{
    if (m_controlPath.empty())
        return CAbrechnungSpool::GetControlFilePath();
    return m_controlPath;
}

DDSrzDatei* CDDSSpool::ddsFile() const
{
    return static_cast<DDSrzDatei*>(m_file.get());
}

std::string CDDSSpool::GetFileDateText() const
{
    const auto part = [this](std::size_t pos, std::size_t len) {
        return pos < m_fileDate.size() ? m_fileDate.substr(pos, len) : std::string();
    };
    return strFormat("%s.%s.%s", part(6, 2).c_str(), part(4, 2).c_str(), part(0, 4).c_str());
}

bool CDDSSpool::MakeWorkingCopy(const std::string& source, std::string& outCopy)
{
    if (IsVddsEncrypted(source) != 0) {
        const std::string keep = strFormat(txt::EncipheredKeepName, source.c_str(),
                                           LocalTimeText(std::time(nullptr), "%Y%m%d%H%M%S").c_str());
        UnwrapVddsEncrypted(source, keep);
        m_keptDelivery = keep;
    }
    return CAbrechnungSpool::MakeWorkingCopy(source, outCopy);
}

void CDDSSpool::markTransmitted()
{
    if (m_file && referencesIndexFiles(m_file->numericTypeCode()))
        retireAttachmentIndexFiles();
    CAbrechnungSpool::markTransmitted();
    // The batch is not taken up again.
    if (!m_controlPath.empty())
        MarkControlFileSent(m_controlPath);
}

void CDDSSpool::retireAttachmentIndexFiles()
{
    for (const DdsAttachment& entry : ddsFile()->attachments()) {
        if (entry.path.empty())
            continue;
        const std::filesystem::path index(entry.path);
        const auto kept = index.parent_path() / (index.stem().string() + ".~NI");
        if (files::copyFile(index, kept, true))
            m_boxes.show(txt::IniNotRenamed, billing_texts::CaptionCompany, MbIcon::Information);
        if (files::removeFile(index))
            m_boxes.show(txt::IniNotDeleted, billing_texts::CaptionCompany, MbIcon::Information);
    }
}

} // namespace bv
