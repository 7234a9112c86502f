#include "bvcentre/BillingCentre.h"

#include "bvcentre/CentrePages.h"
#include "bvcentre/CentreTexts.h"
#include "bvcentre/ConnectionControl.h"
#include "bvcentre/ControlEndpoint.h"
#include "bvcentre/FormCodec.h"
#include "bvcentre/RequestJournal.h"
#include "bvcentre/ScriptBook.h"
#include "bvcentre/UploadFile.h"
#include "bvcentre/UploadQuery.h"

#include <httplib.h>

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>

namespace bv::testing {
namespace {

constexpr std::size_t kChunk = 1024;                // piece of a slow or broken scripted reply
constexpr std::size_t kInstallerChunk = 256 * 1024; // piece of the installer download
constexpr std::size_t kShownBody = 64 * 1024;       // request bytes the request page shows back
constexpr std::size_t kWorkers = 16;

// Headers that cpp-httplib adds to a request itself; they did not come from the client.
constexpr std::array<std::string_view, 4> kServerHeaders{"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR", "LOCAL_PORT"};

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string withQuery(const std::string& url, const std::string& name, const std::string& value)
{
    return url + (url.find('?') == std::string::npos ? "?" : "&") + name + "=" + formEncode(value);
}

std::string hexId(std::mt19937_64& random)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string id;
    for (int part = 0; part < 2; ++part) {
        std::uint64_t bits = random();
        for (int i = 0; i < 16; ++i, bits >>= 4) {
            id += kDigits[bits & 0xF];
        }
    }
    return id;
}

} // namespace

struct BillingCentre::Impl
{
    Impl(BillingCentre& owner, Options options) : owner(owner), options(std::move(options)) {}

    BillingCentre& owner;
    Options options;
    std::unique_ptr<httplib::Server> server;
    std::thread listener;
    std::atomic<bool> listenerDone{false};
    int port = 0;

    RequestJournal journal;
    ScriptBook scripts;

    mutable std::mutex mutex; // guards the members below
    std::map<std::string, Account> accounts;
    std::map<std::string, std::string> sessions; // live session id -> user
    std::string startPath = "/app/start";
    std::string nextPath = "/app/next";
    std::string sendOkMessage{texts::kSendOkDefault};
    std::string updateOffer;
    std::string backupReply{texts::kBackupDefault};
    std::uint64_t installerSize = 1024 * 1024;
    std::string lastUpload;
    std::mt19937_64 random{std::random_device{}()};

    std::mutex stopMutex;
    std::condition_variable stopSignal;
    bool stopping = false;

    std::string baseUrl() const
    {
        const bool tls = !options.certFile.empty() && !options.keyFile.empty();
        return std::string(tls ? "https://" : "http://") + options.host + ":" + std::to_string(port);
    }

    std::string absolute(const std::string& path) const { return baseUrl() + path; }

    // Waits for the given time; false when the centre is stopping meanwhile.
    bool pause(std::chrono::milliseconds duration)
    {
        std::unique_lock lock(stopMutex);
        return !stopSignal.wait_for(lock, duration, [&] { return stopping; });
    }

    void handle(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader* reader);
    ReceivedRequest describe(const httplib::Request& req) const;
    void readBody(const httplib::Request& req, const httplib::ContentReader& reader, ReceivedRequest& received);
    void control(const httplib::Request& req, httplib::Response& res, const ReceivedRequest& received);
    void applyScript(const ScriptedReply& script, const httplib::Request& req, httplib::Response& res);
    void answer(const ReceivedRequest& received, httplib::Response& res);

    std::string login(const ReceivedRequest& received);
    std::string backup() const;
    std::string alive(const ReceivedRequest& received) const;
    void upload(const ReceivedRequest& received, httplib::Response& res);
    void installer(httplib::Response& res);
    std::string page(const ReceivedRequest& received) const;
};

