#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/GammaBackend.h"
#include "engine/OverlayBackend.h"
#include "platform/Status.h"

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

using TintEngineUpkeepTest = TintEngineTest;

}  // namespace

TEST_F(TintEngineUpkeepTest, AFallenBackSlotStaysUntilTheMethodChoiceChanges) {
    LogCapture logs;
    sim->fail("colorAdjustment", status::cannotComplete, 1);  // the built-in display's first write
    start();
    const auto& slot = engine->slots().at(1);
    ASSERT_EQ(slot.requested, TintMethod::matrix);
    ASSERT_EQ(slot.method, TintMethod::nightShift);
    const auto backend = slot.backend;
    engine->apply(warm, Transition::instant, 0.05);

    engine->reconfigure();
    engine->verifyAll("wake");
    scheduler->advance(5);
    EXPECT_EQ(engine->slots().at(1).backend, backend);
    for (const auto& m : logs.messages("engine")) EXPECT_EQ(m.find("method changed"), std::string::npos);

    sim->setColorFilterEnabled(true);
    scheduler->advance(5);
    const auto lines = logs.messages("engine");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "method changed (timer), reconfiguring"), lines.end());
    EXPECT_NE(engine->slots().at(1).backend, backend);
    EXPECT_EQ(engine->slots().at(1).requested, TintMethod::nightShift);
}

// Each try is logged, the repeated ones at debug level only.
TEST_F(TintEngineUpkeepTest, ReconfigureRetriesADisplayWithoutASlotEveryTime) {
    LogCapture logs;
    logs.withDebug();
    sim->setColorFilterEnabled(true);
    setCompositing(false);
    start();
    const auto failures = [&] {
        std::size_t n = 0;
        for (const auto& r : logs.records())
            if (r.category == "engine" && r.message.rfind("attach ", 0) == 0) ++n;
        return n;
    };
    ASSERT_TRUE(engine->slots().empty());
    const std::size_t first = failures();
    EXPECT_EQ(first, 4u);  // nightShift, then overlay, on each display
    engine->reconfigure();
    EXPECT_EQ(failures(), 2 * first);
    setCompositing(true);
    engine->reconfigure();
    EXPECT_EQ(engine->slots().size(), 2u);
}

TEST_F(TintEngineUpkeepTest, AChangedDisplayKeepsItsBackendAndIsRenderedEvenWhenReattachingFails) {
    LogCapture logs;
    start();
    useMethod(2, TintMethod::gamma);
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    const auto backend = engine->slots().at(2).backend;

    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.frame = {1512, 0, 1920, 1080}; });
    scheduler->runPending();
    EXPECT_EQ(engine->slots().at(2).backend, backend);
    EXPECT_EQ(engine->slots().at(2).display.frame, (Rect{1512, 0, 1920, 1080}));
    EXPECT_EQ(engine->slots().at(2).method, TintMethod::gamma);

    sim->fail("gamma.read", status::illegalArgument, 1);
    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.scale = 2; });
    scheduler->runPending();
    EXPECT_EQ(logs.messages("engine").back(),
              "re-attach failed: reading the gamma ramp (XRRGetCrtcGamma) failed: 1001");
    EXPECT_EQ(engine->slots().at(2).backend, backend);
    EXPECT_EQ(engine->slots().at(2).display.scale, 2);
    const Multiplier g = Kelvin::multiplier(3400.0);
    EXPECT_TRUE(colorNear(seen(2), {0.5 * g.r, 0.5 * g.g, 0.5 * g.b}));
}

