#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestSupport.h"
#include "core/DisplayOffsets.h"
#include "engine/GammaBackend.h"
#include "engine/MatrixBackend.h"
#include "engine/OverlayBackend.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::colorNear;
using orvane::testing::grey;
using orvane::testing::LogCapture;
using orvane::testing::RecordingBackend;
using orvane::testing::TintEngineTest;
using orvane::testing::warm;
using orvane::testing::warmDim;

namespace {

sim::Rgb throughMatrix(const ColorMatrix& m, const sim::Rgb& c) {
    const auto out = m.applied({c.r, c.g, c.b});
    return {std::clamp(out[0], 0.0, 1.0), std::clamp(out[1], 0.0, 1.0), std::clamp(out[2], 0.0, 1.0)};
}

}  // namespace

TEST_F(TintEngineTest, ConstructionAttachesEveryDisplayUntintedWithoutTimerOrNightShift) {
    sim->update([](sim::SimState& s) { s.displays[1].matrix = Matrix3x3{0.5f, 0, 0, 0, 0.5f, 0, 0, 0, 0.5f}; });
    auto& e = start();
    ASSERT_EQ(e.slots().size(), 2u);
    for (const auto& [id, slot] : e.slots()) {
        EXPECT_EQ(slot.display.id, id);
        EXPECT_EQ(slot.method, TintMethod::matrix);
        EXPECT_EQ(slot.requested, TintMethod::matrix);
        EXPECT_EQ(slot.backend->kind(), BackendKind::matrix);
    }
    EXPECT_EQ(e.describeBackends(), (std::vector<std::string>{"Built-in Display [built-in] → Color matrix",
                                                              "External Monitor [external] → Color matrix"}));
    EXPECT_FALSE(sim->state().displays[1].matrix);  // a leftover adjustment is cleared
    EXPECT_FALSE(e.hasRepairTimer());
    EXPECT_EQ(scheduler->timerCount(), 0u);
    EXPECT_EQ(count("nightShift.setActive") + count("nightShift.setCCT"), 0u);
    EXPECT_EQ(e.currentState(), TintState::off);
    EXPECT_EQ(e.dimFloor(), 0.05);
}

TEST_F(TintEngineTest, ApplyRendersEveryDisplayWithItsOffsetsAndADisabledOneUntinted) {
    start();
    settingsOf(2).warmthOffsetKelvin = -400;
    record();
    engine->apply(warmDim, Transition(1.5), 0.2);
    EXPECT_EQ(engine->currentState(), warmDim);
    EXPECT_EQ(engine->dimFloor(), 0.2);
    const auto& first = recorder(1).applied.back();
    EXPECT_EQ(first.duration, 1.5);
    const Multiplier g = Kelvin::multiplier(2700.0);
    EXPECT_EQ(first.request.multiplier, Multiplier(g.r * 0.7, g.g * 0.7, g.b * 0.7));
    EXPECT_EQ(first.request.matrix, ColorMatrix::make(warmDim));
    EXPECT_FALSE(first.request.desaturate);
    EXPECT_FALSE(first.request.invert);
    const TintState offset = applyingDisplayOffsets(warmDim, settingsOf(2), 0.2);
    EXPECT_EQ(offset.kelvin, 2300);
    EXPECT_EQ(recorder(2).applied.back().request.matrix, ColorMatrix::make(offset));

    settingsOf(2).enabled = false;
    push();
    engine->apply(warm, Transition::instant, 0.05);
    const auto& off = recorder(2).applied.back().request;
    EXPECT_TRUE(off.isIdentity());
    EXPECT_EQ(off.plan, OverlayPlan::none);
    EXPECT_FALSE(recorder(1).applied.back().request.isIdentity());
    EXPECT_EQ(recorder(2).detaches, 0);  // still attached
}

