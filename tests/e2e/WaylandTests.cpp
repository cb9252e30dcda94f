// The whole program in a Wayland session played by the suite's compositor: it tints
// through the wlroots gamma control with the same gains as under X, an output whose control
// fails is not tinted and says why, the compositor gets its ramps back on a quit and on a
// kill, and XWayland's ramps are never touched.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>

#include "FakeCompositor.h"
#include "ProgramProcess.h"
#include "XvfbServer.h"
#include "app/SettingsStore.h"
#include "core/Kelvin.h"
#include "engine/DisplayManager.h"
#include "platform/UserDefaults.h"
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

    std::filesystem::path directory = testing::freshDirectory("wayland-e2e");
    FakeCompositor compositor{directory / "wayland-test"};
    int panel = 0, monitor = 0;
    Session session;
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

}  // namespace
}  // namespace orvane::e2e
