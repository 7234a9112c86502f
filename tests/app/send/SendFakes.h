#pragma once

#include "app/send/KeepAliveTimer.h"
#include "app/send/SendDialogView.h"
#include "upload/UploadJob.h"
#include "platform/Event.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bv::test {

// The send dialog's window as the controller sees it, keeping what it was told.
class FakeSendView : public SendDialogView
{
public:
    void setFieldLabel(SendField field, const std::string& label) override { labels[field] = label; }
    void setFieldText(SendField field, const std::string& text) override { texts[field] = text; }
    void showGroup(SendGroup group, bool visible) override { groups[group] = visible; }
    void setButtonEnabled(SendButton button, bool enabled) override { buttons[button] = enabled; }
    void setButtonText(SendButton button, const std::string& text) override { buttonTexts[button] = text; }
    void setProgress(int percent) override { progress.push_back(percent); }
    void setStatusText(const std::string& text) override { statuses.push_back(text); }
    void showDialog() override { ++shown; }
    void closeDialog() override { ++closes; }

    bool visible(SendGroup group) const
    {
        const auto it = groups.find(group);
        return it != groups.end() && it->second;
    }
    bool enabled(SendButton button) const
    {
        const auto it = buttons.find(button);
        return it == buttons.end() || it->second;
    }

    std::map<SendField, std::string> labels, texts;
    std::map<SendGroup, bool> groups;
    std::map<SendButton, bool> buttons;
    std::map<SendButton, std::string> buttonTexts;
    std::vector<int> progress;
    std::vector<std::string> statuses;
    int shown = 0;
    int closes = 0;
};

class FakeTimer : public KeepAliveTimer
{
public:
    void start(std::chrono::milliseconds p) override
    {
        running = true;
        period = p;
        ++starts;
    }
    void stop() override { running = false; }
    bool running = false;
    int starts = 0;
    std::chrono::milliseconds period{0};
};

// An upload thread for tests: streams the upload file in 1024-byte blocks on a real thread,
// honours the cancel event after each full block, reports like the real one and answers with the
// configured reply. `hold` keeps the thread before its first block until released, so that a test
// can act while the upload runs.
class ThreadUploadStarter : public UploadStarter
{
public:
    struct Reply
    {
        int errorCode = 0;
        std::string errorText;
        int httpStatus = 200;
        std::string body = "BV_SENDOK: NOMSG\r\n";
    };

    class Handle : public UploadHandle
    {
    public:
        ~Handle() override
        {
            if (thread.joinable())
                thread.join();
        }
        bool finished() const override { return done; }
        std::thread thread;
        std::atomic<bool> done{false};
    };

    std::unique_ptr<UploadHandle> start(SendRequestBlock& block, UploadObserver* observer) override
    {
        ++starts;
        {
            std::lock_guard lock(m_mutex);
            urls.push_back(block.url);
            files.push_back(block.uploadFile);
        }
        auto handle = std::make_unique<Handle>();
        Handle* h = handle.get();
        handle->thread = std::thread([this, &block, observer, h] {
            run(block, observer);
            h->done = true;
        });
        return handle;
    }

    std::string body() const
    {
        std::lock_guard lock(m_mutex);
        return m_body;
    }

    Reply reply;
    bool failBeforeBody = false;             // ends with a connection error before the body, as an unreachable server
    std::chrono::milliseconds blockDelay{0}; // a slow line: pause after every block
    Event hold{Event::Reset::Manual, true};
    std::atomic<int> starts{0};
    std::vector<std::string> urls, files;

private:
    void run(SendRequestBlock& block, UploadObserver* observer)
    {
        observer->uploadProgress(0);
        observer->uploadStatus("L'envoi est en préparation.");
        hold.wait();
        if (failBeforeBody) {
            block.errorCode = 12029;
            block.errorText = "Es konnte keine Verbindung mit dem Server hergestellt werden.";
            finish(block, observer);
            return;
        }
        observer->uploadOpened();
        std::ifstream in(block.uploadFile, std::ios::binary | std::ios::ate);
        const std::size_t total = std::max<std::size_t>(1, static_cast<std::size_t>(in.tellg()));
        in.seekg(0);
        std::string sent;
        char buffer[1024];
        bool stopped = false;
        while (in.read(buffer, sizeof buffer), in.gcount() == static_cast<std::streamsize>(sizeof buffer)) {
            sent.append(buffer, sizeof buffer);
            observer->uploadProgress(static_cast<int>(sent.size() * 90 / total));
            if (blockDelay.count() > 0)
                std::this_thread::sleep_for(blockDelay);
            if (block.cancel.tryWait()) {
                block.cancelled.set();
                stopped = true;
                break;
            }
        }
        if (!stopped) {
            sent.append(buffer, static_cast<std::size_t>(in.gcount()));
            block.cancelled.set();
            observer->uploadProgress(100);
        }
        {
            std::lock_guard lock(m_mutex);
            m_body = sent;
        }
        if (stopped) {
            block.errorCode = -1;
            block.errorText = "L'envoi a été abandonné.";
        } else {
            block.errorCode = reply.errorCode;
            block.errorText = reply.errorText;
            block.httpStatus = reply.httpStatus;
            block.replyBody = reply.body;
        }
        finish(block, observer);
    }

    static void finish(SendRequestBlock& block, UploadObserver* observer)
    {
        observer->uploadStatus("Traitement terminé");
        block.done.set();
        observer->uploadFinished();
    }

    mutable std::mutex m_mutex;
    std::string m_body;
};

} // namespace bv::test