TEST_F(TintEngineTest, WhileSuppressedEveryRenderIsIdentityAtOnceButTheStateIsKept) {
    start();
    record();
    engine->setSuppressed(true);
    engine->apply(warmDim, Transition(3), 0.3);
    for (std::uint32_t id : {1u, 2u}) {
        EXPECT_EQ(recorder(id).applied.back().request, RenderRequest::identity());
        EXPECT_EQ(recorder(id).applied.back().duration, 0);
    }
    EXPECT_EQ(engine->currentState(), warmDim);
    EXPECT_EQ(engine->dimFloor(), 0.3);
    EXPECT_FALSE(engine->request(builtIn()).isIdentity());  // what it would show
    EXPECT_TRUE(engine->hasRepairTimer());                  // the timer looks only at the state
}

TEST_F(TintEngineTest, PlansFollowTheMethodAndTheUntintedTest) {
    start();
    useMethod(1, TintMethod::overlay);
    useMethod(2, TintMethod::nightShift);
    engine->reconfigure();
    engine->apply(TintState::off, Transition::instant, 0.05);
    EXPECT_EQ(engine->request(builtIn()).plan, OverlayPlan::none);

    const TintState darkroom(6500, 1.0, RedStyle::pure, true);
    engine->apply(darkroom, Transition::instant, 0.05);
    EXPECT_EQ(engine->request(builtIn()).plan, OverlayPlan::make(6500, 1.0, false, 2700, 0.6));
    EXPECT_FALSE(engine->request(builtIn()).invert);  // the engine never asks for these

    engine->apply(warm, Transition::instant, 0.05);
    EXPECT_EQ(engine->request(external()).plan, OverlayPlan::make(3400, 1.0, true, 2700, 0.6));
    EXPECT_EQ(engine->request(builtIn()).plan, OverlayPlan::make(3400, 1.0, false, 2700, 0.6));
}

TEST_F(TintEngineTest, ANightShiftSlotWithoutTheClientGetsAnOverlayOnlyPlan) {
    setNightShiftUnavailable();
    start();
    useMethod(2, TintMethod::nightShift);
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    EXPECT_EQ(engine->slots().at(2).method, TintMethod::nightShift);
    EXPECT_EQ(engine->request(external()).plan, OverlayPlan::make(3400, 1.0, false, 2700, 0.6));
    EXPECT_FALSE(engine->request(external()).plan.nightShiftKelvin);
}

TEST_F(TintEngineTest, AFailingMatrixFallsBackToNightShiftOrTheOverlay) {
    LogCapture logs;
    sim->setColorFilterEnabled(true);
    start();
    useMethod(1, TintMethod::matrix);
    engine->reconfigure();
    const auto& slot = engine->slots().at(1);
    EXPECT_EQ(slot.method, TintMethod::nightShift);
    EXPECT_EQ(slot.requested, TintMethod::matrix);
    EXPECT_TRUE(dynamic_cast<OverlayBackend*>(slot.backend.get()));
    EXPECT_EQ(engine->describeBackends()[0], "Built-in Display [built-in] → Night Shift + overlay");
    const auto lines = logs.messages("engine");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "attach matrix failed for Built-in Display: an Accessibility color filter is on"),
              lines.end());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Built-in Display: Color matrix could not attach; Night Shift + overlay tints it");
}

TEST_F(TintEngineTest, WithoutNightShiftAFailingMatrixFallsBackToTheOverlay) {
    setNightShiftUnavailable();
    sim->setColorFilterEnabled(true);
    start();
    useMethod(1, TintMethod::matrix);
    engine->reconfigure();
    EXPECT_EQ(engine->slots().at(1).method, TintMethod::overlay);
    EXPECT_EQ(engine->slots().at(1).requested, TintMethod::matrix);
}

