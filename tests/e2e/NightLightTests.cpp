// The whole program driving the desktop's own night light in a Wayland session whose
// compositor lets no program change the colours: GNOME's (the real GSettings library over
// the test schema and the keyfile backend, beside a stand-in settings daemon) and KDE
// Plasma's (a stand-in KWin on the session bus, kwinrc in the session's config). Every
// display goes by the night light; a warmth change reaches the desktop's settings; a quit,
// and the watchdog after a kill, give the user's settings back byte for byte. Without a
// night light each display says why it is not tinted.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <tuple>

#include "FakeCompositor.h"
#include "FakeNightLight.h"
#include "ProgramProcess.h"
#include "SessionBus.h"
#include "XvfbServer.h"
#include "app/SettingsStore.h"
#include "platform/UserDefaults.h"
#include "platform/linux/DBusConnection.h"
#include "platform/linux/KConfigText.h"

namespace orvane::e2e {
namespace {

using testing::FakeCompositor;
using testing::readText;
using testing::writeText;

enum class Desktop { gnome, kde };

// The user's own Plasma settings: night colour by location, among other groups.
constexpr const char* usersKwinrc =
    "[Compositing]\nBackend=OpenGL\n\n[NightColor]\nActive=true\nMode=Location\nNightTemperature=4200\n\n"
    "[Windows]\nFocusPolicy=ClickToFocus\n";

class NightLightSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(compositor.error().empty()) << compositor.error();
        FakeCompositor::OutputSpec panel;
        panel.name = "eDP-1";
        compositor.addOutput(panel);
        FakeCompositor::OutputSpec monitor;
        monitor.name = "DP-1";
        monitor.x = 1920;
        compositor.addOutput(monitor);
        bus = std::make_unique<testing::SessionBus>(directory);
        ORVANE_REQUIRE_TOOL(bus->error());
        session.environment["ORVANE_PLATFORM"] = std::nullopt;  // chosen by the session
        session.environment["WAYLAND_DISPLAY"] = compositor.socketPath().string();
        session.environment["XDG_SESSION_TYPE"] = "wayland";
        session.environment["QT_QPA_PLATFORM"] = "offscreen";
        session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus->address();
        session.environment["XDG_CURRENT_DESKTOP"] = std::nullopt;
        session.environment["GSETTINGS_SCHEMA_DIR"] = std::nullopt;
        session.environment["GSETTINGS_BACKEND"] = std::nullopt;

        Settings settings;
        settings.mode = Mode::manual;
        settings.manualKelvin = 3400;
        settings.manualDim = 1.0;
        SettingsStore(platform::UserDefaults::open(session.config / "orvane" / "app.orvane.Orvane.json"), nullptr)
            .saveSettings(settings);
    }

    // The desktop with the user's own night-light settings, as its settings panel leaves them;
    // GNOME's over the test schema, or the one its settings daemon installs.
    void startDesktop(Desktop desktop, bool installedSchema = false) {
        if (desktop == Desktop::kde) {
            writeText(kwinrc(), usersKwinrc);
            kwin = std::make_unique<testing::FakeKWin>(bus->address(), kwinrc());
            ASSERT_TRUE(kwin->ready());
            session.environment["XDG_CURRENT_DESKTOP"] = "KDE";
            return;
        }
        const auto& schema = installedSchema ? testing::installedGnomeSchema() : testing::compiledGnomeSchema();
        ORVANE_REQUIRE_TOOL(schema.error);
        ORVANE_REQUIRE_TOOL(testing::findProgram("gsettings") ? "" : "no gsettings (libglib2.0-bin)");
        schemaDirectory = schema.directory;
        session.environment["XDG_CURRENT_DESKTOP"] = "GNOME";
        session.environment["GSETTINGS_SCHEMA_DIR"] = schemaDirectory.string();
        session.environment["GSETTINGS_BACKEND"] = "keyfile";
        gnome = std::make_unique<testing::FakeGnomeColor>(bus->address());
        ASSERT_TRUE(gnome->ready());
        gsettings("set org.gnome.settings-daemon.plugins.color night-light-enabled true");
        gsettings("set org.gnome.settings-daemon.plugins.color night-light-temperature 4000");
        gsettings("set org.gnome.settings-daemon.plugins.color night-light-schedule-from 21.5");
        ASSERT_NE(readText(keyfile()), "");
    }

    std::filesystem::path kwinrc() const { return session.config / "kwinrc"; }
    std::filesystem::path keyfile() const { return session.config / "glib-2.0" / "settings" / "keyfile"; }
    // Where the user's night-light settings live on the desktop.
    std::filesystem::path usersFile(Desktop desktop) const { return desktop == Desktop::kde ? kwinrc() : keyfile(); }

