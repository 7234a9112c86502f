#pragma once

#include "app/send/PartnerLabList.h"
#include "billing/FormatFacts.h"

#include <string>

namespace bv {

class CAbrechnungsDatei;
class MessageBoxes;
class ProfileStore;

// The laboratory side of a fixed-record billing file as the send dialog needs it before sending: the
// receipts scanned for it earlier, its attachment container, and the invoice contents dialog's
// completeness check (hidden).
class SendLaboratory
{
public:
    virtual ~SendLaboratory() = default;

    // Receipts scanned for the file in an earlier opening lie in its attachment directory.
    virtual bool hasScannedReceipts(CAbrechnungsDatei& file) = 0;
    // Deletes them.
    virtual void discardScannedReceipts(CAbrechnungsDatei& file) = 0;
    // The file takes over the receipts decided for it: numbered receipts are listed again from its
    // attachment directory, referenced images take the INI file written beside them.
    virtual void takeOverReceipts(CAbrechnungsDatei& file) = 0;
    // Packs the file and its attachment list into its attachment container; gives the container's path
    // (empty for a format without one).
    virtual std::string writeContainer(CAbrechnungsDatei& file) = 0;
    // The contents dialog in check mode: 1 when every laboratory service is decided, else 0.
    virtual int checkContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs) = 0;
};

// The dialogs the send dialog opens; each runs modally and returns when done.
class SendDialogs
{
public:
    virtual ~SendDialogs() = default;
    // The invoice contents dialog of a billing file; true after OK (the decisions are then written).
    virtual bool runContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs) = 0;
};

// The operations on the billing file itself: DDS-RZ files keep receipts and containers, other formats
// have none.
class FileLaboratory : public SendLaboratory
{
public:
    FileLaboratory(ProfileStore& profile, MessageBoxes& boxes) : m_profile(profile), m_boxes(boxes) {}

    bool hasScannedReceipts(CAbrechnungsDatei& file) override;
    void discardScannedReceipts(CAbrechnungsDatei& file) override;
    void takeOverReceipts(CAbrechnungsDatei& file) override;
    std::string writeContainer(CAbrechnungsDatei& file) override;
    int checkContents(CAbrechnungsDatei& file, ContentsView variant, const PartnerLabList& labs) override;

private:
    ProfileStore& m_profile;
    MessageBoxes& m_boxes;
};

} // namespace bv
