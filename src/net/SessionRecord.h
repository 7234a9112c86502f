#pragma once

#include <string>

namespace bv {

// The one session of the process with the billing centre, kept by the application object: opened
// by a login, tested by the alive check, ended by a log-out.
struct SessionRecord
{
    bool loggedIn = false;
    bool sendTestAllowed = false; // the server offers a test transfer
    std::string sessionId;        // empty = no session
    std::string loginAddress;     // where the next login is posted; a backup redirect replaces it
    std::string startAddress;     // first page of the main window
    std::string updateAddress;    // installer address the user accepted
    std::string loginContext;     // "CMA" from the main window, "CSE" from the send dialog
    bool updatesAllowed = true;   // update offers are ignored while this is off
    bool cancelled = false;       // the last login dialog was closed with Cancel
    bool lockedOut = false;       // the last login dialog ended after its third refused attempt

    // Ends the session: forgets the id and the addresses and allows updates again.
    void logOut();
};

} // namespace bv
