#pragma once

#include "platform/Files.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

class MessageBoxes;
class ProfileStore;

// A billing file of a transmission, as it was when it was read.
struct JournalFile
{
    std::string name; // file name in the spool directory
    files::FileIdentity identity;
};

// The record of one transmission, kept in the spool's Tmp directory while it runs: written before the
// upload, marked confirmed as soon as the billing centre's confirmation has been read, and removed once
// the transmission is booked and its files are marked as sent. A process that dies in between leaves it
// behind, and the next opening of the spool finishes what it says: a confirmed transmission is booked
// and its files are marked, never sent again; an unconfirmed one is forgotten. Written atomically, so it
// is always one whole version.
struct SendJournal
{
    enum class State
    {
        Pending,
        Confirmed,
    };

    State state = State::Pending;
    std::string typeCode;   // "CA" (XML invoices) or "CZ" (CHZ)
    std::string keyText;    // the profile key of the booking: sender EAN or customer number text
    int batchNumber = -1;   // the batch number booked
    std::string sendTime;   // "%Y%m%d:%H%M%S", once confirmed
    std::string upload;     // the package (in Tmp) or the working copy: its file name
    bool removable = false; // the spool lies on a removable medium
    std::vector<JournalFile> files;

    std::string serialize() const;
    // Nullopt for anything that is not a whole journal of this form.
    static std::optional<SendJournal> parse(std::string_view text);

    // "<spool directory>Tmp/<name>"; the directory ends in "/".
    static std::string pathIn(const std::string& spoolDirectory);
    // Creates the Tmp directory when missing and replaces the journal in one step. A confirmed
    // journal is on disk when this returns; a pending one need not be, as it is dropped anyway.
    SystemError write(const std::string& spoolDirectory) const;
    static void discard(const std::string& spoolDirectory);
};

// Finishes what a transmission of the spool left behind when its process ended early: the journal of a
// confirmed one is booked under its key, its files still in the spool are marked as sent (a file that
// changed since it was read stays, with a warning) and its scratch file goes; the journal of an
// unconfirmed or unreadable one is dropped. Nothing happens without a journal.
void CompleteInterruptedTransmission(const std::string& spoolDirectory, ProfileStore& profile, MessageBoxes& boxes);

} // namespace bv
