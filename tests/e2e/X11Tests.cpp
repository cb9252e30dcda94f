// The whole program on a private X server: it tints through the CRTC gamma ramps of the
// Linux layer, and the watchdog puts the ramps back after the program is killed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "FakeLogind.h"
#include "ProgramProcess.h"
#include "SessionBus.h"
#include "XvfbServer.h"
#include "app/AppModel.h"
#include "app/BeforeToolkit.h"
#include "app/Diagnostics.h"
#include "app/SettingsStore.h"
#include "core/Kelvin.h"
#include "engine/DisplayManager.h"
#include "platform/UserDefaults.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/X11Probe.h"
#include "platform/linux/X11Session.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include "MappedWindows.h"

namespace orvane::e2e {
namespace {

// One CRTC's ramps, each sample scaled to 0...1.
struct Ramps {
    std::vector<double> red, green, blue;
};

class XServer {
public:
    XServer() : server_(testing::XvfbServer::Audited{}) {
        if (!server_.error().empty()) return;
        // Held for the whole test: a server whose last client leaves resets itself, ramps
        // included, and would hide whether the watchdog did its work.
        dpy_ = XOpenDisplay(server_.display().c_str());
    }
    ~XServer() {
        if (dpy_) XCloseDisplay(dpy_);
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    std::string error() const {
        if (!server_.error().empty()) return server_.error();
        return dpy_ ? "" : "cannot open the private X display";
    }
    const std::string& display() const { return server_.display(); }
    // Counted by the server as it accepts them.
    int connectionsFrom(pid_t pid) const { return server_.connectionsFrom(pid); }

    // The ramps of every CRTC that drives an output.
    std::vector<Ramps> ramps() {
        std::vector<Ramps> result;
        forEachCrtc([&](RRCrtc crtc) {
            XRRCrtcGamma* g = XRRGetCrtcGamma(dpy_, crtc);
            if (!g) return;
            Ramps r;
            for (int i = 0; i < g->size; ++i) {
                r.red.push_back(g->red[i] / 65535.0);
                r.green.push_back(g->green[i] / 65535.0);
                r.blue.push_back(g->blue[i] / 65535.0);
            }
            XRRFreeGamma(g);
            result.push_back(std::move(r));
        });
        return result;
    }

    // Scales every CRTC's identity ramp by the gains, as a tint would.
    void setRamps(double red, double green, double blue) {
        forEachCrtc([&](RRCrtc crtc) {
            const int size = XRRGetCrtcGammaSize(dpy_, crtc);
            XRRCrtcGamma* g = XRRAllocGamma(size);
            for (int i = 0; i < size; ++i) {
                const double v = size > 1 ? static_cast<double>(i) / (size - 1) : 0;
                g->red[i] = static_cast<unsigned short>(std::lround(v * red * 65535));
                g->green[i] = static_cast<unsigned short>(std::lround(v * green * 65535));
                g->blue[i] = static_cast<unsigned short>(std::lround(v * blue * 65535));
            }
            XRRSetCrtcGamma(dpy_, crtc, g);
            XRRFreeGamma(g);
        });
        XSync(dpy_, False);
    }

    // Plays the compositing manager: owns the screen's _NET_WM_CM_S0 selection.
    void actAsCompositor() {
        compositorOwner_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(dpy_, XInternAtom(dpy_, "_NET_WM_CM_S0", False), compositorOwner_, CurrentTime);
        XSync(dpy_, False);
    }
    // The selection goes with its owner's window.
    void stopActingAsCompositor() {
        if (compositorOwner_) XDestroyWindow(dpy_, compositorOwner_);
        compositorOwner_ = 0;
        XSync(dpy_, False);
    }

    struct TopWindow {
        int x, y, width, height, depth;
    };
    // Mapped top-level windows that bypass the window manager, as overlay panels do.
    std::vector<TopWindow> mappedOverrideRedirectWindows() {
        std::vector<TopWindow> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy_, DefaultRootWindow(dpy_), &root, &parent, &children, &count)) return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(dpy_, children[i], &a) && a.map_state == IsViewable && a.override_redirect)
                found.push_back({a.x, a.y, a.width, a.height, a.depth});
        }
        if (children) XFree(children);
        return found;
    }

    bool mappedTitled(const std::string& title) { return mappedWindow(dpy_, title).has_value(); }
    // The mapped top-level window with this title, if any.
    std::optional<Window> mappedWindowTitled(const std::string& title) {
        const auto window = mappedWindow(dpy_, title);
        return window ? std::optional<Window>(window->id) : std::nullopt;
    }

    // Another application's window, mapped, with its WM_CLASS class.
    Window applicationWindow(const char* className) {
        const Window w = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 300, 200, 0, 0, 0);
        std::string instance = "viewer", klass = className;
        XClassHint hint{instance.data(), klass.data()};
        XSetClassHint(dpy_, w, &hint);
        XMapWindow(dpy_, w);
        XSync(dpy_, False);
        return w;
    }
    void destroyWindow(Window w) {
        XDestroyWindow(dpy_, w);
        XSync(dpy_, False);
    }
    // What a window manager does when a window takes the focus; it may leave the property
    // naming a window that has gone.
    void activate(Window w) {
        const unsigned long id = w;
        XChangeProperty(dpy_, DefaultRootWindow(dpy_), XInternAtom(dpy_, "_NET_ACTIVE_WINDOW", False),
                        XInternAtom(dpy_, "WINDOW", False), 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&id), 1);
        XSync(dpy_, False);
    }

    // The user types a key into whatever has the focus.
    void typeKey(KeySym keysym) {
        const KeyCode code = XKeysymToKeycode(dpy_, keysym);
        XTestFakeKeyEvent(dpy_, code, True, CurrentTime);
        XTestFakeKeyEvent(dpy_, code, False, CurrentTime);
        XSync(dpy_, False);
    }

