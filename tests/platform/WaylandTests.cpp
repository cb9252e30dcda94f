// The Wayland display services against the suite's own compositor: outputs become displays
// with a lasting identity and follow the compositor, and the gamma port hands the exact
// ramps over, gives the control back, and says why a display cannot be changed.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <string_view>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include "FakeCompositor.h"
#include "SimFixture.h"
#include "platform/FakeScheduler.h"
#include "platform/linux/X11GammaTables.h"
#include "platform/wayland/WaylandDisplays.h"
#include "platform/wayland/WaylandFacilities.h"
#include "platform/wayland/WaylandGammaTables.h"
#include "wlr-gamma-control-unstable-v1-client-protocol.h"

namespace orvane::platform::waylandsys {
namespace {

using testing::FakeCompositor;

FakeCompositor::OutputSpec laptopPanel() {
    FakeCompositor::OutputSpec s;
    s.name = "eDP-1";
    s.make = "Panel Maker";
    s.model = "Thin 14";
    s.width = 2880;
    s.height = 1800;
    s.scale = 2;
    s.physicalWidth = 300;
    s.physicalHeight = 190;
    s.gammaSize = 1024;
    return s;
}

FakeCompositor::OutputSpec monitorRightOf(int x) {
    FakeCompositor::OutputSpec s;
    s.name = "DP-2";
    s.make = "Desk Maker";
    s.model = "Wide 27";
    s.x = x;
    s.width = 2560;
    s.height = 1440;
    s.gammaSize = 256;
    return s;
}

class WaylandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(compositor.error().empty()) << compositor.error(); }

    std::shared_ptr<WaylandFacilities> connect(std::shared_ptr<Scheduler> scheduler = nullptr) {
        return openWayland(std::move(scheduler), compositor.socketPath().string());
    }

    std::filesystem::path directory = testing::freshDirectory("wayland");
    FakeCompositor compositor{directory / "wayland-test"};
};

TEST_F(WaylandTest, EachOutputIsADisplayWithItsPlaceNameAndALastingIdentity) {
    compositor.addOutput(monitorRightOf(1440));
    compositor.addOutput(laptopPanel());
    const auto wayland = connect();
    ASSERT_TRUE(wayland);
    auto& displays = *wayland->displays;

    const auto screens = displays.screens();
    ASSERT_EQ(screens.size(), 2u);
    // The output at the origin is the main one; logical sizes are the mode over the scale.
    EXPECT_EQ(screens[0].localizedName, "Built-in Display");
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1440, 900}));
    EXPECT_EQ(screens[0].backingScaleFactor, 2);
    EXPECT_EQ(screens[1].localizedName, "DP-2");
    EXPECT_EQ(screens[1].frame, (Rect{1440, 900 - 1440, 2560, 1440}));  // bottom-left origin, y upward
    const auto ids = displays.onlineDisplays(8);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(displays.mainDisplay(), ids[0]);
    EXPECT_TRUE(displays.isBuiltin(ids[0]));
    EXPECT_FALSE(displays.isBuiltin(ids[1]));
    const auto panel = wayland->session->output(ids[0]);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->make, "Panel Maker");
    EXPECT_EQ(panel->model, "Thin 14");
    EXPECT_EQ(panel->physicalWidth, 300);
    EXPECT_EQ(panel->modeWidth, 2880);
    EXPECT_EQ(panel->description, "Panel Maker Thin 14 (eDP-1)");

    // Without an EDID the identity comes from what the compositor says: the two differ, and
    // a new connection (the next start) finds the same ones although the ids are new.
    const auto first = displays.uuid(ids[0]), second = displays.uuid(ids[1]);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->size(), 36u);
    const auto again = connect();
    ASSERT_TRUE(again);
    const auto idsAgain = again->displays->onlineDisplays(8);
    ASSERT_EQ(idsAgain.size(), 2u);
    EXPECT_EQ(again->displays->uuid(idsAgain[0]), first);
    EXPECT_EQ(again->displays->uuid(idsAgain[1]), second);
}