ReceivedRequest BillingCentre::Impl::describe(const httplib::Request& req) const
{
    ReceivedRequest received;
    received.method = req.method;
    received.path = req.path;
    const std::size_t question = req.target.find('?');
    if (question != std::string::npos) {
        received.rawQuery = req.target.substr(question + 1);
    }
    received.query = parseForm(received.rawQuery);
    for (const auto& [name, value] : req.headers) {
        if (std::find(kServerHeaders.begin(), kServerHeaders.end(), name) == kServerHeaders.end()) {
            received.headers.emplace(name, value);
        }
    }
    received.httpVersion = req.version;
    return received;
}

void BillingCentre::Impl::readBody(const httplib::Request& req, const httplib::ContentReader& reader,
                                   ReceivedRequest& received)
{
    if (req.is_multipart_form_data()) {
        std::string part;
        received.bodyComplete = reader(
            [&](const httplib::MultipartFormData& header) {
                part = header.name;
                return true;
            },
            [&](const char* data, std::size_t length) {
                received.body.append(data, length);
                received.form.emplace(part, std::string(data, length));
                received.bodyLength += length;
                return true;
            });
        return;
    }
    const bool toFile = req.path == "/upload" && !options.uploadDir.empty();
    UploadFile file;
    bool written = !toFile || file.open(options.uploadDir);
    received.bodyComplete = reader([&](const char* data, std::size_t length) {
        received.bodyLength += length;
        if (toFile) {
            written = written && file.write(data, length);
        } else {
            received.body.append(data, length);
        }
        return true;
    });
    if (toFile) {
        received.bodyFile = file.finish(received.bodyComplete && written);
    }
    const std::string type = req.get_header_value("Content-Type");
    if (!toFile && startsWith(type, "application/x-www-form-urlencoded")) {
        received.form = parseForm(received.body);
    }
}

void BillingCentre::Impl::handle(const httplib::Request& req, httplib::Response& res,
                                 const httplib::ContentReader* reader)
{
    ReceivedRequest received = describe(req);
    if (reader != nullptr) {
        readBody(req, *reader, received);
    }
    if (options.controlEndpoints && startsWith(req.path, "/_control/")) {
        control(req, res, received);
        return;
    }
    // The journal keeps the body; the answer needs at most what the request page shows back, so a large
    // body is not copied.
    std::string body = std::move(received.body);
    ReceivedRequest view = received;
    view.body = body.substr(0, kShownBody);
    received.body = std::move(body);
    journal.add(std::move(received));
    if (const std::optional<ScriptedReply> script = scripts.take(req.path)) {
        applyScript(*script, req, res);
        return;
    }
    answer(view, res);
}

void BillingCentre::Impl::control(const httplib::Request& req, httplib::Response& res, const ReceivedRequest& received)
{
    FormFields fields = received.form;
    fields.insert(received.query.begin(), received.query.end());
    const ControlAnswer result = handleControl(
        owner, std::string_view(req.path).substr(std::string_view("/_control/").size()), req.method, fields);
    res.status = result.status;
    res.set_content(result.body, std::string(texts::kPlainText));
}

void BillingCentre::Impl::applyScript(const ScriptedReply& script, const httplib::Request& req, httplib::Response& res)
{
    if (script.delayBeforeHeaders.count() > 0 && !pause(script.delayBeforeHeaders)) {
        dropConnection(req);
        return;
    }
    if (script.closeWithoutReply) {
        dropConnection(req);
        return;
    }
    if (script.rawResponse) {
        writeRaw(req, *script.rawResponse);
        dropConnection(req);
        return;
    }
    res.status = script.status;
    // A slow or broken body is written in pieces through a provider that may stop early. A broken reply
    // promises at least one byte more than it sends; bytes beyond the scripted body are blanks.
    const std::size_t cut = script.closeAfterBytes.value_or(script.body.size());
    const std::size_t promised = script.closeAfterBytes ? std::max(script.body.size(), cut + 1) : script.body.size();
    if ((script.delayPerChunk.count() == 0 && !script.closeAfterBytes) || promised == 0) {
        res.set_content(script.body, script.contentType);
        return;
    }
    const std::string body = script.body;
    const auto delay = script.delayPerChunk;
    res.set_content_provider(promised, script.contentType,
                             [this, body, cut, delay, &req](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                 if (offset >= cut) {
                                     dropConnection(req);
                                     return false;
                                 }
                                 if (offset > 0 && delay.count() > 0 && !pause(delay)) {
                                     return false;
                                 }
                                 const std::size_t length = std::min(kChunk, cut - offset);
                                 std::string piece = offset < body.size() ? body.substr(offset, length) : std::string{};
                                 piece.resize(length, ' ');
                                 return sink.write(piece.data(), piece.size());
                             });
}