private:
    template <class F>
    void forEachCrtc(F f) {
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, DefaultRootWindow(dpy_));
        if (!res) return;
        for (int i = 0; i < res->ncrtc; ++i) {
            XRRCrtcInfo* info = XRRGetCrtcInfo(dpy_, res, res->crtcs[i]);
            const bool driving = info && info->noutput > 0;
            if (info) XRRFreeCrtcInfo(info);
            if (driving) f(res->crtcs[i]);
        }
        XRRFreeScreenResources(res);
    }

    testing::XvfbServer server_;
    Display* dpy_ = nullptr;
    Window compositorOwner_ = 0;
};

// An all-zero ramp is what a server without hardware reports for "untouched".
bool neutral(const Ramps& r) {
    const auto n = r.red.size();
    bool zero = true, identity = n > 1;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = static_cast<double>(i) / static_cast<double>(n - 1);
        zero = zero && r.red[i] == 0 && r.green[i] == 0 && r.blue[i] == 0;
        identity = identity && std::abs(r.red[i] - v) < 1e-3 && std::abs(r.green[i] - v) < 1e-3 &&
                   std::abs(r.blue[i] - v) < 1e-3;
    }
    return zero || identity;
}

bool allNeutral(XServer& x) {
    const auto all = x.ramps();
    return !all.empty() && std::all_of(all.begin(), all.end(), neutral);
}

// Every ramp is the identity scaled by the gains.
bool scaledBy(const Ramps& r, const Multiplier& gains) {
    const auto n = r.red.size();
    if (n < 2) return false;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = static_cast<double>(i) / static_cast<double>(n - 1);
        if (std::abs(r.red[i] - v * gains.r) > 2e-3 || std::abs(r.green[i] - v * gains.g) > 2e-3 ||
            std::abs(r.blue[i] - v * gains.b) > 2e-3)
            return false;
    }
    return true;
}

