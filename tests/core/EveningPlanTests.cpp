#include <functional>
#include <unordered_set>

#include <gtest/gtest.h>

#include "core/EveningPlan.h"

namespace orvane {
namespace {

TEST(EveningIntensity, CasesTitlesAndPresets) {
    EXPECT_EQ(allCases<EveningIntensity>(),
              (std::array{EveningIntensity::gentle, EveningIntensity::warm, EveningIntensity::deepRed}));
    EXPECT_EQ(toString(EveningIntensity::deepRed), "deepRed");
    EXPECT_EQ(fromString<EveningIntensity>("warm"), EveningIntensity::warm);
    EXPECT_FALSE(fromString<EveningIntensity>("Warm"));
    EXPECT_EQ(title(EveningIntensity::gentle), "Gentle");
    EXPECT_EQ(title(EveningIntensity::deepRed), "Deep red");
    EXPECT_EQ(eveningPreset(EveningIntensity::gentle), Preset::BuiltIn::evening);
    EXPECT_EQ(eveningPreset(EveningIntensity::warm), Preset::BuiltIn::evening);
    EXPECT_EQ(eveningPreset(EveningIntensity::deepRed), Preset::BuiltIn::candle);
    EXPECT_EQ(nightPreset(EveningIntensity::gentle), Preset::BuiltIn::candle);
    EXPECT_EQ(nightPreset(EveningIntensity::warm), Preset::BuiltIn::ember);
    EXPECT_EQ(nightPreset(EveningIntensity::deepRed), Preset::BuiltIn::midnight);
}

TEST(EveningPlan, NightStartIsBedtimeLessTwoAndAHalfHoursAcrossMidnight) {
    EXPECT_EQ(EveningPlan({ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm}).nightStart(), ClockTime(20, 30));
    EXPECT_EQ(EveningPlan({ClockTime(1, 0), ClockTime(7, 0), EveningIntensity::warm}).nightStart(), ClockTime(22, 30));
    EXPECT_EQ(EveningPlan({ClockTime(2, 0), ClockTime(7, 0), EveningIntensity::warm}).nightStart(), ClockTime(23, 30));
}

TEST(EveningPlan, ApplyWritesThePlanFieldsOnly) {
    SunsetSettings s;
    s.locationSource = LocationSource::City{"2988507"};
    s.eveningEvent = SunEvent::civilDusk;
    s.polarEvening = ClockTime(21, 0);
    s.cachedPreciseLatitude = 48.85;
    const SunsetSettings before = s;
    EveningPlan{ClockTime(0, 30), ClockTime(6, 45), EveningIntensity::deepRed}.apply(s);
    EXPECT_EQ(s.eveningEvent, SunEvent::sunset);
    EXPECT_EQ(s.startOffsetMinutes, -30);
    EXPECT_EQ(s.eveningRampMinutes, 60);
    EXPECT_EQ(s.eveningTarget, TintTarget::preset("builtin.candle"));
    EXPECT_TRUE(s.lateNightEnabled);
    EXPECT_EQ(s.lateNightAnchor, LateNightAnchor(LateNightAnchor::Clock{ClockTime(22, 0)}));
    EXPECT_EQ(s.lateNightTarget, TintTarget::preset("builtin.midnight"));
    EXPECT_EQ(s.lateNightRampMinutes, 90);
    EXPECT_EQ(s.morning, MorningBehavior(MorningBehavior::RampOutBy{ClockTime(6, 45), 30}));
    EXPECT_EQ(s.daytimeKelvin, 6500);
    EXPECT_EQ(s.locationSource, before.locationSource);
    EXPECT_EQ(s.polarEvening, before.polarEvening);
    EXPECT_EQ(s.polarMorning, before.polarMorning);
    EXPECT_EQ(s.cachedPreciseLatitude, before.cachedPreciseLatitude);
}

TEST(EveningPlan, DefaultSunsetSettingsAreTheWarmPlanForElevenToSeven) {
    EXPECT_EQ(EveningPlan::matching(SunsetSettings()),
              (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm}));
}

TEST(EveningPlan, EveryAppliedPlanIsMatchedAgain) {
    for (std::int64_t bed = 0; bed < 1440; bed += 5)
        for (const std::int64_t wake : {0, 330, 420, 1439})
            for (const EveningIntensity intensity : allCases<EveningIntensity>()) {
                const EveningPlan plan{ClockTime(bed), ClockTime(wake), intensity};
                SunsetSettings s;
                plan.apply(s);
                ASSERT_EQ(EveningPlan::matching(s), plan) << bed << " " << wake << " " << toString(intensity);
            }
}

TEST(EveningPlan, AnyPlanFieldTunedByHandMatchesNoPlan) {
    const std::vector<std::pair<const char*, std::function<void(SunsetSettings&)>>> tunings{
        {"start offset", [](SunsetSettings& s) { s.startOffsetMinutes = -25; }},
        {"evening ramp", [](SunsetSettings& s) { s.eveningRampMinutes = 45; }},
        {"evening event", [](SunsetSettings& s) { s.eveningEvent = SunEvent::civilDusk; }},
        {"late night ramp", [](SunsetSettings& s) { s.lateNightRampMinutes = 60; }},
        {"daytime", [](SunsetSettings& s) { s.daytimeKelvin = 6400; }},
        {"morning ramp",
         [](SunsetSettings& s) {
             s.morning = MorningBehavior::RampOutBy{ClockTime(7, 0), 45};
         }},
        {"late night off", [](SunsetSettings& s) { s.lateNightEnabled = false; }},
        {"targets of two rows", [](SunsetSettings& s) { s.lateNightTarget = TintTarget::preset("builtin.midnight"); }},
        {"custom target", [](SunsetSettings& s) { s.eveningTarget = TintTarget::custom(3400, 1); }},
        {"hours anchor", [](SunsetSettings& s) { s.lateNightAnchor = LateNightAnchor::EventPlusHours{2}; }},
        {"ramp out", [](SunsetSettings& s) { s.morning = MorningBehavior::RampOut{30}; }},
        {"off at sunrise", [](SunsetSettings& s) { s.morning = MorningBehavior::OffAtSunrise{}; }},
        {"anchor beyond the day",
         [](SunsetSettings& s) {
             ClockTime stored;
             stored.minutes = 1230 + 1440;  // 20:30 a day late, as a stored document may hold
             s.lateNightAnchor = LateNightAnchor::Clock{stored};
         }},
    };
    for (const auto& [name, tune] : tunings) {
        SunsetSettings s;
        tune(s);
        EXPECT_FALSE(EveningPlan::matching(s)) << name;
    }
}

TEST(EveningPlan, FieldsThePlanDoesNotOwnDoNotMatter) {
    SunsetSettings s;
    s.locationSource = LocationSource::Coordinates{60.1, 24.9};
    s.polarEvening = ClockTime(19, 0);
    s.polarMorning = ClockTime(8, 0);
    s.cachedPreciseLatitude = 60.1;
    s.cachedPreciseLongitude = 24.9;
    EXPECT_EQ(EveningPlan::matching(s), (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm}));
}

TEST(EveningPlan, JsonCoding) {
    const EveningPlan plan{ClockTime(0, 30), ClockTime(6, 45), EveningIntensity::deepRed};
    const Json json = plan.toJson();
    EXPECT_EQ(json, Json::parse(R"({"bedtime":{"minutes":30},"wake":{"minutes":405},"intensity":"deepRed"})"));
    EXPECT_EQ(EveningPlan::fromJson(json), plan);
    for (const char* bad : {R"({"bedtime":{"minutes":30},"wake":{"minutes":405}})",
                            R"({"bedtime":{"minutes":30},"wake":{"minutes":405},"intensity":"hot"})",
                            R"({"wake":{"minutes":405},"intensity":"warm"})"})
        EXPECT_THROW(EveningPlan::fromJson(Json::parse(bad)), JsonError) << bad;
}

TEST(EveningPlan, EqualPlansHashAlike) {
    const EveningPlan a{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm};
    std::unordered_set<EveningPlan> set{a, a, EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::gentle}};
    EXPECT_EQ(set.size(), 2u);
}

}  // namespace
}  // namespace orvane