void BillingCentre::Impl::answer(const ReceivedRequest& received, httplib::Response& res)
{
    const std::string& path = received.path;
    const auto text = [&](int status, const std::string& body) {
        res.status = status;
        res.set_content(body, std::string(texts::kPlainText));
    };
    if (path == "/login" || startsWith(path, "/login/")) {
        text(200, login(received));
    } else if (path == "/backup") {
        text(200, backup());
    } else if (path == "/alive") {
        text(200, alive(received));
    } else if (path == "/upload") {
        upload(received, res);
    } else if (path == "/request") {
        std::lock_guard lock(mutex);
        const bool known = sessions.count(formValue(received.query, "session-id")) == 1;
        res.set_content(requestPage(received, known), std::string(texts::kHtml));
    } else if (path == "/download/bv_setup.exe") {
        installer(res);
    } else if (path == "/" || path == "/app" || startsWith(path, "/app/")) {
        const std::string html = page(received);
        if (html.empty()) {
            text(404, std::string(texts::kNotFound) + path + "\n");
        } else {
            res.set_content(html, std::string(texts::kHtml));
        }
    } else {
        text(404, std::string(texts::kNotFound) + path + "\n");
    }
}

std::string BillingCentre::Impl::login(const ReceivedRequest& received)
{
    const std::string user = formValue(received.form, "benutzer");
    const std::string password = formValue(received.form, "passwort");
    std::lock_guard lock(mutex);
    const auto account = accounts.find(user);
    if (account != accounts.end() && account->second.locked) {
        return "BV_LOCKED: " + std::string(texts::kAccountLocked) + "\r\n";
    }
    if (account == accounts.end() || received.form.count("passwort") == 0 || account->second.password != password) {
        return "LOGINNOTOK: " + std::string(texts::kLoginRefused) + "\r\n";
    }
    const std::string id = hexId(random);
    sessions[id] = user;
    std::string reply = "SESSIONID: " + id + "\r\n";
    reply += "STARTURL: " + withQuery(absolute(startPath), "session-id", id) + "\r\n";
    // The billing centre tells the client where its services are, as remote writes into the profile.
    reply += "REG: Abrechnungsversand/URL=" + absolute("/upload") + "\r\n";
    reply += "REG: Abrechnungsversand/AliveURL=" + absolute("/alive") + "\r\n";
    reply += "REG: General/RequestURL=" + absolute("/request") + "\r\n";
    if (!account->second.contracts.empty()) {
        std::string list;
        for (const Contract& contract : account->second.contracts) {
            list += (list.empty() ? "" : "#") + contract.number + "=" + contract.name;
        }
        reply += "VERTLIST: " + list + "\r\n";
    }
    if (account->second.allowSendTest) {
        reply += "ALLOWSENDTEST\r\n";
    }
    for (const std::string& line : account->second.extraLoginLines) {
        reply += line + "\r\n";
    }
    if (!updateOffer.empty()) {
        std::string value = updateOffer;
        if (startsWith(value, "/")) {
            value = absolute(value);
        } else if (!startsWith(value, "http://") && !startsWith(value, "https://")) {
            value = absolute("/download/bv_setup.exe") + " " + value;
        }
        reply += "AUTOUPDATE: " + value + "\r\n";
    }
    return reply;
}