class X11ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORVANE_REQUIRE_TOOL(x.error());
        session.environment["ORVANE_PLATFORM"] = "linux";
        session.environment["DISPLAY"] = x.display();
    }

    // Settings that put every display of the server on one method, whatever the
    // automatic choice would make of this machine, stored where the program reads them.
    Settings settingsWith(TintMethod method) {
        Settings settings;
        const auto x11 = platform::linuxsys::openX11(nullptr, x.display());
        if (!x11) return settings;
        for (const auto id : x11->displays->onlineDisplays(32)) {
            DisplaySettings display;
            display.method = method;
            settings.displays[DisplayInfo::stableKey(id, *x11->displays)] = display;
        }
        return settings;
    }
    Settings gammaSettings() { return settingsWith(TintMethod::gamma); }
    // Every CRTC's ramps carry these gains.
    bool rampsScaledBy(const Multiplier& gains) {
        const auto all = x.ramps();
        return !all.empty() && std::all_of(all.begin(), all.end(), [&](const Ramps& r) { return scaledBy(r, gains); });
    }
    void store(const Settings& settings) {
        SettingsStore(platform::UserDefaults::open(session.config / "orvane" / "app.orvane.Orvane.json"), nullptr)
            .saveSettings(settings);
    }

    // SIGKILL gives no orderly quit: the watchdog alone must put the ramps back (how soon is
    // bench/watchdog_reset.sh's to measure).
    void killAndExpectWatchdogReset(ProgramProcess& program) {
        program.signal(SIGKILL);
        ASSERT_TRUE(program.waitForExit());
        EXPECT_TRUE(program.waitFor([&] { return allNeutral(x); }, 10s)) << "still tinted 10 s after the kill";
        EXPECT_TRUE(program.waitForOutput("reset 1 display(s)", 10s)) << program.output();
    }

    XServer x;
    Session session;
};

TEST_F(X11ProgramTest, RunsOnTheXDisplayWithGammaRampsAndQuitsNeutral) {
    const Settings settings = gammaSettings();
    ASSERT_EQ(settings.displays.size(), 1u);
    store(settings);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    EXPECT_NE(program.errors().find("platform: linux (X display " + x.display() + ")"), std::string::npos)
        << program.errors();
    EXPECT_NE(program.errors().find("→ Gamma table"), std::string::npos) << program.errors();

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_TRUE(allNeutral(x));
    EXPECT_TRUE(
        program.waitForOutput("Glowkeeper: pid " + std::to_string(program.pid()) + " ended, reset 1 display(s)"))
        << program.output();
}

TEST_F(X11ProgramTest, GammaRampsCarryTheResolvedTintUntilTheWatchdogResetsThemAfterAKill) {
    Settings settings = gammaSettings();
    settings.mode = Mode::manual;
    settings.manualKelvin = 3000;
    settings.manualDim = 0.9;
    store(settings);
    Multiplier gains = Kelvin::multiplier(3000);
    gains = {gains.r * 0.9, gains.g * 0.9, gains.b * 0.9};

    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    ASSERT_TRUE(program.waitFor([&] { return rampsScaledBy(gains); }, 10s)) << program.errors();

    killAndExpectWatchdogReset(program);
}

TEST_F(X11ProgramTest, AfterAKillTheWatchdogPutsTheRampsBack) {
    store(gammaSettings());
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    x.setRamps(1.0, 0.6, 0.3);  // a tint left on the CRTCs, whatever the hour
    ASSERT_FALSE(allNeutral(x));

    killAndExpectWatchdogReset(program);
}

