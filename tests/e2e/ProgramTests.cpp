// The whole program on the simulated machine: start-up modes, one instance per session,
// the orderly quit on termination signals and the watchdog after a kill.
#include <gtest/gtest.h>

#include <cmath>

#include "ProgramProcess.h"
#include "SessionBus.h"
#include "app/SettingsStore.h"
#include "app/SystemTimeZone.h"
#include "core/ColorMatrix.h"
#include "core/Resolver.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimPlatform.h"

namespace orvane::e2e {
namespace {

std::string resultLine(pid_t pid, int displays) {
    return "Glowkeeper: pid " + std::to_string(pid) + " ended, reset " + std::to_string(displays) + " display(s)\n";
}

bool neutral(const platform::sim::SimState& state) {
    for (const auto& d : state.displays)
        if (d.gamma || d.matrix) return false;
    for (const auto& w : state.windows)
        if (w.visible && platform::sim::SimMachine::ownerAlive(w)) return false;
    return true;
}

// Settings stored where the program will find them, as a user's earlier run left them.
void storeSettings(const Session& session, const Settings& settings) {
    platform::sim::SimPlatform machine(platform::Runtime{}, session.sim);
    SettingsStore(machine.standardUserDefaults(), nullptr).saveSettings(settings);
}

// What the resolver says for these settings now, with a fresh run-time state.
Resolution resolverSays(const Settings& settings) {
    const Date now(static_cast<double>(std::time(nullptr)));
    const TimeZone zone = currentSystemTimeZone();
    ResolverInput input;
    input.now = now;
    input.settings = settings;
    input.location = Location::resolve(settings.sunset.locationSource, zone, std::nullopt, now);
    input.systemTimeZone = zone;
    return Resolver::resolve(input);
}

bool showsMatrix(const platform::sim::SimDisplay& display, const ColorMatrix& expected) {
    if (!display.matrix) return false;
    for (std::size_t i = 0; i < 9; ++i)
        if (std::abs((*display.matrix)[i] - expected.m[i]) > 1e-4) return false;
    return true;
}

TEST(ProgramModesTest, ModesThisBuildCannotRunEndWithAMessageAndAFailure) {
    Session session;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--selftest"}, "self-test"},
        {{"--toggle"}, "control commands"},
        {{"--render-ui", (session.root / "shots").string()}, "screenshot mode"},
        {{"--render-icon", (session.root / "icons").string()}, "render-icon failed: "},
    };
    for (const auto& [arguments, text] : cases) {
        SCOPED_TRACE(arguments.front());
        ProgramProcess program(session, arguments);
        const auto status = program.waitForExit();
        EXPECT_TRUE(exitedWith(status, 1));
        EXPECT_NE(program.errors().find(text), std::string::npos) << program.errors();
        EXPECT_EQ(program.errors().find("launched: "), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(session.root / "shots"));
}

class ProgramSessionTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) {
            bus = std::make_unique<testing::SessionBus>(session.root);
            if (!bus->error().empty()) GTEST_SKIP() << bus->error();
            session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus->address();
        }
    }
    platform::sim::SimState machine() { return platform::sim::SimMachine(session.sim).read(); }

    Session session;
    std::unique_ptr<testing::SessionBus> bus;
};

TEST_P(ProgramSessionTest, SecondStartHandsItsUrlOverAndExitsZero) {
    ProgramProcess first(session, {});
    ASSERT_TRUE(first.waitUntilReady()) << first.errors();

    ProgramProcess second(session, {"orvane://toggle"});
    EXPECT_TRUE(exitedWith(second.waitForExit(), 0)) << second.errors();
    EXPECT_EQ(second.output(), "sent to Orvane: orvane://toggle\n");
    EXPECT_EQ(second.errors().find("launched: "), std::string::npos) << "the second start never launches";
    EXPECT_TRUE(first.waitForError("url: orvane://toggle")) << first.errors();

    ProgramProcess third(session, {});
    EXPECT_TRUE(exitedWith(third.waitForExit(), 0)) << third.errors();
    EXPECT_TRUE(first.running());
}

TEST_P(ProgramSessionTest, TerminationSignalsGiveAnOrderlyQuitAndTheWatchdogStillEndsItsWatch) {
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        program.signal(number);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
        EXPECT_NE(program.errors().find("received; quitting"), std::string::npos) << program.errors();
        EXPECT_TRUE(neutral(machine()));
        // The watchdog, left running, resets the displays once the program has gone.
        EXPECT_TRUE(program.waitForOutput(resultLine(program.pid(), 2))) << program.output();
    }
}

TEST_P(ProgramSessionTest, AfterAKillTheWatchdogResetsEveryDisplayWithinASecond) {
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    // Something for the watchdog to clear, whatever the tint at this hour.
    platform::sim::SimMachine(session.sim).update([](platform::sim::SimState& s) {
        for (auto& d : s.displays) d.matrix = platform::Matrix3x3{1, 0, 0, 0, 0.5f, 0, 0, 0, 0.2f};
    });
    program.signal(SIGKILL);
    const auto killed = Steady::now();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_TRUE(program.waitFor([&] { return neutral(machine()); }, 1s)) << "still tinted a second after the kill";
    EXPECT_LT(Steady::now() - killed, 1s);
    EXPECT_TRUE(program.waitForOutput(resultLine(program.pid(), 2), 2s)) << program.output();

    // The next start is the instance again, the killed one's lock or name notwithstanding.
    ProgramProcess next(session, {});
    EXPECT_TRUE(next.waitUntilReady()) << next.errors();
}

TEST_P(ProgramSessionTest, DisplaysShowWhatTheResolverSaysAndAnOrderlyQuitLeavesThemNeutral) {
    Settings settings;
    settings.mode = Mode::manual;
    settings.manualKelvin = 2700;
    settings.manualDim = 0.8;
    storeSettings(session, settings);
    const Resolution expected = resolverSays(settings);
    ASSERT_EQ(expected.target.kelvin, 2700);
    ASSERT_DOUBLE_EQ(expected.target.dim, 0.8);
    const ColorMatrix matrix = ColorMatrix::make(expected.target);

    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    // The first decision fades in over the two seconds of the wake transition.
    const bool tinted = program.waitFor(
        [&] {
            const auto state = machine();
            return state.displays.size() == 2 &&
                   std::all_of(state.displays.begin(), state.displays.end(),
                               [&](const auto& d) { return showsMatrix(d, matrix); });
        },
        10s);
    EXPECT_TRUE(tinted) << program.errors();
    for (const auto& d : machine().displays) EXPECT_FALSE(d.gamma.has_value()) << "the colour matrix alone tints";

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_TRUE(neutral(machine())) << "the quit sequence detaches every back-end before the process ends";
    // The store was flushed: the program's own record of the displays is on disk.
    platform::sim::SimPlatform after(platform::Runtime{}, session.sim);
    const Settings stored = SettingsStore(after.standardUserDefaults(), nullptr).loadSettings();
    EXPECT_EQ(stored.manualKelvin, 2700);
    EXPECT_EQ(stored.displays.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Session, ProgramSessionTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "PrivateBus" : "NoBus"; });

}  // namespace
}  // namespace orvane::e2e