// Tables taken away while a display is tinted through them (a compositor that withdrew its
// gamma control) fail the repair check's read: that check attaches the display anew, and
// the fallback chain tints it by what still works, never by the lost tables.
TEST_F(TintEngineUpkeepTest, ADisplayWhoseTablesWereTakenIsAttachedAnewByTheRepairCheck) {
    LogCapture logs;
    start();
    useMethod(2, TintMethod::gamma);
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    const auto backend = engine->slots().at(2).backend;
    ASSERT_EQ(engine->slots().at(2).method, TintMethod::gamma);
    int told = 0;
    engine->onAttachmentsChanged = [&] { ++told; };
    engine->verifyAll("timer");
    EXPECT_EQ(told, 0) << "nothing changed yet";

    sim->changeDisplay(2, [](sim::SimDisplay& d) { d.gammaCapacity = 0; });
    engine->verifyAll("timer");
    EXPECT_EQ(told, 1) << "the owner hears that the display is tinted another way now";
    ASSERT_TRUE(engine->slots().count(2));
    EXPECT_NE(engine->slots().at(2).backend, backend);
    EXPECT_EQ(engine->slots().at(2).requested, TintMethod::gamma);
    EXPECT_NE(engine->slots().at(2).method, TintMethod::gamma);
    const auto lines = logs.messages("engine");
    EXPECT_NE(std::find(lines.begin(), lines.end(), external().name + " lost its Gamma table, attaching it again"),
              lines.end());
    for (const auto& line : engine->describeBackends())
        EXPECT_EQ(line.find(external().name + " [external] \u2192 Gamma table"), std::string::npos) << line;
}

TEST_F(TintEngineUpkeepTest, DisplaysComingAndGoingGetAndLoseSlots) {
    start();
    int reported = 0;
    engine->onDisplaysChanged = [&] { ++reported; };
    engine->apply(warm, Transition::instant, 0.05);
    sim::SimDisplay projector;
    projector.name = "Projector";
    projector.frame = {-1920, 0, 1920, 1080};
    const std::uint32_t id = sim->addDisplay(projector);
    scheduler->runPending();
    EXPECT_EQ(reported, 1);
    ASSERT_TRUE(engine->slots().count(id));
    EXPECT_FALSE(colorNear(sim->scanOutColorAt({-960, 500}), grey));  // tinted at once

    sim->removeDisplay(2);
    scheduler->runPending();
    EXPECT_EQ(reported, 2);
    EXPECT_FALSE(engine->slots().count(2));
    EXPECT_EQ(engine->slots().size(), 2u);
}

TEST_F(TintEngineUpkeepTest, RemovingTheLastNightShiftDisplayRestoresOnlyAtTheNextUpdate) {
    start();
    useMethod(2, TintMethod::nightShift);
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    ASSERT_TRUE(sim->state().nightShift.active);

    sim->removeDisplay(2);
    scheduler->runPending();
    EXPECT_TRUE(sim->state().nightShift.active);
    EXPECT_TRUE(sim->standardUserDefaults()->object(NightShiftWarmth::dirtyKey));
    engine->apply(warm, Transition::instant, 0.05);
    EXPECT_FALSE(sim->state().nightShift.active);
    EXPECT_FALSE(sim->standardUserDefaults()->object(NightShiftWarmth::dirtyKey));
}

TEST_F(TintEngineUpkeepTest, TheRepairCheckTurnsNightShiftBackOnAfterTheUserSwitchedItOff) {
    start();
    useMethod(1, TintMethod::nightShift);
    engine->reconfigure();
    engine->apply(warmDim, Transition::instant, 0.05);
    sim->update([](sim::SimState& s) { s.nightShift.active = false; });
    scheduler->advance(5);
    EXPECT_TRUE(sim->state().nightShift.active);
    EXPECT_EQ(sim->state().nightShift.cct, 2700);
}

