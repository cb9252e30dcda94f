// The sky card's day and texts without pixels: the window, the sun's place, the marks and
// the moon spot at Berlin and Longyearbyen, the next sun event, the state line and the
// spoken summary.
#include <gtest/gtest.h>

#include <regex>

#include "core/Calendar.h"
#include "core/ClockTime.h"
#include "core/ShortTime.h"
#include "ui/menubar/SkyDay.h"
#include "ui/menubar/SkyTexts.h"

namespace orvane {
namespace {

const Location berlin{52.5244, 13.4105, "Europe/Berlin", "Berlin"};
const Location longyearbyen{78.2233, 15.6469, "Arctic/Longyearbyen", "Longyearbyen"};
TimeZone zoneOf(const Location& l) { return *TimeZone::named(l.timeZoneIdentifier); }
Date at(const Location& l, int month, int day, int hour, int minute = 0) {
    return Calendar(zoneOf(l)).date(2024, month, day, hour, minute);
}

TEST(SkyWindowTest, BerlinMidsummerRunsFromBeforeSunriseToAfterSunset) {
    const Date noon = at(berlin, 6, 21, 12);
    const SkyDay day = SkyDay::make(berlin, zoneOf(berlin), std::nullopt, noon, noon, 352, 268);
    const Calendar cal(zoneOf(berlin));
    EXPECT_NEAR(day.window.start.secondsSince1970, at(berlin, 6, 21, 2, 43).secondsSince1970, 90);
    EXPECT_NEAR((day.window.start + day.window.span).secondsSince1970, at(berlin, 6, 22, 1, 33).secondsSince1970, 90);
    EXPECT_NEAR(day.sunX, 143.1, 0.3);
    EXPECT_EQ(day.arc.size(), 97u);
    ASSERT_EQ(day.marks.size(), 2u);
    EXPECT_NEAR(day.marks[0], 352 * 7200 / day.window.span, 0.01);  // two hours after the start
    EXPECT_DOUBLE_EQ(day.geometry.height, 224);
    EXPECT_DOUBLE_EQ(day.horizonY(), 112);
    EXPECT_GT(day.peak, 60);
    EXPECT_NEAR(day.sunY, day.geometry.y(day.sun.elevation), 1e-9);
}

TEST(SkyWindowTest, BedtimeAndLimits) {
    const Date dayStart(1000000);
    SunTimes times;
    times.sunrise = dayStart + 5 * 3600;
    times.sunset = dayStart + 20 * 3600;
    // Without a plan bed is 23:00: the end is the later of 00:00 and sunset + 4 h.
    auto w = SkyWindow::make(times, dayStart, std::nullopt);
    EXPECT_EQ(w.start, dayStart + 3 * 3600);
    EXPECT_DOUBLE_EQ(w.span, 21 * 3600);
    // A bedtime before sunset by the clock is taken on the next day.
    EveningPlan plan{ClockTime(1, 0), ClockTime(7, 0), EveningIntensity::warm};
    w = SkyWindow::make(times, dayStart, plan);
    EXPECT_DOUBLE_EQ(w.span, 23 * 3600);
    // Early sunrise: the start stays at midnight and the span at most a day.
    times.sunrise = dayStart + 1 * 3600;
    plan.bedtime = ClockTime(2, 30);
    w = SkyWindow::make(times, dayStart, plan);
    EXPECT_EQ(w.start, dayStart);
    EXPECT_DOUBLE_EQ(w.span, 86400);
    // Polar: the local day.
    times.sunset.reset();
    w = SkyWindow::make(times, dayStart, plan);
    EXPECT_EQ(w.start, dayStart);
    EXPECT_DOUBLE_EQ(w.span, 86400);
}

TEST(SkyWindowTest, PositionsHoldAtTheEnds) {
    const SkyWindow w{Date(1000), 100};
    EXPECT_DOUBLE_EQ(w.fraction(Date(900)), 0);
    EXPECT_DOUBLE_EQ(w.fraction(Date(1050)), 0.5);
    EXPECT_DOUBLE_EQ(w.fraction(Date(1200)), 1);
    EXPECT_EQ(w.moment(-20, 200), Date(1000));
    EXPECT_EQ(w.moment(100, 200), Date(1050));
    EXPECT_EQ(w.moment(500, 200), Date(1100));
}

TEST(SkyDayTest, LongyearbyenMidsummerIsTheLocalDayWithoutMarks) {
    const Date noon = at(longyearbyen, 6, 21, 12);
    const TimeZone zone = zoneOf(longyearbyen);
    const SkyDay day = SkyDay::make(longyearbyen, zone, std::nullopt, noon, noon, 352, 268);
    EXPECT_EQ(day.window.start, Calendar(zone).startOfDay(noon));
    EXPECT_DOUBLE_EQ(day.window.span, 86400);
    EXPECT_TRUE(day.marks.empty());
    EXPECT_EQ(SkyTexts::nextSunEvent(noon, longyearbyen, zone, "en_US"), "Longyearbyen");
    for (double e : day.arc) EXPECT_GT(e, 0);
}

TEST(SkyDayTest, MoonSpotKeepsClearOfTheEdgesAndFacesTheSun) {
    // 23:30 at Berlin on midsummer night: the moon (full on the 22nd) is up in the south-east.
    const Date late = at(berlin, 6, 21, 23, 30);
    const SkyDay day = SkyDay::make(berlin, zoneOf(berlin), std::nullopt, late, late, 352, 268);
    ASSERT_TRUE(day.moonSpot);
    EXPECT_GE(day.moonSpot->point.x, 18);
    EXPECT_LE(day.moonSpot->point.x, 352 - 18);
    EXPECT_DOUBLE_EQ(day.moonSpot->point.y, day.geometry.moonY(day.moon.elevation));
    EXPECT_NEAR(day.moonSpot->litAngle, std::atan2(day.sunY - day.moonSpot->point.y, day.sunX - day.moonSpot->point.x),
                1e-12);
    EXPECT_FALSE(day.moonSpot->southern);
    EXPECT_TRUE(day.visibleMoon());
    // At noon the same moon is below the horizon: no spot.
    const Date noon = at(berlin, 6, 21, 12);
    const SkyDay noonDay = SkyDay::make(berlin, zoneOf(berlin), std::nullopt, noon, noon, 352, 268);
    EXPECT_LE(noonDay.moon.elevation, -1);
    EXPECT_FALSE(noonDay.moonSpot);
    EXPECT_FALSE(noonDay.visibleMoon());
}

TEST(SkyCardTest, DragHoverAndTwinkleGates) {
    EXPECT_TRUE(SkyCard::dragPreviews(121.9, 112));
    EXPECT_FALSE(SkyCard::dragPreviews(122, 112));
    const MoonSpot spot{{100, 50}, 0, 1, 20, false};
    EXPECT_TRUE(SkyCard::nearMoon(spot, 110, 60));
    EXPECT_FALSE(SkyCard::nearMoon(spot, 116, 50));
    EXPECT_FALSE(SkyCard::nearMoon(std::nullopt, 100, 50));
    EXPECT_TRUE(SkyCard::twinkles(true, false, false));
    EXPECT_FALSE(SkyCard::twinkles(false, false, false));
    EXPECT_FALSE(SkyCard::twinkles(true, true, false));
    EXPECT_FALSE(SkyCard::twinkles(true, false, true));
}

TEST(SkyTextsTest, ShownTimeFollowsTheLocale) {
    const Date evening = at(berlin, 6, 21, 21, 33);
    EXPECT_EQ(SkyTexts::shownTime(evening, zoneOf(berlin), "en_US"), "9:33\u202FPM");
    EXPECT_EQ(SkyTexts::shownTime(evening, zoneOf(berlin), "de_DE"), "21:33");
    // The zone's offset is the tz database's at that moment (winter time here).
    EXPECT_EQ(SkyTexts::shownTime(Calendar(zoneOf(berlin)).date(2024, 1, 5, 7, 5), zoneOf(berlin), "de_DE"), "07:05");
}

// The sky card once wrote "4:54 PM" while every other time was 24-hour under the same
// locale: without a locale of its own it writes what the calendar and the clock times write.
TEST(SkyTextsTest, WithoutALocaleTheSkyWritesTimesAsEveryOtherText) {
    const Date evening = at(berlin, 6, 21, 16, 54);
    const Calendar calendar(zoneOf(berlin));
    for (const char* locale : {"", "en_US", "de_DE"}) {
        SCOPED_TRACE(locale);
        ShortTime::setLocale(locale);
        const std::string sky = SkyTexts::shownTime(evening, zoneOf(berlin));
        EXPECT_EQ(sky, ShortTime::of(calendar, evening));
        EXPECT_EQ(sky, ShortTime::of(ClockTime(16, 54)));
        EXPECT_EQ(sky, *locale == 'e' ? "4:54\u202FPM" : "16:54");
    }
    ShortTime::setLocale("");
    EXPECT_EQ(ShortTime::locale(), "") << "the test environment writes times the C way";
}

TEST(SkyTextsTest, NextSunEventSwitchesFromMinutesToHoursToClock) {
    const TimeZone zone = zoneOf(berlin);
    const Date noon = at(berlin, 6, 21, 12);
    const Date sunset = *Solar::times(noon, berlin.latitude, berlin.longitude, zone).sunset;
    EXPECT_EQ(SkyTexts::nextSunEvent(sunset - (59 * 60 + 30), berlin, zone, "en_US"), "Sunset in 59 min");
    EXPECT_EQ(SkyTexts::nextSunEvent(sunset - (60 * 60 + 1), berlin, zone, "en_US"), "Sunset in 1 h 0 min");
    EXPECT_EQ(SkyTexts::nextSunEvent(sunset - (125 * 60 + 10), berlin, zone, "en_US"), "Sunset in 2 h 5 min");
    EXPECT_EQ(SkyTexts::nextSunEvent(sunset - (179 * 60 + 59), berlin, zone, "en_US"), "Sunset in 2 h 59 min");
    const std::string far = SkyTexts::nextSunEvent(sunset - 180 * 60, berlin, zone, "en_US");
    EXPECT_TRUE(std::regex_match(far, std::regex("Sunset at 9:3[234]\u202FPM · Berlin"))) << far;
    EXPECT_TRUE(std::regex_match(SkyTexts::nextSunEvent(noon, berlin, zone, "en_US"),
                                 std::regex("Sunset at 9:3[234]\u202FPM · Berlin")));
    // After sunset, tomorrow's sunrise.
    EXPECT_TRUE(std::regex_match(SkyTexts::nextSunEvent(sunset + 60, berlin, zone, "en_US"),
                                 std::regex("Sunrise at 4:4[345]\u202FAM · Berlin")));
}

TEST(SkyTextsTest, AccessibilityTextAndMoonLine) {
    MoonPosition moon;
    moon.illumination = 0.725;
    moon.age = 0.4;
    const std::string line = SkyTexts::moonLine(moon);
    EXPECT_EQ(line, moon.phaseName() + " · 73% lit");
    EXPECT_EQ(SkyTexts::accessibilityText({0.4, 180}, std::nullopt, "Sunset in 42 min"),
              "Sky now: the sun is 0° above the horizon. Sunset in 42 min.");
    EXPECT_EQ(SkyTexts::accessibilityText({-0.1, 180}, std::nullopt, "Sunrise in 2 h 5 min"),
              "Sky now: the sun is below the horizon. Sunrise in 2 h 5 min.");
    EXPECT_EQ(SkyTexts::accessibilityText({12.5, 180}, moon, "Sunset in 2 h 5 min"),
              "Sky now: the sun is 13° above the horizon. The moon is up: " + line + ". Sunset in 2 h 5 min.");
}

TEST(SkyTextsTest, StateLineByStatus) {
    const TimeZone zone = zoneOf(berlin);
    const Date now = at(berlin, 6, 21, 12);
    const Date evening = at(berlin, 6, 21, 21, 3);
    const Date morning = at(berlin, 6, 22, 6, 30);
    const WarmthCurve curve({Keyframe(evening, TintState(2700, 1, RedStyle::readable, false), 3600, "evening", false),
                             Keyframe(morning, TintState(), 1800, "morning", true)});
    struct Case {
        SkyTexts::StateInputs in;
        std::string expected;
    };
    auto with = [&](auto change) {
        SkyTexts::StateInputs in{
            true, TintStatus::Following{Mode::sunset}, Mode::sunset, false, curve, zone, now, std::nullopt};
        change(in);
        return in;
    };
    const Case cases[] = {
        {with([](auto& in) { in.enabled = false; }), "Off"},
        {with([&](auto& in) { in.status = TintStatus::DisabledUntil{now + 3600 * 10.5}; }), "True color until 22:30"},
        {with([&](auto& in) { in.status = TintStatus::DisabledUntil{now + 604800}; }), "True color until 12:00"},
        {with([&](auto& in) { in.status = TintStatus::DisabledUntil{now + 604801}; }), "True color while Focus is on"},
        {with([](auto& in) { in.status = TintStatus::ExcludedApp{"GIMP"}; }), "Not tinted in GIMP"},
        {with([](auto& in) {
             in.isWarming = true;
             in.notTinted = "this compositor lets no program change the screen's colours";
         }),
         "Not tinted"},
        {with([](auto& in) {
             in.enabled = false;
             in.notTinted = "no gamma";
         }),
         "Off"},
        {with([&](auto& in) {
             in.status = TintStatus::PausedUntil{now};
             in.mode = Mode::schedule;
         }),
         "Manual hold · Schedule"},
        {with([](auto&) {}), "Daylight until 21:03"},
        {with([](auto& in) { in.isWarming = true; }), "Warming until 06:30"},
        {with([](auto& in) {
             in.isWarming = true;
             in.curve.reset();
         }),
         "Warming"},
        {with([](auto& in) {
             in.status = TintStatus::Manual{};
             in.curve.reset();
         }),
         "Daylight"},
    };
    for (const auto& c : cases) EXPECT_EQ(SkyTexts::stateLine(c.in), c.expected);
}

TEST(SkyTextsTest, PreviewOnlyFollowsACurveOutsideManualMode) {
    const Date evening(1718990000);
    const WarmthCurve curve({Keyframe(evening, TintState(1900, 0.5, RedStyle::pure, true), 0, "night", false)});
    EXPECT_FALSE(SkyTexts::previewState(std::nullopt, Mode::sunset, curve));
    EXPECT_FALSE(SkyTexts::previewState(evening + 10, Mode::manual, curve));
    EXPECT_FALSE(SkyTexts::previewState(evening + 10, Mode::sunset, std::nullopt));
    const auto preview = SkyTexts::previewState(evening + 10, Mode::schedule, curve);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->kelvin, 1900);
    // The label ignores the red style and darkroom: kelvin gains times dim only.
    const Multiplier k = Kelvin::multiplier(1900);
    EXPECT_EQ(SkyTexts::previewAlertingLabel(*preview), Melanopic::label(Multiplier(k.r * 0.5, k.g * 0.5, k.b * 0.5)));
    EXPECT_EQ(SkyTexts::previewAlertingLabel(TintState(6500, 1, RedStyle::readable, false)), "True colors");
}

}  // namespace
}  // namespace orvane
