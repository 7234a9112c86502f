#pragma once

#include "bvcentre/BillingCentre.h"
#include "bvcentre/FormCodec.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bv::testing {

struct ControlAnswer
{
    int status = 200;
    std::string body;
};

// The remote control of a running centre for shell-driven tests and the demo (/_control/<name>):
//   POST script    path, status, body, content-type, delay, chunk-delay, close-after, close-without-reply,
//                  raw, times: a scripted reply for path
//   POST expire    [session]: ends that session, or every session
//   POST clear     forgets the recorded requests and the scripts
//   POST account   login "user:password[:number=name,...]", allow-send-test, locked, line (repeatable)
//   POST settings  start-path, next-path, sendok, update-offer, installer-size, backup
//   GET  requests  the plain-text dump of the recorded requests
//   GET  sessions  the live session ids, one a line
ControlAnswer handleControl(BillingCentre& centre, std::string_view name, const std::string& method,
                            const FormFields& form);

// Reads an account written "user:password[:number=name[,number=name...]]".
std::optional<Account> parseAccountPlan(std::string_view text, std::string& error);

// Reads the fields of POST /_control/script.
bool parseScriptForm(const FormFields& form, std::string& path, ScriptedReply& reply, std::string& error);

// A whole unsigned decimal number, nothing before or after it.
bool parseUnsigned(std::string_view text, std::uint64_t& value);

} // namespace bv::testing
