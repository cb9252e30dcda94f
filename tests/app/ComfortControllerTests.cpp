#include <cstdlib>

#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "RecordingPanels.h"
#include "app/ComfortController.h"
#include "engine/DDCBackend.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::LogCapture;
using orvane::testing::RecordingPanels;

namespace {

constexpr const char* builtInKey = "uuid:2B5E4F1C-7A3D-4C8E-9F60-1D2E3F4A5B6C";
constexpr const char* externalKey = "uuid:6A1C9E33-0B7F-4D52-A8E4-3C5D7E9F1A2B";

// An auxiliary-button press: key code in bits 16 and up, state 0x0A (down) in bits 8 to 15.
SystemDefinedEvent press(std::int64_t code) { return {14, 8, (code << 16) | (0x0A << 8)}; }

class ComfortTest : public orvane::testing::ModelTest {
protected:
    void TearDown() override {
        comfort.reset();
        ::unsetenv("ORVANE_NO_HARDWARE");
        ModelTest::TearDown();
    }

    ComfortController& begin(const Settings& settings) {
        start(settings);
        return make();
    }
    ComfortController& make() {
        ComfortController::Environment environment;
        // The bus waits move the fake clock instead of the test's time.
        environment.ddcLibrary = std::make_shared<DDCLibrary>(sim, [this](TimeInterval s) { clock->advance(s); });
        comfort = ComfortController::create(model, panels, environment);
        settle();
        return *comfort;
    }
    void change(const std::function<void(Settings&)>& edit) {
        Settings s = model->settings();
        edit(s);
        model->setSettings(s);
        scheduler->runPending();
    }

    std::shared_ptr<UserDefaults> userDefaults() const { return sim->standardUserDefaults(); }
    std::optional<Dictionary> ditherRecord() const {
        return userDefaults()->dictionary(ComfortController::antiDitherDirtyKey);
    }
    float backlight() const { return *sim->state().display(1)->backlight; }
    std::optional<bool> dither(std::uint32_t display) const { return sim->state().display(display)->enableDither; }
    // The dithering writes since the last clear, as (display, enableDither).
    std::vector<std::pair<std::int64_t, bool>> ditherWrites() const {
        std::vector<std::pair<std::int64_t, bool>> out;
        for (const auto& call : sim->journal().calls("dithering.setProperty")) {
            const Dictionary d = call.arguments.dictionary() ? *call.arguments.dictionary() : Dictionary{};
            const auto service = d.count("service") ? d.at("service").integer() : std::nullopt;
            const auto* value = d.count("value") ? d.at("value").get<bool>() : nullptr;
            out.emplace_back(service.value_or(-1), value && *value);
        }
        return out;
    }
    std::size_t trustPrompts() const {
        std::size_t n = 0;
        for (const auto& call : sim->journal().calls("keyboard.requestTrust")) {
            const auto* d = call.arguments.dictionary();
            const auto it = d ? d->find("prompt") : Dictionary::const_iterator{};
            n += d && it != d->end() && it->second.isBool() && it->second.boolean() == true;
        }
        return n;
    }
    void pointerAt(Point p) {
        sim->update([&](sim::SimState& s) { s.mouse = p; });
    }
    int feature(std::uint32_t display, std::uint8_t code) const {
        return sim->state().display(display)->ddc->features.at(code).current;
    }
    void setFeature(std::uint32_t display, std::uint8_t code, std::uint16_t current) {
        sim->changeDisplay(display, [&](sim::SimDisplay& d) { d.ddc->features[code] = {current, 100}; });
    }

    RecordingPanels panels;
    std::shared_ptr<ComfortController> comfort;
};

Settings steady(bool global, double globalLevel, std::optional<std::pair<bool, double>> entry) {
    Settings s = orvane::testing::manualSettings();
    s.steadyBacklight.enabled = global;
    s.steadyBacklight.level = globalLevel;
    if (entry) {
        DisplaySettings d;
        d.steadyBacklight = entry->first;
        d.backlightLevel = entry->second;
        s.displays[builtInKey] = d;
    }
    return s;
}

}  // namespace

// --- steady backlight and keys ---------------------------------------------------------

