// Commands from outside on the simulated machine with a private session bus: a second
// start that forwards, the raw command signal, a first start with a URL, and the lines
// the command refuses or answers itself.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <sstream>

#include "ProgramProcess.h"
#include "SessionBus.h"
#include "SimSession.h"
#include "platform/linux/DBusConnection.h"

namespace orvane::e2e {
namespace {

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = std::make_unique<testing::SessionBus>(session.root);
        ORVANE_REQUIRE_TOOL(bus->error());
        session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus->address();
        settings.mode = Mode::manual;
        settings.manualKelvin = 3400;
        settings.manualDim = 1.0;
        storeSettings(session, settings);
    }

    platform::sim::SimState machine() const { return platform::sim::SimMachine(session.sim).read(); }

    // Both displays show what the resolver says for the manual settings with this change.
    bool displaysReach(ProgramProcess& program, std::int64_t kelvin, double dim) {
        Settings s = settings;
        s.manualKelvin = kelvin;
        s.manualDim = dim;
        const ColorMatrix expected = ColorMatrix::make(resolverSays(s).target);
        return program.waitFor([&] { return bothShow(machine(), expected); }, 10s);
    }

    Session session;
    std::unique_ptr<testing::SessionBus> bus;
    Settings settings;
};

TEST_F(CommandTest, ASecondStartForwardsTheCommandAndTheDisplaysFollow) {
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    ASSERT_TRUE(displaysReach(running, 3400, 1.0)) << running.errors();

    // A toolkit application could not start on this platform plugin: the forwarder makes none.
    session.environment["QT_QPA_PLATFORM"] = "no-such-platform";
    ProgramProcess forwarder(session, {"--set-kelvin", "2700"});
    EXPECT_TRUE(exitedWith(forwarder.waitForExit(), 0)) << forwarder.errors();
    EXPECT_EQ(forwarder.output(), "sent to Orvane: warmth 2700 K\n");
    EXPECT_EQ(forwarder.errors(), "");
    EXPECT_TRUE(running.waitForError("command: set(kelvin: 2700, dim: nil)")) << running.errors();
    EXPECT_TRUE(displaysReach(running, 2700, 1.0)) << running.errors();

    ProgramProcess dim(session, {"--set-dim", "40"});
    EXPECT_TRUE(exitedWith(dim.waitForExit(), 0));
    EXPECT_EQ(dim.output(), "sent to Orvane: dim 40 %\n");
    EXPECT_TRUE(displaysReach(running, 2700, 0.4)) << running.errors();
    EXPECT_TRUE(running.running());
}

TEST_F(CommandTest, ASignalWhoseValuesAreNotAllStringsChangesNothing) {
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    ASSERT_TRUE(displaysReach(running, 3400, 1.0)) << running.errors();

    platform::linuxsys::DBusError error;
    auto raw = platform::linuxsys::DBusConnection::connect(bus->address(), error);
    ASSERT_TRUE(raw) << error.message;
    ASSERT_FALSE(
        raw->emitSignal("/app/orvane", "app.orvane", "command", "a{sv}", 2, "cmd", "s", "set", "kelvin", "i", 2700));
    ASSERT_FALSE(
        raw->emitSignal("/app/orvane", "app.orvane", "command", "a{sv}", 2, "cmd", "s", "set", "dim", "s", "nan"));
    // Signals from one sender arrive in order: once this one is carried out, so were those.
    ASSERT_FALSE(
        raw->emitSignal("/app/orvane", "app.orvane", "command", "a{sv}", 2, "cmd", "s", "set", "dim", "s", "0.5"));
    ASSERT_FALSE(raw->processPending());

    EXPECT_TRUE(running.waitForError("command: set(kelvin: nil, dim: 0.5)")) << running.errors();
    EXPECT_EQ(running.errors().find("command: set(kelvin: 2700"), std::string::npos) << running.errors();
    EXPECT_NE(running.errors().find("command: set(kelvin: nil, dim: nil)"), std::string::npos)
        << "a dim that is no finite number is left out";
    EXPECT_TRUE(displaysReach(running, 3400, 0.5)) << running.errors();
}

