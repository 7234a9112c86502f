#pragma once

// The codes of CAdzException, by name. Negative codes are structural errors, positive ones errors of
// a file's content. The record engine's field-check codes live with the record object
// (records::ControlRecordFieldCode, records::ContentFieldCode), the statuses of the practice
// software's control file with Rz3ControlFile (rz3::Status...).

namespace bv::adz {

// A structural error of a file, a file that cannot be read or written, and every failure without a
// code of its own.
inline constexpr int Structural = -1;
// The spool holds nothing that could be sent.
inline constexpr int NothingToSend = -2;
// A file version the reader does not support.
inline constexpr int UnsupportedVersion = -10;
// A directory that cannot be listed; the message is the system's text.
inline constexpr int DirectoryUnreadable = -19;
// The control record: no invoices; a medium number other than 1; a follow-up medium or a character
// set that is not supported.
inline constexpr int ControlRecordInvoiceCount = -22;
inline constexpr int ControlRecordMedium = -23;
inline constexpr int ControlRecordUnsupported = -24;
// The invoices found differ from the count the control record declares.
inline constexpr int InvoiceCount = -87;
// The sum of the invoices differs from the control total.
inline constexpr int ControlTotal = -105;
// Attachments: an invoice's references run past its records; extracting an attachment file failed;
// the attachment container or list is unusable.
inline constexpr int AttachmentReference = -129;
inline constexpr int AttachmentExtraction = -605;
inline constexpr int AttachmentContainer = -703;
// The TIFF splitter: waiting for it failed or was given up; it could not be started; its copy of the
// attachment could not be deleted.
inline constexpr int SplitWait = -138;
inline constexpr int SplitStart = -139;
inline constexpr int SplitDelete = -609;
// A record header that does not parse.
inline constexpr int RecordHeader = 23;
// The content of a file: currency, mandatory values, the digest, records cut short.
inline constexpr int Content = 34;

} // namespace bv::adz