    // What GSettings' own tool says, with the session's settings.
    std::string gsettings(const std::string& arguments) const {
        const std::string command = "env XDG_CONFIG_HOME='" + session.config.string() +
                                    "' GSETTINGS_BACKEND=keyfile GSETTINGS_SCHEMA_DIR='" + schemaDirectory.string() +
                                    "' gsettings " + arguments + " 2>&1";
        std::string out;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
            ::pclose(pipe);
        }
        return out;
    }

    // The temperature the desktop's settings hold, and whether its night light is on.
    std::pair<std::string, bool> nightLight(Desktop desktop) const {
        if (desktop == Desktop::kde) {
            const std::string text = readText(kwinrc());
            return {kconfig::value(text, "NightColor", "NightTemperature").value_or(""),
                    kconfig::value(text, "NightColor", "Active") == "true"};
        }
        std::string temperature = gsettings("get org.gnome.settings-daemon.plugins.color night-light-temperature");
        if (temperature.rfind("uint32 ", 0) == 0) temperature = temperature.substr(7);
        while (!temperature.empty() && temperature.back() == '\n') temperature.pop_back();
        return {temperature, gsettings("get org.gnome.settings-daemon.plugins.color night-light-enabled") == "true\n"};
    }

    // Waits until the desktop holds `kelvin` with its night light on; for KWin, until it
    // also shows it, having been told to read its settings again.
    bool reaches(ProgramProcess& program, Desktop desktop, unsigned kelvin) {
        return program.waitFor(
            [&] {
                const auto [temperature, on] = nightLight(desktop);
                return temperature == std::to_string(kelvin) && on &&
                       (desktop != Desktop::kde || kwin->currentTemperature() == kelvin);
            },
            15s);
    }

    std::filesystem::path directory = testing::freshDirectory("night-light-e2e");
    FakeCompositor compositor{directory / "wayland-test", false};  // no gamma control for anyone
    std::unique_ptr<testing::SessionBus> bus;
    Session session;
    std::filesystem::path schemaDirectory;
    std::unique_ptr<testing::FakeGnomeColor> gnome;
    std::unique_ptr<testing::FakeKWin> kwin;
};

class NightLightProgramTest : public NightLightSessionTest, public ::testing::WithParamInterface<Desktop> {};

std::string nameOf(const ::testing::TestParamInfo<Desktop>& info) {
    return info.param == Desktop::kde ? "KDEPlasma" : "GNOME";
}

TEST_P(NightLightProgramTest, EveryDisplayGoesByTheNightLightAndAQuitGivesTheUsersSettingsBackByteForByte) {
    const Desktop desktop = GetParam();
    startDesktop(desktop);
    if (HasFatalFailure() || IsSkipped()) return;
    const std::string before = readText(usersFile(desktop));

    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    const std::string& log = program.errors();
    EXPECT_NE(log.find("Built-in Display [built-in] → Night Light"), std::string::npos) << log;
    EXPECT_NE(log.find("DP-1 [external] → Night Light"), std::string::npos) << log;
    EXPECT_EQ(log.find("Not tinted"), std::string::npos) << log;
    ASSERT_TRUE(reaches(program, desktop, 3400)) << program.errors();

    // A warmth change from outside, forwarded by a second start.
    ProgramProcess forwarder(session, {"--set-kelvin", "2900"});
    EXPECT_TRUE(exitedWith(forwarder.waitForExit(), 0)) << forwarder.errors();
    EXPECT_TRUE(reaches(program, desktop, 2900)) << program.errors();

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_EQ(readText(usersFile(desktop)), before);
    if (desktop == Desktop::kde) {
        EXPECT_TRUE(program.waitFor([&] { return kwin->currentTemperature() == 4200; }, 10s))
            << "KWin was not told to read the user's settings again";
    }
    const auto config = readText(session.config / "orvane" / "app.orvane.Orvane.json");
    EXPECT_EQ(config.find("nightShift.dirty"), std::string::npos) << config;
}

// SIGKILL leaves no quit: the watchdog alone puts the user's settings back (how soon is not
// this test's to say; the bound only catches "never").
TEST_P(NightLightProgramTest, AfterAKillTheWatchdogGivesTheUsersSettingsBack) {
    const Desktop desktop = GetParam();
    startDesktop(desktop);
    if (HasFatalFailure() || IsSkipped()) return;
    const std::string before = readText(usersFile(desktop));

    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    ASSERT_TRUE(reaches(program, desktop, 3400)) << program.errors();
    ASSERT_NE(readText(usersFile(desktop)), before);

    program.signal(SIGKILL);
    ASSERT_TRUE(program.waitForExit());
    EXPECT_TRUE(program.waitFor([&] { return readText(usersFile(desktop)) == before; }, 10s))
        << readText(usersFile(desktop));
    EXPECT_TRUE(program.waitForOutput("ended, reset 0 display(s), restored the desktop's night light", 10s))
        << program.output();
    if (desktop == Desktop::kde) {
        EXPECT_TRUE(program.waitFor([&] { return kwin->currentTemperature() == 4200; }, 10s))
            << "KWin was not told to read the user's settings again";
    }
}

