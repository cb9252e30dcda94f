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
#include <sstream>

#include "FakeCompositor.h"
#include "FakeNightLight.h"
#include "ProgramProcess.h"
#include "SessionBus.h"
#include "XvfbServer.h"
#include "app/SettingsStore.h"
#include "platform/UserDefaults.h"
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