TEST_F(ComfortTest, TheBuiltInEntrysLevelBeatsTheGlobalOneAndTheHoldRunsOnlyWhileTheTintIsOn) {
    struct Case {
        const char* name;
        Settings settings;
        std::optional<float> held;
    };
    const Case cases[] = {
        {"global 0.6, entry 0.8", steady(true, 0.6, std::pair{true, 0.8}), 0.8f},
        {"global off, entry 0.8", steady(false, 0.6, std::pair{true, 0.8}), 0.8f},
        {"global 0.4, entry off", steady(true, 0.4, std::pair{false, 0.8}), 0.4f},
        {"both off", steady(false, 0.4, std::pair{false, 0.8}), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        begin(c.settings);
        EXPECT_EQ(comfort->backlight().isActive(), c.held.has_value());
        EXPECT_EQ(model->steadyBacklightActive(), c.held.has_value());
        if (c.held) {
            EXPECT_FLOAT_EQ(backlight(), *c.held);
        }
        // Switching the tint off ends the hold and puts the user's level back.
        model->setEnabled(false);
        scheduler->runPending();
        EXPECT_FALSE(comfort->backlight().isActive());
        EXPECT_FALSE(model->steadyBacklightActive());
        EXPECT_FLOAT_EQ(backlight(), 0.6f);
        EXPECT_FALSE(userDefaults()->object(SteadyBacklight::dirtyKey));
        TearDown();
        SetUp();
    }
}

TEST_F(ComfortTest, WithTheTintOffAtLaunchNothingIsHeldAndTheSecurityDetectorIsStopped) {
    Settings s = steady(true, 0.3, std::nullopt);
    s.enabled = false;
    begin(s);
    EXPECT_FALSE(comfort->backlight().isActive());
    EXPECT_FALSE(comfort->security().isPolling());
    EXPECT_FLOAT_EQ(backlight(), 0.6f);

    change([](Settings& x) { x.enabled = true; });
    EXPECT_TRUE(comfort->backlight().isActive());
    EXPECT_TRUE(comfort->security().isPolling());
    EXPECT_FLOAT_EQ(backlight(), 0.3f);
}

TEST_F(ComfortTest, ALevelChangeWhileHoldingMovesTheBacklightAtOnceWithoutASecondEnable) {
    begin(steady(true, 0.5, std::nullopt));
    ASSERT_FLOAT_EQ(backlight(), 0.5f);
    const auto record = userDefaults()->dictionary(SteadyBacklight::dirtyKey);
    ASSERT_TRUE(record);
    change([](Settings& x) { x.steadyBacklight.level = 0.35; });
    EXPECT_FLOAT_EQ(backlight(), 0.35f);
    EXPECT_EQ(userDefaults()->dictionary(SteadyBacklight::dirtyKey), record) << "the user's own level is kept";
}

TEST_F(ComfortTest, AutomaticKeysAreTakenExactlyWhileTheBacklightIsHeld) {
    Settings s = steady(false, 0.5, std::nullopt);
    s.brightnessKeys = BrightnessKeysMode::automatic;
    begin(s);
    EXPECT_FALSE(comfort->keys().intercept);
    EXPECT_TRUE(sim->injectSystemDefinedEvent(press(3))) << "the system changes the backlight itself";

    change([](Settings& x) { x.steadyBacklight.enabled = true; });
    ASSERT_TRUE(comfort->keys().isRunning());
    EXPECT_TRUE(comfort->keys().intercept);
    const double before = model->resolution().modeState.dim;
    EXPECT_FALSE(sim->injectSystemDefinedEvent(press(3))) << "taken: the key dims the tint";
    EXPECT_NEAR(model->resolution().modeState.dim, before - s.dimStep, 1e-9);
    EXPECT_EQ(comfort->hud().state().title(), "Dim");
    EXPECT_NEAR(comfort->hud().state().level(), before - s.dimStep, 1e-9);
    ASSERT_EQ(panels.made.size(), 1u);
    EXPECT_TRUE(panels.made[0]->visible);

    // systemBacklight: the tap stays but lets the keys through.
    change([](Settings& x) { x.brightnessKeys = BrightnessKeysMode::systemBacklight; });
    EXPECT_TRUE(comfort->keys().isRunning());
    EXPECT_FALSE(comfort->keys().intercept);
    EXPECT_FALSE(model->accessibilityNeeded());
    EXPECT_TRUE(sim->injectSystemDefinedEvent(press(2)));
}

TEST_F(ComfortTest, WithoutPermissionOnlyLaunchAndAKeysSettingChangeAskForIt) {
    sim->update([](sim::SimState& s) { s.accessibilityTrusted = false; });
    Settings s = orvane::testing::manualSettings();
    s.brightnessKeys = BrightnessKeysMode::orvaneDim;
    begin(s);
    EXPECT_EQ(trustPrompts(), 1u);
    EXPECT_TRUE(model->accessibilityNeeded());
    EXPECT_FALSE(comfort->keys().isRunning());

    change([](Settings& x) { x.dimStep = 0.1; });
    EXPECT_EQ(trustPrompts(), 1u) << "the dim step has nothing to do with the keys";
    change([](Settings& x) { x.steadyBacklight.enabled = true; });
    EXPECT_EQ(trustPrompts(), 2u);

    // Granted meanwhile: the next change starts the tap without asking.
    sim->update([](sim::SimState& state) { state.accessibilityTrusted = true; });
    change([](Settings& x) { x.dimStep = 0.05; });
    EXPECT_EQ(trustPrompts(), 2u);
    EXPECT_TRUE(comfort->keys().isRunning());
    EXPECT_FALSE(model->accessibilityNeeded());
}

// --- brightness keys over a DDC monitor ------------------------------------------------

TEST_F(ComfortTest, KeysOverADDCMonitorMoveItsBrightnessUnlessItsEntrySaysNo) {
    struct Case {
        std::optional<bool> ddcBrightness;
        Point pointer;
        std::int64_t key;  // 2 up, 3 down
        const char* title;
        double level;
        int monitorBrightness;
        double dim;
    };
    const Point overMonitor{1512 + 100, 700};
    const Case cases[] = {
        {std::nullopt, overMonitor, 2, "Brightness", 1.0, 100, 1.0},  // 0.98 + 0.05, capped
        {true, overMonitor, 3, "Brightness", 0.93, 93, 1.0},
        {false, overMonitor, 3, "Dim", 0.95, 98, 0.95},        // the tint dims instead
        {std::nullopt, {700, 400}, 3, "Dim", 0.95, 98, 0.95},  // over the built-in display
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " " + std::to_string(c.level));
        Settings s = orvane::testing::manualSettings(3400, 1.0);
        s.brightnessKeys = BrightnessKeysMode::orvaneDim;
        DisplaySettings monitor;
        monitor.method = TintMethod::ddc;
        monitor.isBuiltIn = false;
        monitor.ddcBrightness = c.ddcBrightness;
        s.displays[externalKey] = monitor;
        setFeature(2, DDCService::vcpBrightness, 98);
        storeSettings(s);
        start();
        pointerAt(c.pointer);
        make();
        ASSERT_EQ(engine->slots().at(2).backend->kind(), BackendKind::ddc);
        ASSERT_EQ(feature(2, DDCService::vcpBrightness), 98);

        EXPECT_FALSE(sim->injectSystemDefinedEvent(press(c.key)));
        EXPECT_EQ(comfort->hud().state().title(), c.title);
        EXPECT_NEAR(comfort->hud().state().level(), c.level, 1e-9);
        EXPECT_EQ(feature(2, DDCService::vcpBrightness), c.monitorBrightness);
        EXPECT_NEAR(model->resolution().modeState.dim, c.dim, 1e-9);
        ASSERT_FALSE(panels.made.empty());
        EXPECT_TRUE(panels.made.back()->visible);
        TearDown();
        SetUp();
    }
}

