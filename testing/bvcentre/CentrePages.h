#pragma once

#include "bvcentre/BillingCentre.h"

#include <optional>
#include <string>
#include <string_view>

namespace bv::testing {

// What a page of the web application is shown with: the query of its address and the centre's state.
struct PageContext
{
    std::string sessionId;             // query "session-id", carried on to the links of the page
    bool autoRun = false;              // query "auto=1": the page sets its status text once loaded
    std::optional<std::string> status; // query "status": replaces the status text the page sets
    std::string lastUpload;            // what the last accepted upload was, for the page after an upload
};

// The billing centre's web application: the HTML of the page /app/<name>, or nothing when there is none.
// Pages talk to the client by setting window.status to a command ("BV_SENDAD", "BV_CONFIG", ...).
std::optional<std::string> appPage(std::string_view name, const PageContext& context);

// The page answering a request file posted by the main window: what arrived, shown back.
std::string requestPage(const ReceivedRequest& request, bool sessionAlive);

} // namespace bv::testing
