#pragma once

#include "platform/Dispatcher.h"
#include "platform/Event.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace bv {

// One exchange with the billing centre's web server. The caller fills in what to send and whom to
// notify, hands the record to the request routine (on a worker thread or its own) and reads the
// result back from it after the completion notice: nothing is thrown, nothing is shown.
struct InternetRequest
{
    // Error code of a reply whose HTTP status is not 200.
    static constexpr int HttpStatusNotOk = -3;

    std::string address;        // full URL, query included
    std::string serverUser;     // user name for the server connection; empty = none
    std::string serverPassword; // password for the server connection; empty = none
    std::string reply;          // reply body (form post), filled by the routine
    std::string targetFile;     // file the download writes; empty for the form post
    std::string agent;          // user-agent name: the program title
    std::string formBody;       // body of the post, already form-encoded
    bool useProxy = false;      // through the system's proxy settings (http_proxy, ...) or direct

    // Progress of a download in percent, run on the progress receiver's thread.
    UiDispatcher* progressWindow = nullptr;
    std::function<void(int percent)> onProgress;
    // Completion notice, run on the notify receiver's thread once the record is final.
    UiDispatcher* notifyWindow = nullptr;
    std::function<void()> onCompleted;

    // Handshakes, owned by the caller: start (set by the caller before the request), finish (set by
    // the routine after a normal end), cancel (set by the caller to stop a running download),
    // stopped (set by the download when it stopped because of the cancel event).
    Event* startEvent = nullptr;
    Event* finishEvent = nullptr;
    Event* cancelEvent = nullptr;
    Event* stoppedEvent = nullptr;

    int errorCode = 0;     // 0 success; HttpStatusNotOk; otherwise the library error number
    std::string errorText; // text for the error code; empty on success
    int httpStatus = 0;    // status code of the reply, 0 until known

    // No request may hang forever: connecting, and any stretch without data, end with a time-out.
    std::chrono::milliseconds connectTimeout{60000};
    std::chrono::milliseconds idleTimeout{60000};
    // A reply body beyond this size is refused as an invalid server response.
    std::size_t maxReplyBytes = 64 * 1024 * 1024;
};

// A request routine: runFormPost in the client, a fake in tests of its callers.
using RequestRoutine = std::function<void(InternetRequest&)>;

// Posts the form body to the address (HTTP/1.0, "application/x-www-form-urlencoded") and collects
// the reply body. Sets the finish event and sends the completion notice at the end.
void runFormPost(InternetRequest& request);

// Fetches the address with GET into the target file, reporting progress in percent; stops when
// the cancel event is set, and then resets it and sets the stopped event instead of finishing.
void runDownload(InternetRequest& request);

} // namespace bv