TEST_F(ComfortTest, WithoutABrightnessHUDSettingTheKeysActButShowNothing) {
    Settings s = orvane::testing::manualSettings();
    s.brightnessKeys = BrightnessKeysMode::orvaneDim;
    s.showBrightnessHUD = false;
    begin(s);
    EXPECT_FALSE(sim->injectSystemDefinedEvent(press(3)));
    EXPECT_NEAR(model->resolution().modeState.dim, 0.95, 1e-9);
    EXPECT_TRUE(panels.made.empty());
}

// --- DDC per display ---------------------------------------------------------------------

TEST_F(ComfortTest, EachMonitorOnTheDDCMethodIsDrivenThroughItsOwnServiceAndOneWithoutDDCGetsAnOverlay) {
    // Monitor A (display 2) with its defaults, B with values of its own, C without DDC.
    sim::SimDisplay b;
    b.uuid = "0C4E8A21-5D3B-4F6E-9A7C-2B1D0E3F4A5B";
    b.vendor = 4268;
    b.model = 16532;
    b.name = "Second Monitor";
    b.frame = {1512 + 2560, 0, 1920, 1080};
    b.ddc = sim::DdcMonitor{{{0x10, {40, 100}}, {0x16, {90, 100}}, {0x18, {80, 100}}, {0x1A, {70, 100}}}};
    const auto second = sim->addDisplay(b);
    sim::SimDisplay c;
    c.uuid = "7D2F1B44-9C3E-4A5B-8E6F-0A1B2C3D4E5F";
    c.vendor = 1111;
    c.model = 2222;
    c.name = "Plain Monitor";
    c.frame = {1512 + 2560 + 1920, 0, 1920, 1080};
    const auto third = sim->addDisplay(c);

    Settings s = orvane::testing::manualSettings(2700);
    for (const auto* key :
         {externalKey, "uuid:0C4E8A21-5D3B-4F6E-9A7C-2B1D0E3F4A5B", "uuid:7D2F1B44-9C3E-4A5B-8E6F-0A1B2C3D4E5F"}) {
        DisplaySettings d;
        d.method = TintMethod::ddc;
        d.isBuiltIn = false;
        s.displays[key] = d;
    }
    begin(s);

    ASSERT_EQ(comfort->ddcServices().size(), 2u);
    EXPECT_FALSE(engine->ddcAvailability(display(1)));
    EXPECT_TRUE(engine->ddcAvailability(display(2)));
    EXPECT_TRUE(engine->ddcAvailability(display(second)));
    EXPECT_FALSE(engine->ddcAvailability(display(third))) << "another monitor's answer is not this one's";
    EXPECT_EQ(comfort->ddcService(display(second))->displayId(), second);

    EXPECT_EQ(engine->slots().at(2).backend->kind(), BackendKind::ddc);
    EXPECT_EQ(engine->slots().at(second).backend->kind(), BackendKind::ddc);
    EXPECT_EQ(engine->slots().at(third).backend->kind(), BackendKind::overlay);

    // Each records its own monitor's values and tints from them.
    EXPECT_EQ(
        userDefaults()->dictionary("ddc.snapshot.uuid:0C4E8A21-5D3B-4F6E-9A7C-2B1D0E3F4A5B"),
        (Dictionary{
            {"16", std::int64_t{40}}, {"22", std::int64_t{90}}, {"24", std::int64_t{80}}, {"26", std::int64_t{70}}}));
    const auto first = userDefaults()->dictionary(std::string("ddc.snapshot.") + externalKey);
    ASSERT_TRUE(first && first->count("22"));
    EXPECT_EQ(first->at("22"), Value(std::int64_t{50}));
    const Multiplier warm = Kelvin::multiplier(2700);
    EXPECT_EQ(feature(2, 0x16), std::lround(50 * warm.r));
    EXPECT_EQ(feature(2, 0x1A), std::lround(50 * warm.b));
    EXPECT_EQ(feature(second, 0x16), std::lround(90 * warm.r));
    EXPECT_EQ(feature(second, 0x1A), std::lround(70 * warm.b));

    // Detaching gives each monitor its own values back.
    engine->detachAll();
    EXPECT_EQ(feature(2, 0x16), 50);
    EXPECT_EQ(feature(second, 0x16), 90);
    EXPECT_EQ(feature(second, 0x1A), 70);
}