TEST_F(X11ProgramTest, OverlayMethodShowsATranslucentPanelWhereACompositorRunsAndGammaTintsElsewhere) {
    Settings settings = settingsWith(TintMethod::overlay);
    settings.mode = Mode::manual;
    settings.manualKelvin = 2000;
    store(settings);
    {
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        EXPECT_NE(program.errors().find("attach overlay failed for "), std::string::npos) << program.errors();
        EXPECT_NE(program.errors().find("→ Gamma table"), std::string::npos)
            << "the next method this display can run tints it\n"
            << program.errors();
        EXPECT_TRUE(x.mappedOverrideRedirectWindows().empty()) << "an opaque panel would black the screen out";
        program.signal(SIGTERM);
        ASSERT_TRUE(exitedWith(program.waitForExit(), 0));
    }
    // The diagnostics a support request carries name the method in use beside the one
    // asked for: read here from the same settings on the same server, set up as the
    // program sets itself up before its toolkit (overlay windows that need a compositor).
    {
        const auto saved = platform::environmentValue("DISPLAY");
        ::setenv("DISPLAY", x.display().c_str(), 1);
        auto desktop = platform::linuxsys::makeLinuxPlatform({}, true);
        if (saved) ::setenv("DISPLAY", saved->c_str(), 1);
        else ::unsetenv("DISPLAY");
        ASSERT_EQ(desktop->name(), "linux");
        ASSERT_TRUE(desktop->takesToolkitOverlays());
        desktop->setOverlayWindows(std::make_shared<DeferredOverlayWindows>(
            [display = x.display()] { return platform::linuxsys::compositingManagerRunning(display); },
            platform::highestWindowLevel));
        auto settingsStore = std::make_shared<SettingsStore>(
            platform::UserDefaults::open(session.config / "orvane" / "app.orvane.Orvane.json"), nullptr);
        auto engine =
            std::make_shared<TintEngine>(desktop, AppModel::engineConfiguration(settingsStore->loadSettings()));
        AppModel::Environment environment;
        environment.platform = desktop;
        const auto model = AppModel::create(engine, settingsStore, std::move(environment));
        const std::string report = Diagnostics::text(*model);
        EXPECT_NE(report.find(" method=overlay "), std::string::npos) << report;
        EXPECT_NE(report.find(" inUse=gamma"), std::string::npos) << report;
        EXPECT_EQ(report.find(" inUse=overlay"), std::string::npos) << report;
        EXPECT_NE(report.find("\u2192 Gamma table"), std::string::npos) << report;
        engine->detachAll();
    }

    x.actAsCompositor();
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    EXPECT_NE(program.errors().find("→ Overlay tint"), std::string::npos) << program.errors();
    std::vector<XServer::TopWindow> panels;
    ASSERT_TRUE(program.waitFor([&] { return !(panels = x.mappedOverrideRedirectWindows()).empty(); }, 5s));
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels[0].x, 0);
    EXPECT_EQ(panels[0].y, 0);
    EXPECT_EQ(panels[0].width, 1280);  // the whole display of the private server
    EXPECT_EQ(panels[0].height, 800);
    EXPECT_EQ(panels[0].depth, 32) << "a panel with an alpha channel, for the compositor to blend";

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_TRUE(x.mappedOverrideRedirectWindows().empty());
}

