#pragma once

#include "billing/CAbrechnungsDatei.h"
#include "platform/UploadJob.h"

#include <memory>
#include <string>

namespace bv {

class MessageBoxes;
class Profile;
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
    // spool directory, or in the temporary directory when the spool lies on a removable medium.
    virtual bool MakeWorkingCopy(const std::string& source, std::string& outCopy);
    // Marks a transmitted file: afterwards the spool directory holds it only under its ".~RZ" name.
    virtual void MarkSent(const std::string& source);
    virtual bool IsEmpty() const;
    virtual std::string GetInvoiceDetails() const;

    // Finds the oldest file matching `pattern` in the spool directory, makes its working copy and
    // returns its path; empty when there is none.
    std::string SelectNextFile(const std::string& directory, const std::string& pattern);
    void SetRemovableFlag(const std::string& path);
    // The last transmission as "dd.mm.yyyy hh:mm:ss"; empty when none is recorded.
    std::string LastSendText() const;

    CAbrechnungsDatei* billingFile() const { return m_file.get(); }
    const std::string& spoolDirectory() const { return m_spoolDir; }
    const std::string& filePattern() const { return m_pattern; }
    int fileCount() const { return m_fileCount; }
    bool isRemovable() const { return m_removable; }
    const std::string& filePath() const { return m_filePath; }
    const std::string& lastSend() const { return m_lastSend; }
    const std::string& workingCopy() const { return m_workingCopy; }
    // The file the upload sends: the working copy, or the dispatch package of XML invoices.
    const std::string& uploadFile() const { return m_uploadFile; }
    int invoiceCount() const { return m_invoiceCount; }
    int totalAmount() const { return m_totalAmount; }
    const std::string& fileDate() const { return m_fileDate; }
    int batchNumber() const { return m_batchNumber; }
    int lastBatchNumber() const { return m_lastBatchNumber; }

protected:
    CAbrechnungSpool(MessageBoxes& boxes, Profile& profile, const files::RemovableProbe& removableProbe);

    // Reads the billing file's contents and takes over what the spool shows of it; the customer's
    // last transmission is read under `keyText`. On an error the file is closed and the error passed on.
    void takeOver(std::unique_ptr<CAbrechnungsDatei> file);
    void readLastTransmission(const std::string& keyText);

    MessageBoxes& m_boxes;
    Profile& m_profile;
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
};

} // namespace bv