TEST_F(ComfortTest, AMonitorPluggedInLaterOnTheDDCMethodGetsItsOwnService) {
    const auto monitor = sim->state().displays.at(1);
    sim->removeDisplay(2);
    Settings s = orvane::testing::manualSettings(2700);
    DisplaySettings d;
    d.method = TintMethod::ddc;
    d.isBuiltIn = false;
    s.displays[externalKey] = d;
    begin(s);
    EXPECT_TRUE(comfort->ddcServices().empty());

    sim->addDisplay(monitor);
    settle();
    ASSERT_EQ(comfort->ddcServices().size(), 1u);
    ASSERT_TRUE(engine->slots().count(2));
    EXPECT_EQ(engine->slots().at(2).backend->kind(), BackendKind::ddc);
    EXPECT_EQ(feature(2, 0x1A), std::lround(50 * Kelvin::multiplier(2700).b));
}

// --- anti-dithering ----------------------------------------------------------------------

TEST_F(ComfortTest, DitheringFollowsScopeAndEntriesAndOnlyWhatWasSwitchedOffComesBack) {
    Settings s = orvane::testing::manualSettings();
    DisplaySettings own;
    own.antiDithering = true;
    s.displays[builtInKey] = own;
    begin(s);
    EXPECT_EQ(ditherWrites(), (std::vector<std::pair<std::int64_t, bool>>{{1, false}}))
        << "the built-in entry alone asks for it";
    sim->journal().clear();

    change([](Settings& x) { x.antiDithering = AntiDitheringScope::externalOnly; });
    EXPECT_EQ(ditherWrites(), (std::vector<std::pair<std::int64_t, bool>>{{1, false}, {2, false}}));
    EXPECT_EQ(dither(1), false);
    EXPECT_EQ(dither(2), false);
    EXPECT_EQ(ditherRecord(), (Dictionary{{"builtIn", true}, {"external", true}}));
    sim->journal().clear();

    change([](Settings& x) { x.antiDithering = AntiDitheringScope::off; });
    EXPECT_EQ(ditherWrites(), (std::vector<std::pair<std::int64_t, bool>>{{1, false}, {2, true}}));
    EXPECT_TRUE(comfort->ditherDisabledBuiltIn());
    EXPECT_FALSE(comfort->ditherDisabledExternal());
    EXPECT_EQ(dither(2), true);
    EXPECT_EQ(ditherRecord(), (Dictionary{{"builtIn", true}, {"external", false}}));

    // The entry cleared: everything back on and no record left.
    change([](Settings& x) { x.displays[builtInKey].antiDithering = std::nullopt; });
    EXPECT_EQ(dither(1), true);
    EXPECT_FALSE(ditherRecord());
    EXPECT_FALSE(comfort->ditherDisabledBuiltIn());
}