TEST_F(WaylandTest, TheDisplayListFollowsOutputsComingAndGoingAndTellsItsObservers) {
    const int panel = compositor.addOutput(laptopPanel());
    auto clock = std::make_shared<FakeClock>();
    auto scheduler = std::make_shared<FakeScheduler>(clock);
    const auto wayland = connect(scheduler);
    ASSERT_TRUE(wayland);
    int told = 0;
    const Handle observation = wayland->displays->observeReconfiguration([&] { ++told; });
    ASSERT_EQ(wayland->displays->onlineDisplays(8).size(), 1u);

    const auto settle = [&](std::size_t expected) {
        for (int i = 0; i < 200 && wayland->displays->onlineDisplays(8).size() != expected; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            scheduler->runPending();
        }
        scheduler->runPending();  // the observers run from the loop, after the events
        return wayland->displays->onlineDisplays(8).size();
    };
    const int monitor = compositor.addOutput(monitorRightOf(1440));
    EXPECT_EQ(settle(2), 2u);
    EXPECT_GE(told, 1);
    const auto monitorId = wayland->displays->onlineDisplays(8)[1];
    const auto monitorUuid = wayland->displays->uuid(monitorId);

    told = 0;
    compositor.removeOutput(panel);
    EXPECT_EQ(settle(1), 1u);
    EXPECT_GE(told, 1);
    EXPECT_EQ(wayland->displays->onlineDisplays(8), std::vector<std::uint32_t>{monitorId});
    EXPECT_EQ(wayland->displays->mainDisplay(), monitorId) << "the one left is the main display";

    // Unplugged and plugged in again: a new id, the same identity.
    compositor.removeOutput(monitor);
    EXPECT_EQ(settle(0), 0u);
    compositor.addOutput(monitorRightOf(0));
    ASSERT_EQ(settle(1), 1u);
    const auto back = wayland->displays->onlineDisplays(8)[0];
    EXPECT_NE(back, monitorId);
    EXPECT_EQ(wayland->displays->uuid(back), monitorUuid);
}

TEST_F(WaylandTest, GammaRampsArriveExactlyAndTheControlIsGivenBack) {
    const int panel = compositor.addOutput(laptopPanel());
    const auto wayland = connect();
    ASSERT_TRUE(wayland);
    auto& gamma = *wayland->gamma;
    const auto id = wayland->displays->onlineDisplays(8).at(0);
    ASSERT_EQ(gamma.capacity(id), 1024u);
    EXPECT_FALSE(gamma.unavailableReason(id));

    // A fresh control reads as the identity: the protocol has no way to read ramps.
    GammaRamp read;
    ASSERT_EQ(gamma.read(id, 1024, read), 0);
    EXPECT_EQ(read, GammaRamp::identity(1024));

    // A table of another length is fitted to the output's, then sent as 16-bit samples.
    GammaRamp ramp = GammaRamp::identity(256);
    for (auto& v : ramp.green) v *= 0.75f;
    for (auto& v : ramp.blue) v *= 0.5f;
    ASSERT_EQ(gamma.write(id, ramp), 0);
    const GammaRamp fitted = ramp.resampled(1024);
    std::vector<std::uint16_t> expected;
    for (const auto* c : {&fitted.red, &fitted.green, &fitted.blue}) {
        const auto samples = linuxsys::channelToX(*c);
        expected.insert(expected.end(), samples.begin(), samples.end());
    }
    ASSERT_TRUE(compositor.waitFor([&] { return compositor.gamma(panel).ramps == expected; }));
    EXPECT_EQ(compositor.gamma(panel).ramps[1023], 65535);
    EXPECT_EQ(compositor.gamma(panel).ramps[1024 + 1023], std::lround(0.75 * 65535));

    // While held, a read gives what was set (so a repair finds nothing drifted).
    ASSERT_EQ(gamma.read(id, 1024, read), 0);
    EXPECT_NEAR(read.blue[1023], 0.5f, 1e-4f);

    // Restoring gives the control back: the compositor puts the output's own ramps back.
    ASSERT_EQ(gamma.restoreDisplay(id), 0);
    ASSERT_TRUE(compositor.waitFor([&] { return !compositor.gamma(panel).held(); }));
    EXPECT_EQ(compositor.gamma(panel).controlsMade, 1);
    ASSERT_EQ(gamma.read(id, 1024, read), 0);
    EXPECT_EQ(read, GammaRamp::identity(1024));
}

