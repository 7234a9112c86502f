#pragma once

#include "billing/CAbrechnungsDatei.h"
#include "billing/ContentDigest.h"
#include "billing/SendJournal.h"
#include "billing/SendContext.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bv {

class MessageBoxes;
class ProfileStore;
namespace files {
class RemovableProbe;
}

// The spool object of one transmission: the billing file waiting in the spool directory, its
// working copy and what the profile remembers of the customer's last transmission. One subclass
// per format family; the send dialog creates the one that matches the spool type and owns it.
class CAbrechnungSpool
{
public:
    virtual ~CAbrechnungSpool();
    CAbrechnungSpool(const CAbrechnungSpool&) = delete;
    CAbrechnungSpool& operator=(const CAbrechnungSpool&) = delete;

    virtual int GetBatchNumber() const = 0;
    virtual std::string GetFileDateText() const = 0;
    virtual int GetLastBatchNumber() = 0;
    // Whether the delivery came with a practice-software control file.
    virtual int HasControlFile() const;
    // Path of that control file. Only spools that have one can give it: ask HasControlFile first;
    // the base throws std::logic_error.
    virtual std::string GetControlFilePath() const;
    virtual void ReleaseFile();
    // Copies the billing file to its working copy: the same name with the extension ".~RZ", in the
    // spool directory, or in the temporary directory when the spool lies on a removable medium. The
    // copy's bytes are digested on the way and the source's identity is kept: the copy is checked
    // against them before it is sent, the source before it is marked. A source that changed while it
    // was copied gives no copy.
    virtual bool MakeWorkingCopy(const std::string& source, std::string& outCopy);
    // Marks a transmitted file: afterwards the spool directory holds it only under its ".~RZ" name.
    // A source that is no longer the file that was copied stays where it is, with a warning.
    virtual void MarkSent(const std::string& source);
    virtual bool IsEmpty() const;
    virtual std::string GetInvoiceDetails() const;

    // Finds the oldest file matching `pattern` in the spool directory, makes its working copy and
    // returns its path; empty when there is none or the spool has no directory (an empty path).
    std::string SelectNextFile(const std::filesystem::path& directory, const std::string& pattern);
    void SetRemovableFlag(const std::string& path);
    // The last transmission as "dd.mm.yyyy hh:mm:ss"; empty when none is recorded.
    std::string LastSendText() const;

    // Starts the transmission of the billing file: checks that the upload file is still what was read,
    // writes the send journal, builds the upload address, fills the send request block and starts the
    // upload thread through the context's starter. 1 when the thread was started, 0 when an upload is
    // still running. An upload file that cannot be read ends the transmission at once, as the upload
    // thread would end it (its completion notice follows). Throws CAdzException -2 when nothing is to
    // be sent, -1 when the upload file changed since it was read or the journal cannot be written.
    int StartSend(const SendContext& context);
    // Evaluates the billing centre's answer after the upload thread's completion notice. Only a
    // confirmed transmission is booked in the profile and marks the file as sent; every other outcome
    // leaves files and profile as they were. The confirmation goes into the send journal before
    // anything else, so that a process ending from then on is completed on the next opening of the
    // spool. Reports each outcome in a message box.
    void FinishSend();
    // Asks the upload thread to stop and waits until it has acknowledged: it stops at its next block,
    // or the body was already handed over. The thread's completion notice still follows.
    void CancelSend();
    bool uploadRunning() const { return m_upload != nullptr; }
    // The page the billing centre named after a confirmed transmission; empty otherwise.
    const std::string& nextUrl() const { return m_nextUrl; }
    // FinishSend saw the confirmation and marked the file as sent.
    bool transmissionConfirmed() const { return m_confirmed; }
    // "nichtbuchen": the billing centre receives the file without booking it.
    void setDoNotBook(bool on) { m_doNotBook = on; }
    bool doNotBook() const { return m_doNotBook; }
    SendRequestBlock& sendRequest() { return m_sendRequest; }

