#pragma once

#include "upload/UploadJob.h"

#include <string>

namespace bv {

// What a spool needs from its caller to start a transmission.
struct SendContext
{
    std::string sessionId;              // the login session's id
    std::string agent;                  // the program title
    bool useProxy = false;              // the configured UseProxy
    UploadStarter* starter = nullptr;   // starts the upload thread
    UploadObserver* observer = nullptr; // receives the thread's reports (the send dialog)
};

} // namespace bv
