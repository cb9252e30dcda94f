// The whole program in a Wayland session played by the suite's compositor: it tints
// through the wlroots gamma control with the same gains as under X, an output whose control
// fails is not tinted and says why (also when the control is taken back while in use), the
// displays follow the outputs plugged in and out, the compositor gets its ramps back on a
// quit and on a kill, and XWayland's ramps are never touched; a compositor that goes away
// ends the program. A monitor with an EDID keeps the key it has under X.
#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <fstream>
#include <memory>

#include "FakeCompositor.h"
#include "FakeStatusNotifierWatcher.h"
#include "ProgramProcess.h"
#include "SessionBus.h"
#include "XvfbServer.h"
#include "app/SettingsStore.h"
#include "core/Kelvin.h"
#include "engine/DisplayManager.h"
#include "platform/UserDefaults.h"
#include "platform/linux/X11Session.h"
#include "platform/wayland/WaylandDisplays.h"
#include "platform/wayland/WaylandFacilities.h"

namespace orvane::e2e {
namespace {

using testing::FakeCompositor;

// The CRTC ramps of an X server, read and set over a connection held for the whole test
// (a server whose last client leaves resets its ramps, which would hide a write).
class XRamps {
public:
    explicit XRamps(const std::string& displayName) : dpy_(XOpenDisplay(displayName.c_str())) {}
    ~XRamps() {
        if (dpy_) XCloseDisplay(dpy_);
    }
    XRamps(const XRamps&) = delete;
    XRamps& operator=(const XRamps&) = delete;
    bool opened() const { return dpy_ != nullptr; }

    std::vector<std::vector<unsigned short>> all() {
        std::vector<std::vector<unsigned short>> ramps;
        forEachCrtc([&](RRCrtc crtc) {
            XRRCrtcGamma* g = XRRGetCrtcGamma(dpy_, crtc);
            if (!g) return;
            std::vector<unsigned short> r(g->red, g->red + g->size);
            r.insert(r.end(), g->green, g->green + g->size);
            r.insert(r.end(), g->blue, g->blue + g->size);
            ramps.push_back(std::move(r));
            XRRFreeGamma(g);
        });
        return ramps;
    }

    // Something recognisable that no reset or tint of ours would write.
    void setMarked() {
        forEachCrtc([&](RRCrtc crtc) {
            const int size = XRRGetCrtcGammaSize(dpy_, crtc);
            XRRCrtcGamma* g = XRRAllocGamma(size);
            for (int i = 0; i < size; ++i) {
                g->red[i] = static_cast<unsigned short>(i * 7);
                g->green[i] = static_cast<unsigned short>(i * 5);
                g->blue[i] = static_cast<unsigned short>(i * 3);
            }
            XRRSetCrtcGamma(dpy_, crtc, g);
            XRRFreeGamma(g);
        });
        XSync(dpy_, False);
    }

private:
    template <class F>
    void forEachCrtc(F f) {
        XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy_, DefaultRootWindow(dpy_));
        for (int i = 0; res && i < res->ncrtc; ++i) f(res->crtcs[i]);
        if (res) XRRFreeScreenResources(res);
    }