std::string BillingCentre::Impl::backup() const
{
    std::string lines;
    {
        std::lock_guard lock(mutex);
        lines = backupReply;
    }
    // A redirect to a path of this centre becomes an absolute address, as the client posts to it as is.
    constexpr std::string_view kRedirect = "BV_LOGINREDIRECT: /";
    std::string reply;
    std::size_t start = 0;
    while (start <= lines.size()) {
        const std::size_t end = lines.find('\n', start);
        std::string line = lines.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (startsWith(line, kRedirect)) {
            line = "BV_LOGINREDIRECT: " + absolute(line.substr(kRedirect.size() - 1));
        }
        if (!line.empty() || end != std::string::npos) {
            reply += line + "\r\n";
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return reply;
}

std::string BillingCentre::Impl::alive(const ReceivedRequest& received) const
{
    const std::string id = formValue(received.form, "CurrentSessionId");
    std::lock_guard lock(mutex);
    return !id.empty() && sessions.count(id) == 1 ? "1" : "0";
}

void BillingCentre::Impl::upload(const ReceivedRequest& received, httplib::Response& res)
{
    const std::string fault = uploadQueryFault(received.query);
    if (!fault.empty()) {
        res.status = 400;
        res.set_content(std::string(texts::kBadUploadQuery) + fault + "\n", std::string(texts::kPlainText));
        return;
    }
    if (!options.uploadDir.empty() && received.bodyFile.empty()) {
        // The file could not be stored: never confirm what the centre does not have.
        res.status = 500;
        res.set_content(std::string(texts::kUploadNotStored) + "\n", std::string(texts::kPlainText));
        return;
    }
    std::lock_guard lock(mutex);
    if (sessions.count(formValue(received.query, "session-id")) == 0) {
        res.set_content("BV_SESSIONEND\r\n", std::string(texts::kPlainText));
        return;
    }
    lastUpload = formValue(received.query, "typ") + " " + formValue(received.query, "vertnr") + "/" +
                 formValue(received.query, "stpnr") + ", " + std::to_string(received.bodyLength) + " octets";
    res.set_content("BV_SENDOK: " + sendOkMessage + "\r\nBV_NEXTURL: " + absolute(nextPath) + "\r\n",
                    std::string(texts::kPlainText));
}

void BillingCentre::Impl::installer(httplib::Response& res)
{
    std::uint64_t size = 0;
    {
        std::lock_guard lock(mutex);
        size = installerSize;
    }
    if (size == 0) {
        res.set_content(std::string{}, std::string(texts::kInstallerType));
        return;
    }
    res.set_content_provider(static_cast<std::size_t>(size), std::string(texts::kInstallerType),
                             [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 std::array<char, kInstallerChunk> buffer;
                                 const std::size_t piece = std::min(length, buffer.size());
                                 fillInstallerBytes(offset, buffer.data(), piece);
                                 return sink.write(buffer.data(), piece);
                             });
}

std::string BillingCentre::Impl::page(const ReceivedRequest& received) const
{
    PageContext context;
    context.sessionId = formValue(received.query, "session-id");
    context.autoRun = formValue(received.query, "auto") == "1";
    if (received.query.count("status") > 0) {
        context.status = formValue(received.query, "status");
    }
    {
        std::lock_guard lock(mutex);
        context.lastUpload = lastUpload;
    }
    std::string_view name = received.path;
    name = startsWith(name, "/app/") ? name.substr(5) : std::string_view{};
    if (name == "sessionend" && !context.sessionId.empty()) {
        owner.expireSession(context.sessionId); // the web application ends the session it reports ended
    }
    return appPage(name, context).value_or(std::string{});
}

BillingCentre::BillingCentre(Options options) : m_impl(std::make_unique<Impl>(*this, std::move(options))) {}

BillingCentre::~BillingCentre()
{
    stop();
}

bool BillingCentre::start()
{
    if (m_impl->server) {
        return false;
    }
    // A client that hangs up while the centre writes must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    const Options& options = m_impl->options;
    std::unique_ptr<httplib::Server> server;
    if (!options.certFile.empty() && !options.keyFile.empty()) {
        server = std::make_unique<httplib::SSLServer>(options.certFile.c_str(), options.keyFile.c_str());
    } else {
        server = std::make_unique<httplib::Server>();
    }
    if (!server->is_valid()) {
        return false;
    }
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // cpp-httplib would also set SO_REUSEPORT, which lets a second centre share a port that is taken.
    server->set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server->set_tcp_nodelay(true); // headers and body leave in separate writes: no waiting for an ACK
    server->set_keep_alive_timeout(2);
    server->set_read_timeout(30);
    server->set_write_timeout(30);
    Impl* impl = m_impl.get();
    server->Get(".*", [impl](const httplib::Request& req, httplib::Response& res) { impl->handle(req, res, nullptr); });
    const auto withBody = [impl](const httplib::Request& req, httplib::Response& res,
                                 const httplib::ContentReader& reader) { impl->handle(req, res, &reader); };
    server->Post(".*", withBody);
    server->Put(".*", withBody);
    const int port = options.port == 0 ? server->bind_to_any_port(options.host)
                                       : (server->bind_to_port(options.host, options.port) ? options.port : -1);
    if (port <= 0) {
        return false;
    }
    {
        std::lock_guard lock(m_impl->stopMutex);
        m_impl->stopping = false;
    }
    m_impl->port = port;
    m_impl->server = std::move(server);
    impl->listenerDone = false;
    m_impl->listener = std::thread([impl] {
        impl->server->listen_after_bind();
        impl->listenerDone = true;
    });
    // cpp-httplib's stop() only works once the listener runs; until then it would do nothing and the
    // listener would block in accept() for good.
    while (!m_impl->server->is_running() && !impl->listenerDone) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void BillingCentre::stop()
{
    if (!m_impl->server) {
        return;
    }
    {
        std::lock_guard lock(m_impl->stopMutex);
        m_impl->stopping = true;
    }
    m_impl->stopSignal.notify_all();
    m_impl->server->stop();
    if (m_impl->listener.joinable()) {
        m_impl->listener.join();
    }
    m_impl->server.reset();
}

int BillingCentre::port() const
{
    return m_impl->port;
}

std::string BillingCentre::baseUrl() const
{
    return m_impl->baseUrl();
}

void BillingCentre::addAccount(Account account)
{
    std::lock_guard lock(m_impl->mutex);
    const std::string user = account.user;
    m_impl->accounts[user] = std::move(account);
}

void BillingCentre::expireSessions()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->sessions.clear();
}

void BillingCentre::expireSession(const std::string& id)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->sessions.erase(id);
}

std::vector<std::string> BillingCentre::activeSessions() const
{
    std::lock_guard lock(m_impl->mutex);
    std::vector<std::string> ids;
    for (const auto& entry : m_impl->sessions) {
        ids.push_back(entry.first);
    }
    return ids;
}

void BillingCentre::setStartPath(const std::string& path)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->startPath = path;
}

