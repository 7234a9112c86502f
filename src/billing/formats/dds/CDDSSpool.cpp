#include "billing/formats/dds/CDDSSpool.h"

#include "billing/BillingTexts.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/formats/dds/DdsTexts.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <ctime>
#include <filesystem>

namespace bv {

namespace txt = dds_texts;

namespace {

// The practice software's file names: "RZ" and the batch number, extension ".001".
const char* const FileFilterKey = "file_filter";
const char* const DefaultFileFilter = "RZ????.001";

std::unique_ptr<DDSrzDatei> openReader(const std::string& path)
{
    // The spool reads every version the interface has published since: no version limit.
    switch (DetectFileType(path)) {
    case file_type::DdsV2:
    case file_type::DdsV2Kind2828:
        return std::make_unique<DDSrz2Datei>(path, false, false);
    case file_type::DdsV3:
    case file_type::DdsV3Kind2828:
        return std::make_unique<DDSrz3Datei>(path, false, false);
    default:
        throw BV_ADZ_ERROR(-1, strFormat(txt::NotADdsFile, path.c_str()));
    }
}

bool referencesIndexFiles(int fileType)
{
    return fileType == file_type::DdsV3 || fileType == file_type::DdsV3Kind2828 || fileType == file_type::ControlIni;
}

} // namespace

CDDSSpool::CDDSSpool(MessageBoxes& boxes, Profile& profile, const files::RemovableProbe& removableProbe,
                     const std::filesystem::path& directory, bool attachmentMatching,
                     const FeeValueTable* feeValues)
    : CAbrechnungSpool(boxes, profile, removableProbe), m_attachmentMatching(attachmentMatching)
{
    SetRemovableFlag(files::directoryText(directory));
    const std::string filter = profile.readString(section::Abrechnungsversand, FileFilterKey, DefaultFileFilter);
    const std::string path = SelectNextFile(directory, filter);
    if (path.empty())
        return;
    if (m_fileCount > 1)
        m_boxes.show(strFormat(billing_texts::SeveralFilesWaiting, m_fileCount), txt::CaptionSpool, MbIcon::None);

    std::unique_ptr<DDSrzDatei> reader = openReader(path);
    reader->setFeeValues(feeValues);
    reader->setMessageBoxes(&m_boxes);
    takeOver(std::move(reader));
    const DDSrzDatei& dds = *ddsFile();
    if (dds.controlCustomerNumber() != dds.GetCustomerNumber()) {
        m_file->closeFile();
        throw BV_ADZ_ERROR(-1, txt::CustomerNumberMismatch);
    }
    m_transmissionName = dds.transmissionName();
    m_controlTotal = dds.controlTotal();
    readLastTransmission(dds.GetCustomerNumberText());
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
}

void CDDSSpool::retireAttachmentIndexFiles()
{
    for (const AttachmentEntry& entry : ddsFile()->attachments()) {
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