    Display* dpy_;
};

// The identity scaled by the gains, as 16-bit samples: what the X gamma path writes for them.
std::vector<std::uint16_t> scaledRamps(std::uint32_t size, const Multiplier& gains) {
    std::vector<std::uint16_t> ramps;
    for (const double gain : {gains.r, gains.g, gains.b})
        for (std::uint32_t i = 0; i < size; ++i) {
            const double v = static_cast<double>(i) / (size - 1) * gain;
            ramps.push_back(static_cast<std::uint16_t>(std::lround(std::clamp(v, 0.0, 1.0) * 65535)));
        }
    return ramps;
}

bool closeTo(const std::vector<std::uint16_t>& got, const std::vector<std::uint16_t>& want) {
    if (got.size() != want.size()) return false;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (std::abs(static_cast<int>(got[i]) - static_cast<int>(want[i])) > 1) return false;
    return true;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// The tray item's tooltip, title and text; empty when it cannot be read.
std::string trayToolTip(const std::string& address, const std::string& service) {
    sd_bus* bus = nullptr;
    std::string out;
    if (sd_bus_new(&bus) < 0) return out;
    sd_bus_set_address(bus, address.c_str());
    sd_bus_set_bus_client(bus, 1);
    sd_bus_message* reply = nullptr;
    sd_bus_error error{};
    const char *icon = nullptr, *title = nullptr, *text = nullptr;
    if (sd_bus_start(bus) >= 0 &&
        sd_bus_get_property(bus, service.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "ToolTip",
                            &error, &reply, "(sa(iiay)ss)") >= 0 &&
        sd_bus_message_enter_container(reply, 'r', "sa(iiay)ss") >= 0 && sd_bus_message_read(reply, "s", &icon) >= 0 &&
        sd_bus_message_skip(reply, "a(iiay)") >= 0 && sd_bus_message_read(reply, "ss", &title, &text) >= 0)
        out = std::string(title ? title : "") + "|" + (text ? text : "");
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return out;
}

class WaylandProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(compositor.error().empty()) << compositor.error();
        panel = compositor.addOutput(panelSpec());
        monitor = compositor.addOutput(monitorSpec());
        compositor.failGammaOf(monitor);                        // as if another program held it
        session.environment["ORVANE_PLATFORM"] = std::nullopt;  // chosen by the session
        session.environment["WAYLAND_DISPLAY"] = compositor.socketPath().string();
        session.environment["XDG_SESSION_TYPE"] = "wayland";
        session.environment["QT_QPA_PLATFORM"] = "offscreen";
    }

    static FakeCompositor::OutputSpec panelSpec() {
        FakeCompositor::OutputSpec s;
        s.name = "eDP-1";
        s.gammaSize = 512;
        return s;
    }
    static FakeCompositor::OutputSpec monitorSpec() {
        FakeCompositor::OutputSpec s;
        s.name = "DP-1";
        s.x = 1920;
        return s;
    }

    // Manual warmth on every output, each on the gamma method, stored where the program reads it.
    void storeWarmth(std::int64_t kelvin, double dim) {
        Settings settings;
        settings.mode = Mode::manual;
        settings.manualKelvin = kelvin;
        settings.manualDim = dim;
        const auto wayland = platform::waylandsys::openWayland(nullptr, compositor.socketPath().string());
        ASSERT_TRUE(wayland);
        for (const auto id : wayland->displays->onlineDisplays(8)) {
            DisplaySettings display;
            display.method = TintMethod::gamma;
            settings.displays[DisplayInfo::stableKey(id, *wayland->displays)] = display;
        }
        ASSERT_EQ(settings.displays.size(), 2u);
        SettingsStore(platform::UserDefaults::open(session.config / "orvane" / "app.orvane.Orvane.json"), nullptr)
            .saveSettings(settings);
    }

    // The panel carries the tint with the X path's gains; the monitor, refused, says why.
    void expectTintedPanelAndHonestMonitor(ProgramProcess& program) {
        Multiplier gains = Kelvin::multiplier(3000);
        gains = {gains.r * 0.9, gains.g * 0.9, gains.b * 0.9};
        const auto expected = scaledRamps(512, gains);
        EXPECT_TRUE(compositor.waitFor([&] { return closeTo(compositor.gamma(panel).ramps, expected); }))
            << program.errors();
        const std::string& log = program.errors();
        EXPECT_NE(log.find("platform: linux (Wayland display "), std::string::npos) << log;
        EXPECT_NE(log.find("Built-in Display [built-in] → Gamma table"), std::string::npos) << log;
        EXPECT_NE(log.find("DP-1 [external] → Not tinted: the compositor refused this display's gamma"),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("DP-1 [external] → Gamma table"), std::string::npos) << log;
        EXPECT_EQ(log.find("→ Overlay tint"), std::string::npos) << "no window lies over a Wayland screen";
        EXPECT_FALSE(compositor.gamma(monitor).held());
    }

    // A session bus with a tray host, for the tray item's tooltip. Qt's offscreen platform
    // has no tray: the interface runs on an X server standing in for XWayland.
    void withTray() {
        xserver = std::make_unique<testing::XvfbServer>();
        ORVANE_REQUIRE_TOOL(xserver->error());
        session.environment["DISPLAY"] = xserver->display();
        session.environment["QT_QPA_PLATFORM"] = std::nullopt;
        bus = std::make_unique<testing::SessionBus>(session.root);
        ORVANE_REQUIRE_TOOL(bus->error());
        watcher = std::make_unique<testing::FakeStatusNotifierWatcher>(bus->address());
        ASSERT_TRUE(watcher->ready());
        session.environment["DBUS_SESSION_BUS_ADDRESS"] = bus->address();
    }
    bool toolTipShows(ProgramProcess& program, const std::string& text) {
        return program.waitFor(
            [&] {
                return !watcher->service().empty() &&
                       trayToolTip(bus->address(), watcher->service()).find(text) != std::string::npos;
            },
            20s);
    }

