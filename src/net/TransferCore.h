#pragma once

#include "net/CurlSession.h"
#include "net/MyInternetException.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace bv {

// The part that every exchange with the billing centre shares, whether a form post, a download or
// an upload: one libcurl handle driven step by step on the calling thread, so that between the
// library's steps a cancel request is taken at once and a stretch without a byte going out or coming
// in ends the exchange with the library's time-out (12002). A failure a callback meets is kept until
// the transfer has ended; a failed transfer is classified into the library's error number and the
// step of the routine it failed in, the number the routine's error reports carry.
class TransferCore
{
public:
    // What the routine on top decides.
    struct Hooks
    {
        // Tested between the library's steps; true stops the transfer on request there.
        std::function<bool()> cancelRequested;
        // A limit of the routine's own besides the idle watch has run out (ends with the time-out).
        std::function<bool()> overdue;
        // The routine's step for a failure with this library result and error number.
        std::function<int(CURLcode result, int code)> failureStep;
    };

    TransferCore(Hooks hooks, std::chrono::milliseconds idleTimeout, std::chrono::milliseconds pollInterval);
    TransferCore(const TransferCore&) = delete;
    TransferCore& operator=(const TransferCore&) = delete;

    // Checks the address like the system's URL parser and applies the settings every exchange shares;
    // throws with the library's number at the address step or at the session step.
    void open(const std::string& address, const std::string& agent, bool useProxy,
              std::chrono::milliseconds connectTimeout, int addressStep, int sessionStep);
    CurlSession& session() { return m_session; }
    CURL* handle() const { return m_session.handle(); }

    // From now on a stretch without any data going out or coming in counts against the idle limit.
    void watchIdle();
    // A callback's failure: the transfer ends and the failure is thrown once it has. The first counts.
    void fail(int code, int step);
    // A callback stopped the transfer on request.
    void stop() { m_stopped = true; }
    bool stopped() const { return m_stopped; }

    // Runs the transfer to its end. False when it was stopped on request; throws MyInternetException
    // for a failure, a callback's own before the library's.
    bool run(int sessionStep);

    // The HTTP status of the reply, 0 until known.
    long responseCode() const;

private:
    bool stalled();
    [[noreturn]] void throwFailure(CURLcode result, int code);

    Hooks m_hooks;
    std::chrono::milliseconds m_idleTimeout;
    std::chrono::milliseconds m_pollInterval;
    CurlSession m_session;
    std::optional<MyInternetException> m_failure;
    bool m_stopped = false;
    bool m_watchingIdle = false;
    std::chrono::steady_clock::time_point m_lastActivity;
    curl_off_t m_lastSent = 0;
    curl_off_t m_lastReceived = 0;
};

// The end of an exchange as its record keeps it. A failure keeps its number and the library's text;
// a number without text is worded by `wordNumber`; the HTTP status is then 0. An exchange that
// completed with a status other than 200 gets `httpStatusNotOk` and "L'erreur http %d est apparue ! ".
void recordOutcome(const MyInternetException* failure, int httpStatusNotOk,
                   const std::function<std::string(int code)>& wordNumber, int& errorCode, std::string& errorText,
                   int& httpStatus);

} // namespace bv