TEST_F(TintEngineTest, WhenEveryMethodFailsTheDisplayHasNoSlotAndTheLogSaysWhy) {
    sim->setColorFilterEnabled(true);
    setCompositing(false);  // no overlay can be shown either
    start();
    LogCapture logs;
    useMethod(2, TintMethod::matrix);
    engine->reconfigure();
    const std::string noOverlay = "this desktop cannot show overlay windows (no compositing manager is running)";
    std::vector<std::string> attachLines;
    for (const auto& r : logs.records())
        if (r.category == "engine" && r.level == LogLevel::error &&
            r.message.find("External Monitor") != std::string::npos)
            attachLines.push_back(r.message);
    EXPECT_EQ(attachLines, (std::vector<std::string>{
                               "attach matrix failed for External Monitor: an Accessibility color filter is on",
                               "attach nightShift failed for External Monitor: " + noOverlay,
                               "attach overlay failed for External Monitor: " + noOverlay,
                               "External Monitor is not tinted: " + noOverlay,
                           }));
    EXPECT_FALSE(engine->slots().count(2));
    // Named without a method it does not have.
    EXPECT_EQ(engine->describeBackends().back(), "External Monitor [external] → Not tinted: " + noOverlay);
    EXPECT_EQ(engine->activeMethod(external()), engine->method(external()));
    engine->apply(warm, Transition::instant, 0.05);  // nothing to render there, and no crash
    EXPECT_TRUE(colorNear(seen(2), grey));
}

// Reconfiguring (any settings change does) tries an untinted display again; the same
// request on the same facts fails the same way and is not told again. A new request or
// changed facts are told, once each.
TEST_F(TintEngineTest, AnUntintedDisplayIsToldOnceUntilItsRequestOrFactsChange) {
    sim->setColorFilterEnabled(true);
    setCompositing(false);
    start();
    LogCapture logs;
    const auto toldUntinted = [&] {
        int n = 0;
        for (const auto& r : logs.records())
            n += r.category == "engine" && r.level == LogLevel::error &&
                 r.message.rfind("External Monitor is not tinted: ", 0) == 0;
        return n;
    };
    useMethod(2, TintMethod::matrix);
    engine->reconfigure();
    ASSERT_EQ(toldUntinted(), 1);
    engine->reconfigure();
    engine->reconfigure();
    EXPECT_EQ(toldUntinted(), 1);
    EXPECT_FALSE(engine->slots().count(2));
    EXPECT_NE(engine->untintedReason(external()), std::nullopt);

    useMethod(2, TintMethod::overlay);
    engine->reconfigure();
    EXPECT_EQ(toldUntinted(), 2);
    setCompositing(true);  // the facts change: tried again, and now it attaches
    engine->verifyAll("test");
    EXPECT_EQ(toldUntinted(), 2);
    EXPECT_TRUE(engine->slots().count(2));
}

TEST_F(TintEngineTest, TheRequestOfADisplayWithoutASlotUsesTheMethodChoice) {
    setNightShiftUnavailable();
    setCompositing(false);
    start();
    useMethod(2, TintMethod::overlay);
    engine->reconfigure();
    ASSERT_FALSE(engine->slots().count(2));
    engine->setSuppressed(true);
    engine->apply(warm, Transition::instant, 0.05);
    EXPECT_EQ(engine->activeMethod(external()), TintMethod::overlay);
    EXPECT_EQ(engine->request(external()).plan, OverlayPlan::make(3400, 1.0, false, 2700, 0.6));
    EXPECT_FALSE(engine->request(external()).isIdentity());
}

TEST_F(TintEngineTest, DefaultFactoryMakesOneBackendKindPerMethod) {
    const DisplayInfo d = builtIn();
    const struct {
        TintMethod method;
        BackendKind kind;
    } cases[] = {{TintMethod::automatic, BackendKind::overlay},  {TintMethod::matrix, BackendKind::matrix},
                 {TintMethod::nightShift, BackendKind::overlay}, {TintMethod::overlay, BackendKind::overlay},
                 {TintMethod::gamma, BackendKind::gamma},        {TintMethod::ddc, BackendKind::overlay}};
    for (const auto& c : cases) {
        const auto b = TintEngine::defaultBackend(sim, c.method, d, Calibration{});
        EXPECT_EQ(b->kind(), c.kind) << toString(c.method);
        EXPECT_EQ(b->display(), d);
        if (auto* overlay = dynamic_cast<OverlayBackend*>(b.get())) {
            EXPECT_EQ(overlay->layerColorMode, LayerColorMode::encodedSRGB);
            EXPECT_EQ(overlay->readableRedStrategy, ReadableRedStrategy::layers);
        }
    }
    EXPECT_TRUE(windows().empty());  // construction touches nothing
}