    std::filesystem::path directory = testing::freshDirectory("wayland-e2e");
    FakeCompositor compositor{directory / "wayland-test"};
    int panel = 0, monitor = 0;
    Session session;
    std::unique_ptr<testing::XvfbServer> xserver;
    std::unique_ptr<testing::SessionBus> bus;
    std::unique_ptr<testing::FakeStatusNotifierWatcher> watcher;
};

TEST_F(WaylandProgramTest, TintsThroughTheGammaControlAndGivesItBackOnQuit) {
    storeWarmth(3000, 0.9);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    expectTintedPanelAndHonestMonitor(program);
    EXPECT_TRUE(compositor.gamma(panel).held());

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
    EXPECT_TRUE(compositor.waitFor([&] { return !compositor.gamma(panel).held(); }));
    // The compositor restores on its own: the watchdog has nothing to do here.
    EXPECT_TRUE(
        program.waitForOutput("Glowkeeper: pid " + std::to_string(program.pid()) + " ended, reset 0 display(s)"))
        << program.output();
}

// XWayland is an X server whose ramps reach no screen: with DISPLAY set as well (an Xvfb
// stands in for it), nothing goes to its ramps, neither from the program nor from the
// watchdog after a kill, and the kill itself gives the compositor its ramps back.
TEST_F(WaylandProgramTest, WithXWaylandBesideItNothingReachesTheXRampsAndAKillGivesTheControlBack) {
    testing::XvfbServer xwayland;
    ORVANE_REQUIRE_TOOL(xwayland.error());
    XRamps x(xwayland.display());
    ASSERT_TRUE(x.opened());
    x.setMarked();
    const auto before = x.all();
    ASSERT_FALSE(before.empty());
    session.environment["DISPLAY"] = xwayland.display();
    storeWarmth(3000, 0.9);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    expectTintedPanelAndHonestMonitor(program);
    EXPECT_NE(program.errors().find(", XWayland " + xwayland.display()), std::string::npos) << program.errors();
    EXPECT_EQ(x.all(), before);

    program.signal(SIGKILL);
    ASSERT_TRUE(program.waitForExit());
    EXPECT_TRUE(compositor.waitFor([&] { return !compositor.gamma(panel).held(); }))
        << "the control outlived its client";
    EXPECT_TRUE(program.waitForOutput("ended, reset 0 display(s)", 10s)) << program.output();
    EXPECT_EQ(x.all(), before) << "the watchdog reset XWayland's ramps";
}

