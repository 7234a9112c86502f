#include "net/UploadThread.h"

#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/MyInternetException.h"
#include "net/NetTexts.h"
#include "net/TransferCore.h"
#include "config/ProfileStore.h"
#include "net/WinInetErrors.h"
#include "platform/SystemErrors.h"
#include "platform/Text.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <new>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace bv {

namespace {

// The body goes out in blocks of this size; after each full block the cancel event is tested.
constexpr curl_off_t BlockSize = 1024;
// While the body is written the progress bar runs up to 90 %; the rest is the billing centre's check.
constexpr curl_off_t BodyShare = 90;
// How much of the file the library takes per read; the memory of an upload does not grow beyond it.
constexpr long UploadBufferSize = 64 * 1024;

// Steps of the upload, kept as the line numbers the error reports carry.
constexpr int StepSplitUrl = 1;
constexpr int StepOpenSession = 2;
constexpr int StepOpenFile = 3;
constexpr int StepSendBody = 4;
constexpr int StepEndRequest = 7;
constexpr int StepReadReply = 8;

// One upload: the request with its body and reply, and the reports to the observer on the way.
class Upload
{
public:
    Upload(SendRequestBlock& block, UploadObserver* observer, const UploadSettings& settings)
        : m_block(block), m_observer(observer), m_settings(settings),
          m_core({[this] { return pendingCancelHonoured(); }, [this] { return replyOverdue(); },
                  [this](CURLcode, int) { return stepOfFailure(); }},
                 settings.idleTimeout, settings.cancelPollInterval),
          m_session(m_core.session())
    {}
    ~Upload()
    {
        closeFile();
        if (m_headers)
            curl_slist_free_all(m_headers);
    }
    Upload(const Upload&) = delete;
    Upload& operator=(const Upload&) = delete;

    // Connects, sends the body and reads the reply. False when stopped on request; a failed step
    // throws MyInternetException.
    bool run()
    {
        setUp();
        status(uploadtext::Connecting);
        openFile();
        if (!m_session.set(CURLOPT_POSTFIELDSIZE_LARGE, m_total))
            throw MyInternetException(wininet::InternalError, StepOpenSession);
        try {
            transfer();
        } catch (const MyInternetException&) {
            if (!m_requestEnded)
                status(uploadtext::TransmissionError);
            throw;
        }
        return !m_core.stopped();
    }

private:
    void setUp()
    {
        m_core.open(m_block.url, m_block.agent, m_block.useSystemSettings, m_settings.connectTimeout, StepSplitUrl,
                    StepOpenSession);
        // The request carries only the body's length: no form type, no "Expect: 100-continue" pause.
        m_headers = curl_slist_append(m_headers, "Content-Type:");
        if (m_headers)
            m_headers = curl_slist_append(m_headers, "Expect:");
        // The body is read once from the file, so the upload is never repeated to another address.
        const bool ok = m_headers && m_session.set(CURLOPT_HTTPHEADER, m_headers) && m_session.set(CURLOPT_POST, 1L) &&
                        m_session.set(CURLOPT_FOLLOWLOCATION, 0L) &&
                        m_session.set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) &&
                        m_session.set(CURLOPT_UPLOAD_BUFFERSIZE, UploadBufferSize) &&
                        m_session.set(CURLOPT_READFUNCTION, &Upload::onRead) &&
                        m_session.set(CURLOPT_READDATA, static_cast<void*>(this)) &&
                        m_session.set(CURLOPT_PREREQFUNCTION, &Upload::onConnected) &&
                        m_session.set(CURLOPT_PREREQDATA, static_cast<void*>(this)) &&
                        m_session.set(CURLOPT_HEADERFUNCTION, &Upload::onHeader) &&
                        m_session.set(CURLOPT_HEADERDATA, static_cast<void*>(this)) &&
                        m_session.set(CURLOPT_WRITEFUNCTION, &Upload::onData) &&
                        m_session.set(CURLOPT_WRITEDATA, static_cast<void*>(this));
        if (!ok)
            throw MyInternetException(wininet::InternalError, StepOpenSession);
    }

