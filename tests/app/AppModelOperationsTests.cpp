// The user's operations on the model: what each writes, with which clamps, and what
// reaches the engine.
#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "core/Curve.h"

namespace orvane {
namespace {

using platform::LocationCoordinate;

class AppModelOperationsTest : public testing::ModelTest {
protected:
    void setRuntime(const std::function<void(RuntimeState&)>& change) {
        RuntimeState r = model->runtime();
        change(r);
        model->setRuntime(r);
    }
    void changeSettings(const std::function<void(Settings&)>& change) {
        Settings s = model->settings();
        change(s);
        model->setSettings(s);
    }
    Date berlin(int day, int hour, int minute = 0) const {
        return Calendar(systemZone).date(2026, 3, day, hour, minute);
    }
};

TEST_F(AppModelOperationsTest, SwitchingOnWhenOnDoesNothingAndOffPlaysPop) {
    start(testing::manualSettings());
    const Date until = clock->now() + 3600;
    model->disable(until);
    forget();
    model->setEnabled(true);
    EXPECT_EQ(model->runtime().disabledUntil, until);
    EXPECT_TRUE(sounds.empty());
    EXPECT_TRUE(settingsChanges.empty());

    model->setEnabled(false);
    EXPECT_FALSE(model->settings().enabled);
    EXPECT_EQ(sounds, std::vector<std::string>{"Pop"});
    EXPECT_EQ(model->runtime().disabledUntil, until);

    model->setEnabled(true);
    EXPECT_EQ(model->runtime().disabledUntil, std::nullopt) << "switching on ends a timed switch-off";

    changeSettings([](Settings& s) { s.sounds = false; });
    sounds.clear();
    model->setEnabled(false);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(AppModelOperationsTest, SetWarmthSnapsAndClampsAndUsesTheSettingsRedStyle) {
    Settings s = testing::manualSettings(3000, 0.6);
    s.redStyle = RedStyle::pure;
    s.darkroom = true;
    start(s);
    model->setWarmth(3437, std::nullopt);
    EXPECT_EQ(model->settings().manualKelvin, 3450);
    EXPECT_EQ(model->settings().manualDim, 0.6) << "the mode state's dim";
    EXPECT_EQ(model->resolution().target.redStyle, RedStyle::pure);

    model->setWarmth(100, 1.7);
    EXPECT_EQ(model->settings().manualKelvin, 500);
    EXPECT_EQ(model->settings().manualDim, 1.0);
    model->setWarmth(9000, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(model->settings().manualKelvin, 6500);
    EXPECT_EQ(model->settings().manualDim, 0.0);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(AppModelOperationsTest, SetWarmthAgainstTheCurveHoldsItAndSwitchesTheTintOn) {
    Settings s;
    s.enabled = false;
    start(s);
    model->setWarmth(2700, 0.9);
    EXPECT_TRUE(model->settings().enabled);
    ASSERT_TRUE(model->runtime().pausedState);
    EXPECT_EQ(*model->runtime().pausedState, TintState(2700, 0.9, RedStyle::readable, false));
    EXPECT_EQ(model->resolution().target, TintState(2700, 0.9, RedStyle::readable, false));
    EXPECT_FALSE(lastRendered(1)->request.isIdentity());
}

TEST_F(AppModelOperationsTest, DimmerAndBrighterStayBetweenTheFloorAndOne) {
    Settings s = testing::manualSettings(3400, 0.07);
    s.dimStep = 0.05;
    s.dimFloor = 0.05;
    start(s);
    model->dimmer();
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 0.05);
    model->dimmer();
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 0.05);
    changeSettings([](Settings& st) { st.manualDim = 0.98; });
    model->brighter();
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 1.0);
    EXPECT_EQ(model->settings().manualKelvin, 3400);
}

TEST_F(AppModelOperationsTest, NextPresetCyclesThroughTheListInOrder) {
    start(testing::manualSettings(3400, 0.995));
    const auto presets = model->settings().presets;
    const auto evening =
        std::find_if(presets.begin(), presets.end(), [](const Preset& p) { return p.id == "builtin.evening"; });
    ASSERT_NE(evening, presets.end());
    ASSERT_EQ(evening->kelvin, 3400);
    const Preset& after = *(evening + 1);
    model->nextPreset();
    EXPECT_EQ(model->settings().manualKelvin, after.kelvin);
    EXPECT_EQ(model->settings().manualDim, after.dim);
    EXPECT_EQ(sounds, std::vector<std::string>{"Pop"});

    changeSettings([&](Settings& s) {
        s.manualKelvin = presets.back().kelvin;
        s.manualDim = presets.back().dim;
    });
    model->nextPreset();
    EXPECT_EQ(model->settings().manualKelvin, presets.front().kelvin) << "after the last comes the first";

    changeSettings([](Settings& s) { s.manualKelvin = 4321; });
    model->nextPreset();
    EXPECT_EQ(model->settings().manualKelvin, presets.front().kelvin) << "no match: the first";
}

TEST_F(AppModelOperationsTest, NextPresetFindsTheFirstOfTwoAlikeAndDoesNothingWithoutPresets) {
    Settings s = testing::manualSettings(3000, 0.5);
    s.presets = {Preset{}, Preset{}, Preset{}};
    s.presets[0].kelvin = 3000;
    s.presets[0].dim = 0.5;
    s.presets[1].kelvin = 3000;
    s.presets[1].dim = 0.505;
    s.presets[2].kelvin = 2000;
    s.presets[2].dim = 1.0;
    start(s);
    model->nextPreset();
    EXPECT_EQ(model->settings().manualDim, 0.505);
    model->nextPreset();
    EXPECT_EQ(model->settings().manualDim, 0.505) << "the first of the two matches again";

    changeSettings([](Settings& st) { st.presets.clear(); });
    sounds.clear();
    const Settings before = model->settings();
    model->nextPreset();
    EXPECT_EQ(model->settings(), before);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(AppModelOperationsTest, EmergencyResetClearsEverythingAndShowsNoTintAtOnce) {
    start();
    model->setCozy(true);
    model->setWarmth(2000, 0.5);
    model->disable(clock->now() + 3600);
    model->setRuntime([&] {
        RuntimeState r = model->runtime();
        r.cozyActive = true;
        r.disabledUntil = clock->now() + 3600;
        return r;
    }());
    changeSettings([](Settings& s) { s.darkroom = true; });
    model->setRevealHeld(true);
    model->setRestDim(0.45);
    forget();

    model->emergencyReset();
    EXPECT_FALSE(model->settings().enabled);
    EXPECT_EQ(model->settings().manualKelvin, 6500);
    EXPECT_EQ(model->settings().manualDim, 1.0);
    EXPECT_FALSE(model->settings().darkroom);
    EXPECT_EQ(model->settings().mode, Mode::sunset) << "the mode stays";
    EXPECT_EQ(model->runtime(), RuntimeState());
    EXPECT_FALSE(model->revealHeld());
    EXPECT_EQ(model->restDim(), 0.45) << "a running break is not touched";
    ASSERT_TRUE(lastRendered(1));
    EXPECT_TRUE(lastRendered(1)->request.isIdentity());
    EXPECT_EQ(lastRendered(1)->duration, 0);
    EXPECT_EQ(engine->currentState(), TintState::off);
    EXPECT_TRUE(sounds.empty());
}

TEST_F(AppModelOperationsTest, EmergencyResetEndsARunningMethodCheckProbe) {
    start(testing::manualSettings(6500));
    engine->beginProbe(display(1), TintMethod::gamma, TintState(1000, 1.0, RedStyle::pure, false));
    ASSERT_TRUE(engine->isProbing());
    scheduler->advance(0.5);  // the probe fades in
    ASSERT_TRUE(sim->state().displays[0].gamma) << "the probe shows a red test";
    model->emergencyReset();
    settle();
    EXPECT_FALSE(engine->isProbing());
    EXPECT_FALSE(sim->state().displays[0].gamma) << "the gamma table is back to identity";
    EXPECT_FALSE(sim->state().displays[0].matrix);
}

TEST_F(AppModelOperationsTest, SetModeEndsAHoldOnly) {
    start();
    model->setCozy(true);
    const Date until = clock->now() + 3600;
    model->disable(until);
    setRuntime([&](RuntimeState& r) {
        r.pausedUntil = clock->now() + 600;
        r.pausedState = TintState(3000, 1.0, RedStyle::readable, false);
    });
    model->setEnabled(false);
    model->setMode(Mode::schedule);
    EXPECT_EQ(model->settings().mode, Mode::schedule);
    EXPECT_EQ(model->runtime().pausedUntil, std::nullopt);
    EXPECT_EQ(model->runtime().pausedState, std::nullopt);
    EXPECT_TRUE(model->runtime().cozyActive);
    EXPECT_EQ(model->runtime().disabledUntil, until);
    EXPECT_FALSE(model->settings().enabled);
}

TEST_F(AppModelOperationsTest, WindDownSwitchesOnAndOffRestoresWithoutSwitching) {
    Settings s = testing::manualSettings(3100, 0.9);
    s.enabled = false;
    start(s);
    model->setCozy(true);
    EXPECT_TRUE(model->runtime().cozyActive);
    EXPECT_TRUE(model->settings().enabled);
    EXPECT_TRUE(model->resolution().status.is<TintStatus::Cozy>());
    model->setEnabled(false);
    model->setCozy(false);
    EXPECT_FALSE(model->runtime().cozyActive);
    EXPECT_FALSE(model->settings().enabled);
    EXPECT_EQ(model->settings().manualKelvin, 3100);
}

TEST_F(AppModelOperationsTest, EveningPlanSetsTheSunsetModeEndsAHoldAndSwitchesOn) {
    Settings s = testing::manualSettings();
    s.enabled = false;
    start(s);
    setRuntime([&](RuntimeState& r) {
        r.pausedUntil = clock->now() + 600;
        r.pausedState = TintState(3000, 1.0, RedStyle::readable, false);
    });
    EXPECT_EQ(model->eveningPlan(), std::nullopt) << "manual mode has no plan";
    EveningPlan plan;
    plan.bedtime = ClockTime(23 * 60);
    plan.wake = ClockTime(6 * 60 + 30);
    model->setEveningPlan(plan);
    EXPECT_EQ(model->settings().mode, Mode::sunset);
    EXPECT_TRUE(model->settings().enabled);
    EXPECT_EQ(model->runtime().pausedState, std::nullopt);
    ASSERT_TRUE(model->eveningPlan());
    EXPECT_EQ(*model->eveningPlan(), plan);
}

TEST_F(AppModelOperationsTest, DisableUntilSunriseTakesTheNextSunriseAtThePlace) {
    const auto sunrise = [&](Date on) {
        return *Solar::times(on, model->location().latitude, model->location().longitude, systemZone).sunrise;
    };
    clock->setNow(berlin(15, 3));
    start();
    model->disableUntilSunrise();
    EXPECT_EQ(model->runtime().disabledUntil, sunrise(berlin(15, 12)));

    clock->setNow(berlin(15, 9));
    model->disableUntilSunrise();
    EXPECT_EQ(model->runtime().disabledUntil, sunrise(berlin(16, 12)));
    EXPECT_EQ(Calendar(systemZone).dayKey(*model->runtime().disabledUntil), "2026-03-16");
}

TEST_F(AppModelOperationsTest, DisableUntilSunriseInPolarNightWaitsForThePolarMorning) {
    Settings s;
    s.sunset.locationSource = LocationSource::Coordinates{78.22, 15.65};  // Svalbard
    clock->setNow(Calendar(systemZone).date(2026, 12, 21, 10));
    start(s);
    ASSERT_FALSE(model->sunTimesToday().sunrise);
    model->disableUntilSunrise();
    const TimeZone zone = model->location().timeZone(systemZone);
    EXPECT_EQ(model->runtime().disabledUntil, CurveBuilder::clockDate(ClockTime(420), clock->now() + 86400, zone));
    EXPECT_EQ(Calendar(zone).hhmm(*model->runtime().disabledUntil), "07:00");
}

TEST_F(AppModelOperationsTest, DisableUntilTomorrowUsesThePlacesMidnight) {
    Settings s;
    s.sunset.locationSource = LocationSource::TimeZone{std::string("Asia/Tokyo")};
    const Calendar tokyo(*TimeZone::named("Asia/Tokyo"));
    clock->setNow(tokyo.date(2026, 3, 15, 23, 59));
    start(s);
    model->disableUntilTomorrow();
    EXPECT_EQ(model->runtime().disabledUntil, tokyo.date(2026, 3, 16, 0, 0));
}

TEST_F(AppModelOperationsTest, FollowEveningUndoesWindDownPausesAndSwitchOff) {
    start();
    model->setCozy(true);
    model->disable(clock->now() + 3600);
    setRuntime([&](RuntimeState& r) {
        r.pausedUntil = clock->now() + 600;
        r.pausedState = TintState(3000, 1.0, RedStyle::readable, false);
    });
    model->setEnabled(false);
    model->followEvening();
    EXPECT_EQ(model->runtime(), RuntimeState());
    EXPECT_TRUE(model->settings().enabled);
    EXPECT_TRUE(model->resolution().status.is<TintStatus::Following>());
}

TEST_F(AppModelOperationsTest, AFocusUndoesOnlyTheLookItApplied) {
    start();
    model->applyFocus(FocusLook::trueColor);
    EXPECT_EQ(model->runtime().disabledUntil, Date::distantFuture());
    EXPECT_EQ(defaults->string("focusApplied"), "trueColor");
    model->applyFocus(std::nullopt);
    EXPECT_EQ(model->runtime().disabledUntil, std::nullopt);
    EXPECT_EQ(defaults->string("focusApplied"), std::nullopt);

    // The user chose an hour of true colour meanwhile: the Focus end leaves it alone.
    model->applyFocus(FocusLook::trueColor);
    const Date hour = clock->now() + 3600;
    model->disable(hour);
    model->applyFocus(std::nullopt);
    EXPECT_EQ(model->runtime().disabledUntil, hour);
    EXPECT_EQ(defaults->string("focusApplied"), std::nullopt);

    model->applyFocus(FocusLook::windDown);
    EXPECT_TRUE(model->runtime().cozyActive);
    EXPECT_EQ(defaults->string("focusApplied"), "windDown");
    model->applyFocus(std::nullopt);
    EXPECT_FALSE(model->runtime().cozyActive);
    EXPECT_EQ(defaults->string("focusApplied"), std::nullopt);
}

TEST_F(AppModelOperationsTest, AFocusEndWithoutAKnownLookDoesNothing) {
    start();
    const RuntimeState before = model->runtime();
    model->applyFocus(std::nullopt);
    EXPECT_EQ(model->runtime(), before);
    defaults->set("focusApplied", platform::Value("somethingElse"));
    model->disable(Date::distantFuture());
    model->applyFocus(std::nullopt);
    EXPECT_EQ(defaults->string("focusApplied"), "somethingElse");
    EXPECT_EQ(model->runtime().disabledUntil, Date::distantFuture());
}

TEST_F(AppModelOperationsTest, TrueColorCaptionsAtThePlace) {
    clock->setNow(berlin(15, 21, 30));
    start();
    EXPECT_EQ(model->trueColorUntilText(Date::distantFuture()), "While Focus is on");
    EXPECT_EQ(model->trueColorUntilText(clock->now() + 3600), "Until 22:30");
    EXPECT_EQ(model->trueColorUntilText(clock->now() + 7 * 86400), "Until 21:30") << "a week exactly is still a time";
}

TEST_F(AppModelOperationsTest, ToggleExclusionTwiceGivesBackTheList) {
    Settings s;
    s.excludedApps = {ExcludedApp{"com.a", "A", true}, ExcludedApp{"com.b", "B", false}};
    start(s);
    model->toggleExclusion("com.c", "C");
    ASSERT_EQ(model->settings().excludedApps.size(), 3u);
    EXPECT_EQ(model->settings().excludedApps.back(), (ExcludedApp{"com.c", "C", false}));
    model->toggleExclusion("com.c", "C");
    EXPECT_EQ(model->settings().excludedApps, s.excludedApps);
    model->toggleExclusion("com.A", "A");
    EXPECT_EQ(model->settings().excludedApps.size(), 3u) << "identifiers compare case-sensitively";
}

TEST_F(AppModelOperationsTest, LaunchAtLoginKeepsTheChoiceWhateverTheRegistrationSays) {
    start();
    model->setLaunchAtLogin(false);
    EXPECT_FALSE(model->settings().launchAtLogin);
    EXPECT_EQ(launchAtLogin, std::vector<bool>{false});
}

TEST_F(AppModelOperationsTest, APreciseFixIsStoredInThreeSavesAndMovesThePlace) {
    start();
    forget();
    model->requestPreciseLocation();
    EXPECT_EQ(location->locationRequests, 1);
    location->locate({LocationCoordinate{48.8566, 2.3522}});
    scheduler->runPending();
    ASSERT_EQ(settingsChanges.size(), 3u);
    EXPECT_EQ(settingsChanges[0].second.sunset.cachedPreciseLatitude, 48.8566);
    EXPECT_EQ(settingsChanges[1].second.sunset.cachedPreciseLongitude, 2.3522);
    EXPECT_TRUE(settingsChanges[2].second.sunset.locationSource.is<LocationSource::Precise>());
    EXPECT_EQ(model->preciseLocationError(), std::nullopt);
    EXPECT_NEAR(model->location().latitude, 48.8566, 1e-9);
    ASSERT_TRUE(model->preciseCoordinates());
    EXPECT_EQ(model->preciseCoordinates()->longitude, 2.3522);
}

TEST_F(AppModelOperationsTest, APreciseFailureIsShownAndClearedByTheNextRequest) {
    start();
    const Settings before = model->settings();
    const Location place = model->location();
    model->requestPreciseLocation();
    location->fail("Location services are off.");
    scheduler->runPending();
    EXPECT_EQ(model->preciseLocationError(), "Location services are off.");
    EXPECT_EQ(model->settings(), before);
    EXPECT_EQ(model->location(), place);
    model->requestPreciseLocation();
    EXPECT_EQ(model->preciseLocationError(), std::nullopt);
}

TEST_F(AppModelOperationsTest, TheSystemSettingsPanesOpenThroughTheWorkspace) {
    start();
    sim->journal().clear();
    model->openDisplaysSettings();
    model->openAccessibilitySettings();
    const auto calls = sim->journal().calls("workspace.openURL");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].arguments, platform::Value("x-apple.systempreferences:com.apple.Displays-Settings.extension"));
}

}  // namespace
}  // namespace orvane
