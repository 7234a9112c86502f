#include "bvcentre/ControlEndpoint.h"

#include "bvcentre/CentreTexts.h"

#include <charconv>
#include <limits>

namespace bv::testing {
namespace {

ControlAnswer refused(const std::string& why)
{
    return {400, std::string(texts::kBadControl) + why + "\n"};
}

bool readMilliseconds(const FormFields& form, const std::string& name, std::chrono::milliseconds& out,
                      std::string& error)
{
    const auto it = form.find(name);
    if (it == form.end()) {
        return true;
    }
    std::uint64_t value = 0;
    if (!parseUnsigned(it->second, value) || value > 3'600'000) {
        error = name;
        return false;
    }
    out = std::chrono::milliseconds(value);
    return true;
}

bool readFlag(const FormFields& form, const std::string& name, bool& out, std::string& error)
{
    const auto it = form.find(name);
    if (it == form.end()) {
        return true;
    }
    if (it->second != "0" && it->second != "1") {
        error = name;
        return false;
    }
    out = it->second == "1";
    return true;
}

ControlAnswer addScript(BillingCentre& centre, const FormFields& form)
{
    std::string path, error;
    ScriptedReply reply;
    if (!parseScriptForm(form, path, reply, error)) {
        return refused(error);
    }
    centre.script(path, std::move(reply));
    return {200, std::string(texts::kControlDone)};
}

ControlAnswer addAccount(BillingCentre& centre, const FormFields& form)
{
    std::string error;
    std::optional<Account> account = parseAccountPlan(formValue(form, "login"), error);
    if (!account) {
        return refused("login: " + error);
    }
    if (!readFlag(form, "allow-send-test", account->allowSendTest, error) ||
        !readFlag(form, "locked", account->locked, error)) {
        return refused(error);
    }
    const auto [first, last] = form.equal_range("line");
    for (auto it = first; it != last; ++it) {
        account->extraLoginLines.push_back(it->second);
    }
    centre.addAccount(std::move(*account));
    return {200, std::string(texts::kControlDone)};
}

ControlAnswer changeSettings(BillingCentre& centre, const FormFields& form)
{
    for (const auto& [name, value] : form) {
        if (name == "start-path" || name == "next-path") {
            if (value.empty() || value.front() != '/') {
                return refused(name);
            }
        } else if (name == "installer-size") {
            std::uint64_t size = 0;
            if (!parseUnsigned(value, size)) {
                return refused(name);
            }
        } else if (name != "sendok" && name != "update-offer" && name != "backup") {
            return refused(name);
        }
    }
    for (const auto& [name, value] : form) {
        if (name == "start-path") {
            centre.setStartPath(value);
        } else if (name == "next-path") {
            centre.setNextPath(value);
        } else if (name == "sendok") {
            centre.setSendOkMessage(value);
        } else if (name == "update-offer") {
            centre.setUpdateOffer(value);
        } else if (name == "backup") {
            centre.setBackupReply(value);
        } else {
            std::uint64_t size = 0;
            parseUnsigned(value, size);
            centre.setInstallerSize(size);
        }
    }
    return {200, std::string(texts::kControlDone)};
}

} // namespace

bool parseUnsigned(std::string_view text, std::uint64_t& value)
{
    if (text.empty() || text.front() == '+' || text.front() == '-') {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

std::optional<Account> parseAccountPlan(std::string_view text, std::string& error)
{
    Account account;
    const std::size_t userEnd = text.find(':');
    if (userEnd == std::string_view::npos || userEnd == 0) {
        error = "user:password expected";
        return std::nullopt;
    }
    account.user = std::string(text.substr(0, userEnd));
    std::string_view rest = text.substr(userEnd + 1);
    const std::size_t passwordEnd = rest.find(':');
    account.password = std::string(rest.substr(0, passwordEnd));
    if (passwordEnd == std::string_view::npos) {
        return account;
    }
    rest = rest.substr(passwordEnd + 1);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view entry = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        const std::size_t eq = entry.find('=');
        if (eq == 0 || eq == std::string_view::npos || entry.find('#') != std::string_view::npos) {
            error = "contract number=name expected";
            return std::nullopt;
        }
        account.contracts.push_back({std::string(entry.substr(0, eq)), std::string(entry.substr(eq + 1))});
    }
    return account;
}

bool parseScriptForm(const FormFields& form, std::string& path, ScriptedReply& reply, std::string& error)
{
    path = formValue(form, "path");
    if (path.empty() || path.front() != '/') {
        error = "path";
        return false;
    }
    reply = ScriptedReply{};
    if (const auto it = form.find("status"); it != form.end()) {
        std::uint64_t status = 0;
        if (!parseUnsigned(it->second, status) || status < 100 || status > 999) {
            error = "status";
            return false;
        }
        reply.status = static_cast<int>(status);
    }
    reply.body = formValue(form, "body");
    reply.contentType = formValue(form, "content-type", reply.contentType);
    if (!readMilliseconds(form, "delay", reply.delayBeforeHeaders, error) ||
        !readMilliseconds(form, "chunk-delay", reply.delayPerChunk, error) ||
        !readFlag(form, "close-without-reply", reply.closeWithoutReply, error)) {
        return false;
    }
    if (const auto it = form.find("close-after"); it != form.end()) {
        std::uint64_t bytes = 0;
        if (!parseUnsigned(it->second, bytes) || bytes > std::numeric_limits<std::size_t>::max() / 2) {
            error = "close-after";
            return false;
        }
        reply.closeAfterBytes = static_cast<std::size_t>(bytes);
    }
    if (const auto it = form.find("raw"); it != form.end()) {
        reply.rawResponse = it->second;
    }
    if (const auto it = form.find("times"); it != form.end()) {
        std::uint64_t times = 0;
        if (it->second == "-1") {
            reply.times = -1;
        } else if (parseUnsigned(it->second, times) && times <= 1'000'000) {
            reply.times = static_cast<int>(times);
        } else {
            error = "times";
            return false;
        }
    }
    return true;
}

ControlAnswer handleControl(BillingCentre& centre, std::string_view name, const std::string& method,
                            const FormFields& form)
{
    const bool post = method == "POST";
    if (name == "requests" && !post) {
        return {200, centre.requestDump()};
    }
    if (name == "sessions" && !post) {
        std::string list;
        for (const std::string& id : centre.activeSessions()) {
            list += id + "\n";
        }
        return {200, list};
    }
    if (!post) {
        return {405, std::string(texts::kBadControl) + std::string(name) + "\n"};
    }
    if (name == "script") {
        return addScript(centre, form);
    }
    if (name == "expire") {
        const std::string id = formValue(form, "session");
        id.empty() ? centre.expireSessions() : centre.expireSession(id);
        return {200, std::string(texts::kControlDone)};
    }
    if (name == "clear") {
        centre.clearRequests();
        centre.clearScripts();
        return {200, std::string(texts::kControlDone)};
    }
    if (name == "account") {
        return addAccount(centre, form);
    }
    if (name == "settings") {
        return changeSettings(centre, form);
    }
    return {404, std::string(texts::kBadControl) + std::string(name) + "\n"};
}

} // namespace bv::testing