// No overlay can show beside the night light in a Wayland session, so it carries the whole
// warmth: down to the desktop's lowest, and below that the program says what it reaches.
// GNOME over the schema its settings daemon installs.
TEST_P(NightLightProgramTest, TheNightLightCarriesTheWholeWarmthDownToTheDesktopsLowest) {
    const Desktop desktop = GetParam();
    startDesktop(desktop, true);
    if (HasFatalFailure() || IsSkipped()) return;
    const std::string before = readText(usersFile(desktop));

    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    ASSERT_TRUE(reaches(program, desktop, 3400)) << program.errors();
    const std::string reach = "the desktop's night light reaches 1000 K at the warmest; asked for ";
    const struct {
        const char* kelvin;
        unsigned written;
    } cases[] = {{"1900", 1900}, {"800", 1000}, {"1000", 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kelvin);
        ProgramProcess forwarder(session, {"--set-kelvin", c.kelvin});
        EXPECT_TRUE(exitedWith(forwarder.waitForExit(), 0)) << forwarder.errors();
        EXPECT_TRUE(reaches(program, desktop, c.written)) << program.errors();
    }
    EXPECT_TRUE(program.waitForError(reach + "800 K")) << program.errors();
    EXPECT_EQ(program.errors().find(reach + "1900 K"), std::string::npos) << program.errors();
    EXPECT_EQ(program.errors().find(reach + "1000 K"), std::string::npos) << program.errors();

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_EQ(readText(usersFile(desktop)), before);
}

INSTANTIATE_TEST_SUITE_P(Desktops, NightLightProgramTest, ::testing::Values(Desktop::gnome, Desktop::kde), nameOf);

// How a run ends: a quit, a kill (the watchdog restores), or a kill of the program and its
// watchdog both (the next start restores).
enum class Ending { quit, kill, killWithWatchdog };

class HandChangeTest : public NightLightSessionTest,
                       public ::testing::WithParamInterface<std::tuple<Desktop, Ending>> {};

std::string handChangeName(const ::testing::TestParamInfo<std::tuple<Desktop, Ending>>& info) {
    const Ending ending = std::get<1>(info.param);
    return std::string(std::get<0>(info.param) == Desktop::kde ? "KDEPlasma" : "GNOME") +
           (ending == Ending::quit   ? "Quit"
            : ending == Ending::kill ? "Kill"
                                     : "KillWithWatchdog");
}

// The program's watchdog: its child named so.
std::optional<pid_t> watchdogOf(pid_t program) {
    std::ifstream in("/proc/" + std::to_string(program) + "/task/" + std::to_string(program) + "/children");
    pid_t child = 0;
    while (in >> child) {
        std::ifstream comm("/proc/" + std::to_string(child) + "/comm");
        std::string name;
        if (std::getline(comm, name) && name == "glowkeeper") return child;
    }
    return std::nullopt;
}