TEST_F(TintEngineTest, ApplyShowsTheTintOnTheScreenWithEachMethod) {
    start();
    useMethod(2, TintMethod::gamma);
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    EXPECT_TRUE(colorNear(seen(1), throughMatrix(ColorMatrix::make(warm), grey)));
    const Multiplier g = Kelvin::multiplier(3400.0);
    EXPECT_TRUE(colorNear(seen(2), {0.5 * g.r, 0.5 * g.g, 0.5 * g.b}));
    EXPECT_TRUE(colorNear(captured(1), grey));  // screenshots never see the pipeline

    useMethod(2, TintMethod::overlay);
    engine->reconfigure();
    EXPECT_FALSE(sim->state().displays[1].gamma);  // the gamma slot gave its tables back
    const OverlayPlan p = OverlayPlan::make(3400, 1.0, false, 2700, 0.6);
    const sim::Rgb expected{grey.r * (1 - p.redOpacity) + p.red * p.redOpacity,
                            grey.g * (1 - p.redOpacity) + p.green * p.redOpacity,
                            grey.b * (1 - p.redOpacity) + p.blue * p.redOpacity};
    EXPECT_TRUE(colorNear(seen(2), expected, 1e-5));
}

TEST_F(TintEngineTest, SharingTypeReachesOverlayPanelsAndNewOverlays) {
    start();
    useMethod(1, TintMethod::overlay);
    engine->reconfigure();
    engine->apply(warmDim, Transition::instant, 0.05);
    EXPECT_FALSE(colorNear(captured(1), grey));
    engine->setSharingType(SharingType::none);
    EXPECT_TRUE(colorNear(captured(1), grey));
    EXPECT_FALSE(colorNear(seen(1), grey));

    useMethod(2, TintMethod::overlay);
    engine->reconfigure();
    auto* overlay = dynamic_cast<OverlayBackend*>(engine->slots().at(2).backend.get());
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->sharingType(), SharingType::none);
    for (const auto& w : windows()) EXPECT_EQ(w.sharing, SharingType::none);
}

TEST_F(TintEngineTest, DescribeBackendsIsEmptyWithoutSlots) {
    start();
    engine->detachAll();
    EXPECT_TRUE(engine->describeBackends().empty());
    EXPECT_TRUE(engine->slots().empty());
}

TEST_F(TintEngineTest, ASnapshotLeftByAnUncleanExitIsRestoredAtConstruction) {
    sim->standardUserDefaults()->set(
        NightShiftWarmth::dirtyKey,
        Dictionary{{"active", false}, {"cct", 4000.0}, {"strength", 0.3}, {"range", Array{2700.0, 6000.0, 4100.0}}});
    sim->update([](sim::SimState& s) {
        s.nightShift.active = true;
        s.nightShift.cct = 2000;
    });
    start();
    EXPECT_FALSE(sim->state().nightShift.active);
    EXPECT_EQ(sim->state().nightShift.cct, 4000);
    EXPECT_FALSE(sim->standardUserDefaults()->object(NightShiftWarmth::dirtyKey));
}

TEST_F(TintEngineTest, TheNightShiftMethodDrivesTheSystemNightShiftFromOneDisplay) {
    start();
    useMethod(1, TintMethod::nightShift);
    useMethod(2, TintMethod::nightShift);
    settingsOf(2).warmthOffsetKelvin = -1000;
    push();
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    const auto ns = sim->state().nightShift;
    EXPECT_TRUE(ns.active);
    EXPECT_EQ(ns.cct, 3400);  // the built-in display's, not the external one's 2400
    EXPECT_TRUE(sim->standardUserDefaults()->object(NightShiftWarmth::dirtyKey));

    engine->apply(TintState::off, Transition::instant, 0.05);
    EXPECT_FALSE(sim->state().nightShift.active);  // off, the record still held
    useMethod(1, TintMethod::matrix);
    useMethod(2, TintMethod::matrix);
    engine->reconfigure();
    EXPECT_FALSE(sim->standardUserDefaults()->object(NightShiftWarmth::dirtyKey));  // the user's own back
}

