#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bv {

// The control file of an RZ3 delivery: an INI file that the practice software leaves beside the
// DDS-RZ file. [Einstellungen] names the batch (Stapelnummer), customer, date and counts, [Anlagen]
// lists the attachment files, and [Rueckgabe] carries the result this system writes back.
namespace rz3 {

inline constexpr const char* SettingsSection = "Einstellungen";
inline constexpr const char* AttachmentSection = "Anlagen";
inline constexpr const char* ReturnSection = "Rueckgabe";

// The statuses written into [Rueckgabe] Status.
inline constexpr int StatusBeforeProcessing = -1;
inline constexpr int StatusMissingSettings = 27;
inline constexpr int StatusBadAttachmentValue = 28; // only as exception code
inline constexpr int StatusMissingBatchNumber = 29;
inline constexpr int StatusMismatch = 534;
inline constexpr int StatusNotReferenced = 538;
inline constexpr int StatusTypeNotAllowed = 539;

// One ANLAGE value: "<path> [<system invoice number>]" optionally followed by "," and the
// attachment's sequence number within its invoice.
struct ControlAttachment
{
    std::string path;
    std::string invoiceNumber;
    int sequence = 0;
    bool bound = false;
    bool typeAllowed = false; // .TIF, .TIFF or .PDF
};

// Parses an ANLAGE value; false when it has no "[" after the first character, no "]" after it, or
// a "," before the "]".
bool parseAttachmentValue(std::string_view value, ControlAttachment& out);

// The value of key n of [Anlagen]: "ANLAGE%05d", or "ANLAGE%03d" when that is missing and fewer than
// 999 attachments are announced; "#" when neither is there.
std::string attachmentValue(const std::string& controlPath, int n, int announced);

} // namespace rz3

// True when the control file's Stapelnummer is a number above 0 (a file already sent holds a text
// there). A missing Stapelnummer writes status 29 and throws CAdzException 29.
bool IsControlFileReady(const std::string& controlPath);
// Replaces Stapelnummer by " (Nr. %d wurde versendet !)" so that the file is not taken up again.
bool MarkControlFileSent(const std::string& controlPath);
// [Rueckgabe] Error = text (" (unspezifizierter Fehler)" when empty) for a status other than 0,
// then [Rueckgabe] Status = status. An INI value holds one line: the text goes without the line
// break that ends the system's control-file messages, and any other line break becomes a blank.
bool WriteControlFileStatus(const std::string& controlPath, int status, const std::string& text);

} // namespace bv
