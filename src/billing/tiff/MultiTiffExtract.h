#pragma once

#include <chrono>
#include <string>

namespace bv {

class MessageBoxes;
class ProfileStore;
class Registry;

// Splits an extracted multi-page TIFF attachment into one file per page with the external splitter
// program named in the machine key. The attachment "<D>/A…00.tif" is copied to "<D>/x…00.tif", the
// splitter writes "<D>/x…00_PageNN.tif", and the pages are renamed "<D>/x…01.tif", "<D>/x…02.tif", …
// (page 10 is "x…010.tif"). The splitter runs as a process of its own with its arguments as separate
// words, so paths with blanks reach it whole; while it runs, the user is asked every wait step
// whether to go on waiting.
class MultiTiffExtract
{
public:
    // How long one wait for the splitter lasts before the user is asked.
    static constexpr std::chrono::milliseconds DefaultWaitStep{150'000};
    // The key and value that name the splitter program.
    static constexpr const char* SplitterKey = "[HKEY_LOCAL_MACHINE\\Software\\Brevalis\\Rechnungsdruck]";
    static constexpr const char* SplitterValue = "SplitTiffPath";

    // The splitter program of this machine: "SplitTiffPath" of SplitterKey, empty when absent.
    static std::string splitterPathFrom(Registry& registry);
    static std::string splitterPathFrom(const ProfileStore& profile);

    // `splitterPath` empty: every split fails at the start of the process (code -139).
    MultiTiffExtract(MessageBoxes& boxes, std::string splitterPath,
                     std::chrono::milliseconds waitStep = DefaultWaitStep);

    // Splits `attachmentPath` ("<D>/A…00.tif", "/" separators) of the invoice with the ordinal
    // `invoiceIndex` (0 for the first; messages name it counted from 1). Returns the number of pages,
    // or a value below 1 when the splitter failed (its log holds "Failure", or it crashed). Copy and
    // rename failures are shown and skipped. Throws CAdzException -139 when the splitter cannot be
    // started, -138 when the wait fails or the user stops waiting, -609 when the copy cannot be
    // deleted afterwards.
    int extract(const std::string& attachmentPath, int invoiceIndex) const;

    const std::string& splitterPath() const { return m_splitterPath; }

private:
    MessageBoxes& m_boxes;
    std::string m_splitterPath;
    std::chrono::milliseconds m_waitStep;
};

} // namespace bv