TEST_F(TintEngineUpkeepTest, ExactlyOneRepairTimerRunsWhileATintIsShown) {
    start();
    engine->apply(warm, Transition::instant, 0.05);
    engine->apply(warmDim, Transition::instant, 0.05);
    engine->reconfigure();
    auto timers = scheduler->timers();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].interval, 5.0);
    EXPECT_EQ(timers[0].tolerance, 2.0);
    EXPECT_TRUE(engine->hasRepairTimer());

    sim->resetDisplays();
    scheduler->advance(5);
    EXPECT_FALSE(colorNear(seen(1), grey));  // the timer's check put the tint back

    engine->apply(TintState::off, Transition::instant, 0.05);
    EXPECT_FALSE(engine->hasRepairTimer());
    EXPECT_EQ(scheduler->timerCount(), 0u);
    engine->apply(TintState(6500, 1, RedStyle::pure, true), Transition::instant, 0.05);  // darkroom counts as tinted
    EXPECT_TRUE(engine->hasRepairTimer());
    engine->detachAll();
    EXPECT_EQ(scheduler->timerCount(), 0u);
}

TEST_F(TintEngineUpkeepTest, SettersRenderOnlyOnAChangeExceptTheCalibration) {
    start();
    record();
    engine->apply(warm, Transition::instant, 0.05);
    const auto renders = [&] { return recorder(1).applied.size(); };
    std::size_t before = renders();
    engine->setNightShiftFloor(2700);
    engine->setDeepRedStrength(0.6);
    EXPECT_EQ(renders(), before);
    engine->setNightShiftFloor(1900);
    EXPECT_EQ(renders(), before + 1);
    EXPECT_EQ(recorder(1).applied.back().duration, 0);
    engine->setDeepRedStrength(0.8);
    EXPECT_EQ(renders(), before + 2);
    engine->setCalibration(engine->calibration());
    EXPECT_EQ(renders(), before + 3);
}

TEST_F(TintEngineUpkeepTest, TheCalibrationReachesOverlayBackends) {
    start();
    useMethod(1, TintMethod::overlay);
    engine->reconfigure();
    Calibration c;
    c.layerColorMode = LayerColorMode::rawSRGB;
    c.readableRedStrategy = ReadableRedStrategy::panels;
    engine->setCalibration(c);
    auto* overlay = dynamic_cast<OverlayBackend*>(engine->slots().at(1).backend.get());
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->layerColorMode, LayerColorMode::rawSRGB);
    EXPECT_EQ(overlay->readableRedStrategy, ReadableRedStrategy::panels);
}

TEST_F(TintEngineUpkeepTest, SuppressionRestoresNightShiftAtOnceAndLeavesTheDisplaysUntilTheNextRender) {
    start();
    useMethod(2, TintMethod::nightShift);
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    const auto tinted = seen(1);
    engine->setSuppressed(true);
    EXPECT_FALSE(sim->standardUserDefaults()->object(NightShiftWarmth::dirtyKey));
    EXPECT_TRUE(colorNear(seen(1), tinted));
    engine->apply(warm, Transition(2), 0.05);
    EXPECT_TRUE(colorNear(seen(1), grey));  // identity at once, no fade
    EXPECT_FALSE(sim->state().nightShift.active);
    engine->verifyAll("timer");
    EXPECT_FALSE(sim->state().nightShift.active);  // neither driven nor re-asserted
}

TEST_F(TintEngineUpkeepTest, NoProbeWhileSuppressedAndEndingNoProbeDoesNothing) {
    start();
    record();
    engine->endProbe();
    engine->setSuppressed(true);
    engine->beginProbe(builtIn(), TintMethod::overlay, warm);
    EXPECT_FALSE(engine->isProbing());
    EXPECT_EQ(made.size(), 2u);  // no probe back-end was made
}

