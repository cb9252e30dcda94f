#include <cmath>
#include <limits>
#include <unordered_set>

#include <gtest/gtest.h>

#include "core/Curve.h"
#include "core/CurveFixtures.h"

namespace orvane {
namespace {

using testing::morning;
using testing::night;
using testing::placeWithSunset;
using testing::tint;
using testing::wall;
using testing::zone;

constexpr const char* utc = "UTC";
Date at(int hour, int minute = 0, int second = 0) { return wall(utc, 2026, 3, 10, hour, minute, second); }

// ---- Keyframe and WarmthCurve ----

TEST(Keyframe, NegativeOrNaNRampBecomesZero) {
    EXPECT_EQ(Keyframe(at(7), tint(3400), -5, "x", false).ramp, 0);
    EXPECT_EQ(Keyframe(at(7), tint(3400), std::nan(""), "x", false).ramp, 0);
    EXPECT_EQ(Keyframe(at(7), tint(3400), 90, "x", false).end(), at(7) + 90);
}

TEST(Keyframe, NegativeZeroHashesAsZero) {
    const Keyframe plus(at(7), TintState(3400, 0.0, RedStyle::pure, false), 0.0, "x", true);
    Keyframe minus = plus;
    minus.ramp = -0.0;
    minus.target.dim = -0.0;
    EXPECT_EQ(plus, minus);
    EXPECT_EQ(std::hash<Keyframe>{}(plus), std::hash<Keyframe>{}(minus));
    EXPECT_EQ(std::hash<WarmthCurve>{}(WarmthCurve({plus})), std::hash<WarmthCurve>{}(WarmthCurve({minus})));
}

TEST(WarmthCurve, SortsStablyByTime) {
    const Keyframe a = night(at(19), 3400), b = night(at(19), 1900), c = morning(at(7));
    const WarmthCurve curve({a, b, c});
    ASSERT_EQ(curve.keyframes.size(), 3u);
    EXPECT_EQ(curve.keyframes[0], c);
    EXPECT_EQ(curve.keyframes[1], a);
    EXPECT_EQ(curve.keyframes[2], b);
}

TEST(WarmthCurve, NaNTimesSortLastWithoutUpsettingTheRest) {
    Keyframe broken = night(at(0), 1000);
    broken.time = Date(std::nan(""));
    const WarmthCurve curve({night(at(21), 1900), broken, morning(at(7)), night(at(19), 3400)});
    EXPECT_EQ(curve.keyframes[0].time, at(7));
    EXPECT_EQ(curve.keyframes[1].time, at(19));
    EXPECT_EQ(curve.keyframes[2].time, at(21));
    EXPECT_TRUE(std::isnan(curve.keyframes[3].time.secondsSince1970));
}

TEST(WarmthCurve, EmptyCurveIsUntintedAndHasNoKeyframes) {
    const WarmthCurve curve;
    EXPECT_EQ(curve.state(at(12)), TintState::off);
    EXPECT_FALSE(curve.isRamping(at(12)));
    EXPECT_FALSE(curve.isNight(at(12)));
    EXPECT_FALSE(curve.current(at(12)));
    EXPECT_FALSE(curve.nextKeyframe(at(12)));
    EXPECT_FALSE(curve.nextMorning(at(12)));
    EXPECT_FALSE(curve.nextEvening(at(12)));
    EXPECT_FALSE(curve.nextChange(at(12)));
}

TEST(WarmthCurve, BeforeTheFirstKeyframeTheLastTargetHoldsExactly) {
    const TintState deep(900, 0.6, RedStyle::pure, true);
    const WarmthCurve curve({morning(at(7)), Keyframe(at(22), deep, 1800, "Late", false)});
    EXPECT_EQ(curve.state(at(5)), deep);
    EXPECT_FALSE(curve.current(at(5)));
    EXPECT_FALSE(curve.isNight(at(5)));
}

// Keyframes 07:00 (ramp 0, 6500 K), 19:00 (1 h to 3400 K) and 19:30 (30 min to 1900 K, dim 0.9).
WarmthCurve eveningCurve() {
    return WarmthCurve({Keyframe(at(7), TintState(6500, 1.0, RedStyle::pure, true), 0, "Day", true),
                        Keyframe(at(19), tint(3400), 3600, "Evening", false),
                        Keyframe(at(19, 30), tint(1900, 0.9), 1800, "Late", false)});
}

TEST(WarmthCurve, ACutOffRampHandsOnWhatItReached) {
    const TintState s = eveningCurve().state(at(19, 45));
    // 19:00 ramp cut at 19:30 at 4950 K; the 19:30 keyframe is halfway from there.
    EXPECT_EQ(s.kelvin, 3425);
    EXPECT_DOUBLE_EQ(s.dim, 0.95);
    // Style and darkroom switch only when a keyframe completes: still those of 07:00.
    EXPECT_EQ(s.redStyle, RedStyle::pure);
    EXPECT_TRUE(s.darkroom);
    EXPECT_EQ(eveningCurve().state(at(19, 30)).kelvin, 4950);
}

TEST(WarmthCurve, AtAKeyframesTimeARampHasNotStartedButAStepHasLanded) {
    const WarmthCurve curve = eveningCurve();
    // 19:00 has a ramp: the state is still the 07:00 target.
    EXPECT_EQ(curve.state(at(19)).kelvin, 6500);
    EXPECT_TRUE(curve.state(at(19)).darkroom);
    // 07:00 has none: its target holds at once (from the repeating 1900 K before it).
    EXPECT_EQ(curve.state(at(7)), TintState(6500, 1.0, RedStyle::pure, true));
    // After the last ramp completes its target, style and darkroom included, holds.
    EXPECT_EQ(curve.state(at(23)), tint(1900, 0.9));
}

TEST(WarmthCurve, TwoKeyframesAtTheSameTime) {
    // A step and a ramp at 20:00: the ramp starts from where the step landed.
    const WarmthCurve stepFirst({morning(at(7)), night(at(20), 3000), night(at(20), 1000, 3600)});
    EXPECT_EQ(stepFirst.state(at(20, 30)).kelvin, 2000);
    EXPECT_EQ(stepFirst.current(at(20))->target.kelvin, 1000);
    // A ramp then a step at 20:00: the ramp had no time, the step lands.
    const WarmthCurve rampFirst({morning(at(7)), night(at(20), 1000, 3600), night(at(20), 3000)});
    EXPECT_EQ(rampFirst.state(at(20, 30)).kelvin, 3000);
}

TEST(WarmthCurve, KelvinRoundsHalvesAwayFromZero) {
    const WarmthCurve curve({morning(at(7)), night(at(19), 3401, 3600)});
    EXPECT_EQ(curve.state(at(19, 30)).kelvin, 4951);
}

TEST(WarmthCurve, RampingAndNextChange) {
    const WarmthCurve curve = eveningCurve();
    EXPECT_TRUE(curve.isRamping(at(19, 10)));
    EXPECT_EQ(curve.nextChange(at(19, 10)), at(19, 30));  // the next keyframe cuts the ramp
    // Once 19:30 begins only its own ramp counts.
    EXPECT_TRUE(curve.isRamping(at(19, 45)));
    EXPECT_EQ(curve.nextChange(at(19, 45)), at(20));
    // At the very end of a ramp it no longer runs; the next change is the next keyframe.
    const WarmthCurve simple({morning(at(7)), night(at(19), 3400, 3600), night(at(22), 1900)});
    EXPECT_FALSE(simple.isRamping(at(20)));
    EXPECT_EQ(simple.nextChange(at(20)), at(22));
    EXPECT_FALSE(simple.isRamping(at(12)));  // a step of 0 s never ramps
    EXPECT_EQ(simple.nextChange(at(12)), at(19));
    EXPECT_FALSE(simple.nextChange(at(23)));
}

TEST(WarmthCurve, CurrentNextMorningAndEvening) {
    const WarmthCurve curve({morning(at(7)), night(at(19), 3400), night(at(22), 1900), morning(at(23, 59))});
    EXPECT_EQ(curve.current(at(19))->time, at(19));
    EXPECT_TRUE(curve.isNight(at(19)));
    EXPECT_FALSE(curve.isNight(at(8)));
    EXPECT_EQ(curve.nextKeyframe(at(19))->time, at(22));  // strictly after
    // Exactly at a morning keyframe: the following morning keyframe.
    EXPECT_EQ(curve.nextMorning(at(7))->time, at(23, 59));
    EXPECT_EQ(curve.nextEvening(at(19))->time, at(22));
    EXPECT_FALSE(curve.nextEvening(at(22)));
}

TEST(WarmthCurve, Samples) {
    const WarmthCurve curve = eveningCurve();
    const auto day = curve.samples(at(0), 97, 86400);
    ASSERT_EQ(day.size(), 97u);
    for (int i = 0; i < 97; i += 8) EXPECT_EQ(day[static_cast<std::size_t>(i)], curve.state(at(0) + 900.0 * i)) << i;
    EXPECT_EQ(day.back(), curve.state(at(0) + 86400));
    EXPECT_EQ(curve.samples(at(19, 45), 1, 86400), std::vector<TintState>{curve.state(at(19, 45))});
    EXPECT_TRUE(curve.samples(at(0), 0, 86400).empty());
    EXPECT_TRUE(curve.samples(at(0), -3, 86400).empty());
}

TEST(WarmthCurve, TheDistantFutureHasEveryRampCompleted) {
    EXPECT_EQ(eveningCurve().state(Date(std::numeric_limits<double>::infinity())), tint(1900, 0.9));
}

// ---- clockDate and days ----

TEST(ClockDate, PlacesAClockTimeOnTheDayInTheZone) {
    const TimeZone paris = zone("Europe/Paris");
    for (const Date any : {wall("Europe/Paris", 2026, 6, 3, 0, 0), wall("Europe/Paris", 2026, 6, 3, 23, 59, 59)})
        EXPECT_EQ(CurveBuilder::clockDate(ClockTime(1230), any, paris), wall("Europe/Paris", 2026, 6, 3, 20, 30));
}

TEST(ClockDate, DaylightSavingGapAndRepeat) {
    const TimeZone ny = zone("America/New_York");
    // 02:00 to 03:00 is skipped on 2026-03-08: 02:30 becomes 03:00 EDT (07:00 UTC).
    EXPECT_EQ(iso8601(CurveBuilder::clockDate(ClockTime(150), wall("America/New_York", 2026, 3, 8, 12), ny)),
              "2026-03-08T07:00:00Z");
    // 01:30 happens twice on 2026-11-01: the first, still EDT (05:30 UTC).
    EXPECT_EQ(iso8601(CurveBuilder::clockDate(ClockTime(90), wall("America/New_York", 2026, 11, 1, 12), ny)),
              "2026-11-01T05:30:00Z");
}

TEST(ClockDate, FallsBackToTheDatePlusTheMinutes) {
    ClockTime outside;
    outside.minutes = 1500;  // stored outside the day
    const Date d = wall(utc, 2026, 3, 10, 0);
    EXPECT_EQ(CurveBuilder::clockDate(outside, d, zone(utc)), d + 1500 * 60);
    const Date unplaceable(std::numeric_limits<double>::infinity());
    EXPECT_EQ(CurveBuilder::clockDate(ClockTime(60), unplaceable, zone(utc)), unplaceable);
}

TEST(CurveBuilderDays, StartsOfYesterdayTodayAndTomorrowKeepingWallMidnight) {
    const auto days = CurveBuilder::days(wall("America/New_York", 2026, 3, 8, 15), zone("America/New_York"));
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[0], wall("America/New_York", 2026, 3, 7, 0));
    EXPECT_EQ(days[1], wall("America/New_York", 2026, 3, 8, 0));
    EXPECT_EQ(days[2], wall("America/New_York", 2026, 3, 9, 0));
    EXPECT_EQ(days[2] - days[1], 23 * 3600);  // the short day
    EXPECT_TRUE(CurveBuilder::days(Date(std::nan("")), zone(utc)).empty());
}

// ---- Sunset curve ----

const char* berlin = "Europe/Berlin";
Date tenthOfMarch(int hour, int minute = 0) { return wall(berlin, 2026, 3, 10, hour, minute); }

TEST(SunsetCurve, DefaultsWithASunsetAtSeven) {
    const Location place = placeWithSunset(berlin, tenthOfMarch(12), 19, 0);
    const WarmthCurve curve = CurveBuilder::sunsetCurve(Settings(), place, tenthOfMarch(12));
    ASSERT_EQ(curve.keyframes.size(), 9u);
    for (int d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        const auto& evening = curve.keyframes[static_cast<std::size_t>(3 * d)];
        const auto& late = curve.keyframes[static_cast<std::size_t>(3 * d + 1)];
        const auto& wake = curve.keyframes[static_cast<std::size_t>(3 * d + 2)];
        EXPECT_EQ(evening.label, "Evening");
        EXPECT_EQ(late.label, "Late night");
        EXPECT_EQ(wake.label, "Wake-up");
        // The sunset moves by a minute or two from day to day; today's is exactly 19:00.
        EXPECT_NEAR(evening.time - wall(berlin, 2026, 3, 9 + d, 18, 30), 0, d == 1 ? 1 : 240);
        EXPECT_EQ(evening.target, tint(3400));
        EXPECT_EQ(evening.ramp, 3600);
        EXPECT_FALSE(evening.isDay);
        EXPECT_EQ(late.time, wall(berlin, 2026, 3, 9 + d, 20, 30));
        EXPECT_EQ(late.target, tint(1200, 0.8));
        EXPECT_EQ(late.ramp, 5400);
        EXPECT_FALSE(late.isDay);
        EXPECT_EQ(wake.time, wall(berlin, 2026, 3, 10 + d, 6, 30));
        EXPECT_EQ(wake.ramp, 1800);
        EXPECT_EQ(wake.target, TintState(6500, 1.0, RedStyle::readable, false));
        EXPECT_TRUE(wake.isDay);
    }
}

TEST(SunsetCurve, LateNightWaitsForTheEveningRampWhenItsClockTimeHasPassed) {
    const Location place = placeWithSunset(berlin, tenthOfMarch(12), 22, 10);
    const WarmthCurve curve = CurveBuilder::sunsetCurve(Settings(), place, tenthOfMarch(12));
    const auto& evening = curve.keyframes[3];
    const auto& late = curve.keyframes[4];
    EXPECT_NEAR(evening.time - tenthOfMarch(21, 40), 0, 1);
    EXPECT_EQ(late.label, "Late night");
    EXPECT_EQ(late.time, evening.time + 3600);
}

TEST(SunsetCurve, LateNightClockTimeHalfADayBeforeTheEveningMovesPastMidnight) {
    const Location place = placeWithSunset(berlin, tenthOfMarch(12), 19, 0);
    for (const std::int64_t minutes : {30, 390}) {  // 00:30 is 18 h before 18:30; 06:30 exactly 12 h
        SCOPED_TRACE(minutes);
        Settings s;
        s.sunset.lateNightAnchor = LateNightAnchor::Clock{ClockTime(minutes)};
        const WarmthCurve curve = CurveBuilder::sunsetCurve(s, place, tenthOfMarch(12));
        std::optional<Keyframe> late;
        for (const auto& k : curve.keyframes)
            if (k.label == "Late night" && k.time > tenthOfMarch(18)) {
                late = k;
                break;
            }
        ASSERT_TRUE(late);
        EXPECT_EQ(late->time, wall(berlin, 2026, 3, 11, 0, static_cast<int>(minutes)));
    }
}

TEST(SunsetCurve, LateNightHoursAfterTheEventItself) {
    const Location place = placeWithSunset(berlin, tenthOfMarch(12), 19, 0);
    Settings s;
    s.sunset.lateNightAnchor = LateNightAnchor::EventPlusHours{2.5};
    const WarmthCurve curve = CurveBuilder::sunsetCurve(s, place, tenthOfMarch(12));
    EXPECT_NEAR(curve.keyframes[3].time - tenthOfMarch(18, 30), 0, 1);
    EXPECT_NEAR(curve.keyframes[4].time - tenthOfMarch(21, 30), 0, 1);
}

TEST(SunsetCurve, ZeroEveningRampKeepsEveningBeforeLateNightAtTheSameTime) {
    const Location place = placeWithSunset(berlin, tenthOfMarch(12), 22, 10);
    Settings s;
    s.sunset.eveningRampMinutes = 0;
    const WarmthCurve curve = CurveBuilder::sunsetCurve(s, place, tenthOfMarch(12));
    EXPECT_EQ(curve.keyframes[3].time, curve.keyframes[4].time);
    EXPECT_EQ(curve.keyframes[3].label, "Evening");
    EXPECT_EQ(curve.keyframes[4].label, "Late night");
}

TEST(SunsetCurve, MorningBehaviours) {
    const Location place = placeWithSunset(berlin, tenthOfMarch(12), 19, 0);
    const Date tomorrow = tenthOfMarch(12) + 86400;
    const Date sunrise = *Solar::times(tomorrow, place.latitude, place.longitude, zone(berlin)).sunrise;
    struct Case {
        MorningBehavior morning;
        Date time;
        double ramp;
        const char* label;
    };
    const Case cases[] = {
        {MorningBehavior::OffAtSunrise{}, sunrise, 0, "Sunrise"},
        {MorningBehavior::OffAtFixed{ClockTime(8, 15)}, wall(berlin, 2026, 3, 11, 8, 15), 0, "Morning"},
        {MorningBehavior::RampOut{45}, sunrise - 2700, 2700, "Sunrise"},
        {MorningBehavior::RampOutBy{ClockTime(7, 0), -10}, wall(berlin, 2026, 3, 11, 7, 10), 0, "Wake-up"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Settings s;
        s.sunset.morning = c.morning;
        s.sunset.daytimeKelvin = 9000;  // clamped to 6500
        s.redStyle = RedStyle::pure;
        const auto& k = CurveBuilder::sunsetCurve(s, place, tenthOfMarch(12)).keyframes[5];
        EXPECT_EQ(k.time, c.time);
        EXPECT_EQ(k.ramp, c.ramp);
        EXPECT_EQ(k.label, c.label);
        EXPECT_EQ(k.target, TintState(6500, 1.0, RedStyle::pure, false));
    }
}

TEST(SunsetCurve, PolarDayUsesThePolarClockTimes) {
    // Longyearbyen in June: the sun neither sets nor rises, and there is no twilight.
    const Location svalbard{78.22, 15.65, "Arctic/Longyearbyen", "Longyearbyen"};
    const Date midsummer = wall("Arctic/Longyearbyen", 2026, 6, 20, 12);
    Settings s;
    s.sunset.morning = MorningBehavior::RampOut{30};
    const WarmthCurve curve = CurveBuilder::sunsetCurve(s, svalbard, midsummer);
    EXPECT_EQ(curve.keyframes[3].time, wall("Arctic/Longyearbyen", 2026, 6, 20, 19, 30));  // 20:00 − 30 min
    EXPECT_EQ(curve.keyframes[5].time, wall("Arctic/Longyearbyen", 2026, 6, 21, 6, 30));   // 07:00 − 30 min
    // A dawn event chosen for the evening takes the polar morning of the same day.
    s.sunset.eveningEvent = SunEvent::civilDawn;
    s.sunset.startOffsetMinutes = 0;
    EXPECT_EQ(CurveBuilder::sunsetCurve(s, svalbard, midsummer).keyframes[3].time,
              wall("Arctic/Longyearbyen", 2026, 6, 20, 7, 0));
}

TEST(SunsetCurve, ZonesFarAheadOfTheirLongitudeTakeTheSunTimesAsComputed) {
    // Kiritimati keeps UTC+14 at 157° west: the sun times of a local day, computed from that
    // day's 00:00 UTC, fall on the next local day, and the curve places them there unchanged.
    const char* id = "Pacific/Kiritimati";
    const Location kiritimati{1.87, -157.43, id, "Kiritimati"};
    const Date today = wall(id, 2026, 3, 10, 12);
    const WarmthCurve curve = CurveBuilder::sunsetCurve(Settings(), kiritimati, today);
    std::vector<Date> evenings;
    for (const auto& k : curve.keyframes)
        if (k.label == "Evening") evenings.push_back(k.time);
    ASSERT_EQ(evenings.size(), 3u);
    const auto days = CurveBuilder::days(today, zone(id));
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(evenings[i],
                  *Solar::times(days[i], kiritimati.latitude, kiritimati.longitude, zone(id)).sunset - 1800);
    EXPECT_EQ(Calendar(zone(id)).components(evenings[1]).day, 11);
}

TEST(SunsetCurve, UnknownZoneFallsBackToTheSystemZone) {
    Location nowhere = placeWithSunset(berlin, tenthOfMarch(12), 19, 0);
    const WarmthCurve expected = CurveBuilder::sunsetCurve(Settings(), nowhere, tenthOfMarch(12));
    nowhere.timeZoneIdentifier = "Nowhere/Atlantis";
    EXPECT_EQ(CurveBuilder::sunsetCurve(Settings(), nowhere, tenthOfMarch(12), zone(berlin)), expected);
}

TEST(CurveBuilderCurve, ManualModeHasNone) {
    Settings s;
    const Location place = placeWithSunset(berlin, tenthOfMarch(12), 19, 0);
    s.mode = Mode::manual;
    EXPECT_FALSE(CurveBuilder::curve(s, place, tenthOfMarch(12)));
    s.mode = Mode::sunset;
    EXPECT_EQ(CurveBuilder::curve(s, place, tenthOfMarch(12)), CurveBuilder::sunsetCurve(s, place, tenthOfMarch(12)));
    s.mode = Mode::schedule;
    EXPECT_EQ(CurveBuilder::curve(s, place, tenthOfMarch(12)), CurveBuilder::scheduleCurve(s, place, tenthOfMarch(12)));
}

// ---- Schedule curve ----

const Location greenwich{51.48, 0.0, "Europe/London", "Greenwich"};
// 2026-03-13 is a Friday, 14 a Saturday, 15 a Sunday, 16 a Monday.
Date march(int day, int hour = 12, int minute = 0) { return wall("Europe/London", 2026, 3, day, hour, minute); }

TEST(ScheduleCurve, DefaultStepsLabelsAndDayThreshold) {
    Settings s;
    s.mode = Mode::schedule;
    const WarmthCurve curve = CurveBuilder::scheduleCurve(s, greenwich, march(11));
    ASSERT_EQ(curve.keyframes.size(), 12u);
    // Each day's 07:00 sorts first, then the evening steps.
    const std::vector<std::tuple<int, int, std::int64_t, const char*, bool>> expected{{7, 0, 6500, "Daylight", true},
                                                                                      {19, 0, 3400, "Evening", false},
                                                                                      {21, 0, 1900, "Candle", false},
                                                                                      {22, 30, 500, "Midnight", false}};
    for (int d = 0; d < 3; ++d)
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto& [h, m, kelvin, label, isDay] = expected[i];
            const auto& k = curve.keyframes[static_cast<std::size_t>(d) * 4 + i];
            EXPECT_EQ(k.time, march(10 + d, h, m));
            EXPECT_EQ(k.target.kelvin, kelvin);
            EXPECT_EQ(k.label, label);
            EXPECT_EQ(k.isDay, isDay);
        }
}

TEST(ScheduleCurve, WarmStepsLowerTheThreshold) {
    Settings s;
    s.schedule.weekdaySteps = {
        ScheduleStep("a", StepAnchor::Clock{ClockTime(7, 0)}, TintTarget::custom(3400, 1), 0),
        ScheduleStep("b", StepAnchor::Clock{ClockTime(21, 0)}, TintTarget::preset("builtin.candle"), 0),
        ScheduleStep("c", StepAnchor::Clock{ClockTime(23, 0)}, TintTarget::custom(1800, 1), 0)};
    const WarmthCurve curve = CurveBuilder::scheduleCurve(s, greenwich, march(11));
    // Threshold 3400 − 1500 = 1900: the 1900 K candle step counts as day, 1800 K does not.
    EXPECT_TRUE(curve.keyframes[3].isDay);
    EXPECT_TRUE(curve.keyframes[4].isDay);
    EXPECT_FALSE(curve.keyframes[5].isDay);
}

TEST(ScheduleCurve, CustomAndMissingPresetTargets) {
    Settings s;
    s.redStyle = RedStyle::pure;
    s.schedule.weekdaySteps = {
        ScheduleStep("a", StepAnchor::Clock{ClockTime(20, 0)}, TintTarget::custom(9000, 0.5), 15),
        ScheduleStep("b", StepAnchor::Clock{ClockTime(21, 0)}, TintTarget::preset("user.gone"), 0),
        ScheduleStep("c", StepAnchor::Clock{ClockTime(22, 0)}, TintTarget::custom(2000, 0.996), 0)};
    const WarmthCurve curve = CurveBuilder::scheduleCurve(s, greenwich, march(11));
    const auto& custom = curve.keyframes[3];
    EXPECT_EQ(custom.target, TintState(6500, 0.5, RedStyle::pure, false));
    EXPECT_EQ(custom.label, "9000K · 50%");
    EXPECT_EQ(custom.ramp, 900);
    const auto& missing = curve.keyframes[4];
    EXPECT_EQ(missing.target, TintState(6500, 1.0, RedStyle::pure, false));
    EXPECT_EQ(missing.label, "Preset");
    EXPECT_EQ(curve.keyframes[5].label, "2000K");
}

TEST(ScheduleCurve, SunAnchoredStepsAndAPolarSubstitute) {
    Settings s;
    s.schedule.weekdaySteps = {
        ScheduleStep("a", StepAnchor::Sun{SunEvent::sunset, 20}, TintTarget::custom(3000, 1), 0)};
    const WarmthCurve curve = CurveBuilder::scheduleCurve(s, greenwich, march(11));
    const Date sunset = *Solar::times(march(11), greenwich.latitude, greenwich.longitude, zone("Europe/London")).sunset;
    EXPECT_EQ(curve.keyframes[1].time, sunset + 1200);

    const Location svalbard{78.22, 15.65, "Arctic/Longyearbyen", "Longyearbyen"};
    const WarmthCurve polar = CurveBuilder::scheduleCurve(s, svalbard, wall("Arctic/Longyearbyen", 2026, 6, 17, 12));
    EXPECT_EQ(polar.keyframes[1].time, wall("Arctic/Longyearbyen", 2026, 6, 17, 20, 20));
}

TEST(ScheduleCurve, ShiftedWeekendMovesEveryStepOnSaturdayAndSunday) {
    Settings s;
    s.schedule.weekendMode = WeekendMode::Shifted{60};
    s.schedule.weekdaySteps = {ScheduleStep("a", StepAnchor::Clock{ClockTime(7, 0)}, TintTarget::custom(6500, 1), 0),
                               ScheduleStep("b", StepAnchor::Sun{SunEvent::sunset, 0}, TintTarget::custom(3000, 1), 0)};
    const TimeZone london = zone("Europe/London");
    const auto sunset = [&](int day) {
        return *Solar::times(march(day), greenwich.latitude, greenwich.longitude, london).sunset;
    };
    struct Case {
        int day;
        double shift;
    };
    for (const Case c : {Case{13, 0}, Case{14, 3600}, Case{15, 3600}, Case{16, 0}}) {
        SCOPED_TRACE(c.day);
        const WarmthCurve curve = CurveBuilder::scheduleCurve(s, greenwich, march(c.day));
        EXPECT_EQ(curve.keyframes[2].time, march(c.day, 7) + c.shift);
        EXPECT_EQ(curve.keyframes[3].time, sunset(c.day) + c.shift);
    }
}

TEST(ScheduleCurve, SeparateWeekendUsesItsOwnStepsAndCountsThemForTheThreshold) {
    Settings s;
    s.schedule.weekendMode = WeekendMode::Separate{};
    s.schedule.weekdaySteps = {ScheduleStep("a", StepAnchor::Clock{ClockTime(21, 0)}, TintTarget::custom(3000, 1), 0)};
    s.schedule.weekendSteps = {};
    // Friday, Saturday, Sunday: only Friday has a step.
    EXPECT_EQ(CurveBuilder::scheduleCurve(s, greenwich, march(14)).keyframes.size(), 1u);

    s.schedule.weekendSteps = {ScheduleStep("w", StepAnchor::Clock{ClockTime(10, 0)}, TintTarget::custom(6000, 1), 0)};
    const WarmthCurve curve = CurveBuilder::scheduleCurve(s, greenwich, march(14));
    ASSERT_EQ(curve.keyframes.size(), 3u);
    EXPECT_EQ(curve.keyframes[0].time, march(13, 21));
    EXPECT_EQ(curve.keyframes[1].time, march(14, 10));
    EXPECT_EQ(curve.keyframes[2].time, march(15, 10));
    // The weekend's 6000 K sets the threshold at 4500, so the weekday 3000 K step is night.
    EXPECT_FALSE(curve.keyframes[0].isDay);
    EXPECT_TRUE(curve.keyframes[1].isDay);
}

TEST(ScheduleCurve, NoStepsGiveAnEmptyCurve) {
    Settings s;
    s.schedule.weekdaySteps = {};
    const WarmthCurve curve = CurveBuilder::scheduleCurve(s, greenwich, march(11));
    EXPECT_TRUE(curve.keyframes.empty());
    EXPECT_EQ(curve.state(march(11)), TintState::off);
}

}  // namespace
}  // namespace orvane
