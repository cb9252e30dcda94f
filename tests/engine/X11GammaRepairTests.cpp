// The gamma method's repair on a real X server: another program overwrites the ramp, and
// the check puts the tint back without waiting for the server inside the check.
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "XvfbServer.h"
#include "engine/GammaBackend.h"
#include "platform/Status.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/X11Session.h"

using namespace orvane;
using namespace orvane::platform;

namespace {

TEST(X11GammaRepairTest, ARampOverwrittenByAnotherProgramIsRepairedOnceTheAnswerComes) {
    orvane::testing::XvfbServer server;
    ORVANE_REQUIRE_TOOL(server.error());
    auto clock = std::make_shared<FakeClock>();
    auto scheduler = std::make_shared<FakeScheduler>(clock);
    const auto saved = environmentValue("DISPLAY");
    ::setenv("DISPLAY", server.display().c_str(), 1);
    auto platform = linuxsys::makeLinuxPlatform(Runtime{clock, scheduler}, true);
    if (saved) ::setenv("DISPLAY", saved->c_str(), 1);
    else ::unsetenv("DISPLAY");
    auto other = linuxsys::openX11(nullptr, server.display());
    ASSERT_TRUE(platform && other);
    const auto pump = [&](const std::function<bool()>& done) {
        return orvane::testing::pumpUntil(*scheduler, done, 2);
    };

    DisplayInfo display;
    display.id = platform->displays().onlineDisplays(32).at(0);
    GammaBackend backend(display, platform);
    ASSERT_FALSE(backend.attach(display));
    backend.apply(RenderRequest(Multiplier(1.0, 0.8, 0.6), false, false, OverlayPlan::none, std::nullopt), 0);
    const std::uint32_t size = backend.count();
    const auto blueTop = [&] {
        GammaRamp r;
        EXPECT_EQ(other->gamma->read(display.id, size, r), status::success);
        return r.blue.back();
    };
    ASSERT_NEAR(blueTop(), 0.6f, 1e-3);

    // Untouched: the check reads, finds the tint and writes nothing.
    orvane::testing::LogCapture logs;
    backend.verifyAndRepair();
    EXPECT_TRUE(pump([&] { return !backend.checking(); }));
    EXPECT_TRUE(logs.messages("gamma").empty());

    ASSERT_EQ(other->gamma->write(display.id, GammaRamp::identity(size)), status::success);
    backend.verifyAndRepair();
    EXPECT_TRUE(backend.checking()) << "the answer is awaited on the main loop, not within the check";
    backend.verifyAndRepair();  // a second check while the first is on its way asks nothing more
    EXPECT_TRUE(pump([&] { return std::fabs(blueTop() - 0.6f) < 1e-3; })) << "not repaired";
    EXPECT_FALSE(backend.checking());
    EXPECT_EQ(logs.messages("gamma"), std::vector<std::string>{"gamma table drifted, reapplying"});

    // An answer that comes after a write of ours is not taken for a drift.
    ASSERT_EQ(other->gamma->write(display.id, GammaRamp::identity(size)), status::success);
    backend.verifyAndRepair();
    backend.apply(RenderRequest(Multiplier(1.0, 0.9, 0.7), false, false, OverlayPlan::none, std::nullopt), 0);
    EXPECT_TRUE(pump([&] { return !backend.checking(); }));
    EXPECT_NEAR(blueTop(), 0.7f, 1e-3);
    EXPECT_EQ(logs.messages("gamma").size(), 1u);
    backend.detach();
}

}  // namespace