TEST_F(WaylandTest, AnOutputWhoseControlFailsHasNoTablesAndSaysWhy) {
    FakeCompositor::OutputSpec noGamma = monitorRightOf(0);
    noGamma.gammaSize = 0;
    const int plain = compositor.addOutput(noGamma);
    const int held = compositor.addOutput(monitorRightOf(2560));
    compositor.failGammaOf(held);  // another program holds it
    const auto wayland = connect();
    ASSERT_TRUE(wayland);
    for (const auto id : wayland->displays->onlineDisplays(8)) {
        EXPECT_EQ(wayland->gamma->capacity(id), 0u);
        EXPECT_NE(wayland->gamma->write(id, GammaRamp::identity(256)), 0);
        EXPECT_EQ(wayland->gamma->unavailableReason(id), std::string(gammaRefusedReason));
    }
    EXPECT_FALSE(compositor.gamma(plain).held());
    EXPECT_FALSE(compositor.gamma(held).held());
}

// The suite's compositor checks a gamma file as a real one relies on it, so the tests
// above cannot pass on a file a compositor would misread: a bare client sends one that is
// not sealed, then one that is sealed but short, and each is refused with a protocol error.
TEST_F(WaylandTest, TheSuitesCompositorRefusesAnUnsealedOrShortGammaFile) {
    const int panel = compositor.addOutput(laptopPanel());
    struct Bound {
        wl_output* output = nullptr;
        zwlr_gamma_control_manager_v1* manager = nullptr;
    };
    static const wl_registry_listener listener = {
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            auto& b = *static_cast<Bound*>(data);
            if (std::string_view(interface) == wl_output_interface.name)
                b.output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
            if (std::string_view(interface) == zwlr_gamma_control_manager_v1_interface.name)
                b.manager = static_cast<zwlr_gamma_control_manager_v1*>(
                    wl_registry_bind(registry, name, &zwlr_gamma_control_manager_v1_interface, 1));
        },
        [](void*, wl_registry*, uint32_t) {}};
    const std::size_t bytes = 1024 * 3 * sizeof(std::uint16_t);
    for (const bool sealed : {false, true}) {
        SCOPED_TRACE(sealed ? "sealed, short" : "unsealed");
        wl_display* display = wl_display_connect(compositor.socketPath().c_str());
        ASSERT_TRUE(display);
        Bound bound;
        wl_registry* registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &listener, &bound);
        ASSERT_GE(wl_display_roundtrip(display), 0);
        ASSERT_TRUE(bound.output && bound.manager);
        auto* control = zwlr_gamma_control_manager_v1_get_gamma_control(bound.manager, bound.output);
        ASSERT_GE(wl_display_roundtrip(display), 0);
        const int fd = ::memfd_create("gamma", MFD_CLOEXEC | MFD_ALLOW_SEALING);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(sealed ? bytes / 2 : bytes)), 0);
        if (sealed) {
            ASSERT_EQ(::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE), 0);
        }
        zwlr_gamma_control_v1_set_gamma(control, fd);
        ::close(fd);
        EXPECT_LT(wl_display_roundtrip(display), 0);
        EXPECT_EQ(wl_display_get_error(display), EPROTO);
        wl_display_disconnect(display);
    }
    EXPECT_TRUE(compositor.waitFor([&] { return compositor.gamma(panel).filesRefused == 2; }));
    EXPECT_TRUE(compositor.gamma(panel).ramps.empty());
}

