#include "config/ConfigurationInterface.h"

#include "config/ConfigTexts.h"
#include "config/CustomerNumbers.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/PrivateProfile.h"
#include "platform/Text.h"

#include <ostream>

namespace bv {

namespace {

std::string toInterfaceFile(const std::string& utf8)
{
    return utf8ToCp1252(utf8);
}

} // namespace

ConfigurationInterface::ConfigurationInterface(Variant variant, ProfileStore& profile, MessageBoxes& messageBoxes,
                                               std::ostream& errorStream)
    : m_variant(variant), m_profile(profile), m_messageBoxes(messageBoxes), m_errorStream(errorStream)
{}

int ConfigurationInterface::nextBatchNumber(long long last)
{
    // Floor modulo, so that a damaged negative counter also lands in 1..9998.
    long long next = (last % 10000 + 1) % 10000;
    if (next < 0)
        next += 10000;
    return (next == 0 || next == 9999) ? 1 : static_cast<int>(next);
}

bool ConfigurationInterface::run(const std::filesystem::path& interfaceFile)
{
    using namespace interfacekey;

    const std::string newSpoolDirectory =
        profile::readString(Setup, RegisterSpooldir, Missing, ReadBufferSize, interfaceFile);
    if (!startsWith(newSpoolDirectory, Missing)) {
        const bool stored = m_profile.write(profilekey::spooldir, fromWindowsText(newSpoolDirectory));
        if (!stored && m_variant == Variant::Tool)
            m_errorStream << configtext::SpooldirNotSet << std::flush;
    }

    const std::string storedCustomers = m_profile.read(profilekey::Kundennummer);
    const std::string requested =
        profile::readString(Status_Request, Kundennummer, Missing, ReadBufferSize, interfaceFile);
    const bool explicitCustomer = !startsWith(requested, Missing);
    const std::string customer =
        customers::format(explicitCustomer ? decimalInt(requested) : customers::first(storedCustomers));
    if (!writeReport(interfaceFile, Kundennummer, customer))
        return false;

    const std::string spoolDirectory = reportedSpoolDirectory();
    const char* firstKey = m_variant == Variant::Client ? Abrechnungsverzeichnis : Abrechnungsverzeichniss;
    const char* secondKey = m_variant == Variant::Client ? Abrechnungsverzeichniss : Abrechnungsverzeichnis;
    if (!writeReport(interfaceFile, firstKey, spoolDirectory) ||
        !writeReport(interfaceFile, secondKey, spoolDirectory) ||
        !writeReport(interfaceFile, Abrechnungsdateifilter, m_profile.stored(profilekey::file_filter)))
        return false;

    // The batch counter is kept per customer; without an explicit customer it only counts when the
    // practice has a single customer number, otherwise the report starts the count afresh.
    long long lastBatch = 0;
    if (explicitCustomer || customers::count(storedCustomers) == 1)
        lastBatch = decimalValue(m_profile.stored(profilekey::LastStapel, customer));
    if (!writeReport(interfaceFile, AktuelleStapelnummer, std::to_string(nextBatchNumber(lastBatch))))
        return false;

    return writeReport(interfaceFile, LetztesVersendeDatum, m_profile.read(profilekey::LastSend, customer));
}

std::string ConfigurationInterface::reportedSpoolDirectory() const
{
    std::string spoolDirectory = m_profile.read(profilekey::spooldir);
    // The tool falls back on the installer's choice. It would also report the short (8.3) form of
    // the path; Linux file systems have no short names, so the path goes out unchanged.
    if (m_variant == Variant::Tool && spoolDirectory.empty())
        spoolDirectory = m_profile.read(profilekey::DefaultSpooldir);
    return spoolDirectory;
}

bool ConfigurationInterface::writeReport(const std::filesystem::path& file, const char* key, const std::string& value)
{
    if (profile::writeString(interfacekey::Status_Request, key, toInterfaceFile(value), file))
        return true;
    m_messageBoxes.show(strFormat(configtext::InterfaceFileError, file.c_str()), configtext::InterfaceCaption,
                        MbIcon::Error);
    return false;
}

} // namespace bv
