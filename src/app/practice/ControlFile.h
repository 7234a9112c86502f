#pragma once

#include "platform/PrivateProfile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

// What a control file asks of the client.
enum class ControlFileKind
{
    Unreadable,       // the file cannot be opened
    Transfer,         // SENDEN names a billing file to transfer
    InvoiceRecipient, // RECHNUNGSEMPFAENGER carries data for the web application
    Other             // anything else, also posted to the web application
};

// Error levels the client writes back into a control file.
namespace errorlevel {
inline constexpr const char* Transferred = "0";
inline constexpr const char* NotConfirmed = "-1";
inline constexpr const char* Unusable = "1";
} // namespace errorlevel

// The control file a practice's administration software hands to the client: an INI text in
// Windows-1252 that the practice software wrote and polls for the client's status. It is read once
// into memory; values come back as UTF-8 (a value that already is UTF-8 is taken as it is).
class ControlFile
{
public:
    // Values are read as through a buffer of 1024 characters.
    static constexpr std::size_t ValueBufferSize = 1024;
    // A control file is a few lines; anything larger is not one and is treated as unreadable, so that
    // a stray huge file cannot exhaust memory.
    static constexpr std::uintmax_t MaxBytes = 16u * 1024u * 1024u;

    // nullopt when the file cannot be opened: missing, unreadable, not a regular file or too large.
    static std::optional<ControlFile> open(const std::filesystem::path& path);
    // The same rules on bytes already in memory (the path is kept for the status written back).
    static ControlFile fromBytes(const std::filesystem::path& path, std::string_view bytes);

    ControlFileKind kind() const;
    // The value in UTF-8, at most 1023 bytes of the file's text; empty when missing.
    std::string value(const std::string& section, const std::string& key) const;
    // SENDEN PXID, or PRAXIS PXID when SENDEN has none.
    std::string customerNumber() const;
    std::string billingFile() const; // SENDEN Datei
    // SENDEN ANLAGE1, ANLAGE2, ... up to the first gap.
    std::vector<std::string> attachments() const;

    const std::filesystem::path& path() const { return m_path; }

private:
    ControlFile(std::filesystem::path path, IniDocument document);

    std::filesystem::path m_path;
    IniDocument m_document;
};

// Evaluates the control file at the path.
ControlFileKind evaluateControlFile(const std::filesystem::path& path);

// Writes the status block the practice software waits for: ERRORLEVEL, then ERRORTEXT (empty unless a
// text is given; written in Windows-1252 on one line), then READY = "1" last, each write replacing the
// file atomically, so that a practice program that sees READY also sees the error level. False when
// the file could not be written.
bool writeControlFileStatus(const std::filesystem::path& path, const std::string& errorLevel,
                            const std::string& errorText = {});

} // namespace bv
