#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace bv {

class MessageBoxes;
class ProfileStore;

// Section and key names of the interface file.
namespace interfacekey {
inline constexpr const char* Setup = "Setup";
inline constexpr const char* RegisterSpooldir = "RegisterSpooldir";
inline constexpr const char* Status_Request = "Status_Request";
inline constexpr const char* Kundennummer = "Kundennummer";
inline constexpr const char* Abrechnungsverzeichnis = "Abrechnungsverzeichnis";
inline constexpr const char* Abrechnungsverzeichniss = "Abrechnungsverzeichniss";
inline constexpr const char* Abrechnungsdateifilter = "Abrechnungsdateifilter";
inline constexpr const char* AktuelleStapelnummer = "AktuelleStapelnummer";
inline constexpr const char* LetztesVersendeDatum = "LetztesVersendeDatum";
} // namespace interfacekey

// The configuration interface: practice software (or an installer) hands the client an INI file
// that may set a new spool directory, and gets back in the same file what it needs to produce
// billing files the client accepts: spool directory, file filter, next batch number and date of the
// last transfer for one customer number. Offered by the client ("/ini") and by bvlsreg, which differ
// in small ways (Variant).
class ConfigurationInterface
{
public:
    enum class Variant
    {
        Client,
        Tool
    };

    // Values are read from the interface file through a buffer of this many bytes.
    static constexpr std::size_t ReadBufferSize = 255;
    // Default that marks a key missing from the interface file.
    static constexpr const char* Missing = "~";

    // `errorStream` takes the tool's stderr texts; the client variant writes nothing there.
    ConfigurationInterface(Variant variant, ProfileStore& profile, MessageBoxes& messageBoxes,
                           std::ostream& errorStream);

    // Runs the interface on the file; false when a write into the file failed (after the error
    // box). A missing file is no error: the reads give their defaults and the writes create it.
    bool run(const std::filesystem::path& interfaceFile);

    // Batch numbers run from 1 to 9998: the next after `last` wraps at 10000 and skips 9999 and 0.
    static int nextBatchNumber(long long last);

private:
    std::string reportedSpoolDirectory() const;
    bool writeReport(const std::filesystem::path& file, const char* key, const std::string& value);

    Variant m_variant;
    ProfileStore& m_profile;
    MessageBoxes& m_messageBoxes;
    std::ostream& m_errorStream;
};

} // namespace bv