TEST_F(TintEngineUpkeepTest, AnOverlayProbeShowsTheTestTint) {
    start();
    engine->apply(warm, Transition::instant, 0.05);
    const TintState test(1000, 1.0, RedStyle::pure, false);
    engine->beginProbe(external(), TintMethod::overlay, test);
    ASSERT_TRUE(engine->isProbing());
    scheduler->advance(0.5);
    const OverlayPlan expected = OverlayPlan::make(1000, 1.0, false, 2700, 0.6);
    const auto shown = visibleWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NEAR(shown[0].layers[0].opacity, expected.redOpacity, 1e-6);
    EXPECT_GT(shown[0].layers[0].opacity, 0.5);
    // Only the probe tints the display: its own matrix slot shows nothing meanwhile.
    EXPECT_FALSE(sim->state().displays[1].matrix);
    EXPECT_FALSE(colorNear(seen(2), grey));

    engine->endProbe();
    EXPECT_FALSE(engine->isProbing());
    EXPECT_TRUE(windows().empty());
    EXPECT_TRUE(sim->state().displays[1].matrix);  // its own tint is back
}

TEST_F(TintEngineUpkeepTest, AFailingProbeLogsAndShowsNothing) {
    LogCapture logs;
    start();
    engine->apply(warm, Transition::instant, 0.05);
    setCompositing(false);
    engine->beginProbe(builtIn(), TintMethod::nightShift, warm);
    EXPECT_FALSE(engine->isProbing());
    EXPECT_EQ(logs.messages("engine").back(),
              "probe nightShift failed: this desktop cannot show overlay windows (no compositing manager is running)");
    EXPECT_TRUE(colorNear(seen(1), grey));  // the slot stays at identity until the next render
    engine->apply(warm, Transition::instant, 0.05);
    EXPECT_FALSE(colorNear(seen(1), grey));
}

TEST_F(TintEngineUpkeepTest, WhileAProbeShowsItsDisplaysOwnSlotIsNeitherRenderedNorRepaired) {
    start();
    record();
    engine->apply(warm, Transition::instant, 0.05);
    engine->beginProbe(builtIn(), TintMethod::gamma, warmDim);
    ASSERT_TRUE(engine->isProbing());
    auto probe = made.back();
    EXPECT_EQ(probe->made(), TintMethod::gamma);
    ASSERT_EQ(probe->applied.size(), 1u);
    EXPECT_EQ(probe->applied[0].duration, 0.3);
    // The request a gamma display gets for the probe's state, not the bare-state one.
    const Multiplier g = Kelvin::multiplier(2700.0);
    const RenderRequest expected(Multiplier(g.r * 0.7, g.g * 0.7, g.b * 0.7), false, false,
                                 OverlayPlan::make(2700, 0.7, false, 2700, 0.6), ColorMatrix::make(warmDim));
    EXPECT_EQ(probe->applied[0].request, expected);

    auto& own = recorder(1);
    auto& other = recorder(2);
    ASSERT_EQ(own.applied.back().request, RenderRequest::identity());
    const std::size_t ownApplied = own.applied.size();
    const std::size_t otherApplied = other.applied.size();
    engine->apply(warm, Transition::instant, 0.05);
    engine->setDeepRedStrength(0.3);
    engine->reconfigure();
    engine->verifyAll("timer");
    scheduler->advance(12);  // two repair passes
    EXPECT_EQ(own.applied.size(), ownApplied) << "the probed display's slot stays at identity";
    EXPECT_EQ(own.verifies, 0);
    EXPECT_GT(other.applied.size(), otherApplied);
    EXPECT_GT(other.verifies, 0);
    EXPECT_TRUE(engine->isProbing());
    EXPECT_EQ(probe->applied.size(), 1u);
    EXPECT_EQ(probe->detaches, 0);
    EXPECT_EQ(probe->verifies, 0);

    engine->endProbe();
    EXPECT_EQ(probe->detaches, 1);
    ASSERT_EQ(own.applied.size(), ownApplied + 1);
    EXPECT_EQ(own.applied.back().request, engine->request(builtIn()));
    EXPECT_FALSE(own.applied.back().request.isIdentity());
    scheduler->advance(6);
    EXPECT_GT(own.verifies, 0) << "repaired again once the probe is over";
}

