#include <gtest/gtest.h>

#include "core/CurveFixtures.h"
#include "core/ManualHold.h"
#include "core/Resolver.h"

namespace orvane {
namespace {

using testing::morning;
using testing::night;
using testing::tint;
using testing::wall;

const char* berlin = "Europe/Berlin";
Date march(int day, int hour, int minute = 0, int second = 0) {
    return wall(berlin, 2026, 3, day, hour, minute, second);
}

// Default sunset settings at a place whose sunset on 10 March is 19:00: evening 18:30 (3400 K by
// 19:30), late night 20:30 (Ember 1200 K by 22:00), wake-up ramp 06:30 to 07:00.
const Location place = testing::placeWithSunset(berlin, march(10, 12), 19, 0);

struct Held {
    Settings settings;
    RuntimeState runtime;
};

Held change(std::int64_t kelvin, Date now, Settings settings = Settings(), RuntimeState runtime = {}) {
    Resolver::applyManualChange(tint(kelvin), settings, runtime, now, place);
    return {settings, runtime};
}

TEST(ManualChange, AtNightKeepsUntilTheMorningRampHasCooledToTheHeldTint) {
    const Held h = change(3000, march(10, 22));
    EXPECT_EQ(h.runtime.pausedState, tint(3000));
    // The ramp from 1200 K reaches 2967 K after 600 s and 3055 K after 630 s.
    EXPECT_EQ(h.runtime.pausedUntil, march(11, 6, 40, 30));
    EXPECT_EQ(h.settings, Settings());  // the settings are untouched
    const WarmthCurve curve = CurveBuilder::sunsetCurve(Settings(), place, march(10, 22));
    EXPECT_GE(curve.state(*h.runtime.pausedUntil).kelvin, 2975);
    EXPECT_LT(curve.state(*h.runtime.pausedUntil - 30).kelvin, 2975);
}

TEST(ManualChange, InTheDayKeepsUntilTheEveningHasWarmedToTheHeldTint) {
    const Held h = change(3000, march(10, 14));
    // The evening only reaches 3400 K; the late-night ramp passes 3025 K 930 s after 20:30.
    ASSERT_TRUE(h.runtime.pausedUntil);
    EXPECT_NEAR(*h.runtime.pausedUntil - march(10, 20, 45, 30), 0, 1);
    const WarmthCurve curve = CurveBuilder::sunsetCurve(Settings(), place, march(10, 14));
    EXPECT_LE(curve.state(*h.runtime.pausedUntil).kelvin, 3025);
}

TEST(ManualChange, OneHourAtNightWhereTheCurveIsAlreadyWarmer) {
    Settings s;
    s.overrideBehavior = OverrideBehavior::pauseOneHour;
    EXPECT_EQ(change(3000, march(10, 22), s).runtime.pausedUntil, march(10, 23));
}

TEST(ManualChange, UntilTheNextStep) {
    Settings s;
    s.overrideBehavior = OverrideBehavior::pauseUntilNextStep;
    // At 21:00 the next keyframe is the wake-up at 06:30, inside whose ramp the hold settles:
    // 6323 K after 1740 s, 6382 K after 1770 s.
    EXPECT_EQ(change(6400, march(10, 21), s).runtime.pausedUntil, march(11, 6, 59, 30));
    // 6475 K is never sampled before the ramp ends at 07:00.
    EXPECT_EQ(change(6500, march(10, 21), s).runtime.pausedUntil, march(11, 7));
}

TEST(ManualChange, InManualModeSetsTheManualValuesAndLeavesAnEarlierHold) {
    Settings s;
    s.mode = Mode::manual;
    RuntimeState r;
    r.pausedState = tint(2000);
    r.pausedUntil = march(10, 23);
    const Held h = change(2700, march(10, 22), s, r);
    EXPECT_EQ(h.settings.manualKelvin, 2700);
    EXPECT_EQ(h.settings.manualDim, 1.0);
    EXPECT_EQ(h.runtime, r);
    // The resolver keeps showing the earlier hold until it ends.
    const ResolverInput in{.now = march(10, 22), .settings = h.settings, .location = place, .runtime = h.runtime};
    const Resolution shown = Resolver::resolve(in);
    EXPECT_EQ(shown.status, TintStatus(TintStatus::PausedUntil{march(10, 23)}));
    EXPECT_EQ(shown.target.kelvin, 2000);
}

TEST(ManualChange, SwitchToManualTurnsTheModeAndMakesNoHold) {
    Settings s;
    s.overrideBehavior = OverrideBehavior::switchToManual;
    const Held h = change(2700, march(10, 22), s);
    EXPECT_EQ(h.settings.mode, Mode::manual);
    EXPECT_EQ(h.settings.manualKelvin, 2700);
    EXPECT_EQ(h.runtime, RuntimeState());
}

TEST(ManualChange, EndsWindDownWithoutRestoring) {
    Settings s;
    RuntimeState r;
    Resolver::setCozy(true, s, r);
    const RuntimeState saved = r;
    const Held h = change(2700, march(10, 22), s, r);
    EXPECT_FALSE(h.runtime.cozyActive);
    EXPECT_EQ(h.runtime.cozyPreviousManual, saved.cozyPreviousManual);
    EXPECT_EQ(h.runtime.pausedState, tint(2700));
    EXPECT_EQ(h.settings, s);
}

TEST(ManualChange, InScheduleModeFollowsTheScheduleCurve) {
    Settings s;
    s.mode = Mode::schedule;
    s.overrideBehavior = OverrideBehavior::pauseUntilNextStep;
    // Default steps: 19:00 Evening, 21:00 Candle, 22:30 Midnight, 07:00 Daylight. At 21:10 the next is
    // 22:30, when the curve (1900 K, then ramping to 500 K) is already warmer than 3000 K.
    EXPECT_EQ(change(3000, march(10, 21, 10), s).runtime.pausedUntil, march(10, 22, 30));
}

// ---- ManualHold.settle and end on hand-made curves ----

Date utc(int hour, int minute = 0, int second = 0, int day = 10) {
    return wall("UTC", 2026, 3, day, hour, minute, second);
}

TEST(ManualHoldSettle, AtNightWaitsUntilTheCurveIsAsWarm) {
    const WarmthCurve curve(
        {morning(utc(7)), night(utc(19), 4000), night(utc(23), 2000, 3600), morning(utc(7, 0, 0, 11), 1800)});
    const TintState held = tint(3000);
    // 4000 K until 23:00, then warming: 3033 K after 1740 s, 3017 K after 1770 s.
    EXPECT_EQ(ManualHold::settle(utc(21), held, curve), utc(23, 29, 30));
    // Already as warm within 25 K: kept.
    EXPECT_EQ(ManualHold::settle(utc(21), tint(3975), curve), utc(21));
}

TEST(ManualHoldSettle, NeverWarmEnoughEndsAtTheMorning) {
    const WarmthCurve curve({morning(utc(7)), night(utc(19), 4000), morning(utc(7, 0, 0, 11), 1800)});
    EXPECT_EQ(ManualHold::settle(utc(21), tint(1000), curve), utc(7, 0, 0, 11));
    // Without a morning keyframe the search gives up after 12 hours.
    const WarmthCurve endless({night(utc(19), 4000)});
    EXPECT_EQ(ManualHold::settle(utc(21), tint(1000), endless), utc(9, 0, 0, 11));
}

TEST(ManualHoldSettle, InsideAMorningRampAtTheLatestItsEnd) {
    const WarmthCurve curve({night(utc(19), 2000), Keyframe(utc(7, 0, 0, 11), tint(6000), 3600, "Morning", true)});
    // The ramp never cools to 6475 K: the hold ends with the ramp.
    EXPECT_EQ(ManualHold::settle(utc(7, 10, 0, 11), tint(6500), curve), utc(8, 0, 0, 11));
    // At or after the ramp's end, and in a day without a ramp, the end stays.
    EXPECT_EQ(ManualHold::settle(utc(8, 0, 0, 11), tint(6500), curve), utc(8, 0, 0, 11));
    EXPECT_EQ(ManualHold::settle(utc(9, 0, 0, 11), tint(6500), curve), utc(9, 0, 0, 11));
    // No keyframe in force at all.
    EXPECT_EQ(ManualHold::settle(utc(18), tint(6500), curve), utc(18));
}

TEST(ManualHoldSettle, ADateTooLargeToStepEndsTheSearch) {
    const WarmthCurve endless({night(utc(19), 4000)});
    const Date huge(1e18);  // 30 s no longer move it
    EXPECT_EQ(ManualHold::settle(huge, tint(1000), endless), huge + 43200);
}

TEST(ManualHoldEnd, FallbacksWithoutKeyframes) {
    const WarmthCurve empty;
    const Date now = utc(12);
    EXPECT_EQ(ManualHold::end(OverrideBehavior::keepUntilMorning, tint(3000), empty, now), now + 43200);
    EXPECT_EQ(ManualHold::end(OverrideBehavior::pauseUntilNextStep, tint(3000), empty, now), now + 3600);
    EXPECT_EQ(ManualHold::end(OverrideBehavior::switchToManual, tint(3000), empty, now), now + 3600);
    EXPECT_EQ(ManualHold::end(OverrideBehavior::pauseOneHour, tint(3000), empty, now), now + 3600);
}

TEST(ManualHoldEnd, SwitchToManualCountsAsUntilTheNextStep) {
    const WarmthCurve curve({morning(utc(7)), night(utc(19), 3000), night(utc(21), 1900)});
    EXPECT_EQ(ManualHold::end(OverrideBehavior::switchToManual, tint(3400), curve, utc(20)), utc(21));
    EXPECT_EQ(ManualHold::end(OverrideBehavior::pauseUntilNextStep, tint(3400), curve, utc(20)), utc(21));
    // Keep until morning from the day: the next evening keyframe, settled.
    EXPECT_EQ(ManualHold::end(OverrideBehavior::keepUntilMorning, tint(3400), curve, utc(12)), utc(19));
}

// ---- Wind down and resume ----

TEST(SetCozy, SavesOnceAndRestoresOnSwitchOff) {
    Settings s;
    s.manualKelvin = 9000;
    s.manualDim = 1.4;
    RuntimeState r;
    r.pausedState = tint(2500);
    r.pausedUntil = march(10, 23);

    Resolver::setCozy(true, s, r);
    EXPECT_TRUE(r.cozyActive);
    EXPECT_EQ(r.cozyPreviousManual, TintState(6500, 1.0, RedStyle::readable, false));
    EXPECT_EQ(r.cozyPreviousPause, tint(2500));
    EXPECT_EQ(r.cozyPreviousPausedUntil, march(10, 23));
    EXPECT_EQ(r.pausedState, tint(2500));  // the hold stays; wind down wins over it
    EXPECT_EQ(s.manualKelvin, 9000);

    // A second switch-on saves nothing new.
    s.manualKelvin = 2000;
    r.pausedState = tint(1800);
    r.pausedUntil = march(11, 1);
    Resolver::setCozy(true, s, r);
    EXPECT_EQ(r.cozyPreviousManual->kelvin, 6500);

    Resolver::setCozy(false, s, r);
    EXPECT_FALSE(r.cozyActive);
    EXPECT_EQ(s.manualKelvin, 6500);
    EXPECT_EQ(s.manualDim, 1.0);
    // The hold begun during wind down gives way to the one saved at switch-on.
    EXPECT_EQ(r.pausedState, tint(2500));
    EXPECT_EQ(r.pausedUntil, march(10, 23));
    EXPECT_FALSE(r.cozyPreviousManual);
    EXPECT_FALSE(r.cozyPreviousPause);
    EXPECT_FALSE(r.cozyPreviousPausedUntil);
}

TEST(SetCozy, SwitchOffRestoresNoHoldWhenNoneWasSaved) {
    Settings s;
    RuntimeState r;
    Resolver::setCozy(true, s, r);
    r.pausedState = tint(1800);
    r.pausedUntil = march(11, 1);
    Resolver::setCozy(false, s, r);
    EXPECT_EQ(r, RuntimeState());
}

TEST(SetCozy, SwitchingOffWhenOffChangesNothing) {
    Settings s;
    s.manualKelvin = 2000;
    RuntimeState r;
    r.cozyPreviousManual = tint(5000);  // lingering after a manual change
    const Settings settingsBefore = s;
    const RuntimeState runtimeBefore = r;
    Resolver::setCozy(false, s, r);
    EXPECT_EQ(s, settingsBefore);
    EXPECT_EQ(r, runtimeBefore);
}

TEST(Resume, DropsOnlyTheHold) {
    RuntimeState r;
    r.pausedState = tint(2500);
    r.pausedUntil = march(10, 23);
    r.disabledUntil = march(10, 23);
    r.cozyActive = true;
    Resolver::resume(r);
    EXPECT_FALSE(r.pausedState);
    EXPECT_FALSE(r.pausedUntil);
    EXPECT_EQ(r.disabledUntil, march(10, 23));
    EXPECT_TRUE(r.cozyActive);
}

}  // namespace
}  // namespace orvane