    void openFile()
    {
        m_fd = ::open(m_block.uploadFile.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            throw MyInternetException(windowsFileError(errno, FileAccess::Read), StepOpenFile);
        struct stat info = {};
        if (::fstat(m_fd, &info) != 0)
            throw MyInternetException(windowsFileError(errno, FileAccess::Read), StepOpenFile);
        if (!S_ISREG(info.st_mode))
            throw MyInternetException(winerror::AccessDenied, StepOpenFile);
        m_total = static_cast<curl_off_t>(info.st_size);
        m_fullBlocksEnd = m_total / BlockSize * BlockSize;
    }

    void closeFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

    // Runs the request to its end, looking at the cancel event and the stall watch between the
    // library's steps.
    void transfer()
    {
        if (!m_core.run(StepOpenSession))
            return;
        const long status = m_core.responseCode();
        // A server that confirms before it has the whole body must not count as a transmission:
        // the library ends the exchange with the reply and never writes the rest.
        curl_off_t sent = 0;
        curl_easy_getinfo(m_session.handle(), CURLINFO_SIZE_UPLOAD_T, &sent);
        if (status == 200 && sent < m_total)
            throw MyInternetException(wininet::ConnectionAborted, StepSendBody);
        m_block.httpStatus = static_cast<int>(status);
    }

    int stepOfFailure() const
    {
        if (m_requestEnded)
            return StepReadReply;
        return m_bodyWritten ? StepEndRequest : StepSendBody;
    }

    // The body has gone out and the reply has not ended within its limit, however it trickles in.
    bool replyOverdue() const
    {
        return m_bodyWritten && std::chrono::steady_clock::now() - m_bodyWrittenAt >= m_settings.replyTimeout;
    }

    // While the network keeps the thread waiting, a cancel request is taken at once when a block
    // test is still to come: the outcome is the one that test would have had, only sooner. After the
    // last full block's test the remainder is written whatever is asked.
    bool pendingCancelHonoured()
    {
        if (m_core.stopped() || m_nextBlockEnd > m_fullBlocksEnd || !m_block.cancel.isSet())
            return false;
        return cancelTest();
    }

    // The test after a full block: a cancel request stops the body here.
    bool cancelTest()
    {
        // A look first: a zero-time wait on the event costs a timed sleep in the kernel, far too much
        // for every block of a large file.
        if (!m_block.cancel.isSet() || !m_block.cancel.tryWait())
            return false;
        closeFile();
        m_block.cancel.reset();
        m_core.stop();
        m_block.cancelled.set();
        status(uploadtext::Interrupted);
        return true;
    }

    static int onConnected(void* self, char*, char*, int, int)
    {
        static_cast<Upload*>(self)->connected();
        return CURL_PREREQFUNC_OK;
    }

    // The connection stands and the request is about to go out: the body begins.
    void connected()
    {
        // Connecting is bounded by the library's own connect time-out; from here on the idle limit.
        m_core.watchIdle();
        if (m_observer)
            m_observer->uploadOpened();
        progress(0);
        status(uploadtext::Transmitting);
        if (m_total == 0)
            bodyWritten();
    }

    static std::size_t onRead(char* buffer, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<Upload*>(self)->readBody(buffer, size * count);
    }

    // Hands the library the next bytes of the file. Every full block that ends in them is counted
    // and followed by its progress report and cancel test, as if the blocks were written one by one.
    std::size_t readBody(char* buffer, std::size_t room)
    {
        if (m_core.stopped() || m_fd < 0)
            return CURL_READFUNC_ABORT;
        const curl_off_t wanted = std::min<curl_off_t>(static_cast<curl_off_t>(room), m_total - m_position);
        std::size_t got = 0;
        while (got < static_cast<std::size_t>(wanted)) {
            const ssize_t n = ::read(m_fd, buffer + got, static_cast<std::size_t>(wanted) - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                // A file that shrinks or fails while it is sent cannot give the announced length.
                m_core.fail(n < 0 ? windowsFileError(errno, FileAccess::Read) : winerror::ReadFault, StepSendBody);
                return CURL_READFUNC_ABORT;
            }
            got += static_cast<std::size_t>(n);
        }
        m_position += static_cast<curl_off_t>(got);
        while (m_nextBlockEnd <= m_position && m_nextBlockEnd <= m_fullBlocksEnd) {
            progress(static_cast<int>(m_nextBlockEnd * BodyShare / m_total));
            m_nextBlockEnd += BlockSize;
            if (cancelTest())
                return CURL_READFUNC_ABORT;
        }
        if (m_position == m_total)
            bodyWritten();
        return got;
    }

    // The whole body has been handed over: a cancel request that comes later no longer waits.
    void bodyWritten()
    {
        m_bodyWritten = true;
        m_bodyWrittenAt = std::chrono::steady_clock::now();
        m_block.cancelled.set();
        closeFile();
        status(uploadtext::BeingChecked);
    }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<Upload*>(self)->header(data, size * count);
    }

