#include "net/NetworkConnection.h"

#include "FakePorts.h"

#include <gtest/gtest.h>

using bv::ConnectionState;
using bv::MbIcon;
using bv::MbResult;

namespace {

class FakeProbe : public bv::NetworkProbe
{
public:
    ConnectionState query() const override
    {
        ++queries;
        if (states.size() > 1) {
            ConnectionState s = states.front();
            states.erase(states.begin());
            return s;
        }
        return states.empty() ? ConnectionState{} : states.front();
    }
    bool goOnline() const override
    {
        ++goOnlineCalls;
        return goOnlineResult;
    }

    mutable std::vector<ConnectionState> states;
    mutable int queries = 0;
    mutable int goOnlineCalls = 0;
    bool goOnlineResult = true;
};

class FakeDialUp : public bv::DialUp
{
public:
    int activeConnections(std::vector<Connection>& out) const override
    {
        out = connections;
        return listError;
    }
    std::uint32_t dial(const std::string& entryName) override
    {
        dialled.push_back(entryName);
        return dialHandle;
    }
    int hangUp(std::uint32_t handle) override
    {
        hungUp.push_back(handle);
        return hangUpError;
    }
    bool isKnown(std::uint32_t) const override { return knownFor-- > 0; }

    std::vector<Connection> connections;
    int listError = 0;
    std::uint32_t dialHandle = 0;
    int hangUpError = 0;
    mutable int knownFor = 0;
    std::vector<std::string> dialled;
    std::vector<std::uint32_t> hungUp;
};

struct NetworkConnectionTest : ::testing::Test
{
    NetworkConnectionTest()
    {
        settings.values["General/TechHotlineTel"] = "021 555 00 00";
        settings.values["General/DefaultRASName"] = "Swisscom";
    }

    bv::NetworkConnection make(const char* useLan)
    {
        settings.values["General/UseLan"] = useLan;
        bv::NetworkConnection connection(settings, boxes, probe, dialUp);
        connection.readSettings();
        connection.setHangUpWait(std::chrono::milliseconds(200));
        return connection;
    }

    bv::test::MemoryProfileStore settings;
    bv::test::RecordingBoxes boxes;
    FakeProbe probe;
    FakeDialUp dialUp;
};

} // namespace

TEST_F(NetworkConnectionTest, FirewallHintOnEveryLoginUntilOneSucceeded)
{
    auto connection = make("1");
    EXPECT_TRUE(connection.goOnline());
    EXPECT_TRUE(connection.goOnline());
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);
    EXPECT_EQ(boxes.boxes[0].caption, "brevalis");
    EXPECT_NE(boxes.boxes[0].text.find("\"Ja, Zugriff immer erlauben\""), std::string::npos);
    EXPECT_NE(boxes.boxes[0].text.find("brevalis-Hotline unter\nTelefon 021 555 00 00.\n"), std::string::npos);

    settings.values["General/LoginSuccess"] = "1";
    boxes.boxes.clear();
    EXPECT_TRUE(connection.goOnline());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(NetworkConnectionTest, OnNetworkNeverDialsEvenWithoutConnection)
{
    settings.values["General/LoginSuccess"] = "1";
    probe.states = {ConnectionState{}};
    auto connection = make("yes");
    EXPECT_TRUE(connection.onNetwork());
    EXPECT_TRUE(connection.goOnline());
    EXPECT_TRUE(dialUp.dialled.empty());

    dialUp.connections = {{7, "Swisscom"}};
    connection.hangUp(true);
    connection.hangUp(false);
    EXPECT_TRUE(dialUp.hungUp.empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(NetworkConnectionTest, OfflineStateAsksTheSystemToGoOnline)
{
    settings.values["General/LoginSuccess"] = "1";
    ConnectionState lanOffline;
    lanOffline.lan = true;
    lanOffline.connected = true;
    lanOffline.offline = true;
    probe.states = {lanOffline};
    auto connection = make("0");
    probe.goOnlineResult = false;
    EXPECT_FALSE(connection.goOnline());
    probe.goOnlineResult = true;
    EXPECT_TRUE(connection.goOnline());
    EXPECT_EQ(probe.goOnlineCalls, 2);
    EXPECT_TRUE(dialUp.dialled.empty());
}

TEST_F(NetworkConnectionTest, WithoutConnectionDialsTheRememberedEntryAndRemembersTheNewOne)
{
    settings.values["General/LoginSuccess"] = "1";
    ConnectionState modem;
    modem.modem = true;
    modem.connected = true;
    modem.name = "Sunrise";
    probe.states = {ConnectionState{}, modem};
    auto connection = make("0");

    dialUp.dialHandle = 0;
    EXPECT_FALSE(connection.goOnline());
    EXPECT_EQ(dialUp.dialled, std::vector<std::string>{"Swisscom"});

    probe.states = {ConnectionState{}, modem};
    dialUp.dialHandle = 42;
    EXPECT_TRUE(connection.goOnline());
    EXPECT_EQ(connection.dialUpEntry(), "Sunrise");
    EXPECT_EQ(settings.get("General/DefaultRASName"), "Sunrise");
}

TEST_F(NetworkConnectionTest, HangUpAsksOncePerRunWithoutAskingAlwaysHangsUp)
{
    auto connection = make("0");
    dialUp.connections = {{1, "Swisscom"}, {2, "Sunrise"}};
    boxes.answers = {MbResult::No, MbResult::Yes};
    connection.hangUp(true);
    EXPECT_EQ(dialUp.hungUp, std::vector<std::uint32_t>{2});
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Soll die Verbindung mit Swisscom getrennt werden?");
    EXPECT_EQ(boxes.boxes[0].buttons, bv::MbButtons::YesNo);

    connection.hangUp(true);
    EXPECT_EQ(dialUp.hungUp.size(), 1u);
    EXPECT_EQ(boxes.boxes.size(), 2u);

    connection.hangUp(false);
    EXPECT_EQ(dialUp.hungUp, (std::vector<std::uint32_t>{2, 1, 2}));
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST_F(NetworkConnectionTest, ListingAndHangUpErrorsAreShownAndTheWaitIsBounded)
{
    auto connection = make("0");
    dialUp.listError = 632;
    connection.hangUp(false);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Bei der Ermittlung der DFÜ-Verbindungen ist Fehler 632 aufgetreten.\n"
                                   "Bitte wenden Sie sich an die brevalis-Hotline unter 021 555 00 00.");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);

    dialUp.listError = 0;
    dialUp.connections = {{3, "Swisscom"}};
    dialUp.hangUpError = 668;
    dialUp.knownFor = 1000000; // a connection the system never forgets
    boxes.boxes.clear();
    const auto start = std::chrono::steady_clock::now();
    connection.hangUp(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Beim Trennen der DFÜ-Verbindung Swisscom ist der Fehler 668 aufgetreten.\n"
                                   "Bitte wenden Sie sich an die brevalis-Hotline unter 021 555 00 00.");
}
