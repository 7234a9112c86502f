#include "billing/formats/mas/CMASSpool.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/mas/MASrzDatei.h"
#include "billing/formats/mas/MasTexts.h"
#include "config/ProfileStore.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

namespace bv {

namespace {

// The practice software's MAS files: "M", five characters, extension ".001".
const char* const MasFilePattern = "M?????.001";

} // namespace

CMASSpool::CMASSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
                     const std::filesystem::path& directory, const FeeValueTable* feeValues)
    : CAbrechnungSpool(boxes, profile, removableProbe)
{
    SetRemovableFlag(files::directoryText(directory));
    const std::string path = SelectNextFile(directory, MasFilePattern);
    if (path.empty())
        return;
    if (m_fileCount > 1)
        m_boxes.show(strFormat(billing_texts::SeveralFilesWaiting, m_fileCount), billing_texts::CaptionCompany,
                     MbIcon::None);
    if (DetectFileType(path) != file_type::Mas)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(mas_texts::NotAMasFile, path.c_str()));

    // The spool reads every version the format has published since: no version limit.
    auto reader = std::make_unique<MASrzDatei>(path, false, false, false, false);
    reader->setFeeValues(feeValues);
    takeOver(std::move(reader));
    const MASrzDatei& mas = *masFile();
    if (mas.headerCustomerNumber() != mas.GetCustomerNumber()) {
        m_file->closeFile();
        throw BV_ADZ_ERROR(adz::Structural, mas_texts::CustomerNumberMismatch);
    }
    m_transmissionName = mas.transmissionName();
    m_controlTotal = mas.controlTotal();
    readLastTransmission(mas.GetCustomerNumberText());
}

MASrzDatei* CMASSpool::masFile() const
{
    return static_cast<MASrzDatei*>(m_file.get());
}

std::string CMASSpool::GetFileDateText() const
{
    const auto part = [this](std::size_t pos, std::size_t len) {
        return pos < m_fileDate.size() ? m_fileDate.substr(pos, len) : std::string();
    };
    return strFormat("%s.%s.%s", part(6, 2).c_str(), part(4, 2).c_str(), part(0, 4).c_str());
}

} // namespace bv
