#include "upload/UploadJob.h"

namespace bv {

namespace {

// How often a cancel that waits for the acknowledgement looks whether the thread ended without
// giving one.
constexpr std::chrono::milliseconds CancelPoll{20};

} // namespace

void SendRequestBlock::prepare(std::string requestUrl, std::string file, std::string agentName, bool systemSettings)
{
    url = std::move(requestUrl);
    uploadFile = std::move(file);
    agent = std::move(agentName);
    useSystemSettings = systemSettings;
    replyHeaders.clear();
    replyBody.clear();
    errorCode = 0;
    errorText.clear();
    httpStatus = 0;
    ready.set();
    done.reset();
    cancel.reset();
    cancelled.reset();
}

void SendRequestBlock::cancelAndWait(const UploadHandle& upload)
{
    cancel.set();
    while (!cancelled.wait(CancelPoll)) {
        if (upload.finished())
            break;
    }
}

} // namespace bv