// What the user sees: a gamma display probed with gamma and then with overlay turns red in
// its middle and stays red while the tick applies every second and the repair timer runs.
TEST_F(TintEngineUpkeepTest, AProbedGammaDisplayStaysRedThroughTicksAndRepairs) {
    start();
    useMethod(1, TintMethod::gamma);
    engine->reconfigure();
    // A mild tint of its own, which would not pass for red if it covered the probe.
    const TintState mild(5500, 1.0, RedStyle::pure, false);
    engine->apply(mild, Transition::instant, 0.05);
    const auto own = seen(1);
    const Multiplier g = Kelvin::multiplier(5500.0);
    ASSERT_TRUE(colorNear(own, {0.5 * g.r, 0.5 * g.g, 0.5 * g.b}));
    ASSERT_GT(own.g, 0.7 * own.r);
    const TintState test(1000, 1.0, RedStyle::pure, false);
    for (const TintMethod candidate : {TintMethod::gamma, TintMethod::overlay}) {
        SCOPED_TRACE(std::string(toString(candidate)));
        engine->beginProbe(builtIn(), candidate, test);
        ASSERT_TRUE(engine->isProbing());
        scheduler->advance(0.5);  // the probe's own 0.3 s fade
        for (int second = 0; second <= 30; ++second) {
            const auto c = seen(1);
            ASSERT_GT(c.r, 0.05) << "second " << second;
            ASSERT_LT(c.g, 0.7 * c.r) << "second " << second;
            ASSERT_LT(c.b, 0.5 * c.r) << "second " << second;
            engine->apply(mild, Transition::instant, 0.05);
            scheduler->advance(1);
        }
        engine->endProbe();
        scheduler->advance(0.5);
        EXPECT_TRUE(colorNear(seen(1), own)) << "its own tint is back";
    }
}

TEST_F(TintEngineUpkeepTest, AProbeOnAGammaDisplayLeavesItsGammaSlotAttachedAnewAndRendered) {
    start();
    useMethod(1, TintMethod::gamma);
    useMethod(2, TintMethod::gamma);
    engine->reconfigure();
    engine->apply(warm, Transition::instant, 0.05);
    const auto other = sim->state().displays[1].gamma;
    const auto slotBackend = engine->slots().at(1).backend;

    engine->beginProbe(builtIn(), TintMethod::gamma, TintState(1000, 1.0, RedStyle::pure, false));
    scheduler->advance(0.5);
    engine->endProbe();
    EXPECT_EQ(engine->slots().at(1).backend, slotBackend);
    const auto* gamma = dynamic_cast<GammaBackend*>(slotBackend.get());
    ASSERT_TRUE(gamma);
    EXPECT_EQ(gamma->base(), GammaRamp::identity(256));
    const Multiplier g = Kelvin::multiplier(3400.0);
    EXPECT_TRUE(colorNear(seen(1), {0.5 * g.r, 0.5 * g.g, 0.5 * g.b}));
    EXPECT_EQ(sim->state().displays[1].gamma, other);  // the other display kept its tint throughout
}

TEST_F(TintEngineUpkeepTest, DetachAllLeavesNeutralDisplaysNoSlotsNoTimerAndTheUsersNightShift) {
    start();
    useMethod(1, TintMethod::nightShift);
    useMethod(2, TintMethod::gamma);
    engine->reconfigure();
    engine->apply(warmDim, Transition::instant, 0.05);
    engine->beginProbe(external(), TintMethod::overlay, warm);
    engine->detachAll();
    EXPECT_TRUE(engine->slots().empty());
    EXPECT_FALSE(engine->isProbing());
    EXPECT_FALSE(engine->hasRepairTimer());
    EXPECT_EQ(scheduler->timerCount(), 0u);
    EXPECT_FALSE(sim->standardUserDefaults()->object(NightShiftWarmth::dirtyKey));
    EXPECT_TRUE(visibleWindows().empty());
    EXPECT_TRUE(colorNear(seen(1), grey));
    EXPECT_TRUE(colorNear(seen(2), grey));
    scheduler->advance(10);
    EXPECT_TRUE(colorNear(seen(1), grey));

    engine->reconfigure();  // usable again
    EXPECT_EQ(engine->slots().size(), 2u);
}

