// The comfort features of the whole program: what it changes of the machine outside the
// tint (the backlight hold, dithering) comes back after an orderly quit, and after a kill
// at the next launch; the brightness overlay on a real X server, with and without a
// compositing manager.
#include <gtest/gtest.h>

#include "ProgramProcess.h"
#include "SimSession.h"
#include "XvfbServer.h"
#include "app/ComfortController.h"
#include "engine/SteadyBacklight.h"
#include "platform/UserDefaults.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimPlatform.h"

// Last: their macros clash with our names.
#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "Compositor.h"

namespace orvane::e2e {
namespace {

constexpr const char* ditherKey = ComfortController::antiDitherDirtyKey;
constexpr const char* backlightKey = SteadyBacklight::dirtyKey;

class ComfortProgramTest : public ::testing::Test {
protected:
    platform::sim::SimState machine() { return platform::sim::SimMachine(session.sim).read(); }
    // The program's own user defaults, read afresh.
    std::optional<platform::Value> stored(const std::string& key) {
        platform::sim::SimPlatform reader(platform::Runtime{}, session.sim);
        return reader.standardUserDefaults()->object(key);
    }
    void store(const std::string& key, const platform::Value& value) {
        platform::sim::SimPlatform writer(platform::Runtime{}, session.sim);
        writer.standardUserDefaults()->set(key, value);
    }
    // The backlight held at 0.3 and dithering off everywhere, or neither.
    void storeComfort(bool on) {
        Settings settings;
        settings.steadyBacklight.enabled = on;
        settings.steadyBacklight.level = 0.3;
        settings.antiDithering = on ? AntiDitheringScope::allDisplays : AntiDitheringScope::off;
        storeSettings(session, settings);
    }
    bool held(const platform::sim::SimState& s) {
        return s.displays.size() == 2 && s.displays[0].backlight && std::abs(*s.displays[0].backlight - 0.3f) < 1e-4 &&
               s.displays[0].enableDither == false && s.displays[1].enableDither == false;
    }
    bool usersOwn(const platform::sim::SimState& s) {
        return s.displays.size() == 2 && s.displays[0].backlight && std::abs(*s.displays[0].backlight - 0.6f) < 1e-4 &&
               s.displays[0].enableDither == true && s.displays[1].enableDither == true;
    }

    Session session;
};

TEST_F(ComfortProgramTest, AnOrderlyQuitPutsTheBacklightAndDitheringBackAndDropsTheirRecords) {
    storeComfort(true);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    ASSERT_TRUE(program.waitFor([&] { return held(machine()); }, 5s)) << program.errors();
    EXPECT_EQ(stored(ditherKey), platform::Value(platform::Dictionary{{"builtIn", true}, {"external", true}}));
    EXPECT_TRUE(stored(backlightKey));

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_TRUE(usersOwn(machine()));
    EXPECT_FALSE(stored(ditherKey));
    EXPECT_FALSE(stored(backlightKey));
}

TEST_F(ComfortProgramTest, AfterAKillTheRecordsStayAndTheNextLaunchPutsBothBack) {
    storeComfort(true);
    {
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        ASSERT_TRUE(program.waitFor([&] { return held(machine()); }, 5s)) << program.errors();
        program.signal(SIGKILL);
        ASSERT_TRUE(program.waitForExit());
    }
    EXPECT_TRUE(held(machine())) << "nothing but this program puts them back";
    EXPECT_EQ(stored(ditherKey), platform::Value(platform::Dictionary{{"builtIn", true}, {"external", true}}));
    EXPECT_TRUE(stored(backlightKey));

    // The user turns both features off before starting again: only the records act.
    storeComfort(false);
    ProgramProcess next(session, {});
    ASSERT_TRUE(next.waitUntilReady()) << next.errors();
    EXPECT_TRUE(usersOwn(machine())) << next.errors();
    EXPECT_FALSE(stored(ditherKey));
    EXPECT_FALSE(stored(backlightKey));
    EXPECT_NE(next.errors().find("restored dithering after unclean exit"), std::string::npos) << next.errors();
}

TEST_F(ComfortProgramTest, AMalformedDitheringRecordIsLoggedAndLeftAndNothingIsSwitched) {
    storeComfort(false);
    platform::sim::SimMachine(session.sim).update([](platform::sim::SimState& s) {
        for (auto& d : s.displays) d.enableDither = false;
    });
    const platform::Value malformed(platform::Dictionary{{"builtIn", "yes"}, {"external", true}});
    store(ditherKey, malformed);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    EXPECT_NE(program.errors().find("antiDither.dirty is malformed; left in place"), std::string::npos)
        << program.errors();
    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_EQ(stored(ditherKey), malformed);
    for (const auto& d : machine().displays) EXPECT_EQ(d.enableDither, false);
}

// --- the brightness overlay on an X server -------------------------------------------------

class HUDProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORVANE_REQUIRE_TOOL(server.error());
        dpy = XOpenDisplay(server.display().c_str());
        ORVANE_REQUIRE_TOOL(dpy ? "" : "cannot open the private X display");
        ORVANE_REQUIRE_TOOL(
            XKeysymToKeycode(dpy, XF86XK_MonBrightnessDown) ? "" : "the server's keymap has no brightness key");
        session.environment["ORVANE_PLATFORM"] = "linux";
        session.environment["DISPLAY"] = server.display();
        session.environment["QT_QPA_PLATFORM"] = "xcb";
    }
    void TearDown() override {
        if (dpy) XCloseDisplay(dpy);
    }

