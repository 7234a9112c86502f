#include "net/UploadThread.h"

#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/CurlSession.h"
#include "net/MyInternetException.h"
#include "net/NetTexts.h"
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

// One multi handle driving one transfer, so that the thread can look at the cancel event while
// the network keeps it waiting.
class MultiHandle
{
public:
    explicit MultiHandle(CURL* easy) : m_multi(curl_multi_init()), m_easy(easy)
    {
        m_added = m_multi && curl_multi_add_handle(m_multi, m_easy) == CURLM_OK;
    }
    ~MultiHandle()
    {
        if (m_added)
            curl_multi_remove_handle(m_multi, m_easy);
        if (m_multi)
            curl_multi_cleanup(m_multi);
    }
    MultiHandle(const MultiHandle&) = delete;
    MultiHandle& operator=(const MultiHandle&) = delete;

    bool valid() const { return m_added; }
    CURLM* get() const { return m_multi; }

private:
    CURLM* m_multi;
    CURL* m_easy;
    bool m_added = false;
};

// One upload: the request with its body and reply, and the reports to the observer on the way.
class Upload
{
public:
    Upload(SendRequestBlock& block, UploadObserver* observer, const UploadSettings& settings)
        : m_block(block), m_observer(observer), m_settings(settings)
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
        if (const int fault = CurlSession::addressFault(m_block.url))
            throw MyInternetException(fault, StepSplitUrl);
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
        return !m_stoppedOnRequest;
    }

private:
    void setUp()
    {
        if (!m_session.valid() ||
            !m_session.configure(m_block.url, m_block.agent, m_block.useSystemSettings, m_settings.connectTimeout))
            throw MyInternetException(wininet::InternalError, StepOpenSession);
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
        MultiHandle multi(m_session.handle());
        if (!multi.valid())
            throw MyInternetException(wininet::InternalError, StepOpenSession);
        m_lastActivity = std::chrono::steady_clock::now();
        std::optional<CURLcode> result;
        for (;;) {
            int running = 0;
            if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
                throw MyInternetException(wininet::InternalError, stepOfFailure());
            if (running == 0) {
                int left = 0;
                CURLMsg* message = curl_multi_info_read(multi.get(), &left);
                result = message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_RECV_ERROR;
                break;
            }
            if (pendingCancelHonoured())
                return;
            if (stalled() || replyOverdue()) {
                m_stalled = true;
                throw MyInternetException(wininet::Timeout, stepOfFailure());
            }
            curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(m_settings.cancelPollInterval.count()), nullptr);
        }
        if (m_stoppedOnRequest)
            return;
        if (m_failure)
            throw *m_failure;
        if (*result != CURLE_OK)
            throw MyInternetException(m_session.errorNumber(*result, m_stalled), stepOfFailure());
        long status = 0;
        curl_easy_getinfo(m_session.handle(), CURLINFO_RESPONSE_CODE, &status);
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

    // Nothing went out or came in for the idle time-out once the connection stood.
    bool stalled()
    {
        if (!m_connected)
            return false; // connecting is bounded by the library's own connect time-out
        curl_off_t sent = 0;
        curl_off_t received = 0;
        curl_easy_getinfo(m_session.handle(), CURLINFO_SIZE_UPLOAD_T, &sent);
        curl_easy_getinfo(m_session.handle(), CURLINFO_SIZE_DOWNLOAD_T, &received);
        const auto now = std::chrono::steady_clock::now();
        if (sent != m_lastSent || received != m_lastReceived) {
            m_lastSent = sent;
            m_lastReceived = received;
            m_lastActivity = now;
        }
        return now - m_lastActivity >= m_settings.idleTimeout;
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
        if (m_stoppedOnRequest || m_nextBlockEnd > m_fullBlocksEnd || !m_block.cancel.isSet())
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
        m_stoppedOnRequest = true;
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
        m_connected = true;
        m_lastActivity = std::chrono::steady_clock::now();
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
        if (m_stoppedOnRequest || m_fd < 0)
            return CURL_READFUNC_ABORT;
        const curl_off_t wanted = std::min<curl_off_t>(static_cast<curl_off_t>(room), m_total - m_position);
        std::size_t got = 0;
        while (got < static_cast<std::size_t>(wanted)) {
            const ssize_t n = ::read(m_fd, buffer + got, static_cast<std::size_t>(wanted) - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                // A file that shrinks or fails while it is sent cannot give the announced length.
                m_failure.emplace(n < 0 ? windowsFileError(errno, FileAccess::Read) : winerror::ReadFault,
                                  StepSendBody);
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
            m_failure.emplace(wininet::InvalidServerResponse, StepReadReply);
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
    CurlSession m_session;
    curl_slist* m_headers = nullptr;
    int m_fd = -1;
    curl_off_t m_total = 0;
    curl_off_t m_fullBlocksEnd = 0;
    curl_off_t m_position = 0;             // bytes handed to the library
    curl_off_t m_nextBlockEnd = BlockSize; // where the next full block ends
    int m_lastPercent = -1;
    bool m_connected = false;
    bool m_bodyWritten = false;
    bool m_requestEnded = false;
    bool m_stoppedOnRequest = false;
    bool m_stalled = false;
    std::optional<MyInternetException> m_failure;
    std::chrono::steady_clock::time_point m_lastActivity;
    std::chrono::steady_clock::time_point m_bodyWrittenAt;
    curl_off_t m_lastSent = 0;
    curl_off_t m_lastReceived = 0;
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
    } else if (failure) {
        block.errorCode = failure->code();
        block.errorText = failure->text();
        block.httpStatus = 0;
    }
    if (block.errorCode == 0) {
        if (block.httpStatus != 200) {
            block.errorCode = UploadHttpStatusNotOk;
            block.errorText = strFormat(nettext::HttpStatusError, block.httpStatus);
        }
    } else if (block.errorText.empty()) {
        block.errorText = strFormat(nettext::ErrorNumberTransfer, block.errorCode);
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
