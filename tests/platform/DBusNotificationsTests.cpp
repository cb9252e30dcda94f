// Distributed notifications as D-Bus signals on a private bus daemon: what a post puts on
// the wire, and what an observer makes of signals other programs send.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "../SessionBus.h"
#include "../SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/DBusNotifications.h"

namespace orvane {
namespace {

using platform::Dictionary;
using platform::Value;
using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;

constexpr const char* commandName = "app.orvane.command";

class DBusNotificationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<testing::SessionBus>(testing::freshDirectory("notifications"));
        ORVANE_REQUIRE_TOOL(bus->error());
        scheduler = std::make_shared<platform::FakeScheduler>();
        receiver = platform::linuxsys::connectBusNotifications(bus->address(), scheduler);
        ASSERT_TRUE(receiver);
        observation =
            receiver->observe(commandName, [this](const std::optional<Dictionary>& info) { received.push_back(info); });
        ASSERT_TRUE(observation);
        DBusError error;
        raw = DBusConnection::connect(bus->address(), error);
        ASSERT_TRUE(raw) << error.message;
        // The match is in place once the bus has answered a round trip on that connection.
        waitFor(0, std::chrono::milliseconds(50));
    }

    // Runs the receiver's loop until `count` notifications arrived or the time is up.
    void waitFor(std::size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (received.size() < count || count == 0) {
            scheduler->runPending();
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    template <class... A>
    void emit(const char* member, const char* types, A... args) {
        ASSERT_FALSE(raw->emitSignal("/app/orvane", "app.orvane", member, types, args...));
        ASSERT_FALSE(raw->processPending());
    }

    std::unique_ptr<testing::SessionBus> bus;
    std::shared_ptr<platform::FakeScheduler> scheduler;
    std::shared_ptr<platform::DistributedNotifications> receiver;
    platform::Handle observation;
    std::unique_ptr<DBusConnection> raw;
    std::vector<std::optional<Dictionary>> received;
};

TEST_F(DBusNotificationsTest, APostReachesEveryObserverAsTheSignalCommand) {
    // A one-shot poster: no loop, and the signal is on the wire when post returns.
    auto poster = platform::linuxsys::connectBusNotifications(bus->address(), nullptr);
    ASSERT_TRUE(poster);
    const Dictionary info{{"cmd", "set"}, {"kelvin", "2700"}, {"name", "Candle \"Light\" ☕"}};
    poster->post(commandName, info);
    poster.reset();
    waitFor(1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], info);

    // Other names are other signals.
    poster = platform::linuxsys::connectBusNotifications(bus->address(), nullptr);
    poster->post("app.orvane.other", Dictionary{{"cmd", "toggle"}});
    receiver->post(commandName, Dictionary{{"cmd", "toggle"}});  // the poster hears itself too
    waitFor(2);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1], (Dictionary{{"cmd", "toggle"}}));
}

TEST_F(DBusNotificationsTest, OnlyStringVariantsAreStringsAndOtherBodiesAreNoDictionary) {
    emit("command", "a{sv}", 2, "cmd", "s", "set", "kelvin", "i", 2700);
    emit("command", "s", "cmd=toggle");
    emit("command", "a{sv}", 2, "cmd", "s", "toggle", "cmd", "s", "reveal");  // a repeated key
    emit("command", "a{ss}", 1, "cmd", "toggle");
    emit("command", "a{sv}a{sv}", 1, "cmd", "s", "toggle", 0);
    emit("command", "");
    emit("command", "a{sv}", 1, "list", "as", 1, "x");
    emit("command", "a{sv}", 0);
    waitFor(8);
    ASSERT_EQ(received.size(), 8u);
    ASSERT_TRUE(received[0]);
    EXPECT_EQ(received[0]->at("cmd"), Value("set"));
    EXPECT_FALSE(received[0]->at("kelvin").isString());
    EXPECT_EQ(received[0]->at("kelvin").integer(), 2700);
    for (std::size_t i = 1; i <= 5; ++i) EXPECT_EQ(received[i], std::nullopt) << i;
    ASSERT_TRUE(received[6]);
    EXPECT_FALSE(received[6]->at("list").isString());
    EXPECT_EQ(received[7], Dictionary{});
}

TEST_F(DBusNotificationsTest, NothingArrivesOnceTheObservationEnds) {
    observation.cancel();
    emit("command", "a{sv}", 1, "cmd", "s", "toggle");
    waitFor(1, std::chrono::milliseconds(300));
    EXPECT_TRUE(received.empty());
}

// A broadcast has a receiver only while some process owns the instance's name: the poster
// asks the bus, which answers for the name's owner of the moment.
TEST_F(DBusNotificationsTest, ThePosterAsksTheBusWhetherTheNameHasAnOwner) {
    auto poster = platform::linuxsys::connectBusNotifications(bus->address(), nullptr);
    ASSERT_TRUE(poster);
    constexpr const char* name = "app.orvane.Orvane";
    EXPECT_EQ(poster->nameHasOwner(name), false);
    ASSERT_FALSE(raw->requestName(name));
    EXPECT_EQ(poster->nameHasOwner(name), true);
    ASSERT_FALSE(raw->releaseName(name));
    EXPECT_EQ(poster->nameHasOwner(name), false);
}

TEST(DBusNotifications, WithoutABusThereIsNone) {
    // The test environment points the session at a runtime directory without a bus.
    EXPECT_EQ(platform::linuxsys::openSessionBusNotifications(nullptr), nullptr);
    EXPECT_NE(platform::linuxsys::sessionOrInProcessNotifications(nullptr), nullptr);
}

}  // namespace
}  // namespace orvane
