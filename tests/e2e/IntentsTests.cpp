// The actions object on a private session bus, called through sd-bus as another program
// would, and the desktop entry's actions run against the running program.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "ProgramProcess.h"
#include "SessionBus.h"
#include "SimSession.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::e2e {
namespace {

using platform::linuxsys::DBusConnection;
using platform::linuxsys::DBusError;
using platform::linuxsys::DBusObject;

class IntentsEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<testing::SessionBus>(session.root);
        ORVANE_REQUIRE_TOOL(bus->error());
        session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus->address();
        settings.mode = Mode::manual;
        settings.manualKelvin = 3400;
        settings.manualDim = 1.0;
        storeSettings(session, settings);
        DBusError error;
        client = DBusConnection::connect(bus->address(), error);
        ASSERT_TRUE(client) << error.message;
    }

    platform::sim::SimState machine() const { return platform::sim::SimMachine(session.sim).read(); }
    ColorMatrix manual(std::int64_t kelvin) const {
        Settings s = settings;
        s.manualKelvin = kelvin;
        return ColorMatrix::make(resolverSays(s).target);
    }
    bool displaysShow(ProgramProcess& program, const ColorMatrix& expected) {
        return program.waitFor([&] { return bothShow(machine(), expected); }, 10s);
    }
    // Both displays without a colour adjustment, or with the identity.
    bool displaysUntinted(ProgramProcess& program) {
        const ColorMatrix identity = ColorMatrix::make(TintState());
        return program.waitFor(
            [&] {
                const auto m = machine();
                return m.displays.size() == 2 && std::all_of(m.displays.begin(), m.displays.end(), [&](const auto& d) {
                           return !d.matrix || showsMatrix(d, identity);
                       });
            },
            10s);
    }
    std::string state() {
        const auto reply = client->call(target, "Run", "sa{sv}", "GetState", 0);
        const char* text = nullptr;
        if (!reply || !reply.message.read("s", &text) || !text) return "";
        return text;
    }

    const DBusObject target{"app.orvane.Orvane", "/app/orvane/Intents", "app.orvane.Intents"};
    Session session;
    std::unique_ptr<testing::SessionBus> bus;
    std::unique_ptr<DBusConnection> client;
    Settings settings;
};

TEST_F(IntentsEndToEndTest, RunSetsTheDisplaysRefusesBadValuesAndReportsTheState) {
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    ASSERT_TRUE(displaysShow(running, manual(3400))) << running.errors();

    const auto set = client->call(target, "Run", "sa{sv}", "SetWarmth", 1, "kelvin", "q", std::uint16_t{2700});
    ASSERT_TRUE(set) << set.error->name << ": " << set.error->message;
    const char* empty = nullptr;
    EXPECT_TRUE(set.message.read("s", &empty));
    EXPECT_STREQ(empty, "");
    EXPECT_TRUE(displaysShow(running, manual(2700))) << running.errors();

    const auto refused = client->call(target, "Run", "sa{sv}", "SetWarmth", 1, "kelvin", "i", 9000);
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->name, "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(refused.error->message, "kelvin must be an integer from 500 to 6500");
    const auto unknown = client->call(target, "Run", "sa{sv}", "Dance", 0);
    ASSERT_TRUE(unknown.error);
    EXPECT_EQ(unknown.error->message, "unknown action: Dance");

    EXPECT_EQ(state().rfind("on \u00b7 2700K \u00b7 brightness 100% \u00b7 ", 0), 0u) << state();
    EXPECT_TRUE(bothShow(machine(), manual(2700))) << "the refused call changed nothing";

    const auto presets = client->call(target, "PresetsFor", "as", 1, "builtin.candle");
    ASSERT_TRUE(presets) << presets.error->message;
    ASSERT_GE(sd_bus_message_enter_container(presets.message.get(), 'a', "(ssxs)"), 0);
    const char* id = nullptr;
    const char* name = nullptr;
    std::int64_t kelvin = 0;
    const char* subtitle = nullptr;
    ASSERT_GT(sd_bus_message_read(presets.message.get(), "(ssxs)", &id, &name, &kelvin, &subtitle), 0);
    EXPECT_STREQ(id, "builtin.candle");
    EXPECT_EQ(std::string(subtitle), std::to_string(kelvin) + " K");

    const auto focus = client->call(target, "ApplyFocus", "s", "trueColor");
    ASSERT_TRUE(focus) << focus.error->message;
    EXPECT_TRUE(displaysUntinted(running)) << "the tint is lifted";
    ASSERT_TRUE(client->call(target, "ApplyFocus", "s", ""));
    EXPECT_TRUE(displaysShow(running, manual(2700))) << running.errors();

    const auto described = client->call(target, "Describe", "");
    const char* json = nullptr;
    ASSERT_TRUE(described && described.message.read("s", &json));
    EXPECT_NE(std::string(json).find("\"FocusFilter\""), std::string::npos);
}