// Another program takes the panel's gamma while Orvane tints through it: the compositor
// sends `failed` to the live control. The next repair check finds the tables gone, the
// panel goes through the fallback chain (nothing else can tint a Wayland screen here) and
// says why, in the log and in the tray, instead of claiming the gamma table still. Neither
// output is asked for its gamma again, nor the refusals logged again, at the later checks.
TEST_F(WaylandProgramTest, AGammaControlTakenBackWhileRunningIsNoLongerClaimed) {
    withTray();
    if (HasFatalFailure() || IsSkipped()) return;
    storeWarmth(3000, 0.9);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    expectTintedPanelAndHonestMonitor(program);
    ASSERT_TRUE(toolTipShows(program, "3000K")) << program.errors();

    compositor.withdrawGammaOf(panel);
    const std::string withdrawn = platform::waylandsys::gammaWithdrawnReason;
    EXPECT_TRUE(program.waitForError("Built-in Display is not tinted: " + withdrawn, 20s)) << program.errors();
    EXPECT_TRUE(toolTipShows(program, "Not tinted: " + withdrawn)) << trayToolTip(bus->address(), watcher->service());
    // Two more rounds of checks (every 5 s) ask nothing and log nothing new.
    program.waitFor([] { return false; }, 11s);
    const std::string log = program.errors();
    EXPECT_EQ(occurrences(log, "refused the gamma control of DP-1"), 1u) << log;
    EXPECT_EQ(occurrences(log, "withdrew the gamma control of eDP-1"), 1u) << log;
    EXPECT_EQ(occurrences(log, "is not tinted: " + withdrawn), 1u) << log;
    EXPECT_EQ(compositor.gamma(panel).controlsAsked, 1);
    EXPECT_EQ(compositor.gamma(monitor).controlsAsked, 1);
    EXPECT_FALSE(compositor.gamma(panel).held());

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

// With the program running, an output plugged in is tinted like the others, and those
// unplugged leave the display list: with only the refused monitor left, nothing is tinted
// and the tray says why.
TEST_F(WaylandProgramTest, OutputsPluggedInAndOutWhileRunningJoinAndLeaveTheDisplays) {
    withTray();
    if (HasFatalFailure() || IsSkipped()) return;
    storeWarmth(3000, 0.9);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    expectTintedPanelAndHonestMonitor(program);
    // The refused monitor beside the tinted panel is named, with why.
    ASSERT_TRUE(
        toolTipShows(program, std::string("3000K \u00B7 DP-1 not tinted: ") + platform::waylandsys::gammaRefusedReason))
        << trayToolTip(bus->address(), watcher->service()) << program.errors();

    FakeCompositor::OutputSpec projector;
    projector.name = "HDMI-A-1";
    projector.x = 3840;
    projector.gammaSize = 1024;
    const int added = compositor.addOutput(projector);
    Multiplier gains = Kelvin::multiplier(3000);
    gains = {gains.r * 0.9, gains.g * 0.9, gains.b * 0.9};
    EXPECT_TRUE(compositor.waitFor([&] { return closeTo(compositor.gamma(added).ramps, scaledRamps(1024, gains)); }))
        << program.errors();

    compositor.removeOutput(panel);
    EXPECT_TRUE(compositor.waitFor([&] { return !compositor.gamma(panel).held(); }));
    EXPECT_TRUE(program.waitForError("displays changed: +0 -1")) << program.errors();
    // The layout changed, so it may be attached again (released and set again at once).
    EXPECT_TRUE(compositor.waitFor([&] {
        return compositor.gamma(added).held() && closeTo(compositor.gamma(added).ramps, scaledRamps(1024, gains));
    })) << "the other output keeps its tint";
    EXPECT_NE(trayToolTip(bus->address(), watcher->service()).find("3000K"), std::string::npos)
        << "one display is still tinted";
    compositor.removeOutput(added);
    EXPECT_TRUE(toolTipShows(program, std::string("Not tinted: ") + platform::waylandsys::gammaRefusedReason))
        << trayToolTip(bus->address(), watcher->service()) << program.errors();

    compositor.addOutput(panelSpec());
    EXPECT_TRUE(toolTipShows(program, "3000K")) << "plugged in again, the panel is tinted again";

    program.signal(SIGTERM);
    EXPECT_TRUE(exitedWith(program.waitForExit(), 0)) << program.errors();
}

// The watchdog the program started: its child of that name, from /proc.
std::optional<pid_t> watchdogOf(pid_t program) {
    const std::string task = "/proc/" + std::to_string(program) + "/task/" + std::to_string(program);
    std::ifstream children(task + "/children");
    for (pid_t child = 0; children >> child;) {
        std::ifstream comm("/proc/" + std::to_string(child) + "/comm");
        std::string name;
        if (std::getline(comm, name) && name == "glowkeeper") return child;
    }
    return std::nullopt;
}

// Gone, or a zombie nobody has reaped yet.
bool ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const auto close = line.rfind(')');
    return close == std::string::npos || line.compare(close + 2, 1, "Z") == 0;
}

// The compositor goes away while Qt's offscreen platform, which holds no connection to it,
// keeps the interface alive: every display says why it is no longer tinted, and the program
// ends with status 1 and that line, its watchdog with it, instead of running on and
// claiming a tint that no screen shows.
TEST_F(WaylandProgramTest, ACompositorThatGoesAwayEndsTheProgramWithStatusOne) {
    storeWarmth(3000, 0.9);
    ProgramProcess program(session, {});
    ASSERT_TRUE(program.waitUntilReady()) << program.errors();
    expectTintedPanelAndHonestMonitor(program);
    std::optional<pid_t> watchdog;
    ASSERT_TRUE(program.waitFor([&] { return (watchdog = watchdogOf(program.pid())).has_value(); }, 10s));

    compositor.stop();
    EXPECT_TRUE(exitedWith(program.waitForExit(), 1)) << program.errors();
    const std::string lost = platform::waylandsys::connectionLostReason;
    const std::string& log = program.errors();
    EXPECT_NE(log.find("Not tinted: " + lost + "; quitting"), std::string::npos) << log;
    for (const std::string display : {"Built-in Display", "DP-1"})
        EXPECT_NE(log.find(display + " is not tinted: " + lost), std::string::npos) << display << "\n" << log;
    EXPECT_EQ(occurrences(log, "refused the gamma control"), 1u) << "only the monitor's, at the start\n" << log;
    EXPECT_TRUE(
        program.waitForOutput("Glowkeeper: pid " + std::to_string(program.pid()) + " ended, reset 0 display(s)", 10s))
        << program.output();
    EXPECT_TRUE(program.waitFor([&] { return ended(*watchdog); }, 10s)) << "the watchdog outlived the program";
}

