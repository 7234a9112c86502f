#include "billing/FakeUploadStarter.h"

#include "platform/Files.h"

#include <thread>

namespace bv {

namespace {

class FakeThread : public UploadHandle
{
public:
    FakeThread(SendRequestBlock& block, UploadObserver* observer, FakeUploadStarter& starter)
        : m_thread([this, &block, observer, &starter] {
              run(block, observer, starter);
              m_finished = true;
          })
    {}
    ~FakeThread() override { m_thread.join(); }

    bool finished() const override { return m_finished; }

private:
    static void run(SendRequestBlock& block, UploadObserver* observer, FakeUploadStarter& starter)
    {
        FakeUploadStarter::Answer answer = starter.answer;
        bool stopped = false;
        for (int i = 0; i < starter.blocks && !stopped; ++i) {
            std::this_thread::sleep_for(starter.blockDelay);
            if (observer)
                observer->uploadProgress((i + 1) * 90 / starter.blocks);
            stopped = block.cancel.tryWait();
        }
        // Handed over, or stopped on request: either way whoever waits in CancelSend is released.
        block.cancelled.set();
        if (stopped) {
            answer = {-1, "L'envoi a été abandonné.", 0, ""};
        } else {
            starter.replyGate.wait();
        }
        block.errorCode = answer.errorCode;
        block.errorText = answer.errorText;
        block.httpStatus = answer.httpStatus;
        block.replyBody = answer.body;
        block.done.set();
        if (observer)
            observer->uploadFinished();
    }

    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

} // namespace

std::unique_ptr<UploadHandle> FakeUploadStarter::start(SendRequestBlock& block, UploadObserver* observer)
{
    ++m_starts;
    {
        std::lock_guard lock(m_mutex);
        m_urls.push_back(block.url);
        m_bodies.push_back(files::readFile(block.uploadFile).value_or(std::string()));
    }
    return std::make_unique<FakeThread>(block, observer, *this);
}

std::vector<std::string> FakeUploadStarter::urls() const
{
    std::lock_guard lock(m_mutex);
    return m_urls;
}

std::vector<std::string> FakeUploadStarter::bodies() const
{
    std::lock_guard lock(m_mutex);
    return m_bodies;
}

} // namespace bv