    CAbrechnungsDatei* billingFile() const { return m_file.get(); }
    // The facts of the billing file's format; those of no known format while there is no file.
    const FormatFacts& facts() const { return m_file ? m_file->facts() : formatFacts(file_type::Unknown); }
    const std::string& spoolDirectory() const { return m_spoolDir; }
    const std::string& filePattern() const { return m_pattern; }
    int fileCount() const { return m_fileCount; }
    bool isRemovable() const { return m_removable; }
    const std::string& filePath() const { return m_filePath; }
    const std::string& lastSend() const { return m_lastSend; }
    const std::string& workingCopy() const { return m_workingCopy; }
    // The file the upload sends: the working copy, or the dispatch package of XML invoices.
    const std::string& uploadFile() const { return m_uploadFile; }
    // Sends `path` in place of the working copy: the attachment container that a fixed-record file was
    // packed into with its receipts. Like a package of XML invoices it is checked by its identity
    // before it is sent.
    void sendInstead(const std::string& path);
    int invoiceCount() const { return m_invoiceCount; }
    int totalAmount() const { return m_totalAmount; }
    const std::string& fileDate() const { return m_fileDate; }
    int batchNumber() const { return m_batchNumber; }
    int lastBatchNumber() const { return m_lastBatchNumber; }

protected:
    CAbrechnungSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe);

    // Reads the billing file's contents (unless `alreadyRead`) and takes over what the spool shows of
    // it. On an error the file is closed and the error passed on.
    void takeOver(std::unique_ptr<CAbrechnungsDatei> file, bool alreadyRead = false);
    void readLastTransmission(const std::string& keyText);

    // What a confirmed transmission is booked under, and the batch number booked: the customer
    // number text and the file's batch number. The XML invoices count packages under the sender EAN.
    virtual std::string bookingKey() const;
    virtual int bookedBatchNumber();
    // The billing files the transmission sends, as they were read.
    virtual std::vector<JournalFile> journalFiles() const;
    // Marks the confirmed file as sent and lets go of the billing file.
    virtual void markTransmitted();
    void writeLastTransmission(const std::string& keyText, int batchNumber, const std::string& sendTime);

    MessageBoxes& m_boxes;
    ProfileStore& m_profile;
    const files::RemovableProbe& m_removableProbe;

    int m_fileCount = 0;
    std::unique_ptr<CAbrechnungsDatei> m_file;
    std::string m_spoolDir;
    std::string m_pattern;
    bool m_removable = false;
    std::string m_filePath;
    std::string m_lastSend;
    std::string m_workingCopy;
    std::string m_uploadFile;
    int m_invoiceCount = 0;
    int m_totalAmount = 0;
    std::string m_fileDate;
    std::string m_statusText;
    // The send request block of a transmission, with its four handshake events (ready, initially
    // set; done; cancel; cancelled).
    SendRequestBlock m_sendRequest;
    int m_batchNumber = -1;
    int m_lastBatchNumber = -1;
    // What the upload file must still be when it is sent: the digest of the working copy made, or the
    // identity of a package written.
    std::optional<ContentDigest> m_copyDigest;
    std::optional<files::FileIdentity> m_uploadIdentity;
    // The billing file as it was when its working copy was made.
    std::optional<files::FileIdentity> m_sourceIdentity;

private:
    std::string uploadUrl(const SendContext& context) const;
    void showSendError(const std::string& detail);
    std::string uploadFileDetail(int errorCode) const;
    // False (after ending the transmission as the upload thread would) when the upload file cannot
    // be read; throws when it is no longer what was read.
    bool checkUploadFile(UploadObserver* observer);
    void writeJournal();
    bool sourceStillAsRead(const std::string& source);

    bool m_doNotBook = false;
    bool m_transmissionPending = false; // started and not yet finished
    bool m_confirmed = false;
    std::string m_nextUrl;
    // The running upload thread; null when none runs. Destroying a handle waits for its thread.
    std::unique_ptr<UploadHandle> m_upload;
    // A cancelled thread that may still be ending: it works on the send request block until then.
    std::unique_ptr<UploadHandle> m_cancelledUpload;
    SendJournal m_journal;
};

// Marks a sent file of a spool that sends one file at a time: it is deleted, or on a removable medium
// renamed to its ".~RZ" name (the user may retry while the medium is write-protected).
void markFileSent(const std::string& source, bool removable, MessageBoxes& boxes);

} // namespace bv
