#include "upload/UploadJob.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace bv {
namespace {

using namespace std::chrono_literals;

// A thread that either acknowledges the cancel request or ends without a word.
class ScriptedHandle : public UploadHandle
{
public:
    ScriptedHandle(SendRequestBlock& block, bool acknowledges)
        : m_thread([this, &block, acknowledges] {
              while (!block.cancel.isSet())
                  std::this_thread::sleep_for(1ms);
              if (acknowledges)
                  block.cancelled.set();
              m_finished = true;
          })
    {}
    ~ScriptedHandle() override { m_thread.join(); }
    bool finished() const override { return m_finished; }

private:
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

TEST(SendRequestBlock, PrepareLeavesNothingOfTheLastUpload)
{
    SendRequestBlock block;
    block.replyHeaders = block.replyBody = block.errorText = "old";
    block.errorCode = -1;
    block.httpStatus = 500;
    block.ready.tryWait();
    block.done.set();
    block.cancel.set();
    block.cancelled.set();

    block.prepare("http://centre.test/upload?x=1", "/spool/a.~RZ", "agent", true);

    EXPECT_EQ(block.url, "http://centre.test/upload?x=1");
    EXPECT_EQ(block.uploadFile, "/spool/a.~RZ");
    EXPECT_EQ(block.agent, "agent");
    EXPECT_TRUE(block.useSystemSettings);
    EXPECT_EQ(block.replyHeaders + block.replyBody + block.errorText, "");
    EXPECT_EQ(block.errorCode, 0);
    EXPECT_EQ(block.httpStatus, 0);
    EXPECT_TRUE(block.ready.isSet());
    EXPECT_FALSE(block.done.isSet() || block.cancel.isSet() || block.cancelled.isSet());
}

// The wait ends with the acknowledgement, and also when the thread ended without giving one.
TEST(SendRequestBlock, CancelAndWaitEndsWithTheAcknowledgementOrTheThread)
{
    for (const bool acknowledges : {true, false}) {
        SendRequestBlock block;
        ScriptedHandle upload(block, acknowledges);
        block.cancelAndWait(upload); // returns instead of waiting for ever
        EXPECT_TRUE(block.cancel.isSet()) << acknowledges;
    }
}

} // namespace
} // namespace bv
