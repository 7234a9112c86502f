#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bvcentre/InstallerImage.h"
#include "bvcentre/TestCertificates.h"

namespace bv::testing {

// One HTTP request as the billing centre received it.
struct ReceivedRequest
{
    std::string method;                              // "POST", "GET"
    std::string path;                                // "/login"
    std::string rawQuery;                            // text after "?", undecoded
    std::multimap<std::string, std::string> query;   // decoded query parameters
    std::multimap<std::string, std::string> headers; // names as received
    std::string body;                                // raw body bytes (for uploads: the file)
    std::multimap<std::string, std::string> form;    // decoded form fields of a form-encoded body
    std::string httpVersion;                         // "HTTP/1.0"
    std::filesystem::path bodyFile;                  // upload stored under Options::uploadDir (body then empty)
    std::uint64_t bodyLength = 0;                    // bytes received, also when stored in bodyFile
    bool bodyComplete = true;                        // false when the client stopped before Content-Length
};

// A scripted reply that replaces the normal answer of an endpoint.
struct ScriptedReply
{
    int status = 200;
    std::string body;
    std::string contentType = "text/plain; charset=iso-8859-1";
    std::chrono::milliseconds delayBeforeHeaders{0}; // slow server
    std::chrono::milliseconds delayPerChunk{0};      // slow body (chunks of 1 KB)
    std::optional<std::size_t> closeAfterBytes;      // broken reply: drop the connection after N body bytes
    bool closeWithoutReply = false;                  // drop the connection without any answer
    int times = -1;                                  // how many requests it answers; -1 = all following
    std::optional<std::string> rawResponse;          // bytes written as they are instead of an HTTP answer,
                                                     // then the connection is dropped (garbage replies)
};

struct Contract
{
    std::string number; // "123456"
    std::string name;
};

struct Account
{
    std::string user;
    std::string password;
    std::vector<Contract> contracts;
    std::vector<std::string> extraLoginLines; // appended to a successful login reply ("REG: ...", "MSG/INFO: ...")
    bool allowSendTest = false;
    bool locked = false; // answers BV_LOCKED
};

// A local billing centre: the billing centre's HTTP protocol on 127.0.0.1 for tests and the demo.
// Endpoints (paths relative to the base URL):
//   POST /login         login form (benutzer, passwort, ClientVersion, ...) -> keyword lines
//   POST /backup        backup server -> BV_BACKUPMSG / BV_LOGINREDIRECT / BV_DONOTHING lines
//   POST /alive         CurrentSessionId=<id> -> "1" while the session lives
//   POST /upload        billing-file upload (query vertnr, ean_party, stpnr, typ, session-id,
//                       nichtbuchen; test uploads: vertnr, stpnr, typ=TD, session-id, filename,
//                       longfilename) -> BV_SENDOK / BV_NEXTURL / BV_SESSIONEND
//   POST /request       request file posted by the main window (query vertnr, session-id, filename)
//   GET  /download/bv_setup.exe   installer download (size configurable, streamed)
//   GET  /app/...       web application pages that set window.status commands: start (links to all),
//                       send, config, popupprop, reg, sessionend (also ends the session named by its
//                       query session-id), logout, popup, popup-content, next; ?auto=1 sets the status
//                       once loaded as well as on the button, ?status=<text> replaces the status text
// Every request is recorded, including those answered by a script. Replies of the protocol endpoints are
// UTF-8 text. start() makes the process ignore SIGPIPE, so a client that hangs up cannot end it.
class BillingCentre
{
public:
    struct Options
    {
        std::string host = "127.0.0.1";
        int port = 0;                            // 0 picks a free port
        std::filesystem::path certFile, keyFile; // both set: HTTPS
        std::filesystem::path uploadDir;         // where upload bodies are stored (empty: memory only)
        bool controlEndpoints = false;           // serve /_control/... (the bvcentre program turns it on)
    };

    explicit BillingCentre(Options options);
    BillingCentre() : BillingCentre(Options{}) {}
    ~BillingCentre();
    BillingCentre(const BillingCentre&) = delete;
    BillingCentre& operator=(const BillingCentre&) = delete;

    // Starts listening on a background thread; false when the port cannot be bound.
    bool start();
    void stop();

    int port() const;
    std::string baseUrl() const; // "http://127.0.0.1:<port>" (https when TLS)
    std::string url(const std::string& path) const { return baseUrl() + path; }

    // Accounts and sessions.
    void addAccount(Account account);
    void expireSessions(); // every session ends: alive answers "0", uploads BV_SESSIONEND
    void expireSession(const std::string& id);
    std::vector<std::string> activeSessions() const;

    // Normal answers that tests may adjust.
    void setStartPath(const std::string& path);        // STARTURL of a login (default "/app/start")
    void setNextPath(const std::string& path);         // BV_NEXTURL after an upload (default "/app/next")
    void setSendOkMessage(const std::string& message); // text after BV_SENDOK (default "NOMSG")
    // Adds an AUTOUPDATE line to logins; "" = none. A value starting with "http://" or "https://" is sent as
    // it is; one starting with "/" gets the base URL in front; any other text is the question, sent after
    // the absolute URL of /download/bv_setup.exe.
    void setUpdateOffer(const std::string& autoupdateValue);
    void setInstallerSize(std::uint64_t bytes); // size of /download/bv_setup.exe (default 1 MB)
    // Body of /backup (default "BV_DONOTHING"); "BV_LOGINREDIRECT: /path" gets the base URL in front of the
    // path. Every POST path "/login" or "/login/..." answers as the login server.
    void setBackupReply(const std::string& lines);

    // Scripted replies for one endpoint path ("/login", "/upload", ...); they take precedence over
    // the normal answer, in the order added, each for its number of requests.
    void script(const std::string& path, ScriptedReply reply);
    void clearScripts();

    // What was received, in order of arrival.
    std::vector<ReceivedRequest> requests() const;
    std::vector<ReceivedRequest> requests(const std::string& path) const;
    void clearRequests();
    // Waits until at least n requests for the path arrived; false on time-out.
    bool waitForRequests(const std::string& path, std::size_t n, std::chrono::milliseconds timeout) const;
    // The recorded requests as the plain-text dump of GET /_control/requests.
    std::string requestDump() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace bv::testing
