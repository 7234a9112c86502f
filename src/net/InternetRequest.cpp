#include "net/InternetRequest.h"

#include "net/MyInternetException.h"
#include "net/NetTexts.h"
#include "net/TransferCore.h"
#include "net/WinInetErrors.h"
#include "platform/SystemErrors.h"
#include "platform/Text.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace bv {

namespace {

// Steps of the routine, kept as the line numbers the error reports carry.
constexpr int StepCrackUrl = 37;
constexpr int StepOpenSession = 54;
constexpr int StepSendRequest = 70;
constexpr int StepQueryStatus = 74;
constexpr int StepQueryLength = 75;
constexpr int StepReadData = 91;
constexpr int StepWriteFile = 95;

// The form post words code 2 as the system's browser working offline.
constexpr int OfflineCode = 2;

constexpr long ReceiveBufferSize = 256 * 1024;
constexpr long MaxRedirects = 10;
// How long the routine waits on the network at most before it looks at the cancel event again.
constexpr std::chrono::milliseconds CancelPollInterval{10};

// One transfer's state, shared with the library's callbacks.
class Transfer
{
public:
    Transfer(InternetRequest& request, bool download)
        : m_request(request), m_download(download),
          m_core({[this] { return cancelRequested(); }, nullptr,
                  [this](CURLcode rc, int code) { return failureStep(rc, code); }},
                 request.idleTimeout, CancelPollInterval)
    {}
    ~Transfer()
    {
        closeFile();
        if (m_headers)
            curl_slist_free_all(m_headers);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Runs the exchange; throws MyInternetException for the failing step.
    void run()
    {
        setUp();
        m_core.watchIdle();
        m_core.run(StepOpenSession);
        if (m_download) {
            if (!m_headersDone && !cancelled())
                headersComplete(); // an empty body: the file is still created
            if (m_failure)
                throw *m_failure;
            closeFile();
            if (m_fileError)
                throw MyInternetException(windowsFileError(m_fileError, FileAccess::Write), StepWriteFile);
            postProgress(100);
        }
        m_request.httpStatus = static_cast<int>(m_core.responseCode());
    }

    bool cancelled() const { return m_core.stopped(); }

private:
    void setUp()
    {
        m_core.open(m_request.address, m_request.agent, m_request.useProxy, m_request.connectTimeout, StepCrackUrl,
                    StepOpenSession);
        m_curl = m_core.handle();
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, MaxRedirects);
        set(CURLOPT_BUFFERSIZE, ReceiveBufferSize);
        if (!m_request.serverUser.empty() || !m_request.serverPassword.empty()) {
            set(CURLOPT_USERNAME, m_request.serverUser.c_str());
            set(CURLOPT_PASSWORD, m_request.serverPassword.c_str());
            set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        }
        set(CURLOPT_WRITEFUNCTION, &Transfer::onData);
        set(CURLOPT_WRITEDATA, static_cast<void*>(this));
        if (m_download) {
            set(CURLOPT_HTTPGET, 1L);
        } else {
            m_headers = curl_slist_append(m_headers, "Content-Type:application/x-www-form-urlencoded");
            set(CURLOPT_HTTPHEADER, m_headers);
            set(CURLOPT_POST, 1L);
            set(CURLOPT_POSTFIELDS, m_request.formBody.data());
            set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_request.formBody.size()));
        }
    }

    template <typename T> void set(CURLoption option, T value)
    {
        if (curl_easy_setopt(m_curl, option, value) != CURLE_OK)
            throw MyInternetException(wininet::InternalError, StepOpenSession);
    }

    static std::size_t onData(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<Transfer*>(self)->received(data, size * count);
    }

    // Only the download can be cancelled.
    bool cancelRequested() const { return m_download && m_request.cancelEvent && m_request.cancelEvent->isSet(); }

    std::size_t received(const char* data, std::size_t n)
    {
        if (!m_download) {
            if (m_request.reply.size() + n > m_request.maxReplyBytes) {
                m_core.fail(wininet::InvalidServerResponse, StepReadData);
                return 0;
            }
            m_request.reply.append(data, n);
            return n;
        }
        if (!m_headersDone) {
            headersComplete();
            if (m_failure)
                return 0;
        }
        if (cancelRequested()) {
            m_core.stop();
            return 0;
        }
        if (!writeAll(data, n))
            return 0;
        m_receivedBytes += static_cast<curl_off_t>(n);
        postProgress(percentOf(m_receivedBytes));
        return n;
    }

    // The download reads status and content length before it creates the target file.
    void headersComplete()
    {
        m_headersDone = true;
        curl_off_t length = -1;
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (length < 0) {
            fileFailure(wininet::HeaderNotFound, StepQueryLength);
            return;
        }
        m_contentLength = length;
        postProgress(0);
        m_fd = ::open(m_request.targetFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_fd < 0)
            fileFailure(windowsFileError(errno, FileAccess::Write), StepWriteFile);
    }

    bool writeAll(const char* data, std::size_t n)
    {
        while (n > 0) {
            const ssize_t written = ::write(m_fd, data, n);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                fileFailure(windowsFileError(errno, FileAccess::Write), StepWriteFile);
                return false;
            }
            data += written;
            n -= static_cast<std::size_t>(written);
        }
        return true;
    }

    // A failure of the download's header or file handling: it ends a running transfer, and one found
    // after the transfer is thrown by run() itself.
    void fileFailure(int code, int step)
    {
        m_failure.emplace(code, step);
        m_core.fail(code, step);
    }

    void closeFile()
    {
        if (m_fd >= 0) {
            if (::close(m_fd) != 0 && !m_fileError)
                m_fileError = errno;
            m_fd = -1;
        }
    }

    int percentOf(curl_off_t bytes) const
    {
        if (m_contentLength <= 0)
            return 100;
        return static_cast<int>(std::min<curl_off_t>(100, bytes * 100 / m_contentLength));
    }

    void postProgress(int percent)
    {
        if (percent == m_lastPercent)
            return;
        m_lastPercent = percent;
        if (m_request.progressWindow && m_request.onProgress) {
            auto progress = m_request.onProgress;
            m_request.progressWindow->post([progress, percent] { progress(percent); });
        }
    }

    // The step a failed transfer is reported at: before the reply's status is known the request
    // failed, after it the reading of the data.
    int failureStep(CURLcode rc, int code) const
    {
        const long status = m_core.responseCode();
        if (rc == CURLE_URL_MALFORMAT)
            return StepCrackUrl;
        if (code == wininet::InvalidServerResponse)
            return status != 0 ? StepReadData : StepQueryStatus;
        if (rc == CURLE_PARTIAL_FILE)
            return StepReadData;
        return status != 0 ? StepReadData : StepSendRequest;
    }

    InternetRequest& m_request;
    bool m_download;
    TransferCore m_core;
    CURL* m_curl = nullptr;
    curl_slist* m_headers = nullptr;
    // A failure of the download's own file handling, found after the transfer.
    std::optional<MyInternetException> m_failure;
    bool m_headersDone = false;
    curl_off_t m_contentLength = -1;
    curl_off_t m_receivedBytes = 0;
    int m_lastPercent = -1;
    int m_fd = -1;
    int m_fileError = 0;
};