TEST_F(IntentsEndToEndTest, WithNoOrvaneTheCallFindsNoService) {
    const auto reply = client->call(target, "Run", "sa{sv}", "GetState", 0);
    ASSERT_TRUE(reply.error);
    EXPECT_EQ(reply.error->name, "org.freedesktop.DBus.Error.ServiceUnknown") << "nothing starts it";
}

// The four actions of the desktop entry, with the built program in place of the installed one.
std::vector<std::pair<std::string, std::vector<std::string>>> desktopActions() {
    std::ifstream file(ORVANE_DESKTOP_ENTRY);
    std::vector<std::pair<std::string, std::vector<std::string>>> actions;
    std::string line;
    std::string group;
    while (std::getline(file, line)) {
        if (line.rfind("[Desktop Action ", 0) == 0) group = line.substr(16, line.size() - 17);
        if (!group.empty() && line.rfind("Exec=", 0) == 0) {
            std::istringstream words(line.substr(5));
            std::vector<std::string> arguments;
            for (std::string word; words >> word;) arguments.push_back(word);
            if (!arguments.empty()) arguments.erase(arguments.begin());  // the installed program
            actions.emplace_back(group, arguments);
        }
    }
    return actions;
}

TEST_F(IntentsEndToEndTest, EachDesktopActionHasItsEffectOnTheRunningProgram) {
    const auto actions = desktopActions();
    ASSERT_EQ(actions.size(), 4u);
    const std::vector<std::string> names = {"wind-down", "true-color", "follow-evening", "toggle"};
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(actions[i].first, names[i]);

    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    ASSERT_TRUE(displaysShow(running, manual(3400))) << running.errors();
    const auto runAction = [&](std::size_t i) {
        ProgramProcess action(session, actions[i].second);
        EXPECT_TRUE(exitedWith(action.waitForExit(), 0)) << actions[i].first << ": " << action.errors();
    };

    runAction(0);  // wind down: deep red now
    EXPECT_TRUE(running.waitFor(
        [&] {
            const auto m = machine();
            return m.displays.size() == 2 && m.displays[0].matrix && !bothShow(m, manual(3400)) &&
                   !showsMatrix(m.displays[0], ColorMatrix::make(TintState()));
        },
        10s))
        << running.errors();
    runAction(1);  // true colour for 15 minutes
    EXPECT_TRUE(displaysUntinted(running)) << running.errors();
    runAction(2);  // back to the evening: the manual warmth, no wind-down, no pause
    EXPECT_TRUE(displaysShow(running, manual(3400))) << running.errors();
    runAction(3);  // off
    EXPECT_TRUE(displaysUntinted(running)) << running.errors();
    EXPECT_EQ(state().rfind("off \u00b7 ", 0), 0u) << state();
    runAction(3);  // on again
    EXPECT_TRUE(displaysShow(running, manual(3400))) << running.errors();
}

}  // namespace
}  // namespace orvane::e2e