    // The mapped override-redirect windows of this size, as (x, y) of their top-left corner.
    std::vector<std::pair<int, int>> panels(int width, int height) {
        std::vector<std::pair<int, int>> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable && a.override_redirect &&
                a.width == width && a.height == height)
                found.emplace_back(a.x, a.y);
        }
        if (children) XFree(children);
        return found;
    }
    void tap(KeySym sym) {
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, sym), True, CurrentTime);
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, sym), False, CurrentTime);
        XSync(dpy, False);
    }

    testing::XvfbServer server;  // 1280 × 800
    Display* dpy = nullptr;
    Session session;
};

TEST_F(HUDProgramTest, ABrightnessKeyShowsTheOverlayCentred140AboveTheBottomUntilOneAndAHalfSecondsLater) {
    Settings settings;
    settings.brightnessKeys = BrightnessKeysMode::orvaneDim;
    settings.onboardingCompleted = true;  // no welcome window behind the panel
    SettingsStore(platform::UserDefaults::open(session.config / "orvane" / "app.orvane.Orvane.json"), nullptr)
        .saveSettings(settings);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    EXPECT_TRUE(panels(200, 200).empty());

    tap(XF86XK_MonBrightnessDown);
    const auto pressed = Steady::now();
    const std::vector<std::pair<int, int>> centred{{(1280 - 200) / 2, 800 - 140 - 200}};
    ASSERT_TRUE(program.waitFor([&] { return panels(200, 200) == centred; }, 5s)) << program.errors();
    // Still up a second after the key, gone once the delay has passed.
    program.waitFor([&] { return Steady::now() - pressed > 1s; }, 2s);
    EXPECT_EQ(panels(200, 200), centred);
    EXPECT_TRUE(program.waitFor([&] { return panels(200, 200).empty(); }, 3s));
    EXPECT_TRUE(program.running());
}

// Under a compositing manager the rounded panel shows the desktop just inside each corner's
// curve, not a dark wedge. (xcompmgr's -c and -s shadows lie under every window's rectangle,
// with no way for a window to decline them but being a dock.)
TEST_F(HUDProgramTest, UnderACompositingManagerTheCornersShowTheDesktop) {
    Settings settings;
    settings.brightnessKeys = BrightnessKeysMode::orvaneDim;
    settings.onboardingCompleted = true;  // no welcome window behind the panel
    SettingsStore(platform::UserDefaults::open(session.config / "orvane" / "app.orvane.Orvane.json"), nullptr)
        .saveSettings(settings);
    paintDesktop(dpy, 0xff00ff);
    Compositor compositor(server.display());
    ORVANE_REQUIRE_TOOL(std::string(compositor.started() ? "" : "no xcompmgr on PATH"));
    ASSERT_TRUE(compositor.running(dpy));
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    tap(XF86XK_MonBrightnessDown);
    std::vector<std::pair<int, int>> shown;
    ASSERT_TRUE(program.waitFor([&] { return !(shown = panels(200, 200)).empty(); }, 5s)) << program.errors();
    const auto [x, y] = shown.front();
    const Rgb desktop = rootPixel(dpy, x - 3, y + 100);
    ASSERT_TRUE(program.waitFor([&] { return !rootPixel(dpy, x + 100, y + 100).near(desktop); }, 10s));
    for (const auto& [cx, cy] :
         {std::pair{x + 1, y + 1}, std::pair{x + 198, y + 1}, std::pair{x + 1, y + 198}, std::pair{x + 198, y + 198}}) {
        const Rgb seen = rootPixel(dpy, cx, cy);
        EXPECT_TRUE(seen.near(desktop)) << cx - x << "," << cy - y << ": " << seen.r << "," << seen.g << "," << seen.b
                                        << " where the desktop is " << desktop.r << "," << desktop.g << ","
                                        << desktop.b;
    }
    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

}  // namespace
}  // namespace orvane::e2e