// Whether a compositing manager runs is answered on a connection the program keeps: one
// that starts or stops after launch is noticed, and neither that nor a repair pass (which
// asks again what each display can run) opens another connection to the server, as the
// server itself counts them.
TEST_F(X11ProgramTest, ACompositorComingAndGoingIsNoticedWithoutANewConnection) {
    Settings settings = gammaSettings();
    settings.mode = Mode::manual;
    settings.manualKelvin = 3000;
    settings.manualDim = 1.0;
    store(settings);
    const Multiplier gains = Kelvin::multiplier(3000);
    const auto tinted = [&] { return rampsScaledBy(gains); };
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    ASSERT_TRUE(program.waitFor(tinted, 10s)) << program.errors();
    const int atLaunch = x.connectionsFrom(program.pid());
    ASSERT_GT(atLaunch, 0) << "the server names the program's connections";

    x.actAsCompositor();
    EXPECT_TRUE(program.waitForError("overlay: a compositing manager runs now", 10s)) << program.errors();
    x.stopActingAsCompositor();
    EXPECT_TRUE(program.waitForError("overlay: the compositing manager is gone", 10s)) << program.errors();
    // Another client's ramps over the tint: put back by the next repair pass.
    x.setRamps(1.0, 1.0, 1.0);
    ASSERT_TRUE(program.waitFor(tinted, 15s)) << "not repaired\n" << program.errors();
    EXPECT_EQ(x.connectionsFrom(program.pid()), atLaunch);

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

TEST_F(X11ProgramTest, AFirstStartWelcomesTheUserAndStartMakesItTheLastTime) {
    session.environment["QT_QPA_PLATFORM"] = "xcb";
    const std::string welcome = "Welcome to Orvane";
    {
        ProgramProcess program(session, {});
        ASSERT_TRUE(program.waitFor([&] { return x.mappedTitled(welcome); }, 15s)) << program.errors();
        // Return presses "Start" once the window has the focus; tried every 200 ms until then.
        auto lastKey = Steady::now() - 1s;
        ASSERT_TRUE(program.waitFor(
            [&] {
                if (!x.mappedTitled(welcome)) return true;
                if (Steady::now() - lastKey >= 200ms) {
                    x.typeKey(XK_Return);
                    lastKey = Steady::now();
                }
                return false;
            },
            10s))
            << "Return did not start";
        program.signal(SIGTERM);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    }
    ProgramProcess again(session, {});
    ASSERT_TRUE(again.waitUntilReady()) << again.errors();
    EXPECT_FALSE(again.waitFor([&] { return x.mappedTitled(welcome); }, 2s)) << "onboarding was completed";
}

// An excluded application in front lifts the tint; the focus moving to the program's own
// settings window (brought up by a second start), or the excluded window closing while
// the window manager still names it active, brings the tint back.
TEST_F(X11ProgramTest, TheTintFollowsTheFocusOutOfAnExcludedApplication) {
    session.environment["QT_QPA_PLATFORM"] = "xcb";
    Settings settings = gammaSettings();
    settings.mode = Mode::manual;
    settings.manualKelvin = 3000;
    settings.onboardingCompleted = true;
    settings.excludedApps = {ExcludedApp{"Viewer", "Viewer", false}};
    store(settings);
    const Multiplier gains = Kelvin::multiplier(3000);
    const auto tinted = [&] { return rampsScaledBy(gains); };
    const auto untinted = [&] { return allNeutral(x); };
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    ASSERT_TRUE(program.waitFor(tinted, 10s)) << program.errors();

    const Window viewer = x.applicationWindow("Viewer");
    x.activate(viewer);
    ASSERT_TRUE(program.waitFor(untinted, 10s)) << "the excluded application in front\n" << program.errors();

    ProgramProcess again(session, {});
    EXPECT_TRUE(again.waitForExit().has_value()) << "a later start hands over and ends";
    std::optional<Window> settingsWindow;
    ASSERT_TRUE(
        program.waitFor([&] { return (settingsWindow = x.mappedWindowTitled("Orvane Settings")).has_value(); }, 10s))
        << program.errors();
    x.activate(*settingsWindow);
    EXPECT_TRUE(program.waitFor(tinted, 10s)) << "the program's own window in front\n" << program.errors();

    x.activate(viewer);
    ASSERT_TRUE(program.waitFor(untinted, 10s)) << "the excluded application in front again\n" << program.errors();
    x.destroyWindow(viewer);
    EXPECT_TRUE(program.waitFor(tinted, 10s)) << "the excluded window closed\n" << program.errors();

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

// The screenshot mode runs on a machine of its own: a user's tint on the X server stays
// as it is, and no window is mapped, while every image is written.
TEST_F(X11ProgramTest, TheScreenshotModeLeavesTheRampsAndTheScreenAlone) {
    x.setRamps(1.0, 0.8, 0.6);
    const auto before = x.ramps();
    ASSERT_FALSE(before.empty());
    const auto directory = session.root / "shots";
    ProgramProcess program(session, {"--render-ui", directory.string()});
    ASSERT_TRUE(program.waitForOutput("wrote popover.png", 30s)) << program.errors();
    EXPECT_TRUE(x.mappedOverrideRedirectWindows().empty());
    EXPECT_TRUE(exitedWith(program.waitForExit(120s), 0)) << program.errors();
    const auto after = x.ramps();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].red, before[i].red);
        EXPECT_EQ(after[i].green, before[i].green);
        EXPECT_EQ(after[i].blue, before[i].blue);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory), std::filesystem::directory_iterator()), 70);
}