    // Collects the raw reply headers with CR LF line ends; an interim answer is replaced by the
    // final one. The end of the final header block ends the request.
    std::size_t header(const char* data, std::size_t n)
    {
        std::string_view line(data, n);
        if (line.substr(0, 5) == "HTTP/")
            m_block.replyHeaders.clear();
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        m_block.replyHeaders.append(line);
        m_block.replyHeaders.append("\r\n");
        if (line.empty()) {
            long status = 0;
            curl_easy_getinfo(m_session.handle(), CURLINFO_RESPONSE_CODE, &status);
            if (status >= 200)
                requestEnded();
        }
        return n;
    }

    void requestEnded()
    {
        if (m_requestEnded || !m_bodyWritten)
            return;
        m_requestEnded = true;
        progress(m_total == 0 ? 100 : static_cast<int>(m_position / m_total * 100));
        status(uploadtext::Transmitted);
    }

    static std::size_t onData(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<Upload*>(self)->received(data, size * count);
    }

    std::size_t received(const char* data, std::size_t n)
    {
        if (m_block.replyBody.size() + n > m_settings.maxReplyBytes) {
            m_core.fail(wininet::InvalidServerResponse, StepReadReply);
            return 0;
        }
        m_block.replyBody.append(data, n);
        return n;
    }

    void progress(int percent)
    {
        if (percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        if (m_observer)
            m_observer->uploadProgress(percent);
    }

    void status(const char* text)
    {
        if (m_observer)
            m_observer->uploadStatus(text);
    }

    SendRequestBlock& m_block;
    UploadObserver* m_observer;
    const UploadSettings& m_settings;
    TransferCore m_core;
    CurlSession& m_session;
    curl_slist* m_headers = nullptr;
    int m_fd = -1;
    curl_off_t m_total = 0;
    curl_off_t m_fullBlocksEnd = 0;
    curl_off_t m_position = 0;             // bytes handed to the library
    curl_off_t m_nextBlockEnd = BlockSize; // where the next full block ends
    int m_lastPercent = -1;
    bool m_bodyWritten = false;
    bool m_requestEnded = false;
    std::chrono::steady_clock::time_point m_bodyWrittenAt;
};

class ThreadHandle : public UploadHandle
{
public:
    ThreadHandle(SendRequestBlock& block, UploadObserver* observer, const UploadSettings& settings)
    {
        m_thread = std::thread([this, &block, observer, settings] {
            UploadThread(block, observer, settings);
            m_finished = true;
        });
    }
    ~ThreadHandle() override
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    ThreadHandle(const ThreadHandle&) = delete;
    ThreadHandle& operator=(const ThreadHandle&) = delete;

    bool finished() const override { return m_finished; }

private:
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};

} // namespace

int UploadThread(SendRequestBlock& block, UploadObserver* observer, const UploadSettings& settings)
{
    block.errorCode = 0;
    block.errorText.clear();
    block.httpStatus = 0;
    block.replyHeaders.clear();
    block.replyBody.clear();
    if (observer) {
        observer->uploadProgress(0);
        observer->uploadStatus(uploadtext::Preparing);
    }

    std::optional<MyInternetException> failure;
    bool sent = true;
    try {
        Upload upload(block, observer, settings);
        sent = upload.run();
    } catch (const MyInternetException& e) {
        failure = e;
    } catch (const std::bad_alloc&) {
        failure.emplace(winerror::NotEnoughMemory, StepSendBody);
    } catch (...) {
        failure.emplace(wininet::InternalError, StepSendBody);
    }

    if (!sent) {
        block.errorCode = UploadStoppedOnRequest;
        block.errorText = uploadtext::Abandoned;
        block.httpStatus = 0;
    } else {
        const auto wordNumber = [](int code) { return strFormat(nettext::ErrorNumberTransfer, code); };
        recordOutcome(failure ? &*failure : nullptr, UploadHttpStatusNotOk, wordNumber, block.errorCode,
                      block.errorText, block.httpStatus);
    }

    if (observer)
        observer->uploadStatus(uploadtext::Done);
    // Whoever waits for the acknowledgement of a cancel is released however the thread ended.
    block.cancelled.set();
    block.done.set();
    if (observer)
        observer->uploadFinished();
    return 0;
}

std::chrono::milliseconds configuredReplyTimeout(const ProfileStore& settings)
{
    const std::chrono::seconds::rep seconds = settings.readInt(profilekey::ReplyTimeout);
    return seconds > 0 ? std::chrono::seconds(seconds) : UploadSettings::DefaultReplyTimeout;
}

std::unique_ptr<UploadHandle> CurlUploadStarter::start(SendRequestBlock& block, UploadObserver* observer)
{
    UploadSettings settings = m_settings;
    if (m_store)
        settings.replyTimeout = configuredReplyTimeout(*m_store);
    return std::make_unique<ThreadHandle>(block, observer, settings);
}

} // namespace bv