TEST_F(ComfortTest, AllDisplaysWithoutAnExternalOneSwitchesTheExternalGroupOffWhenOneArrives) {
    const auto monitor = sim->state().displays.at(1);
    sim->removeDisplay(2);
    Settings s = orvane::testing::manualSettings();
    s.antiDithering = AntiDitheringScope::allDisplays;
    begin(s);
    EXPECT_TRUE(comfort->ditherDisabledBuiltIn());
    EXPECT_FALSE(comfort->ditherDisabledExternal());
    EXPECT_EQ(ditherRecord(), (Dictionary{{"builtIn", true}, {"external", false}}));

    sim->addDisplay(monitor);
    settle();
    EXPECT_TRUE(comfort->ditherDisabledExternal());
    EXPECT_EQ(dither(monitor.id), false);
    EXPECT_EQ(ditherRecord(), (Dictionary{{"builtIn", true}, {"external", true}}));

    // After a wake the pipelines are told again.
    sim->changeDisplay(1, [](sim::SimDisplay& d) { d.enableDither = true; });
    sim->postWorkspaceEvent(WorkspaceEvent::didWake);
    scheduler->runPending();
    EXPECT_EQ(dither(1), false);
}

TEST_F(ComfortTest, QuitSwitchesBackWhatThisRunTurnedOffAndDropsTheRecord) {
    Settings s = orvane::testing::manualSettings();
    s.antiDithering = AntiDitheringScope::allDisplays;
    begin(s);
    ASSERT_EQ(dither(1), false);
    ASSERT_TRUE(ditherRecord());
    comfort->restoreAntiDither();
    EXPECT_EQ(dither(1), true);
    EXPECT_EQ(dither(2), true);
    EXPECT_FALSE(ditherRecord());

    // One that will not come back on keeps the record for the next launch.
    comfort->applyAntiDither();
    sim->fail("dither.set", 5, 1);
    LogCapture log;
    comfort->restoreAntiDither();
    EXPECT_EQ(ditherRecord(), (Dictionary{{"builtIn", true}, {"external", true}}));
    EXPECT_FALSE(log.messages("comfort").empty());
}

