// The sd-bus wrapper against a private bus daemon: two connections of one process talk to
// each other, one serving and one calling.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "../SessionBus.h"
#include "../SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/DBusConnection.h"

namespace orvane {
namespace {

using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusMessage;
using platform::linuxsys::DBusObject;
using platform::linuxsys::DBusSlot;

constexpr const char* name = "app.orvane.Test";
constexpr const char* path = "/app/orvane/Test";
constexpr const char* interface = "app.orvane.Test";

class DBusConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testing::freshDirectory("dbus");
        bus = std::make_unique<testing::SessionBus>(dir);
        ORVANE_REQUIRE_TOOL(bus->error());
        server = connect();
        client = connect();
    }

    std::unique_ptr<DBusConnection> connect() {
        DBusError error;
        auto c = DBusConnection::connect(bus->address(), error);
        EXPECT_TRUE(c) << error.message;
        return c;
    }

    // Serves while the client's blocking call waits: the server runs on the fake
    // scheduler's loop, so here the call goes out on a thread of its own.
    template <class Call>
    auto whileServing(Call call) {
        auto answer = std::async(std::launch::async, call);
        while (answer.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) scheduler.runPending();
        return answer.get();
    }

    std::filesystem::path dir;
    std::unique_ptr<testing::SessionBus> bus;
    std::unique_ptr<DBusConnection> server;
    std::unique_ptr<DBusConnection> client;
    platform::FakeScheduler scheduler;
};

int sum(sd_bus_message* m, void*, sd_bus_error* error) {
    std::int32_t a = 0;
    std::int32_t b = 0;
    if (sd_bus_message_read(m, "ii", &a, &b) < 0) return -EINVAL;
    if (a < 0) return sd_bus_error_set(error, "app.orvane.Test.Negative", "no negative summands");
    return sd_bus_reply_method_return(m, "i", a + b);
}

const sd_bus_vtable testVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Sum", "ii", "i", sum, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

TEST_F(DBusConnectionTest, AVtableAnswersCallsAndErrorsCarryTheirNames) {
    const auto vtable = server->addVtable(path, interface, testVtable, nullptr);
    ASSERT_TRUE(vtable);
    ASSERT_FALSE(server->requestName(name));
    const auto watch = server->watch(scheduler, [](const DBusError&) {});

    const DBusObject target{name, path, interface};
    const auto reply = whileServing([&] { return client->call(target, "Sum", "ii", 2, 40); });
    ASSERT_TRUE(reply) << reply.error->message;
    std::int32_t result = 0;
    EXPECT_TRUE(reply.message.read("i", &result));
    EXPECT_EQ(result, 42);

    const auto refused = whileServing([&] { return client->call(target, "Sum", "ii", -1, 1); });
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->name, "app.orvane.Test.Negative");
    EXPECT_EQ(refused.error->message, "no negative summands");

    const auto nobody = client->call({"app.orvane.Nobody", path, interface}, "Sum", "ii", 1, 1);
    ASSERT_TRUE(nobody.error);
    EXPECT_TRUE(nobody.error->serviceMissing()) << nobody.error->name;
}

TEST_F(DBusConnectionTest, ANameOwnedElsewhereIsRefusedUntilReleased) {
    ASSERT_FALSE(server->requestName(name));
    const auto taken = client->requestName(name);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->code, -EEXIST);
    ASSERT_FALSE(server->releaseName(name));
    EXPECT_FALSE(client->requestName(name));
}

TEST_F(DBusConnectionTest, ObjectsSeeEveryMessageAndSignalsReachTheirMatchesOnly) {
    std::vector<std::vector<std::string>> calls;
    auto object = server->addObject(path, [&](sd_bus_message* m) {
        if (!sd_bus_message_is_method_call(m, interface, "Take")) return 0;
        calls.push_back(DBusMessage::readStrings(m).value_or(std::vector<std::string>{"unreadable"}));
        return sd_bus_reply_method_return(m, "");
    });
    ASSERT_TRUE(object);
    ASSERT_FALSE(server->requestName(name));
    std::vector<std::string> heard;
    auto match = server->matchSignal(nullptr, path, interface, "Ping", [&](sd_bus_message* m) {
        const char* text = nullptr;
        if (sd_bus_message_read(m, "s", &text) >= 0) heard.emplace_back(text);
    });
    ASSERT_TRUE(match);
    const auto watch = server->watch(scheduler, [](const DBusError&) {});

    const auto reply = whileServing([&] {
        return client->call({name, path, interface}, "Take", [](sd_bus_message* m) {
            const char* list[] = {"a b", "", "c", nullptr};
            return sd_bus_message_append_strv(m, const_cast<char**>(list));
        });
    });
    EXPECT_TRUE(reply) << reply.error->message;
    EXPECT_EQ(calls, (std::vector<std::vector<std::string>>{{"a b", "", "c"}}));

    ASSERT_FALSE(client->emitSignal(path, interface, "Ping", "s", "one"));
    ASSERT_FALSE(client->emitSignal(path, interface, "Other", "s", "not this"));
    ASSERT_FALSE(client->processPending());
    for (int i = 0; i < 500 && heard.empty(); ++i) {
        server->wait(10'000);
        scheduler.runPending();
        server->processPending();
    }
    EXPECT_EQ(heard, std::vector<std::string>{"one"});

    match.reset();
    ASSERT_FALSE(client->emitSignal(path, interface, "Ping", "s", "two"));
    ASSERT_FALSE(client->processPending());
    server->wait(100'000);
    server->processPending();
    EXPECT_EQ(heard, std::vector<std::string>{"one"}) << "no callback after the match is gone";
}

TEST_F(DBusConnectionTest, ALostConnectionIsReportedOnceAndEndsTheWatch) {
    int lost = 0;
    std::string why;
    const auto watch = server->watch(scheduler, [&](const DBusError& e) {
        ++lost;
        why = e.message;
    });
    bus.reset();  // the daemon goes away
    for (int i = 0; i < 500 && lost == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        scheduler.runPending();
    }
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(why.empty());
    scheduler.runPending();
    EXPECT_EQ(lost, 1);
}

}  // namespace
}  // namespace orvane
