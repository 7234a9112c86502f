#include "net/TransferCore.h"

#include "net/NetTexts.h"
#include "net/WinInetErrors.h"
#include "platform/Text.h"

namespace bv {

namespace {

// One multi handle driving one transfer, so that the thread can look at the cancel request while
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

} // namespace

TransferCore::TransferCore(Hooks hooks, std::chrono::milliseconds idleTimeout, std::chrono::milliseconds pollInterval)
    : m_hooks(std::move(hooks)), m_idleTimeout(idleTimeout), m_pollInterval(pollInterval)
{}

void TransferCore::open(const std::string& address, const std::string& agent, bool useProxy,
                        std::chrono::milliseconds connectTimeout, int addressStep, int sessionStep)
{
    if (const int fault = CurlSession::addressFault(address))
        throw MyInternetException(fault, addressStep);
    if (!m_session.valid() || !m_session.configure(address, agent, useProxy, connectTimeout))
        throw MyInternetException(wininet::InternalError, sessionStep);
}

void TransferCore::watchIdle()
{
    m_watchingIdle = true;
    m_lastActivity = std::chrono::steady_clock::now();
}

void TransferCore::fail(int code, int step)
{
    if (!m_failure)
        m_failure.emplace(code, step);
}

bool TransferCore::run(int sessionStep)
{
    MultiHandle multi(m_session.handle());
    if (!multi.valid())
        throw MyInternetException(wininet::InternalError, sessionStep);
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            throwFailure(CURLE_FAILED_INIT, wininet::InternalError);
        if (running == 0) {
            int left = 0;
            const CURLMsg* message = curl_multi_info_read(multi.get(), &left);
            result = message && message->msg == CURLMSG_DONE ? message->data.result : CURLE_RECV_ERROR;
            break;
        }
        if (!m_stopped && m_hooks.cancelRequested && m_hooks.cancelRequested())
            m_stopped = true;
        if (m_stopped)
            return false;
        if (stalled() || (m_hooks.overdue && m_hooks.overdue()))
            throwFailure(CURLE_OPERATION_TIMEDOUT, wininet::Timeout);
        curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(m_pollInterval.count()), nullptr);
    }
    if (m_stopped)
        return false;
    if (m_failure)
        throw *m_failure;
    if (result != CURLE_OK)
        throwFailure(result, m_session.errorNumber(result));
    return true;
}

long TransferCore::responseCode() const
{
    long status = 0;
    curl_easy_getinfo(m_session.handle(), CURLINFO_RESPONSE_CODE, &status);
    return status;
}

bool TransferCore::stalled()
{
    if (!m_watchingIdle)
        return false;
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
    return now - m_lastActivity >= m_idleTimeout;
}

void TransferCore::throwFailure(CURLcode result, int code)
{
    throw MyInternetException(code, m_hooks.failureStep(result, code));
}

void recordOutcome(const MyInternetException* failure, int httpStatusNotOk,
                   const std::function<std::string(int code)>& wordNumber, int& errorCode, std::string& errorText,
                   int& httpStatus)
{
    if (!failure) {
        if (httpStatus != 200) {
            errorCode = httpStatusNotOk;
            errorText = strFormat(nettext::HttpStatusError, httpStatus);
        }
        return;
    }
    httpStatus = 0;
    errorCode = failure->code();
    errorText = failure->text();
    if (errorText.empty())
        errorText = wordNumber(failure->code());
}

} // namespace bv