// The automatic method reads the displays, not the distribution's version: on a bare X
// server (ramps, no colour matrix, no compositing manager) every os-release gives the
// gamma table. Each run sees its own /etc/os-release, bind-mounted in a mount namespace.
TEST_F(X11ProgramTest, TheAutomaticMethodIsTheGammaTableWhateverTheOsReleaseSays) {
    ORVANE_REQUIRE_TOOL(std::system("unshare --mount true >/dev/null 2>&1") == 0
                            ? ""
                            : "unshare cannot make a mount namespace (needs root)");
    const struct {
        const char* name;
        const char* osRelease;
    } cases[] = {
        {"Fedora 40", "NAME=\"Fedora Linux\"\nVERSION_ID=40\nPRETTY_NAME=\"Fedora Linux 40 (Workstation Edition)\"\n"},
        {"Ubuntu 26.04", "NAME=\"Ubuntu\"\nVERSION_ID=\"26.04\"\nPRETTY_NAME=\"Ubuntu 26.04 LTS\"\n"},
        {"Debian 12", "NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = session.root / "os-release";
        std::ofstream(file) << c.osRelease;
        ProgramProcess program(
            session,
            {"--mount", "sh", "-c", "mount --bind \"$0\" /etc/os-release && exec \"$1\"", file.string(), ORVANE_PATH},
            "/usr/bin/unshare");
        ASSERT_TRUE(program.waitUntilReady()) << program.errors();
        EXPECT_NE(program.errors().find("→ Gamma table"), std::string::npos) << program.errors();
        EXPECT_EQ(program.errors().find("Not tinted"), std::string::npos) << program.errors();
        program.signal(SIGTERM);
        EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    }
}

// After sleep the drivers may have reset the ramps: logind's PrepareForSleep(false) has
// every display checked and repaired at once, not at the next repair check five seconds on.
// The debug log names what started each check, so the test needs no clock: three rounds,
// each a check started by the wake and the ramps back.
TEST_F(X11ProgramTest, RampsResetDuringSleepAreCheckedAndRepairedOnWaking) {
    testing::SessionBus systemBus(testing::freshDirectory("system-bus"));
    ORVANE_REQUIRE_TOOL(systemBus.error());
    testing::FakeLogind logind(systemBus.address(), testing::FakeLogind::Lock::unlocked, {});
    ASSERT_TRUE(logind.ready());
    session.environment["DBUS_SYSTEM_BUS_ADDRESS"] = systemBus.address();
    session.environment["ORVANE_DEBUG"] = "1";

    Settings settings = gammaSettings();
    settings.mode = Mode::manual;
    settings.manualKelvin = 3000;
    store(settings);
    const Multiplier gains = Kelvin::multiplier(3000);
    const auto tinted = [&] { return rampsScaledBy(gains); };
    ProgramProcess program(session, {});
    const auto checksOnWaking = [&] {
        const std::string line = "checking every display (logind PrepareForSleep(false))";
        const std::string& log = program.errors();
        int n = 0;
        for (auto at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
        return n;
    };
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    ASSERT_TRUE(program.waitFor(tinted, 10s)) << program.errors();
    ASSERT_EQ(checksOnWaking(), 0);

    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        logind.send(testing::FakeLogind::Signal::sleeping);
        x.setRamps(1.0, 1.0, 1.0);
        ASSERT_FALSE(tinted());
        logind.send(testing::FakeLogind::Signal::woke);
        EXPECT_TRUE(program.waitFor([&] { return checksOnWaking() == round; }, 10s)) << program.errors();
        ASSERT_TRUE(program.waitFor(tinted, 10s)) << program.errors();
    }
    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

}  // namespace
}  // namespace orvane::e2e
