#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/OverlayBackend.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::colorNear;
using orvane::testing::EngineTest;
using orvane::testing::grey;
using orvane::testing::LogCapture;

namespace {

RenderRequest planned(double redOpacity, double dimOpacity) {
    RenderRequest r(Multiplier(1, 0.6, 0.3), false, false,
                    OverlayPlan(std::nullopt, 1.0, 0.3, 0.0, redOpacity, dimOpacity), std::nullopt);
    return r;
}

class OverlayBackendTest : public EngineTest {
protected:
    std::unique_ptr<OverlayBackend> attached(const DisplayInfo& d) {
        auto backend =
            std::make_unique<OverlayBackend>(d, LayerColorMode::encodedSRGB, ReadableRedStrategy::layers, sim);
        const auto error = backend->attach(d);
        EXPECT_FALSE(error) << (error ? error->description() : "");
        return backend;
    }
    // The one window of this test, as the machine holds it.
    sim::SimWindow window() const {
        const auto all = windows();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? sim::SimWindow{} : all.front();
    }
};

}  // namespace

TEST_F(OverlayBackendTest, AttachBuildsAClearPanelOverTheWholeScreenAndShowsItOnlyForATint) {
    auto backend = attached(external());
    const auto w = window();
    EXPECT_EQ(w.frame, (Rect{1512, 0, 2560, 1440}));
    EXPECT_EQ(w.level, OverlayBackend::baseLevel(*sim));
    EXPECT_FALSE(w.opaque);
    EXPECT_FALSE(w.visible);
    ASSERT_EQ(w.layers.size(), 2u);  // red below, dim above, both full size and clear
    EXPECT_EQ(w.layers[0].frame, (Rect{0, 0, 2560, 1440}));
    EXPECT_EQ(w.layers[0].opacity, 0);
    EXPECT_EQ(w.layers[1].red, 0);
    EXPECT_EQ(w.layers[1].opacity, 0);
    EXPECT_FALSE(backend->panel()->canBecomeKey());
    EXPECT_FALSE(backend->panel()->canBecomeMain());

    backend->apply(planned(0.4, 0.5), 1);
    EXPECT_TRUE(window().visible);
    EXPECT_EQ(window().layers[0].opacity, 0);  // a fade in starts from clear
    scheduler->advance(0.5);
    EXPECT_NEAR(window().layers[0].opacity, 0.2, 1e-6);
    EXPECT_NEAR(window().layers[1].opacity, 0.25, 1e-6);
    scheduler->advance(0.6);
    EXPECT_NEAR(window().layers[0].opacity, 0.4, 1e-6);
    EXPECT_NEAR(window().layers[1].opacity, 0.5, 1e-6);
    EXPECT_EQ(backend->shown(), planned(0.4, 0.5).plan);
    // Half black over a 40 % orange layer over the grey desktop.
    const double r = 0.5 * 0.6 + 1.0 * 0.4, g = 0.5 * 0.6 + 0.3 * 0.4, b = 0.5 * 0.6;
    EXPECT_TRUE(colorNear(seen(2), {r * 0.5, g * 0.5, b * 0.5}));
    EXPECT_TRUE(colorNear(seen(1), grey));
}

TEST_F(OverlayBackendTest, DurationsUpToTwoHundredthsAreDrawnAtOnce) {
    auto backend = attached(builtIn());
    backend->apply(planned(0.4, 0), 0.02);
    EXPECT_FALSE(backend->isFading());
    EXPECT_NEAR(window().layers[0].opacity, 0.4, 1e-6);
    backend->apply(planned(0.1, 0), 0.021);
    EXPECT_TRUE(backend->isFading());
    scheduler->advance(0.1);
    EXPECT_FALSE(backend->isFading());
    EXPECT_NEAR(window().layers[0].opacity, 0.1, 1e-6);
}

TEST_F(OverlayBackendTest, ClearingFadesOutThenOrdersThePanelOutUnlessATintReturns) {
    auto backend = attached(builtIn());
    backend->apply(planned(0.4, 0.4), 0);
    backend->apply(RenderRequest::identity(), 1.0);
    scheduler->advance(1.0);
    EXPECT_EQ(backend->shown(), OverlayPlan::none);
    EXPECT_TRUE(window().visible);
    scheduler->advance(0.049);
    EXPECT_TRUE(window().visible);
    scheduler->advance(0.002);
    EXPECT_FALSE(window().visible);  // 1050 ms after the request

    backend->apply(planned(0.4, 0.4), 0);
    backend->apply(RenderRequest::identity(), 1.0);
    scheduler->advance(0.5);
    const double halfway = window().layers[0].opacity;
    EXPECT_NEAR(halfway, 0.2, 1e-6);
    backend->apply(planned(0.4, 0.4), 1.0);
    EXPECT_FALSE(backend->orderOutGeneration());
    scheduler->advance(0.25);
    EXPECT_NEAR(window().layers[0].opacity, halfway + (0.4 - halfway) * 0.125, 1e-6);  // from where it was
    scheduler->advance(2);
    EXPECT_TRUE(window().visible);
}