TEST_F(CommandTest, WithNoInstanceTheForwarderSaysNothingWasSentAndNothingStarts) {
    // A bus, but nobody owns the instance's name: the broadcast would reach no one.
    session.environment["QT_QPA_PLATFORM"] = "no-such-platform";
    ProgramProcess forwarder(session, {"--set-kelvin", "2700"});
    EXPECT_TRUE(exitedWith(forwarder.waitForExit(), 1)) << forwarder.errors();
    EXPECT_EQ(forwarder.output(), "");
    EXPECT_EQ(forwarder.errors(), "Orvane is not running; the command was not sent\n");

    // Without a bus there is nobody to tell: it says so, and a script sees a failure.
    session.environment["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + (session.root / "no-bus").string();
    ProgramProcess alone(session, {"--toggle"});
    EXPECT_TRUE(exitedWith(alone.waitForExit(), 1)) << alone.errors();
    EXPECT_EQ(alone.output(), "");
    EXPECT_EQ(alone.errors(), "Orvane: no session bus; the command was not sent\n");
}

TEST_F(CommandTest, AUrlForAnInstanceThatCannotBeReachedIsAFailure) {
    // Without a bus the lock decides: held by "someone" that does not listen.
    session.environment["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + (session.root / "no-bus").string();
    const int lock = ::open((session.runtime / "orvane.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    ProgramProcess second(session, {"orvane://toggle"});
    EXPECT_TRUE(exitedWith(second.waitForExit(), 1)) << second.errors();
    EXPECT_EQ(second.output(), "");
    EXPECT_EQ(second.errors().rfind("Orvane is already running but could not be reached: ", 0), 0u) << second.errors();
    ::close(lock);
}

TEST_F(CommandTest, AFirstStartWithAUrlLaunchesAndCarriesItOut) {
    ProgramProcess first(session, {"orvane://set?kelvin=2700"});
    ASSERT_TRUE(first.waitUntilReady()) << first.errors();
    EXPECT_TRUE(first.waitForError("command: set(kelvin: 2700, dim: nil)")) << first.errors();
    EXPECT_TRUE(displaysReach(first, 2700, 1.0)) << first.errors();
}

TEST_F(CommandTest, ABadValueOrAnUnknownOptionIsRefusedWithStatus2AndNothingIsSentOrStarted) {
    // Neither a start nor a toolkit: either would fail on this platform plugin.
    session.environment["QT_QPA_PLATFORM"] = "no-such-platform";
    const std::pair<std::vector<std::string>, std::string> lines[] = {
        {{"--set-kelvin", "abc"}, "orvane: --set-kelvin needs whole kelvin from 500 to 6500, not \"abc\"\n"},
        {{"--set-dim", "nan"},
         "orvane: --set-dim needs a brightness from 0 to 1, or a percentage from 2 to 100, not \"nan\"\n"},
        {{"--true-color", "0"}, "orvane: --true-color needs minutes from 1 to 1440 (15 when left out), not \"0\"\n"},
        {{"--bogus"}, "orvane: unknown option --bogus (see orvane --help)\n"},
        {{"--toggle", "--bogus"}, "orvane: unknown option --bogus (see orvane --help)\n"},
        {{"--set-dim", "1.5"},
         "orvane: --set-dim needs a brightness from 0 to 1, or a percentage from 2 to 100, not \"1.5\"\n"},
        {{"--set-kelvin", "2700", "--set-kelvin", "3000"}, "orvane: --set-kelvin is given twice\n"},
        {{"--set-kelvin", "2700", "--set-dim", "40"},
         "orvane: --set-kelvin and --set-dim cannot be given together: one command at a time\n"},
        {{"--render-icon"}, "orvane: --render-icon needs a folder to draw into\n"},
        {{"--render-ui"}, "orvane: --render-ui needs a folder to draw into\n"},
        // URLs are held to the options' ranges.
        {{"orvane://set?kelvin=99999"},
         "orvane: orvane://set?kelvin=99999: kelvin needs whole kelvin from 500 to 6500, not \"99999\"\n"},
        {{"orvane://set?kelvin=abc"},
         "orvane: orvane://set?kelvin=abc: kelvin needs whole kelvin from 500 to 6500, not \"abc\"\n"},
        {{"orvane://set?kelvin=2700&dim=inf"},
         "orvane: orvane://set?kelvin=2700&dim=inf: dim needs a brightness from 0 to 1, or a percentage from 2 to "
         "100, not \"inf\"\n"},
        {{"orvane://truecolor?minutes=0"},
         "orvane: orvane://truecolor?minutes=0: minutes needs minutes from 1 to 1440 (15 when left out), not "
         "\"0\"\n"},
        {{"orvane://preset"}, "orvane: orvane://preset: preset needs a name (orvane://preset/NAME)\n"},
    };
    session.environment["QT_QPA_PLATFORM"] = std::nullopt;
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    session.environment["QT_QPA_PLATFORM"] = "no-such-platform";
    for (const auto& [arguments, line] : lines) {
        ProgramProcess refused(session, arguments);
        EXPECT_TRUE(exitedWith(refused.waitForExit(), 2)) << arguments[0];
        EXPECT_EQ(refused.output(), "") << arguments[0];
        EXPECT_EQ(refused.errors(), line);
    }
    // One that is sent afterwards is the first command the instance hears of.
    ProgramProcess sent(session, {"--set-kelvin", "2700"});
    EXPECT_TRUE(exitedWith(sent.waitForExit(), 0)) << sent.errors();
    ASSERT_TRUE(running.waitForError("command: set(kelvin: 2700, dim: nil)")) << running.errors();
    EXPECT_EQ(running.errors().find("command: "), running.errors().find("command: set(kelvin: 2700, dim: nil)"))
        << running.errors();
    EXPECT_TRUE(displaysReach(running, 2700, 1.0)) << running.errors();
}

TEST_F(CommandTest, HelpAndVersionAnswerWithOrWithoutAnInstanceAndStartNothing) {
    session.environment["QT_QPA_PLATFORM"] = "no-such-platform";
    const auto ask = [&](const char* option, const std::string& starts) {
        ProgramProcess asked(session, {option});
        EXPECT_TRUE(exitedWith(asked.waitForExit(), 0)) << option << ": " << asked.errors();
        EXPECT_EQ(asked.output().rfind(starts, 0), 0u) << asked.output();
        EXPECT_EQ(asked.errors(), "") << option;
    };
    ask("--help", "Usage: orvane ");
    ask("--version", "Orvane ");

    session.environment["QT_QPA_PLATFORM"] = std::nullopt;
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    session.environment["QT_QPA_PLATFORM"] = "no-such-platform";
    ask("--help", "Usage: orvane ");
    ask("--version", "Orvane ");
    EXPECT_TRUE(running.running());
}

TEST_F(CommandTest, APresetNameThatNoPresetHasIsLoggedByTheRunningInstance) {
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    ProgramProcess sent(session, {"--preset", "Candle Light"});
    EXPECT_TRUE(exitedWith(sent.waitForExit(), 0)) << sent.errors();
    EXPECT_TRUE(running.waitForError("no preset named \"Candle Light\"")) << running.errors();
    ProgramProcess candle(session, {"--preset", "candle"});
    EXPECT_TRUE(exitedWith(candle.waitForExit(), 0)) << candle.errors();
    EXPECT_TRUE(running.waitForError("command: preset(\"candle\")")) << running.errors();
    EXPECT_EQ(running.errors().find("no preset named \"candle\""), std::string::npos) << running.errors();
}

// A megabyte of preset name over the command signal: the lines that name it keep its first
// 200 characters and say how long it was, instead of writing the megabyte twice.
TEST_F(CommandTest, AHugePresetNameReachesTheLogCutShort) {
    ProgramProcess running(session, {});
    ASSERT_TRUE(running.waitUntilReady()) << running.errors();
    platform::linuxsys::DBusError error;
    auto raw = platform::linuxsys::DBusConnection::connect(bus->address(), error);
    ASSERT_TRUE(raw) << error.message;
    const std::string name(1 << 20, 'x');
    ASSERT_FALSE(raw->emitSignal("/app/orvane", "app.orvane", "command", "a{sv}", 2, "cmd", "s", "preset", "name", "s",
                                 name.c_str()));
    ASSERT_FALSE(raw->processPending());

    const std::string kept(200 - std::string("preset(\"").size(), 'x');
    EXPECT_TRUE(running.waitForError("no preset named \"" + std::string(200, 'x') + "\u2026 (1048576 bytes)\""))
        << running.errors().size() << " bytes of log";
    EXPECT_NE(running.errors().find("command: preset(\"" + kept + "\u2026 (1048586 bytes)"), std::string::npos);
    std::istringstream lines(running.errors());
    for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 400u) << line.substr(0, 80);
}

}  // namespace
}  // namespace orvane::e2e
