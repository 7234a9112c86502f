#pragma once

#include "platform/Event.h"

#include <memory>
#include <string>

namespace bv {

class UploadHandle;

// The send request block of one upload: filled by its owner (a spool, the test-file dialog) before
// the upload thread starts, worked on by that thread alone while it runs, and read back by the owner
// after the completion notice. The four events carry the handshakes between the two.
struct SendRequestBlock
{
    // Sets the block up for a new upload: what to send where, no reply and no result yet, ready set,
    // done, cancel and cancelled reset.
    void prepare(std::string requestUrl, std::string file, std::string agentName, bool systemSettings);
    // Asks the upload thread to stop and waits until it has acknowledged (it stopped at its next
    // block, or the body was already handed over) or has ended without acknowledging. The thread's
    // completion notice still follows.
    void cancelAndWait(const UploadHandle& upload);

    std::string url;                // full request URL with query
    std::string uploadFile;         // file whose bytes form the request body
    std::string replyHeaders;       // raw response headers, filled by the thread
    std::string replyBody;          // response body, filled by the thread
    std::string agent;              // user-agent name (the program title)
    bool useSystemSettings = false; // the configured UseProxy: system proxy settings, else direct
    Event ready{Event::Reset::Auto, true};
    Event done{Event::Reset::Auto, false};
    Event cancel{Event::Reset::Auto, false};
    Event cancelled{Event::Reset::Auto, false};
    int errorCode = 0;     // 0 success, -1 stopped on request, -3 HTTP status not 200, else a WinINet number
    std::string errorText; // French message for the error code
    int httpStatus = 0;
};

// What the upload thread reports while it runs. Called on the upload thread: implementations hand
// the reports over to the user-interface thread (progress, opened and finished are posted; the
// status text is delivered synchronously, the thread waits until it was taken).
class UploadObserver
{
public:
    virtual ~UploadObserver() = default;
    virtual void uploadProgress(int percent) = 0;
    virtual void uploadStatus(const std::string& text) = 0;
    virtual void uploadOpened() = 0;
    virtual void uploadFinished() = 0;
};

// A running upload thread; destroying the handle waits for the thread to end.
class UploadHandle
{
public:
    virtual ~UploadHandle() = default;
    virtual bool finished() const = 0;
};

// Starts the upload thread on a send request block. The billing library and the test-file dialog
// reach the network only through this interface; the HTTP implementation lives in the network layer.
class UploadStarter
{
public:
    virtual ~UploadStarter() = default;
    virtual std::unique_ptr<UploadHandle> start(SendRequestBlock& block, UploadObserver* observer) = 0;
};

} // namespace bv