TEST_F(ComfortTest, ARecordLeftByACrashedRunIsRestoredFirstAndAMalformedOneIsLeftAlone) {
    struct Case {
        const char* name;
        Value record;
        bool restored;
    };
    const Case cases[] = {
        {"both", Dictionary{{"builtIn", true}, {"external", true}}, true},
        {"a number for a Boolean", Dictionary{{"builtIn", std::int64_t{1}}, {"external", true}}, false},
        {"a key missing", Dictionary{{"builtIn", true}}, false},
        {"not a dictionary", Value(std::string("builtIn")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Also under the hardware switch: it gates switching by the settings only.
        ::setenv("ORVANE_NO_HARDWARE", "1", 1);
        for (const std::uint32_t id : {1u, 2u})
            sim->changeDisplay(id, [](sim::SimDisplay& d) { d.enableDither = false; });
        userDefaults()->set(ComfortController::antiDitherDirtyKey, c.record);
        start(orvane::testing::manualSettings());
        sim->journal().clear();
        LogCapture log;
        make();
        EXPECT_EQ(dither(1), c.restored);
        EXPECT_EQ(dither(2), c.restored);
        EXPECT_EQ(userDefaults()->object(ComfortController::antiDitherDirtyKey).has_value(), !c.restored);
        if (!c.restored) {
            EXPECT_TRUE(ditherWrites().empty());
            const auto lines = log.messages("comfort");
            EXPECT_NE(std::find(lines.begin(), lines.end(), "antiDither.dirty is malformed; left in place"),
                      lines.end());
        }
        TearDown();
        SetUp();
    }
}

TEST_F(ComfortTest, UnderTheHardwareSwitchAScopeChangeSwitchesNothing) {
    Settings s = orvane::testing::manualSettings();
    s.antiDithering = AntiDitheringScope::allDisplays;
    begin(s);
    ASSERT_TRUE(comfort->ditherDisabledBuiltIn());
    for (const char* value : {"1", "true"}) {
        SCOPED_TRACE(value);
        ::setenv("ORVANE_NO_HARDWARE", value, 1);
        sim->journal().clear();
        change([](Settings& x) {
            x.antiDithering =
                x.antiDithering == AntiDitheringScope::off ? AntiDitheringScope::allDisplays : AntiDitheringScope::off;
        });
        const bool gated = std::string(value) == "1";
        EXPECT_EQ(ditherWrites().empty(), gated);
        if (gated) {
            EXPECT_TRUE(comfort->ditherDisabledBuiltIn()) << "the flags stay";
            EXPECT_EQ(dither(1), false);
        }
    }
}

// --- pointer, security prompt, Night Shift --------------------------------------------

TEST_F(ComfortTest, ThePointerTurnsRedAtTheThresholdAndBackAboveItOrWithTheTintOff) {
    Settings s = orvane::testing::manualSettings(1500);
    s.pointerTint = true;
    s.pointerTintThreshold = 1500;
    begin(s);
    EXPECT_TRUE(comfort->pointer().isApplied());
    model->setWarmth(1550, std::nullopt);
    scheduler->runPending();
    EXPECT_FALSE(comfort->pointer().isApplied());
    model->setWarmth(1500, std::nullopt);
    scheduler->runPending();
    EXPECT_TRUE(comfort->pointer().isApplied());
    model->setEnabled(false);
    scheduler->runPending();
    EXPECT_FALSE(comfort->pointer().isApplied());
}

TEST_F(ComfortTest, ASecurityPromptReachesTheModelAndNightShiftIsNoticedWithinAMinute) {
    begin(orvane::testing::manualSettings());
    ASSERT_TRUE(comfort->security().isPolling());
    comfort->security().onChange(true);
    EXPECT_TRUE(model->securityPromptVisible());

    EXPECT_FALSE(model->nightShiftActive());
    sim->update([](sim::SimState& s) { s.nightShift.active = true; });
    scheduler->advance(55);
    EXPECT_FALSE(model->nightShiftActive());
    scheduler->advance(15);
    EXPECT_TRUE(model->nightShiftActive());
}