TEST_F(OverlayBackendTest, OnlyTheLaterOfTwoClearingsOrdersThePanelOut) {
    auto backend = attached(builtIn());
    backend->apply(planned(0.4, 0), 0);
    backend->apply(RenderRequest::identity(), 1.0);
    scheduler->advance(0.5);
    backend->apply(RenderRequest::identity(), 1.0);
    scheduler->advance(0.6);  // past the first one's 1050 ms
    EXPECT_TRUE(window().visible);
    scheduler->advance(0.5);
    EXPECT_FALSE(window().visible);
}

TEST_F(OverlayBackendTest, RepairRestoresFrameLevelAndVisibilityAndLogsOnce) {
    LogCapture logs;
    auto backend = attached(external());
    backend->apply(planned(0.3, 0), 0);
    backend->verifyAndRepair();
    EXPECT_TRUE(logs.messages("overlay").empty());

    // The monitor's resolution changed under the panel.
    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.frame = {1512, 0, 1920, 1080}; });
    backend->verifyAndRepair();
    EXPECT_EQ(window().frame, (Rect{1512, 0, 1920, 1080}));
    EXPECT_EQ(window().layers[0].frame, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(logs.messages("overlay"), std::vector<std::string>{"watchdog repaired overlay on External Monitor"});

    sim->update([](sim::SimState& s) {
        s.windows[0].level = 3;
        s.windows[0].visible = false;
    });
    backend->verifyAndRepair();
    EXPECT_EQ(window().level, OverlayBackend::baseLevel(*sim));
    EXPECT_TRUE(window().visible);
    EXPECT_EQ(logs.messages("overlay").size(), 2u);

    // A panel not on screen is right while nothing is shown.
    backend->apply(RenderRequest::identity(), 0);
    scheduler->advance(0.1);
    backend->verifyAndRepair();
    EXPECT_FALSE(window().visible);
    EXPECT_EQ(logs.messages("overlay").size(), 2u);
}

TEST_F(OverlayBackendTest, RepairAfterDetachRebuildsThePanel) {
    LogCapture logs;
    auto backend = attached(builtIn());
    backend->apply(planned(0.3, 0), 0);
    backend->detach();
    EXPECT_TRUE(windows().empty());
    EXPECT_FALSE(backend->panel());
    backend->verifyAndRepair();
    EXPECT_EQ(logs.messages("overlay"),
              std::vector<std::string>{"watchdog: panel missing for Built-in Display, rebuilding"});
    ASSERT_TRUE(backend->panel());
    EXPECT_EQ(window().frame, (Rect{0, 0, 1512, 982}));
    EXPECT_FALSE(window().visible);  // detach left nothing to show
}

TEST_F(OverlayBackendTest, RepairAfterTheWindowWasDroppedBringsTheTintBack) {
    auto backend = attached(builtIn());
    backend->apply(planned(0.3, 0.2), 0);
    sim->resetDisplays();  // what the watchdog program does
    EXPECT_TRUE(colorNear(seen(1), grey));
    backend->verifyAndRepair();
    EXPECT_TRUE(window().visible);
    EXPECT_FALSE(colorNear(seen(1), grey));
}

TEST_F(OverlayBackendTest, SharingTypeReachesTheCurrentPanelAndLaterOnes) {
    auto backend = attached(builtIn());
    backend->apply(planned(0.5, 0), 0);
    EXPECT_FALSE(colorNear(captured(1), grey));
    backend->setSharingType(SharingType::none);
    EXPECT_EQ(window().sharing, SharingType::none);
    EXPECT_TRUE(colorNear(captured(1), grey));  // kept out of screen captures
    EXPECT_FALSE(colorNear(seen(1), grey));     // but still seen
    ASSERT_FALSE(backend->attach(builtIn()));   // a new panel
    EXPECT_EQ(window().sharing, SharingType::none);
}

TEST_F(OverlayBackendTest, AttachFailsWithoutAScreenOrWhereNoOverlayCanBeShown) {
    OverlayBackend backend(builtIn(), LayerColorMode::encodedSRGB, ReadableRedStrategy::layers, sim);
    DisplayInfo gone = external();
    gone.id = 77;
    gone.name = "Projector";
    auto error = backend.attach(gone);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "No screen for display Projector");
    EXPECT_EQ(backend.display().id, 77u);
    backend.verifyAndRepair();  // nothing to do without a screen
    EXPECT_TRUE(windows().empty());

    sim->update([](sim::SimState& s) { s.compositing = false; });
    error = backend.attach(builtIn());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), "this desktop cannot show overlay windows (no compositing manager is running)");
    EXPECT_TRUE(windows().empty());
}

TEST_F(OverlayBackendTest, ReleasingTheBackendLeavesNoPendingWork) {
    auto backend = attached(builtIn());
    backend->apply(planned(0.5, 0), 0);
    backend->apply(RenderRequest::identity(), 1);
    backend.reset();
    scheduler->advance(2);
    EXPECT_EQ(scheduler->timerCount(), 0u);
    EXPECT_TRUE(windows().empty());
}
