#include "billing/formats/cha/CCHASpool.h"

#include "billing/SpoolDetection.h"
#include "billing/formats/cha/CCHADatei.h"
#include "config/ProfileStore.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <climits>
#include <filesystem>

namespace bv {

CCHASpool::CCHASpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
                     const std::filesystem::path& directory, bool currencyMandatory, bool euroWhenMissing)
    : CAbrechnungSpool(boxes, profile, removableProbe)
{
    m_spoolDir = files::directoryText(directory);
    m_pattern = "*.XML";
    SetRemovableFlag(m_spoolDir);
    takeOver(std::make_unique<CCHADatei>(m_spoolDir, currencyMandatory, euroWhenMissing, boxes));
    m_fileCount = m_invoiceCount;
    m_uploadFile = chaFile()->packagePath();
    if (!m_uploadFile.empty())
        m_uploadIdentity = files::fileIdentity(m_uploadFile);
    // Transmissions of XML invoices are booked under the sender's EAN, so that is where the last
    // one is found.
    readLastTransmission(m_file->GetExtraText());
}

CCHADatei* CCHASpool::chaFile() const
{
    return static_cast<CCHADatei*>(m_file.get());
}

int CCHASpool::GetLastBatchNumber()
{
    if (!m_file)
        return m_lastBatchNumber;
    return decimalInt(m_profile.stored(profilekey::LastStapel, m_file->GetExtraText()));
}

void CCHASpool::ReleaseFile()
{
    if (m_file)
        chaFile()->releasePackage();
}

void CCHASpool::MarkSent(const std::string& /*source*/)
{
    if (m_file)
        chaFile()->MoveToSent();
}

std::string CCHASpool::bookingKey() const
{
    return m_file->GetExtraText();
}

int CCHASpool::bookedBatchNumber()
{
    const int sent = GetLastBatchNumber();
    return sent < INT_MAX ? sent + 1 : sent;
}

std::vector<JournalFile> CCHASpool::journalFiles() const
{
    std::vector<JournalFile> out;
    const CCHADatei& file = *chaFile();
    for (std::size_t i = 0; i < file.invoices().size(); ++i)
        out.push_back({std::filesystem::path(file.invoices()[i].filePath()).filename().string(), file.identities()[i]});
    return out;
}

void CCHASpool::markTransmitted()
{
    MarkSent(m_filePath);
    ReleaseFile();
    m_file.reset();
}

bool CCHASpool::IsEmpty() const
{
    return m_invoiceCount <= 0;
}

} // namespace bv