// The user sets 3500 K by hand in the desktop's own settings while Orvane drives its night
// light: Orvane's warmth holds, and however the run ends the user's 3500 comes back.
TEST_P(HandChangeTest, TheUsersOwnTemperatureComesBackHoweverTheRunEnds) {
    const auto [desktop, ending] = GetParam();
    startDesktop(desktop);
    if (HasFatalFailure() || IsSkipped()) return;
    const bool kde = desktop == Desktop::kde;
    const std::string before = readText(usersFile(desktop));
    std::string expected = before;
    const std::string line = kde ? "NightTemperature=4200" : "night-light-temperature=4000";
    ASSERT_NE(expected.find(line), std::string::npos) << expected;
    expected.replace(expected.find(line), line.size(), kde ? "NightTemperature=3500" : "night-light-temperature=3500");

    const auto defaultsFile = session.config / "orvane" / "app.orvane.Orvane.json";
    const auto recordedByHand = [&] {
        const auto record = platform::UserDefaults::open(defaultsFile)->dictionary("nightShift.dirty");
        if (!record || !record->count(kde ? "kde" : "gnome")) return false;
        const auto* own = record->at(kde ? "kde" : "gnome").dictionary();
        const char* key = kde ? "NightTemperature" : "night-light-temperature";
        return own && own->count(key) &&
               own->at(key) == (kde ? platform::Value("3500") : platform::Value(std::int64_t{3500}));
    };

    auto program = std::make_unique<ProgramProcess>(session, std::vector<std::string>{});
    ASSERT_TRUE(program->waitUntilReady()) << program->errors();
    ASSERT_TRUE(reaches(*program, desktop, 3400)) << program->errors();

    if (kde) {
        writeText(kwinrc(), kconfig::set(readText(kwinrc()), "NightColor", "NightTemperature", "3500"));
        platform::linuxsys::DBusError error;
        const auto settingsModule = platform::linuxsys::DBusConnection::connect(bus->address(), error);
        ASSERT_TRUE(settingsModule);
        ASSERT_FALSE(settingsModule->emitSignal("/KWin", "org.kde.KWin", "reloadConfig", ""));
        (void)settingsModule->processPending();
    } else {
        gsettings("set org.gnome.settings-daemon.plugins.color night-light-temperature 3500");
    }
    EXPECT_TRUE(program->waitFor(recordedByHand, 15s)) << program->errors();
    EXPECT_TRUE(reaches(*program, desktop, 3400)) << "Orvane's warmth did not hold\n" << program->errors();
    EXPECT_NE(program->errors().find(std::string(kde ? "NightTemperature changed in KDE Plasma's"
                                                     : "night-light-temperature changed in GNOME's") +
                                     " own settings; kept for when Orvane gives the night light back"),
              std::string::npos)
        << program->errors();

    switch (ending) {
        case Ending::quit:
            program->signal(SIGTERM);
            EXPECT_TRUE(exitedWith(program->waitForExit(), 0)) << program->errors();
            break;
        case Ending::kill:
            program->signal(SIGKILL);
            ASSERT_TRUE(program->waitForExit());
            EXPECT_TRUE(program->waitForOutput("restored the desktop's night light", 10s)) << program->output();
            break;
        case Ending::killWithWatchdog: {
            std::optional<pid_t> watchdog;
            ASSERT_TRUE(program->waitFor([&] { return (watchdog = watchdogOf(program->pid())).has_value(); }, 5s));
            program->signal(SIGSTOP);  // it would start another watchdog
            ::kill(*watchdog, SIGKILL);
            program->signal(SIGKILL);
            ASSERT_TRUE(program->waitForExit());
            EXPECT_NE(readText(usersFile(desktop)), expected) << "nothing may have restored yet";
            // The next start gives the record back before it drives the night light again.
            program = std::make_unique<ProgramProcess>(session, std::vector<std::string>{});
            ASSERT_TRUE(program->waitUntilReady()) << program->errors();
            EXPECT_NE(program->errors().find("restored the user's night light settings"), std::string::npos)
                << program->errors();
            ASSERT_TRUE(reaches(*program, desktop, 3400)) << program->errors();
            program->signal(SIGTERM);
            EXPECT_TRUE(exitedWith(program->waitForExit(), 0)) << program->errors();
            break;
        }
    }
    EXPECT_TRUE(program->waitFor([&] { return readText(usersFile(desktop)) == expected; }, 10s))
        << readText(usersFile(desktop)) << program->errors();
    if (kde) {
        EXPECT_TRUE(program->waitFor([&] { return kwin->currentTemperature() == 3500; }, 10s))
            << "KWin was not told to read the user's settings again";
    }
    EXPECT_TRUE(
        program->waitFor([&] { return readText(defaultsFile).find("nightShift.dirty") == std::string::npos; }, 10s));
}

INSTANTIATE_TEST_SUITE_P(DesktopsAndEndings, HandChangeTest,
                         ::testing::Combine(::testing::Values(Desktop::gnome, Desktop::kde),
                                            ::testing::Values(Ending::quit, Ending::kill, Ending::killWithWatchdog)),
                         handChangeName);

// Neither the compositor's gamma control nor a desktop's night light: nothing can warm
// the screen, and every display says so instead of naming a method.
TEST_F(NightLightSessionTest, WithoutANightLightEveryDisplaySaysItIsNotTintedAndWhy) {
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    const std::string& log = program.errors();
    const std::string why = "Not tinted: this compositor lets no program change the screen's colours";
    EXPECT_NE(log.find("Built-in Display [built-in] → " + why), std::string::npos) << log;
    EXPECT_NE(log.find("DP-1 [external] → " + why), std::string::npos) << log;
    EXPECT_EQ(log.find("→ Night Light"), std::string::npos) << log;
    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

}  // namespace
}  // namespace orvane::e2e
