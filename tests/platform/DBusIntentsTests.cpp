// The actions object's marshalling against a private bus daemon: what reaches the port
// from each kind of D-Bus value, and how the port's answers and errors go back.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "../SessionBus.h"
#include "../SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/DBusIntents.h"

namespace orvane {
namespace {

using platform::Array;
using platform::Dictionary;
using platform::IntentsPort;
using platform::Value;
using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusObject;

// Keeps what it was given; answers from its fields.
class RecordingPort final : public IntentsPort {
public:
    Result run(const std::string& action, const Dictionary& parameters) override {
        lastAction = action;
        lastParameters = parameters;
        return answer;
    }
    std::vector<PresetRecord> presets() override { return records; }
    std::vector<PresetRecord> presetsFor(const std::vector<std::string>& ids) override {
        lastIds = ids;
        return {};
    }
    std::optional<Error> applyFocus(const std::string& look) override {
        lastLook = look;
        return std::nullopt;
    }
    std::string describe() override { return "[]"; }

    Result answer = std::string();
    std::vector<PresetRecord> records;
    std::string lastAction, lastLook;
    Dictionary lastParameters;
    std::vector<std::string> lastIds;
};

class DBusIntentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testing::freshDirectory("dbus-intents");
        bus = std::make_unique<testing::SessionBus>(dir);
        ORVANE_REQUIRE_TOOL(bus->error());
        DBusError error;
        server = DBusConnection::connect(bus->address(), error);
        client = DBusConnection::connect(bus->address(), error);
        ASSERT_TRUE(server && client) << error.message;
        slot = platform::linuxsys::exportIntents(*server, port, &error);
        ASSERT_TRUE(slot) << error.message;
        ASSERT_FALSE(server->requestName("app.orvane.Orvane"));
        watch = server->watch(scheduler, [](const DBusError&) {});
    }
    template <class Call>
    auto whileServing(Call call) {
        auto answer = std::async(std::launch::async, call);
        while (answer.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) scheduler.runPending();
        return answer.get();
    }

    const DBusObject target{"app.orvane.Orvane", "/app/orvane/Intents", "app.orvane.Intents"};
    std::filesystem::path dir;
    std::unique_ptr<testing::SessionBus> bus;
    std::unique_ptr<DBusConnection> server, client;
    platform::FakeScheduler scheduler;
    RecordingPort port;
    platform::linuxsys::DBusSlot slot;
    platform::Handle watch;
};

TEST_F(DBusIntentsTest, EveryIntegerTypeArrivesAsAnIntegerAndOtherKindsStayApart) {
    const auto reply = whileServing([&] {
        return client->call(target, "Run", "sa{sv}", "SetWarmth", 7, "y", "y", std::uint8_t{200}, "q", "q",
                            std::uint16_t{2700}, "u", "u", std::uint32_t{4000000000u}, "x", "x", std::int64_t{-5}, "t",
                            "t", std::uint64_t{18446744073709551615ull}, "d", "d", 2700.0, "as", "as", 1, "x");
    });
    ASSERT_TRUE(reply) << reply.error->message;
    EXPECT_EQ(port.lastAction, "SetWarmth");
    const Dictionary expected = {{"y", Value(200)},
                                 {"q", Value(2700)},
                                 {"u", Value(std::int64_t{4000000000})},
                                 {"x", Value(std::int64_t{-5})},
                                 {"t", Value(std::numeric_limits<std::int64_t>::max())},
                                 {"d", Value(2700.0)},
                                 {"as", Value(Array{})}};
    EXPECT_EQ(port.lastParameters, expected);

    whileServing([&] { return client->call(target, "Run", "sa{sv}", "Toggle", 2, "on", "b", 1, "s", "s", "x"); });
    EXPECT_EQ(port.lastParameters, (Dictionary{{"on", Value(true)}, {"s", Value("x")}}));
}

TEST_F(DBusIntentsTest, AnswersAndNamedErrorsGoBackAsThePortGivesThem) {
    port.answer = IntentsPort::Error{"app.orvane.Error.NotRunning", "Orvane is not running."};
    const auto refused = whileServing([&] { return client->call(target, "Run", "sa{sv}", "GetState", 0); });
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->name, "app.orvane.Error.NotRunning");
    EXPECT_EQ(refused.error->message, "Orvane is not running.");

    port.answer = std::string("on \u00b7 2700K");
    const auto state = whileServing([&] { return client->call(target, "Run", "sa{sv}", "GetState", 0); });
    const char* text = nullptr;
    ASSERT_TRUE(state && state.message.read("s", &text));
    EXPECT_STREQ(text, "on \u00b7 2700K");

    port.records = {{"a", "Candle", 1900, "1900 K"}, {"b", "Ember", 1200, "1200 K"}};
    const auto presets = whileServing([&] { return client->call(target, "Presets", ""); });
    ASSERT_TRUE(presets);
    ASSERT_GE(sd_bus_message_enter_container(presets.message.get(), 'a', "(ssxs)"), 0);
    std::vector<IntentsPort::PresetRecord> received;
    const char *id = nullptr, *name = nullptr, *subtitle = nullptr;
    std::int64_t kelvin = 0;
    while (sd_bus_message_read(presets.message.get(), "(ssxs)", &id, &name, &kelvin, &subtitle) > 0)
        received.push_back({id, name, kelvin, subtitle});
    EXPECT_EQ(received, port.records);

    whileServing([&] { return client->call(target, "PresetsFor", "as", 2, "b", "a"); });
    EXPECT_EQ(port.lastIds, (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(whileServing([&] { return client->call(target, "ApplyFocus", "s", ""); }));
    EXPECT_EQ(port.lastLook, "");

    const auto wrongSignature = whileServing([&] { return client->call(target, "Run", "s", "GetState"); });
    ASSERT_TRUE(wrongSignature.error);
    EXPECT_EQ(wrongSignature.error->name, "org.freedesktop.DBus.Error.InvalidArgs");
}

}  // namespace
}  // namespace orvane
