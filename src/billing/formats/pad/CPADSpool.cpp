#include "billing/formats/pad/CPADSpool.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/SpoolDetection.h"
#include "billing/formats/pad/CPADDatei.h"
#include "billing/formats/pad/PadTexts.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

namespace bv {

namespace {

// The practice software's PAD files: "PV" and the customer number, extension ".DAT".
const char* const PadFilePattern = "PV??????.DAT";

} // namespace

CPADSpool::CPADSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
                     const std::filesystem::path& directory, const FeeValueTable* feeValues)
    : CAbrechnungSpool(boxes, profile, removableProbe)
{
    SetRemovableFlag(files::directoryText(directory));
    const std::string path = SelectNextFile(directory, PadFilePattern);
    if (path.empty())
        return;
    if (m_fileCount > 1)
        m_boxes.show(strFormat(billing_texts::SeveralFilesWaiting, m_fileCount), billing_texts::CaptionCompany,
                     MbIcon::None);
    const int type = DetectFileType(path);
    if (type != file_type::Pad && type != file_type::PadLines)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(pad_texts::NotAPadFile, path.c_str()));

    // The 6a percentage is the customer's: the file names its customer in the control record.
    auto reader =
        std::make_unique<CPADDatei>(path, false, false, type == file_type::PadLines, false, PadReductions{}, true);
    reader->Validate();
    reader->setReductions(PadReductions::FromProfile(profile, reader->GetCustomerNumberText()));
    reader->setFeeValues(feeValues);
    takeOver(std::move(reader));
    const CPADDatei& pad = *padFile();
    if (pad.headerCustomerNumber() != pad.GetCustomerNumber()) {
        m_file->closeFile();
        throw BV_ADZ_ERROR(adz::Structural, pad_texts::CustomerNumberMismatch);
    }
    readLastTransmission(pad.GetCustomerNumberText());
}

CPADDatei* CPADSpool::padFile() const
{
    return static_cast<CPADDatei*>(m_file.get());
}

std::string CPADSpool::GetFileDateText() const
{
    const auto part = [this](std::size_t pos, std::size_t len) {
        return pos < m_fileDate.size() ? m_fileDate.substr(pos, len) : std::string();
    };
    return strFormat("%s.%s.%s", part(6, 2).c_str(), part(4, 2).c_str(), part(0, 4).c_str());
}

int CPADSpool::GetLastBatchNumber()
{
    const CPADDatei* pad = padFile();
    if (!pad)
        return 0;
    // A customer without a recorded transfer starts from batch 0.
    const std::string stored = m_profile.stored(profilekey::LastStapel, pad->GetCustomerNumberText());
    return decimalInt(stored.empty() ? std::string("0") : stored);
}

std::string CPADSpool::ReductionText() const
{
    const CPADDatei* pad = padFile();
    return pad ? pad->reductions().ReductionText(pad->invoicesSubjectTo6a()) : std::string();
}

} // namespace bv
