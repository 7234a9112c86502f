#pragma once

#include "billing/attachments/AttachmentEntry.h"
#include "platform/PrivateProfile.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace bv {

class MessageBoxes;

// The numbered layout reads any attachment INI; the referenced layout only one that this program
// wrote ([GENERAL] Ersteller=bvals_cl), because the practice software may deliver INI files of its
// own beside its images.
enum class IniStrictness
{
    Lenient,
    Strict
};

// Reads the keys of one attachment INI in a single pass over its text, handed over in pieces. Each
// value is read as through a buffer of 64 bytes, so no file, however long its lines, costs more
// than that per key.
class AttachmentIniReader
{
public:
    AttachmentIniReader();
    void feed(std::string_view bytes);
    void finish();
    bool done() const;

    // [GENERAL] Ersteller, empty when missing.
    std::string creator() const;
    // The decisions into the entry: flags, and with partner billing the laboratory's customer
    // number, invoice number, date and amount. The receipt path is never taken from the INI.
    void applyTo(AttachmentEntry& entry) const;

private:
    std::string value(const IniKeyScanner& scanner, std::size_t index, const char* defaultValue) const;

    IniKeyScanner m_general;
    IniKeyScanner m_invoice;
    IniKeyScanner m_data;
};

// Reads an attachment INI into the entry; false (entry unchanged) when the file cannot be opened,
// is not a regular file, or - strict - was written by another program.
bool readAttachmentIni(AttachmentEntry& entry, const std::string& iniPath, IniStrictness strictness);
// The same over a text already in memory.
bool readAttachmentIniText(AttachmentEntry& entry, std::string_view text, IniStrictness strictness);
// [GENERAL] Ersteller of a regular file; nullopt when it cannot be read.
std::optional<std::string> readIniCreator(const std::string& iniPath);

// The INI beside a receipt image: its path with the extension replaced by "ini".
std::string attachmentIniPath(const std::string& receiptPath);
// The INI's text: Windows-1252, CR LF, in the order the billing centre and the readers expect.
std::string attachmentIniText(const AttachmentInvoiceRow& row, const AttachmentEntry& entry, std::time_t now);
// Writes the entry's INI beside its receipt image and returns its path; "" after a failure, which is
// shown. An entry without a receipt path has no place for an INI: nothing is written.
std::string writeAttachmentIni(const AttachmentInvoiceRow& row, const AttachmentEntry& entry, MessageBoxes& boxes,
                               std::time_t now);

// "12,34 EUR" -> 1234: every "," and "EUR" removed, then the decimal rule (a thousands point ends it).
int parseIniAmount(std::string_view text);
// "%d,%02d EUR" of cents; a negative amount carries its sign in front ("-0,05 EUR").
std::string formatIniAmount(long long cents);
// "dd.mm.yyyy" read by position to local midnight; 0 for a text that is no valid date.
std::time_t parseIniDate(std::string_view text);

} // namespace bv