TEST_F(TintEngineTest, WorkspaceEventsRunTheCheckWithTheirName) {
    LogCapture logs;
    start();
    engine->apply(warm, Transition::instant, 0.05);
    sim->resetDisplays();
    sim->setColorFilterEnabled(true);  // the matrix is no longer the method
    scheduler->runPending();
    sim->postWorkspaceEvent(WorkspaceEvent::didWake);
    scheduler->runPending();
    const auto lines = logs.messages("engine");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "method changed (NSWorkspaceDidWakeNotification), reconfiguring");
    EXPECT_EQ(engine->slots().at(1).method, TintMethod::nightShift);
    EXPECT_TRUE(sim->state().nightShift.active);  // Night Shift now does the warm part
    EXPECT_EQ(sim->state().nightShift.cct, 3400);

    const struct {
        WorkspaceEvent event;
        const char* name;
        TintMethod next;
    } events[] = {
        {WorkspaceEvent::screensDidWake, "NSWorkspaceScreensDidWakeNotification", TintMethod::gamma},
        {WorkspaceEvent::sessionDidBecomeActive, "NSWorkspaceSessionDidBecomeActiveNotification", TintMethod::overlay},
        {WorkspaceEvent::activeSpaceDidChange, "NSWorkspaceActiveSpaceDidChangeNotification", TintMethod::gamma}};
    for (const auto& e : events) {
        useMethod(1, e.next);  // so that each check finds a changed method and says why it ran
        sim->postWorkspaceEvent(e.event);
        scheduler->runPending();
        EXPECT_EQ(logs.messages("engine").back(), std::string("method changed (") + e.name + "), reconfiguring");
        EXPECT_EQ(engine->slots().at(1).method, e.next);
    }
}

// On Linux each check names the source its event came from, never a Mac notification.
TEST_F(TintEngineTest, OnLinuxTheCheckNamesTheEventsLinuxSource) {
    LogCapture logs;
    sim->update([](sim::SimState& s) { s.linuxName = "Debian GNU/Linux 12 (bookworm)"; });
    start();
    const struct {
        WorkspaceEvent event;
        const char* name;
        TintMethod next;
    } events[] = {{WorkspaceEvent::didWake, "logind PrepareForSleep(false)", TintMethod::overlay},
                  {WorkspaceEvent::screensDidWake, "screen saver off or DPMS on", TintMethod::gamma},
                  {WorkspaceEvent::sessionDidBecomeActive, "logind session Active", TintMethod::overlay},
                  {WorkspaceEvent::activeSpaceDidChange, "_NET_CURRENT_DESKTOP changed", TintMethod::gamma}};
    for (const auto& e : events) {
        useMethod(1, e.next);
        sim->postWorkspaceEvent(e.event);
        scheduler->runPending();
        ASSERT_FALSE(logs.messages("engine").empty()) << e.name;
        EXPECT_EQ(logs.messages("engine").back(), std::string("method changed (") + e.name + "), reconfiguring");
    }
}

// A display no method can attach to has no slot and says why, instead of a method it does
// not have; once a method works it is tinted again and the reason goes.
TEST_F(TintEngineTest, ADisplayNoMethodAttachesToIsNotTintedAndSaysWhyUntilOneDoes) {
    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.gammaCapacity = 0; });
    setCompositing(false);
    useMethod(2, TintMethod::gamma);
    auto& e = start();
    EXPECT_EQ(e.slots().count(2), 0u);
    EXPECT_FALSE(e.untintedReason(builtIn()));
    const auto reason = e.untintedReason(external());
    ASSERT_TRUE(reason);
    EXPECT_EQ(*reason, "this desktop cannot show overlay windows (no compositing manager is running)");
    const auto lines = e.describeBackends();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "External Monitor [external] → Not tinted: " + *reason);

    e.apply(warm, Transition::instant, 0.05);  // nothing to render it with, and nothing breaks
    setCompositing(true);
    e.reconfigure();
    ASSERT_EQ(e.slots().count(2), 1u);
    EXPECT_EQ(e.slots().at(2).method, TintMethod::overlay);
    EXPECT_FALSE(e.untintedReason(external()));
    EXPECT_EQ(e.describeBackends().size(), 2u);
}
