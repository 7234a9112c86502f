#include "billing/formats/chz/CCHZSpool.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/chz/CCHZDatei.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

namespace bv {

namespace txt = billing_texts;

CCHZSpool::CCHZSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
                     const std::filesystem::path& directory, bool currencyMandatory, bool euroWhenMissing)
    : CAbrechnungSpool(boxes, profile, removableProbe)
{
    SetRemovableFlag(files::directoryText(directory));
    const std::string path = SelectNextFile(directory, "*.CHZ");
    if (path.empty())
        return;
    if (m_fileCount > 1)
        m_boxes.show(strFormat(txt::SeveralFilesWaiting, m_fileCount), txt::CaptionCompany, MbIcon::None);
    if (DetectFileType(path) != file_type::Chz)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::NotAChzFile, path.c_str()));
    takeOver(std::make_unique<CCHZDatei>(path, currencyMandatory, euroWhenMissing));
    readLastTransmission(m_file->GetCustomerNumberText());
}

CCHZDatei* CCHZSpool::chzFile() const
{
    return static_cast<CCHZDatei*>(m_file.get());
}

std::string CCHZSpool::GetFileDateText() const
{
    const auto part = [this](std::size_t pos, std::size_t len) {
        return pos < m_fileDate.size() ? m_fileDate.substr(pos, len) : std::string();
    };
    return strFormat("%s.%s.%s", part(6, 2).c_str(), part(4, 2).c_str(), part(0, 4).c_str());
}

} // namespace bv