// A refusal stands: asked at every check, the compositor would refuse (and the log say so)
// every few seconds. Only a change of the output or a gamma manager that comes back makes
// the question worth asking again.
TEST_F(WaylandTest, ARefusedOutputIsAskedAgainOnlyOnceItOrTheGammaManagerChanged) {
    const int held = compositor.addOutput(monitorRightOf(0));
    compositor.failGammaOf(held);
    const auto wayland = connect();
    ASSERT_TRUE(wayland);
    auto& gamma = *wayland->gamma;
    const auto id = wayland->displays->onlineDisplays(8).at(0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(gamma.capacity(id), 0u);
    GammaRamp read;
    EXPECT_NE(gamma.read(id, 256, read), 0);
    EXPECT_NE(gamma.write(id, GammaRamp::identity(256)), 0);
    EXPECT_EQ(compositor.gamma(held).controlsAsked, 1);
    EXPECT_EQ(gamma.unavailableReason(id), std::string(gammaRefusedReason));

    // A new mode (the other program's hold ended with the old one).
    compositor.changeMode(held, 1920, 1080);
    ASSERT_TRUE(wayland->session->roundtrip());
    EXPECT_EQ(gamma.capacity(id), 256u);
    EXPECT_EQ(compositor.gamma(held).controlsAsked, 2);
    EXPECT_FALSE(gamma.unavailableReason(id));

    // The gamma manager goes: nothing is asked; it comes back: the output is asked again.
    compositor.removeGammaManager();
    ASSERT_TRUE(wayland->session->roundtrip());
    EXPECT_FALSE(wayland->session->offersGammaControl());
    EXPECT_EQ(gamma.capacity(id), 0u);
    EXPECT_EQ(gamma.unavailableReason(id), std::string(noColourControlReason));
    compositor.failGammaOf(held);
    compositor.addGammaManager();
    ASSERT_TRUE(wayland->session->roundtrip());
    EXPECT_EQ(gamma.capacity(id), 0u);
    EXPECT_EQ(gamma.capacity(id), 0u);
    EXPECT_EQ(compositor.gamma(held).controlsAsked, 3);
    EXPECT_EQ(gamma.unavailableReason(id), std::string(gammaRefusedReason));
}

// The compositor may take a control back while it is in use (another program got the
// output's gamma): the port then has no tables for the output, says why, and does not
// keep asking.
TEST_F(WaylandTest, AControlTakenBackWhileInUseLeavesNoTablesAndSaysWhy) {
    const int panel = compositor.addOutput(laptopPanel());
    const auto wayland = connect();
    ASSERT_TRUE(wayland);
    auto& gamma = *wayland->gamma;
    const auto id = wayland->displays->onlineDisplays(8).at(0);
    ASSERT_EQ(gamma.write(id, GammaRamp::identity(1024)), 0);
    ASSERT_TRUE(compositor.waitFor([&] { return compositor.gamma(panel).held(); }));

    compositor.withdrawGammaOf(panel);
    ASSERT_TRUE(wayland->session->roundtrip());
    EXPECT_EQ(gamma.capacity(id), 0u);
    GammaRamp read;
    EXPECT_NE(gamma.read(id, 1024, read), 0) << "a repair check must see that the tables are gone";
    EXPECT_NE(gamma.write(id, GammaRamp::identity(1024)), 0);
    EXPECT_EQ(gamma.unavailableReason(id), std::string(gammaWithdrawnReason));
    EXPECT_TRUE(wayland->session->heldGamma(id).empty());
    EXPECT_EQ(compositor.gamma(panel).controlsAsked, 1);
    EXPECT_EQ(gamma.readCall(), "zwlr_gamma_control_manager_v1.get_gamma_control");
    EXPECT_EQ(gamma.writeCall(), "zwlr_gamma_control_v1.set_gamma");
}

// The compositor goes away: the observers hear it once, from the loop (also one that asks
// only afterwards), and every output has no tables, says why, and asks nothing more.
TEST_F(WaylandTest, ALostCompositorIsToldOnceAndLeavesEveryOutputWithoutTables) {
    compositor.addOutput(laptopPanel());
    compositor.addOutput(monitorRightOf(1440));
    auto clock = std::make_shared<FakeClock>();
    auto scheduler = std::make_shared<FakeScheduler>(clock);
    const auto wayland = connect(scheduler);
    ASSERT_TRUE(wayland);
    auto& gamma = *wayland->gamma;
    const auto ids = wayland->displays->onlineDisplays(8);
    ASSERT_EQ(ids.size(), 2u);
    ASSERT_EQ(gamma.write(ids[0], GammaRamp::identity(1024)), 0);
    int told = 0;
    const Handle observation = wayland->session->observeLoss([&] { ++told; });

    compositor.stop();
    EXPECT_FALSE(wayland->session->roundtrip());
    EXPECT_EQ(told, 0) << "told from the loop, not from inside the connection";
    scheduler->runPending();
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(wayland->session->lost());
    int toldLater = 0;
    const Handle late = wayland->session->observeLoss([&] { ++toldLater; });
    EXPECT_FALSE(wayland->session->roundtrip());
    scheduler->runPending();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(toldLater, 1);
    for (const auto id : ids) {
        EXPECT_EQ(gamma.capacity(id), 0u);
        EXPECT_NE(gamma.write(id, GammaRamp::identity(1024)), 0);
        EXPECT_TRUE(wayland->session->heldGamma(id).empty());
        EXPECT_EQ(gamma.unavailableReason(id), std::string(connectionLostReason));
    }
}

// Where the compositor offers xdg-output, it gives the logical size (a fractional scale
// that wl_output's whole-number scale cannot tell) and, for an output too old to name
// itself, the connector and description. Without it, such an output is only "Display".
TEST(WaylandXdgOutputTest, XdgOutputGivesTheLogicalSizeAndTheNamesAnOldOutputLacks) {
    for (const bool xdg : {true, false}) {
        SCOPED_TRACE(xdg ? "with xdg-output" : "without xdg-output");
        const auto directory = testing::freshDirectory("wayland");
        FakeCompositor compositor(directory / "wayland-test", true, xdg);
        ASSERT_TRUE(compositor.error().empty()) << compositor.error();
        FakeCompositor::OutputSpec old = laptopPanel();  // 2880x1800 at 1.5: scale 2 on wl_output
        old.version = 3;
        old.logicalWidth = 1920;
        old.logicalHeight = 1200;
        compositor.addOutput(old);
        FakeCompositor::OutputSpec monitor = monitorRightOf(xdg ? 1920 : 1440);
        compositor.addOutput(monitor);
        const auto wayland = openWayland(nullptr, compositor.socketPath().string());
        ASSERT_TRUE(wayland);
        const auto screens = wayland->displays->screens();
        ASSERT_EQ(screens.size(), 2u);
        const auto ids = wayland->displays->onlineDisplays(8);
        const auto panel = wayland->session->output(ids.at(0));
        const auto desk = wayland->session->output(ids.at(1));
        ASSERT_TRUE(panel && desk);
        if (xdg) {
            EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1920, 1200}));
            EXPECT_EQ(screens[0].localizedName, "Built-in Display");
            EXPECT_TRUE(wayland->displays->isBuiltin(ids[0]));
            EXPECT_EQ(panel->name, "eDP-1");
            EXPECT_EQ(panel->description, "xdg Panel Maker Thin 14");
            // A current output names itself: xdg-output does not override it.
            EXPECT_EQ(desk->description, "Desk Maker Wide 27 (DP-2)");
            EXPECT_EQ(screens[1].frame, (Rect{1920, 1200 - 1440, 2560, 1440}));
        } else {
            EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1440, 900}));
            EXPECT_EQ(screens[0].localizedName, "Display");
            EXPECT_FALSE(wayland->displays->isBuiltin(ids[0]));
            EXPECT_EQ(panel->name, "");
        }
        EXPECT_EQ(panel->modeWidth, 2880);
        EXPECT_EQ(panel->scale, 2);
    }
}

TEST(WaylandWithoutGammaTest, ACompositorWithoutTheGammaManagerLetsNoProgramChangeColours) {
    const auto directory = testing::freshDirectory("wayland");
    FakeCompositor compositor(directory / "wayland-test", /*gammaManager=*/false);
    ASSERT_TRUE(compositor.error().empty()) << compositor.error();
    compositor.addOutput(laptopPanel());
    const auto wayland = openWayland(nullptr, compositor.socketPath().string());
    ASSERT_TRUE(wayland);
    EXPECT_FALSE(wayland->session->offersGammaControl());
    const auto id = wayland->displays->onlineDisplays(8).at(0);
    EXPECT_EQ(wayland->gamma->capacity(id), 0u);
    EXPECT_EQ(wayland->gamma->unavailableReason(id), std::string(noColourControlReason));
}

TEST(WaylandSessionTest, NoCompositorNoSession) {
    EXPECT_FALSE(openWayland(nullptr, testing::freshDirectory("wayland").string() + "/nobody-here"));
}

}  // namespace
}  // namespace orvane::platform::waylandsys
