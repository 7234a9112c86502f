#pragma once

#include "platform/Event.h"
#include "upload/UploadJob.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace bv {

// An upload thread without a network: a real thread that works on the send request block the way
// the upload thread does (blocks of the body with a cancel test after each, the cancelled event once
// the body is handed over, then the answer, the done event and the completion notice), and leaves
// in the block the answer a test scripted.
class FakeUploadStarter : public UploadStarter
{
public:
    struct Answer
    {
        int errorCode = 0;
        std::string errorText;
        int httpStatus = 200;
        std::string body = "BV_SENDOK: NOMSG\r\nBV_NEXTURL: http://centre.test/app/next\r\n";
    };

    std::unique_ptr<UploadHandle> start(SendRequestBlock& block, UploadObserver* observer) override;

    // What every started thread answers.
    Answer answer;
    // Blocks of the body "written" before the body counts as handed over, with a pause after each.
    int blocks = 1;
    std::chrono::milliseconds blockDelay{0};
    // Once the body is handed over the thread waits here before it answers (a slow billing centre).
    // Set initially: no wait.
    Event replyGate{Event::Reset::Manual, true};

    int starts() const { return m_starts; }
    // The URL and the upload file's bytes of each start, in order.
    std::vector<std::string> urls() const;
    std::vector<std::string> bodies() const;

private:
    std::atomic<int> m_starts{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_urls;
    std::vector<std::string> m_bodies;
};

} // namespace bv