void clearResults(InternetRequest& request)
{
    request.errorCode = 0;
    request.errorText.clear();
    request.httpStatus = 0;
    request.reply.clear();
}

// Words the result: a failed step keeps the library's text; a step without text is worded with its
// number, except that the form post names the offline state for code 2.
void storeOutcome(InternetRequest& request, const MyInternetException* failure, bool download)
{
    const auto wordNumber = [download](int code) -> std::string {
        if (download)
            return strFormat(nettext::ErrorNumberTransfer, code);
        if (code == OfflineCode)
            return nettext::BrowserOffline;
        return strFormat(nettext::ErrorNumber, code);
    };
    recordOutcome(failure, InternetRequest::HttpStatusNotOk, wordNumber, request.errorCode, request.errorText,
                  request.httpStatus);
}

void notifyCompleted(InternetRequest& request)
{
    if (request.notifyWindow && request.onCompleted)
        request.notifyWindow->post(request.onCompleted);
}

} // namespace

void runFormPost(InternetRequest& request)
{
    clearResults(request);
    std::optional<MyInternetException> failure;
    try {
        Transfer transfer(request, false);
        transfer.run();
    } catch (const MyInternetException& e) {
        failure = e;
    }
    storeOutcome(request, failure ? &*failure : nullptr, false);
    if (request.finishEvent)
        request.finishEvent->set();
    notifyCompleted(request);
}

void runDownload(InternetRequest& request)
{
    clearResults(request);
    std::optional<MyInternetException> failure;
    bool cancelled = false;
    try {
        Transfer transfer(request, true);
        try {
            transfer.run();
        } catch (...) {
            cancelled = transfer.cancelled();
            throw;
        }
        cancelled = transfer.cancelled();
    } catch (const MyInternetException& e) {
        failure = e;
    }
    storeOutcome(request, failure ? &*failure : nullptr, true);
    if (cancelled) {
        if (request.cancelEvent)
            request.cancelEvent->reset();
        if (request.stoppedEvent)
            request.stoppedEvent->set();
        return;
    }
    if (request.finishEvent)
        request.finishEvent->set();
    notifyCompleted(request);
}

} // namespace bv