// A 128-byte EDID block naming the monitor.
std::vector<std::uint8_t> edidNaming(const std::string& name) {
    std::vector<std::uint8_t> e(128, 0);
    const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(header), std::end(header), e.begin());
    e[8] = 0x10;  // vendor
    e[9] = 0xAC;
    e[10] = 0x42;  // product
    e[11] = 0xA1;
    e[12] = 0x78;  // serial
    e[13] = 0x56;
    const std::size_t d = 72;  // descriptor 2: the monitor's name
    e[d + 3] = 0xFC;
    for (std::size_t i = 0; i < 13; ++i)
        e[d + 5 + i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : (i == name.size() ? 0x0A : 0x20);
    return e;
}

// What is stored per display is keyed by the EDID where the monitor gives one: under X it
// comes from the RandR output, on Wayland from the DRM connector of the output's name, and
// the two keys (and names) are the same.
TEST(WaylandDisplayKeyTest, AMonitorWithAnEdidKeepsItsKeyAndNameFromXToWayland) {
    const auto edid = edidNaming("Studio 27");
    testing::XvfbServer xserver;
    ORVANE_REQUIRE_TOOL(xserver.error());
    Display* other = XOpenDisplay(xserver.display().c_str());
    ASSERT_TRUE(other);
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(other, DefaultRootWindow(other));
    ASSERT_TRUE(res && res->noutput > 0);
    XRRChangeOutputProperty(other, res->outputs[0], XInternAtom(other, "EDID", False), XA_INTEGER, 8, PropModeReplace,
                            edid.data(), static_cast<int>(edid.size()));
    XSync(other, False);
    XRRFreeScreenResources(res);
    const auto x11 = platform::linuxsys::openX11(nullptr, xserver.display());
    ASSERT_TRUE(x11);
    const auto xId = x11->displays->onlineDisplays(8).at(0);
    const std::string xKey = DisplayInfo::stableKey(xId, *x11->displays);
    EXPECT_EQ(xKey.rfind("vms:", 0), 0u) << xKey;
    EXPECT_EQ(x11->displays->screens().at(0).localizedName, "Studio 27");

    const auto directory = testing::freshDirectory("wayland-edid");
    const auto drm = directory / "drm";
    std::filesystem::create_directories(drm / "card1-DP-3");
    std::ofstream(drm / "card1-DP-3" / "status") << "connected\n";
    std::ofstream(drm / "card1-DP-3" / "edid", std::ios::binary)
        .write(reinterpret_cast<const char*>(edid.data()), static_cast<std::streamsize>(edid.size()));
    FakeCompositor compositor(directory / "wayland-test");
    ASSERT_TRUE(compositor.error().empty()) << compositor.error();
    FakeCompositor::OutputSpec plain;
    plain.name = "DP-1";  // a monitor without an EDID beside it
    compositor.addOutput(plain);
    FakeCompositor::OutputSpec studio;
    studio.name = "DP-3";
    studio.x = 1920;
    compositor.addOutput(studio);
    const auto session = platform::waylandsys::WaylandSession::open(nullptr, compositor.socketPath().string(), drm);
    ASSERT_TRUE(session);
    platform::waylandsys::WaylandDisplays displays(session);
    const auto ids = displays.onlineDisplays(8);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(DisplayInfo::stableKey(ids[1], displays), xKey);
    EXPECT_EQ(displays.screens().at(1).localizedName, "Studio 27");
    EXPECT_EQ(DisplayInfo::stableKey(ids[0], displays).rfind("uuid:", 0), 0u);
    XCloseDisplay(other);
}

}  // namespace
}  // namespace orvane::e2e
