#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace bv {

class ControlFile;
class DirectoryLock;
class MessageBoxes;

// The fields of a DDS-RZ billing file's closing record that a transfer needs. A DDS-RZ file is made
// of 256-byte records; the last one closes the delivery and carries its batch number (Stapelnummer),
// its date and its invoice count at fixed offsets.
struct ClosingRecord
{
    static constexpr std::size_t Size = 256;

    std::string batchNumber;  // 4 characters at offset 50
    std::string date;         // 8 characters at offset 66
    std::string invoiceCount; // 4 characters at offset 30

    // The record is read as one line of text: it ends at the first line break or NUL byte. Fields
    // beyond its end come out shorter or empty. The bytes are kept as they are (Windows-1252).
    static ClosingRecord parse(std::string_view lastBytes);
};

// What the preparation of a transfer left behind.
struct PreparedTransfer
{
    std::string workingDirectory; // with a trailing "/"; empty when the preparation failed
    bool workFileWritten = false; // "bvlsabr.ini" was written by this preparation
    // Another process transmits from the working directory: nothing was written into it.
    bool busy = false;
    // The working directory's lock, held by this process until the transfer is over.
    std::shared_ptr<DirectoryLock> lock;
    explicit operator bool() const { return !workingDirectory.empty() && !busy; }
};

// Builds the private working directory of one transfer from a control file: a directory in the
// temporary directory that looks like a spool directory, holding a copy of the billing file and the
// work file "bvlsabr.ini" that describes the delivery and its attachments.
class TransferPreparation
{
public:
    // `temporaryDirectory` ends in "/".
    TransferPreparation(MessageBoxes& boxes, std::string temporaryDirectory);

    // Shows the error and returns an empty result when the control file names no customer or no
    // billing file, or when the billing file cannot be read. The working directory is locked before
    // anything is written into it; when another process holds it the result is busy.
    PreparedTransfer prepare(const ControlFile& control);

    // "<temp>brevalis_RZClientSend/<name>/", creating both levels when missing. A level that cannot
    // be created is reported with the "Hinweis" message and the work goes on.
    std::string makeWorkingDirectory(const std::string& name);

private:
    void createLevel(const std::string& path);
    bool writeWorkFile(const std::filesystem::path& workFile, const ControlFile& control, const std::string& customer,
                       const ClosingRecord& record);

    MessageBoxes& m_boxes;
    std::string m_temporaryDirectory;
};

} // namespace bv
