// Login round trip against a local billing centre on loopback, without the dialog: the login post
// over the request layer and the handling of the reply. Prints the median and the 90th percentile.
#include "bvcentre/BillingCentre.h"
#include "net/ContractList.h"
#include "net/InternetRequest.h"
#include "net/LoginParameters.h"
#include "net/LoginReplyHandler.h"
#include "net/SessionRecord.h"
#include "config/ProfileStore.h"
#include "platform/MessageBoxes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

namespace {

class SilentBoxes : public bv::MessageBoxes
{
public:
    using MessageBoxes::show;
    bv::MbResult show(const std::string&, const std::string&, bv::MbIcon, bv::MbButtons, bv::MbResult d) override
    {
        return d;
    }
};

class MemorySettings : public bv::ProfileStore
{
public:
    using ProfileStore::exists;
    using ProfileStore::readInt;
    using ProfileStore::writeInt;
    std::string readString(const std::string&, const std::string&, const std::string& d) const override { return d; }
    int readInt(const std::string&, const std::string&, int d) const override { return d; }
    bool exists(const std::string&, const std::string&) const override { return false; }
    bool writeString(const std::string&, const std::string&, const std::string&) override { return true; }
    bool writeInt(const std::string&, const std::string&, int) override { return true; }
};

void loginRoundTrip(benchmark::State& state)
{
    bv::testing::BillingCentre centre;
    centre.start();
    centre.addAccount(
        {"dupont", "geheim", {{"123456", "Cabinet Dupont"}, {"000042", "Laboratoire"}}, {}, false, false});
    MemorySettings settings;
    SilentBoxes boxes;
    const bv::LoginEnvironment environment{"1.5.1 (Build 1051) CH-FR", "6.4.2/102.0.5005.177", "Linux", "FRZ", "LAN"};
    const std::string parameters = bv::buildLoginParameters(environment, "CMA", settings);

    std::vector<double> millis;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bv::InternetRequest request;
        request.address = centre.url("/login");
        request.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
        request.formBody = bv::buildLoginBody("dupont", "geheim", parameters);
        bv::runFormPost(request);
        bv::SessionRecord session;
        bv::ContractList contracts;
        bv::LoginReplyHandler handler(session, contracts, boxes, settings, {});
        handler.handle(request.reply);
        millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!session.loggedIn) {
            state.SkipWithError("login failed");
            break;
        }
    }
    if (millis.empty())
        return;
    std::sort(millis.begin(), millis.end());
    state.counters["median_ms"] = millis[millis.size() / 2];
    state.counters["p90_ms"] = millis[millis.size() * 9 / 10];
    state.counters["logins_received"] = static_cast<double>(centre.requests("/login").size());
}

} // namespace

BENCHMARK(loginRoundTrip)->Iterations(300)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
