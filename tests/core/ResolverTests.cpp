#include <cmath>
#include <unordered_set>

#include <gtest/gtest.h>

#include "core/CurveFixtures.h"
#include "core/Resolver.h"

namespace orvane {
namespace {

using testing::wall;

const Location greenwich{51.48, 0.0, "UTC", "Greenwich"};
Date at(int hour, int minute = 0) { return wall("UTC", 2026, 3, 10, hour, minute); }

ScheduleStep step(int hour, std::int64_t kelvin, double dim, std::int64_t rampMinutes) {
    return ScheduleStep("s" + std::to_string(hour), StepAnchor::Clock{ClockTime(hour, 0)},
                        TintTarget::custom(kelvin, dim), rampMinutes);
}

// Daylight from 07:00, an hour's ramp to 3400 K from 19:00, and 1900 K at 90 % from 21:00.
Settings scheduled() {
    Settings s;
    s.mode = Mode::schedule;
    s.schedule.weekdaySteps = {step(7, 6500, 1.0, 0), step(19, 3400, 1.0, 60), step(21, 1900, 0.9, 0)};
    s.smoothing = Smoothing::ms150;
    s.exclusionFade = Smoothing::ms400;
    return s;
}

ResolverInput input(Date now, Settings settings = scheduled(), RuntimeState runtime = {}) {
    return ResolverInput{
        .now = now, .settings = std::move(settings), .location = greenwich, .runtime = std::move(runtime)};
}

RuntimeState holding(TintState state, Date until) {
    RuntimeState r;
    r.pausedState = state;
    r.pausedUntil = until;
    return r;
}

const TintState candle(1900, 0.9, RedStyle::readable, false);

TEST(Resolver, FollowsTheCurve) {
    const Resolution day = Resolver::resolve(input(at(12)));
    EXPECT_EQ(day.status, TintStatus(TintStatus::Following{Mode::schedule}));
    EXPECT_EQ(day.target, TintState::off);
    EXPECT_EQ(day.nextChange, at(19));
    EXPECT_FALSE(day.isRamping);
    EXPECT_EQ(day.transition, Transition(0.15));
    ASSERT_TRUE(day.curve);
    EXPECT_EQ(*day.curve, CurveBuilder::scheduleCurve(scheduled(), greenwich, at(12)));

    const Resolution ramp = Resolver::resolve(input(at(19, 30)));
    EXPECT_EQ(ramp.target, TintState(4950, 1.0, RedStyle::readable, false));
    EXPECT_EQ(ramp.modeState, ramp.target);
    EXPECT_TRUE(ramp.isRamping);
    EXPECT_EQ(ramp.transition, Transition(1.0));
    EXPECT_EQ(ramp.nextChange, at(20));
}

TEST(Resolver, HoldsAndDisablesExpireAtTheirMoment) {
    const Resolution hold =
        Resolver::resolve(input(at(22), scheduled(), holding(TintState(3000, 1, RedStyle::readable, false), at(22))));
    EXPECT_EQ(hold.status, TintStatus(TintStatus::Following{Mode::schedule}));
    EXPECT_EQ(hold.target, candle);

    RuntimeState disabled;
    disabled.disabledUntil = at(22);
    EXPECT_EQ(Resolver::resolve(input(at(22), scheduled(), disabled)).target, candle);
    // The input's runtime state is not changed.
    const ResolverInput in = input(at(22), scheduled(), disabled);
    Resolver::resolve(in);
    EXPECT_EQ(in.runtime.disabledUntil, at(22));
}

TEST(Resolver, WindDownTarget) {
    RuntimeState cozy;
    cozy.cozyActive = true;
    struct Case {
        const char* name;
        Mode mode;
        bool tuned;
        TintState expected;
    };
    const TintState midnight(500, 0.7, RedStyle::readable, false);
    const TintState ember(1200, 0.8, RedStyle::readable, false);
    // The default sunset settings are an evening plan whose late-night target is Ember.
    for (const Case& c :
         {Case{"sunset, plan", Mode::sunset, false, ember}, Case{"sunset, tuned", Mode::sunset, true, midnight},
          Case{"schedule", Mode::schedule, false, midnight}, Case{"manual", Mode::manual, false, midnight}}) {
        SCOPED_TRACE(c.name);
        Settings s = scheduled();
        s.mode = c.mode;
        if (c.tuned) s.sunset.startOffsetMinutes = -25;
        const Resolution r = Resolver::resolve(input(at(15), s, cozy));
        EXPECT_EQ(r.status, TintStatus(TintStatus::Cozy{}));
        EXPECT_EQ(r.target, c.expected);
        EXPECT_FALSE(r.nextChange);
        EXPECT_FALSE(r.isRamping);
        EXPECT_EQ(r.transition, Transition(0.15));
    }
}

TEST(Resolver, WindDownWithoutItsPresetIsUntinted) {
    RuntimeState cozy;
    cozy.cozyActive = true;
    Settings s = scheduled();
    s.presets = {};
    const Resolution r = Resolver::resolve(input(at(22), s, cozy));
    EXPECT_EQ(r.status, TintStatus(TintStatus::Cozy{}));
    EXPECT_EQ(r.target, TintState::off);
}

TEST(Resolver, WindDownWinsOverAHoldAndAHoldOverManualMode) {
    RuntimeState r = holding(TintState(2500, 0.6, RedStyle::pure, true), at(23));
    Settings manual = scheduled();
    manual.mode = Mode::manual;
    manual.redStyle = RedStyle::readable;
    const Resolution held = Resolver::resolve(input(at(20), manual, r));
    EXPECT_EQ(held.status, TintStatus(TintStatus::PausedUntil{at(23)}));
    EXPECT_EQ(held.nextChange, at(23));
    EXPECT_FALSE(held.curve);
    // Kelvin and dim are the hold's; style and darkroom the settings'.
    EXPECT_EQ(held.modeState, TintState(2500, 0.6, RedStyle::readable, false));
    EXPECT_EQ(held.target, held.modeState);

    r.cozyActive = true;
    EXPECT_EQ(Resolver::resolve(input(at(20), manual, r)).status, TintStatus(TintStatus::Cozy{}));

    // A hold without its state is no hold.
    RuntimeState endOnly;
    endOnly.pausedUntil = at(23);
    EXPECT_EQ(Resolver::resolve(input(at(20), manual, endOnly)).status, TintStatus(TintStatus::Manual{}));
}

TEST(Resolver, ManualModeClampsTheStoredValues) {
    Settings s = scheduled();
    s.mode = Mode::manual;
    s.manualKelvin = 9000;
    s.manualDim = std::nan("");
    const Resolution r = Resolver::resolve(input(at(20), s));
    EXPECT_EQ(r.status, TintStatus(TintStatus::Manual{}));
    EXPECT_EQ(r.modeState, TintState(6500, 0.05, RedStyle::readable, false));  // NaN dim 0, then the floor
    EXPECT_FALSE(r.nextChange);
    EXPECT_FALSE(r.curve);
}

TEST(Resolver, SwitchedOffWhileRampingKeepsTheRampsTiming) {
    Settings s = scheduled();
    s.enabled = false;
    const Resolution r = Resolver::resolve(input(at(19, 30), s));
    EXPECT_EQ(r.status, TintStatus(TintStatus::Off{}));
    EXPECT_EQ(r.target, TintState::off);
    EXPECT_EQ(r.modeState.kelvin, 4950);
    EXPECT_TRUE(r.isRamping);
    EXPECT_EQ(r.nextChange, at(20));
    EXPECT_EQ(r.transition, Transition(1.0));
}

TEST(Resolver, DisabledUntilTakesTheEarlierNextChange) {
    RuntimeState r;
    r.disabledUntil = at(23);
    const Resolution evening = Resolver::resolve(input(at(20, 30), scheduled(), r));
    EXPECT_EQ(evening.status, TintStatus(TintStatus::DisabledUntil{at(23)}));
    EXPECT_EQ(evening.target, TintState::off);
    EXPECT_EQ(evening.nextChange, at(21));
    // After 21:00 the curve's next change is tomorrow's 07:00.
    EXPECT_EQ(Resolver::resolve(input(at(22), scheduled(), r)).nextChange, at(23));
    Settings manual = scheduled();
    manual.mode = Mode::manual;
    EXPECT_EQ(Resolver::resolve(input(at(20, 30), manual, r)).nextChange, at(23));
}

TEST(Resolver, OverridesInOrder) {
    Settings s = scheduled();
    s.excludedApps = {ExcludedApp{"com.example.player", "Player", false}};
    ResolverInput in = input(at(22), s);
    in.frontmostBundleID = "com.example.player";
    in.securityPromptVisible = true;
    in.revealHeld = true;

    Resolution r = Resolver::resolve(in);
    EXPECT_EQ(r.status, TintStatus(TintStatus::Revealing{}));
    EXPECT_EQ(r.target, TintState::off);
    EXPECT_EQ(r.modeState, candle);
    EXPECT_EQ(r.transition, Transition::instant);
    EXPECT_TRUE(r.curve);

    in.revealHeld = false;
    r = Resolver::resolve(in);
    EXPECT_EQ(r.status, TintStatus(TintStatus::SecurityPrompt{}));
    EXPECT_EQ(r.transition, Transition(0.4));

    in.settings.securityPromptAutoReveal = false;
    r = Resolver::resolve(in);
    EXPECT_EQ(r.status, TintStatus(TintStatus::ExcludedApp{"Player"}));
    EXPECT_EQ(r.target, TintState::off);
    EXPECT_EQ(r.transition, Transition(0.4));
    EXPECT_EQ(r.nextChange, at(7) + 86400);

    in.frontmostBundleID = "com.example.Player";  // bundle identifiers match exactly
    EXPECT_EQ(Resolver::resolve(in).target, candle);
}

TEST(Resolver, TheFirstEntryForAnApplicationDecides) {
    Settings s = scheduled();
    s.excludedApps = {ExcludedApp{"com.example.game", "Game (full screen)", true},
                      ExcludedApp{"com.example.game", "Game", false}};
    ResolverInput in = input(at(22), s);
    in.frontmostBundleID = "com.example.game";
    EXPECT_EQ(Resolver::resolve(in).status, TintStatus(TintStatus::Following{Mode::schedule}));
    in.frontmostIsFullScreen = true;
    EXPECT_EQ(Resolver::resolve(in).status, TintStatus(TintStatus::ExcludedApp{"Game (full screen)"}));
}

TEST(Resolver, ANearlyUntintedStateIsExactlyOff) {
    Settings s = scheduled();
    s.redStyle = RedStyle::pure;
    s.schedule.weekdaySteps = {step(7, 6500, 0.9995, 0)};
    const Resolution r = Resolver::resolve(input(at(12), s));
    EXPECT_EQ(r.target, TintState::off);
    EXPECT_EQ(r.target.redStyle, RedStyle::readable);
    EXPECT_EQ(r.modeState, TintState(6500, 0.9995, RedStyle::pure, false));
    // Darkroom is a tint even at 6500 K and full brightness.
    s.darkroom = true;
    EXPECT_EQ(Resolver::resolve(input(at(12), s)).target, TintState(6500, 0.9995, RedStyle::pure, true));
}

TEST(Resolver, TheDimFloorHoldsUnderTheModeButNotTheOverrides) {
    Settings s = scheduled();
    s.dimFloor = 0.3;
    s.schedule.weekdaySteps = {step(7, 2000, 0.1, 0)};
    ResolverInput in = input(at(12), s);
    const Resolution r = Resolver::resolve(in);
    EXPECT_EQ(r.modeState.dim, 0.3);
    EXPECT_EQ(r.target.dim, 0.3);
    in.revealHeld = true;
    EXPECT_EQ(Resolver::resolve(in).target.dim, 1.0);
}

TEST(Resolver, AnEmptyScheduleFollowsUntinted) {
    Settings s = scheduled();
    s.schedule.weekdaySteps = {};
    const Resolution r = Resolver::resolve(input(at(12), s));
    EXPECT_EQ(r.status, TintStatus(TintStatus::Following{Mode::schedule}));
    EXPECT_EQ(r.target, TintState::off);
    EXPECT_FALSE(r.isRamping);
    EXPECT_FALSE(r.nextChange);
    ASSERT_TRUE(r.curve);
    EXPECT_TRUE(r.curve->keyframes.empty());
}

TEST(Resolver, BerlinWithDefaultSettings) {
    const TimeZone berlin = testing::zone("Europe/Berlin");
    const Date now = wall("Europe/Berlin", 2026, 3, 10, 23);
    const Location place = Location::resolve(LocationSource::TimeZone{"Europe/Berlin"}, berlin, std::nullopt, now);
    ResolverInput in{.now = now, .settings = Settings(), .location = place, .runtime = RuntimeState()};
    const Resolution night = Resolver::resolve(in);
    EXPECT_EQ(night.status, TintStatus(TintStatus::Following{Mode::sunset}));
    EXPECT_EQ(night.target, TintState(1200, 0.8, RedStyle::readable, false));  // Ember, reached at 22:00
    EXPECT_EQ(night.nextChange, wall("Europe/Berlin", 2026, 3, 11, 6, 30));
    ASSERT_TRUE(night.curve);
    EXPECT_EQ(night.curve->keyframes.size(), 9u);

    in.now = wall("Europe/Berlin", 2026, 3, 10, 12);
    EXPECT_EQ(Resolver::resolve(in).target, TintState::off);
}

TEST(Resolver, EqualResolutionsHashAlike) {
    const Resolution a = Resolver::resolve(input(at(19, 30)));
    const Resolution b = Resolver::resolve(input(at(19, 30)));
    EXPECT_EQ(a, b);
    std::unordered_set<Resolution> set{a, b, Resolver::resolve(input(at(12)))};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_NE(std::hash<TintStatus>{}(TintStatus::DisabledUntil{at(1)}),
              std::hash<TintStatus>{}(TintStatus::PausedUntil{at(1)}));
}

// ---- modeSubtitle ----

const Location lyon{45.76, 4.84, "Europe/Paris", "Lyon"};
Date paris(int hour, int minute = 0, int day = 10) { return wall("Europe/Paris", 2026, 3, day, hour, minute); }

TEST(ModeSubtitle, WarmingDeepestAndPlace) {
    using testing::morning;
    using testing::night;
    Settings s;
    const WarmthCurve curve(
        {night(paris(19, 40), 3400, 1800), night(paris(20, 40), 2700, 1800), morning(paris(7, 0, 11))});
    EXPECT_EQ(Resolver::modeSubtitle(s, lyon, paris(12), curve), "Warming at 19:40 · 2700K by 21:10 · Lyon");

    const WarmthCurve deepestFirst({night(paris(19, 40), 2680, 1800), night(paris(20, 40), 3000, 1800)});
    EXPECT_EQ(Resolver::modeSubtitle(s, lyon, paris(12), deepestFirst), "Warming at 19:40 · Lyon");

    // The window runs 30 hours from the start of today: 05:30 tomorrow counts, 06:00 does not.
    const WarmthCurve late({morning(paris(7)), night(paris(5, 30, 11), 1940, 600), night(paris(6, 0, 11), 500)});
    EXPECT_EQ(Resolver::modeSubtitle(s, lyon, paris(12), late), "Warming at 05:30 · Lyon");
    EXPECT_EQ(Resolver::modeSubtitle(s, lyon, paris(12), WarmthCurve({morning(paris(7))})), "Lyon");

    s.mode = Mode::schedule;
    EXPECT_EQ(Resolver::modeSubtitle(s, lyon, paris(12), WarmthCurve()), "Lyon");
    EXPECT_EQ(Resolver::modeSubtitle(s, lyon, paris(12), std::nullopt), "");
    Location unnamed = lyon;
    unnamed.name = "";
    EXPECT_EQ(Resolver::modeSubtitle(s, unnamed, paris(12), WarmthCurve()), "");
    s.mode = Mode::manual;
    EXPECT_EQ(Resolver::modeSubtitle(s, lyon, paris(12), curve), "Stays warm until you turn it off");
}

TEST(ModeSubtitle, DefaultSunsetCurveAtAPlace) {
    const Settings s;
    // Twenty seconds past the minute, so that rounding cannot move the evening into 18:29.
    const Location place = testing::placeWithSunset("Europe/Paris", paris(12), 19, 0, 20);
    const auto curve = CurveBuilder::curve(s, place, paris(12));
    // Evening at 18:30; Ember (1200 K) reached when the 20:30 ramp of 90 minutes ends.
    EXPECT_EQ(Resolver::modeSubtitle(s, place, paris(12), curve), "Warming at 18:30 · 1200K by 22:00 · Testville");
}

}  // namespace
}  // namespace orvane