// The settings come as values before the first attach, so no display is attached with the
// defaults first and again with its own method.
TEST_F(TintEngineUpkeepTest, AConfiguredEngineAttachesEachDisplayOnceAndConfigureRebuildsOnlyWhatChanged) {
    TintEngine::Configuration configuration;
    configuration.displays[external().key].method = TintMethod::gamma;
    configuration.calibration.layerColorMode = LayerColorMode::rawSRGB;
    configuration.nightShiftFloor = 3000;
    configuration.deepRedStrength = 0.4;
    configuration.sharingType = SharingType::none;
    engine = std::make_unique<TintEngine>(sim, configuration,
                                          [this](TintMethod m, const DisplayInfo& d, const Calibration&) {
                                              auto b = std::make_shared<RecordingBackend>(d, m);
                                              made.push_back(b);
                                              return b;
                                          });
    ASSERT_EQ(made.size(), 2u);
    for (const auto& backend : made) EXPECT_EQ(backend->attaches, 1);
    EXPECT_EQ(recorder(2).made(), TintMethod::gamma);
    EXPECT_EQ(engine->slots().at(2).method, TintMethod::gamma);
    EXPECT_NE(recorder(1).made(), TintMethod::gamma);
    EXPECT_EQ(engine->calibration(), configuration.calibration);
    EXPECT_EQ(engine->nightShiftFloor(), 3000);
    EXPECT_EQ(engine->deepRedStrength(), 0.4);
    EXPECT_EQ(engine->sharingType(), SharingType::none);
    EXPECT_EQ(engine->displaySettings(external()).method, TintMethod::gamma);
    EXPECT_EQ(engine->displaySettings(builtIn()), DisplaySettings()) << "no entry: the defaults";

    // The same values again change nothing.
    engine->configure(configuration);
    EXPECT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0]->detaches + made[1]->detaches, 0);

    // Another method for the built-in display rebuilds its slot only.
    const auto externalBackend = engine->slots().at(2).backend;
    configuration.displays[builtIn().key].method = TintMethod::overlay;
    engine->configure(configuration);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made.back()->made(), TintMethod::overlay);
    EXPECT_EQ(engine->slots().at(1).method, TintMethod::overlay);
    EXPECT_EQ(engine->slots().at(2).backend, externalBackend);
    EXPECT_EQ(recorder(2).attaches, 1);
    EXPECT_EQ(recorder(2).detaches, 0);
}

TEST_F(TintEngineUpkeepTest, ReattachBuildsOneSlotAnewWithTheFactoryInstalledSince) {
    start();
    engine->apply(warm, Transition::instant, 0.05);
    const auto builtIn = engine->slots().at(1).backend;
    const auto old = engine->slots().at(2).backend;
    std::vector<std::uint32_t> built;
    engine->backendFactory = [&](TintMethod method, const DisplayInfo& display, const Calibration& c) {
        built.push_back(display.id);
        return TintEngine::defaultBackend(sim, method == TintMethod::matrix ? TintMethod::gamma : method, display, c);
    };
    engine->reattach(2);
    EXPECT_EQ(built, std::vector<std::uint32_t>{2});
    EXPECT_EQ(engine->slots().at(2).backend->kind(), BackendKind::gamma);
    EXPECT_NE(engine->slots().at(2).backend, old);
    EXPECT_EQ(engine->slots().at(1).backend, builtIn) << "the other slot is left alone";
    EXPECT_TRUE(colorNear(seen(2), seen(1))) << "the new back-end shows the current tint at once";
    EXPECT_FALSE(colorNear(seen(2), grey));

    engine->reattach(99);  // no such slot: nothing happens
    EXPECT_EQ(built.size(), 1u);
}