void BillingCentre::setNextPath(const std::string& path)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->nextPath = path;
}

void BillingCentre::setSendOkMessage(const std::string& message)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->sendOkMessage = message;
}

void BillingCentre::setUpdateOffer(const std::string& autoupdateValue)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->updateOffer = autoupdateValue;
}

void BillingCentre::setInstallerSize(std::uint64_t bytes)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->installerSize = bytes;
}

void BillingCentre::setBackupReply(const std::string& lines)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->backupReply = lines;
}

void BillingCentre::script(const std::string& path, ScriptedReply reply)
{
    m_impl->scripts.add(path, std::move(reply));
}

void BillingCentre::clearScripts()
{
    m_impl->scripts.clear();
}

std::vector<ReceivedRequest> BillingCentre::requests() const
{
    return m_impl->journal.all();
}

std::vector<ReceivedRequest> BillingCentre::requests(const std::string& path) const
{
    return m_impl->journal.forPath(path);
}

void BillingCentre::clearRequests()
{
    m_impl->journal.clear();
}

bool BillingCentre::waitForRequests(const std::string& path, std::size_t n, std::chrono::milliseconds timeout) const
{
    return m_impl->journal.waitFor(path, n, timeout);
}

std::string BillingCentre::requestDump() const
{
    return m_impl->journal.dump();
}

} // namespace bv::testing
