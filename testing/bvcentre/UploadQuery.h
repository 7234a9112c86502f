#pragma once

#include "bvcentre/FormCodec.h"

#include <string>

namespace bv::testing {

// The first missing or malformed parameter of an upload query, empty when the query is sound. Billing
// uploads name the contract, the sender EAN, the batch, the type, the session and the booking flag; test
// uploads (typ TD) name the file instead of EAN and booking flag.
std::string uploadQueryFault(const FormFields& query);

} // namespace bv::testing
