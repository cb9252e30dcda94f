#include <gtest/gtest.h>

#include "core/ScheduleSettings.h"
#include "core/Settings.h"
#include "core/SunsetSettings.h"

namespace orvane {
namespace {

Json parse(const char* text) { return Json::parse(text); }

// The message and path of a case object that names no case, or more than one.
template <class F>
void expectCaseCountError(F&& decode, const char* text) {
    try {
        decode(parse(text));
        ADD_FAILURE() << "decoded " << text;
    } catch (const JsonError& e) {
        EXPECT_EQ(e.kind(), JsonError::Kind::typeMismatch) << text;
        EXPECT_STREQ(e.what(), "Invalid number of keys found, expected one.") << text;
    }
}

TEST(SimpleEnumerations, NamesTitlesAndOrder) {
    EXPECT_EQ(allCases<Mode>(), (std::array{Mode::manual, Mode::sunset, Mode::schedule}));
    EXPECT_EQ(title(Mode::schedule), "Schedule");
    EXPECT_EQ(fromString<Mode>("Sunset"), std::nullopt);
    EXPECT_EQ(fromString<Mode>("sunset"), Mode::sunset);

    EXPECT_EQ(allCases<OverrideBehavior>().back(), OverrideBehavior::switchToManual);
    EXPECT_EQ(title(OverrideBehavior::pauseUntilNextStep), "Keep until the next step");
    EXPECT_EQ(detail(OverrideBehavior::keepUntilMorning),
              "A change in the evening stays until morning. A change during the day stays until the evening begins.");
    EXPECT_EQ(detail(OverrideBehavior::switchToManual),
              "Sunset and Schedule turn off. Your change stays until you change it again.");

    const auto events = allCases<SunEvent>();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[2], SunEvent::civilDusk);
    EXPECT_EQ(title(SunEvent::nauticalDawn), "Nautical dawn");
    EXPECT_EQ(toString(SunEvent::civilDawn), "civilDawn");
    EXPECT_THROW(enumFromJson<SunEvent>(Json("dusk"), "e"), JsonError);
    EXPECT_THROW(enumFromJson<SunEvent>(Json(1), "e"), JsonError);
}

TEST(SunsetSettings, DefaultEncoding) {
    const Json json = SunsetSettings().toJson();
    EXPECT_EQ(json["locationSource"], parse(R"({"timeZone":{}})"));
    EXPECT_EQ(json["lateNightAnchor"], parse(R"({"clock":{"_0":{"minutes":1230}}})"));
    EXPECT_EQ(json["morning"], parse(R"({"rampOutBy":{"_0":{"minutes":420},"minutes":30}})"));
    EXPECT_EQ(json["eveningTarget"], parse(R"({"preset":{"id":"builtin.evening"}})"));
    EXPECT_EQ(json["lateNightTarget"], parse(R"({"preset":{"id":"builtin.ember"}})"));
    EXPECT_EQ(json["eveningEvent"], "sunset");
    EXPECT_EQ(json["startOffsetMinutes"], -30);
    EXPECT_EQ(json["polarEvening"], parse(R"({"minutes":1200})"));
    EXPECT_FALSE(json.contains("cachedPreciseLatitude"));
    EXPECT_FALSE(json.contains("cachedPreciseLongitude"));
    EXPECT_EQ(json.size(), 13u);
    EXPECT_EQ(SunsetSettings::fromJson(json), SunsetSettings());
}

TEST(SunsetSettings, EveryCaseRoundTrips) {
    SunsetSettings s;
    s.locationSource = LocationSource::Coordinates{48.1, 11.6};
    s.eveningEvent = SunEvent::nauticalDusk;
    s.eveningTarget = TintTarget::custom(2700, 0.8);
    s.lateNightAnchor = LateNightAnchor::EventPlusHours{2.5};
    s.cachedPreciseLatitude = 48.137;
    s.cachedPreciseLongitude = -11.5;
    const MorningBehavior mornings[] = {MorningBehavior::OffAtSunrise{}, MorningBehavior::OffAtFixed{ClockTime(390)},
                                        MorningBehavior::RampOut{45}, MorningBehavior::RampOutBy{ClockTime(400), 20}};
    for (const auto& m : mornings) {
        s.morning = m;
        EXPECT_EQ(SunsetSettings::fromJson(s.toJson()), s);
    }
    EXPECT_EQ(LateNightAnchor(LateNightAnchor::EventPlusHours{2.5}).toJson(),
              parse(R"({"eventPlusHours":{"_0":2.5}})"));
    EXPECT_EQ(MorningBehavior(MorningBehavior::OffAtSunrise{}).toJson(), parse(R"({"offAtSunrise":{}})"));
    EXPECT_EQ(MorningBehavior(MorningBehavior::RampOut{30}).toJson(), parse(R"({"rampOut":{"minutes":30}})"));
}

TEST(SunsetSettings, PayloadEnumerationDecoding) {
    EXPECT_EQ(LocationSource::fromJson(parse(R"({"timeZone":{"identifier":null}})")),
              LocationSource(LocationSource::TimeZone{}));
    EXPECT_EQ(LocationSource::fromJson(parse(R"({"timeZone":{}})")), LocationSource(LocationSource::TimeZone{}));
    EXPECT_TRUE(LocationSource::fromJson(parse(R"({"precise":{"extra":1}})")).is<LocationSource::Precise>());
    EXPECT_TRUE(LocationSource::fromJson(parse(R"({"precise":{},"unknown":3})")).is<LocationSource::Precise>());
    EXPECT_THROW(LocationSource::fromJson(parse(R"({"precise":true})")), JsonError);
    EXPECT_THROW(LocationSource::fromJson(parse(R"({"coordinates":{"latitude":48.1}})")), JsonError);
    for (const char* bad : {R"({})", R"({"nowhere":{}})", R"({"city":{"id":"x"},"precise":{}})"})
        expectCaseCountError([](const Json& j) { return LocationSource::fromJson(j); }, bad);

    EXPECT_THROW(MorningBehavior::fromJson(parse(R"({"rampOutBy":{"minutes":30}})")), JsonError);
    EXPECT_THROW(MorningBehavior::fromJson(parse(R"({"rampOut":{"minutes":30.5}})")), JsonError);
    EXPECT_THROW(LateNightAnchor::fromJson(parse(R"({"clock":{"minutes":1230}})")), JsonError);
    EXPECT_THROW(LateNightAnchor::fromJson(parse(R"({"eventPlusHours":{"_0":"2"}})")), JsonError);
    expectCaseCountError([](const Json& j) { return MorningBehavior::fromJson(j); },
                         R"({"offAtSunrise":{},"rampOut":{"minutes":1}})");
    // A stored clock time is read as stored, not wrapped.
    EXPECT_EQ(LateNightAnchor::fromJson(parse(R"({"clock":{"_0":{"minutes":1500}}})"))
                  .as<LateNightAnchor::Clock>()
                  ->time.minutes,
              1500);
}

TEST(SunsetSettings, RecordRequiresItsKeys) {
    Json json = SunsetSettings().toJson();
    json.erase("lateNightEnabled");
    EXPECT_THROW(SunsetSettings::fromJson(json), JsonError);

    Json nulls = SunsetSettings().toJson();
    nulls["cachedPreciseLatitude"] = nullptr;
    EXPECT_EQ(SunsetSettings::fromJson(nulls).cachedPreciseLatitude, std::nullopt);
}

TEST(ScheduleSettings, DefaultsAndSteps) {
    const ScheduleSettings s;
    EXPECT_EQ(s.weekdaySteps, s.weekendSteps);
    EXPECT_TRUE(s.weekendMode.is<WeekendMode::SameAsWeekdays>());
    const auto& steps = ScheduleSettings::defaultSteps();
    ASSERT_EQ(steps.size(), 4u);
    const struct {
        const char* id;
        std::int64_t minutes;
        const char* preset;
        std::int64_t ramp;
    } expected[] = {{"default.evening", 1140, "builtin.evening", 60},
                    {"default.candle", 1260, "builtin.candle", 60},
                    {"default.midnight", 1350, "builtin.midnight", 90},
                    {"default.daylight", 420, "builtin.daylight", 30}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(steps[i].id, expected[i].id);
        EXPECT_EQ(steps[i].anchor, StepAnchor(StepAnchor::Clock{ClockTime(expected[i].minutes)}));
        EXPECT_EQ(steps[i].target, TintTarget::preset(expected[i].preset));
        EXPECT_EQ(steps[i].rampMinutes, expected[i].ramp);
    }
}

TEST(ScheduleSettings, NegativeRampOnlyThroughDecoding) {
    const ScheduleStep built("s", StepAnchor::Sun{SunEvent::sunset, -30}, TintTarget::preset("builtin.candle"), -5);
    EXPECT_EQ(built.rampMinutes, 0);
    Json json = built.toJson();
    EXPECT_EQ(json["anchor"], parse(R"({"sun":{"_0":"sunset","offsetMinutes":-30}})"));
    json["rampMinutes"] = -5;
    EXPECT_EQ(ScheduleStep::fromJson(json).rampMinutes, -5);
}

TEST(ScheduleSettings, JsonRoundTripAndFailures) {
    ScheduleSettings s;
    s.weekendMode = WeekendMode::Shifted{60};
    s.weekendSteps = {ScheduleStep("w", StepAnchor::Sun{SunEvent::civilDusk, 15}, TintTarget::custom(2000, 0.7), 45)};
    EXPECT_EQ(ScheduleSettings::fromJson(s.toJson()), s);
    EXPECT_EQ(s.toJson()["weekendMode"], parse(R"({"shifted":{"minutes":60}})"));
    EXPECT_EQ(WeekendMode(WeekendMode::Separate{}).toJson(), parse(R"({"separate":{}})"));
    EXPECT_EQ(WeekendMode::fromJson(parse(R"({"separate":{}})")), WeekendMode(WeekendMode::Separate{}));

    Json missing = s.toJson();
    missing["weekendSteps"][0].erase("target");
    EXPECT_THROW(ScheduleSettings::fromJson(missing), JsonError);
    Json notList = s.toJson();
    notList["weekdaySteps"] = Json::object();
    EXPECT_THROW(ScheduleSettings::fromJson(notList), JsonError);
    EXPECT_THROW(StepAnchor::fromJson(parse(R"({"sun":{"_0":"noon","offsetMinutes":0}})")), JsonError);
}

}  // namespace
}  // namespace orvane
