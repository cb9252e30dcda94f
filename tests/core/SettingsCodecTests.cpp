#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/SettingsCodec.h"

namespace orvane {
namespace {

Json parse(const char* text) { return Json::parse(text); }
Settings decode(const Json& document) { return SettingsCodec::decode(document.dump()); }

JsonError decodeError(const std::string& text) {
    try {
        SettingsCodec::decode(text);
    } catch (const JsonError& e) {
        return e;
    }
    ADD_FAILURE() << "decoded " << text;
    return JsonError(JsonError::Kind::parse, "");
}

Json versionOneSunset() {
    return parse(R"({"lateNightAnchor":{"clock":{"_0":{"minutes":1350}}},
                     "lateNightTarget":{"preset":{"id":"builtin.midnight"}},
                     "morning":{"rampOut":{"minutes":30}}})");
}

TEST(SettingsCodec, EmptyDocumentIsTheDefaults) {
    EXPECT_EQ(SettingsCodec::decode("{}"), Settings());
    EXPECT_EQ(SettingsCodec::decode(" { } \n"), Settings());
}

TEST(SettingsCodec, EncodingIsSortedPrettyAndStable) {
    const std::string text = SettingsCodec::encode(Settings());
    EXPECT_EQ(SettingsCodec::decode(text), Settings());
    EXPECT_EQ(text, SettingsCodec::encode(Settings()));
    EXPECT_EQ(text.rfind("{\n  \"antiDithering\": \"off\",\n  \"brightnessKeys\": \"automatic\",\n", 0), 0u)
        << text.substr(0, 80);
    EXPECT_NE(text.find("\"lateNightAnchor\": {\n      \"clock\": {\n        \"_0\": {\n          \"minutes\": 1230"),
              std::string::npos);

    // A record decoded from another key order encodes to the same bytes.
    Settings a;
    a.displays["vms:1:2:3"].lastKnownName = "Side";
    a.displays["uuid:0F"].dimOffset = -0.25;
    a.excludedApps.push_back({"com.figma.Desktop", "Figma", true});
    a.calibration.lastSelfTestDate = Date(1769893200.0);
    const Settings b = SettingsCodec::decode(SettingsCodec::encode(a));
    EXPECT_EQ(b, a);
    EXPECT_EQ(SettingsCodec::encode(b), SettingsCodec::encode(a));
    EXPECT_NE(SettingsCodec::encode(a).find("\"lastSelfTestDate\": \"2026-01-31T21:00:00Z\""), std::string::npos);
}

TEST(SettingsCodec, VersionIsAlwaysCurrent) {
    EXPECT_EQ(decode(parse(R"({"version":7})")).version, 3);
    EXPECT_EQ(decode(parse(R"({"version":2})")).version, 3);
    EXPECT_EQ(decode(parse(R"({"version":3.0})")).version, 3);
}

TEST(SettingsCodec, VersionOneLateNightDefaultsMoveToTodays) {
    Json doc{{"version", 1}, {"sunset", versionOneSunset()}};
    const Settings loaded = decode(doc);
    EXPECT_EQ(loaded.sunset.lateNightAnchor, LateNightAnchor(LateNightAnchor::Clock{ClockTime(1230)}));
    EXPECT_EQ(loaded.sunset.lateNightTarget, TintTarget::preset("builtin.ember"));
    EXPECT_EQ(loaded.sunset.morning, MorningBehavior(MorningBehavior::RampOutBy{ClockTime(420), 30}));
    EXPECT_EQ(decode(Json{{"sunset", versionOneSunset()}}).sunset, SunsetSettings());  // no version: 1

    // The same values at version 2 were chosen, not defaults: they stay (and survive the merge).
    doc["version"] = 2;
    const Settings kept = decode(doc);
    EXPECT_EQ(kept.sunset.lateNightAnchor, LateNightAnchor(LateNightAnchor::Clock{ClockTime(1350)}));
    EXPECT_EQ(kept.sunset.lateNightTarget, TintTarget::preset("builtin.midnight"));
    EXPECT_EQ(kept.sunset.morning, MorningBehavior(MorningBehavior::RampOut{30}));
}

TEST(SettingsCodec, MigrateRemovesOnlyUnchangedVersionOneValues) {
    Json sunset = versionOneSunset();
    sunset["morning"] = parse(R"({"offAtSunrise":{}})");                          // changed by the user
    sunset["lateNightAnchor"] = parse(R"({"clock":{"_0":{"minutes":1350.0}}})");  // numerically equal
    sunset["eveningRampMinutes"] = 45;
    const Json migrated = SettingsCodec::migrate(Json{{"version", 1}, {"sunset", sunset}});
    EXPECT_EQ(migrated["sunset"], parse(R"({"morning":{"offAtSunrise":{}},"eveningRampMinutes":45})"));
    EXPECT_EQ(migrated["version"], 1);  // rewritten by decode, not here

    // A string version counts as 1, and so does a fractional one.
    for (const Json& version : {Json("2"), Json(1.5), Json(true)}) {
        const Json m = SettingsCodec::migrate(Json{{"version", version}, {"sunset", versionOneSunset()}});
        EXPECT_EQ(m["sunset"], Json::object()) << version.dump();
    }
    // Not an object, or current: unchanged.
    EXPECT_EQ(SettingsCodec::migrate(parse("[1,2]")), parse("[1,2]"));
    const Json current{{"version", 3}, {"sunset", versionOneSunset()}, {"overrideBehavior", "pauseUntilNextStep"}};
    EXPECT_EQ(SettingsCodec::migrate(current), current);
    const Json oddSunset{{"version", 1}, {"sunset", "evening"}};
    EXPECT_EQ(SettingsCodec::migrate(oddSunset), oddSunset);
}

TEST(SettingsCodec, AVersionOfTheWrongTypeLoadsAsVersionOne) {
    Json doc{{"version", "2"}, {"manualKelvin", 2700}, {"overrideBehavior", "pauseUntilNextStep"}};
    const Settings s = decode(doc);
    EXPECT_EQ(s.version, Settings::currentVersion);
    EXPECT_EQ(s.manualKelvin, 2700);
    EXPECT_EQ(s.overrideBehavior, OverrideBehavior::keepUntilMorning);  // migrated as version 1
}

TEST(SettingsCodec, PauseUntilNextStepOnlyFromVersionThree) {
    for (int version : {1, 2})
        EXPECT_EQ(decode(Json{{"version", version}, {"overrideBehavior", "pauseUntilNextStep"}}).overrideBehavior,
                  OverrideBehavior::keepUntilMorning)
            << version;
    EXPECT_EQ(decode(Json{{"version", 3}, {"overrideBehavior", "pauseUntilNextStep"}}).overrideBehavior,
              OverrideBehavior::pauseUntilNextStep);
    EXPECT_EQ(decode(Json{{"version", 1}, {"overrideBehavior", "pauseOneHour"}}).overrideBehavior,
              OverrideBehavior::pauseOneHour);
}

TEST(SettingsCodec, ClampsOnLoad) {
    const struct {
        const char* document;
        void (*check)(const Settings&);
    } cases[] = {
        {R"({"manualKelvin":100})", [](const Settings& s) { EXPECT_EQ(s.manualKelvin, 500); }},
        {R"({"manualKelvin":6500})", [](const Settings& s) { EXPECT_EQ(s.manualKelvin, 6500); }},
        {R"({"manualDim":-1})", [](const Settings& s) { EXPECT_EQ(s.manualDim, 0.0); }},
        {R"({"dimFloor":0.5})", [](const Settings& s) { EXPECT_EQ(s.dimFloor, 0.3); }},
        {R"({"dimFloor":0})", [](const Settings& s) { EXPECT_EQ(s.dimFloor, 0.01); }},
        {R"({"deepRedStrength":1})", [](const Settings& s) { EXPECT_EQ(s.deepRedStrength, 0.9); }},
        {R"({"nightShiftFloorKelvin":500})", [](const Settings& s) { EXPECT_EQ(s.nightShiftFloorKelvin, 1000); }},
        {R"({"warmthStepKelvin":5000})", [](const Settings& s) { EXPECT_EQ(s.warmthStepKelvin, 2000); }},
        {R"({"dimStep":0})", [](const Settings& s) { EXPECT_EQ(s.dimStep, 0.01); }},
        {R"({"pointerTintThreshold":9000})", [](const Settings& s) { EXPECT_EQ(s.pointerTintThreshold, 6500); }},
        {R"({"steadyBacklight":{"level":0}})", [](const Settings& s) { EXPECT_EQ(s.steadyBacklight.level, 0.1); }},
        {R"({"restBreaks":{"everyMinutes":5,"seconds":200}})",
         [](const Settings& s) {
             EXPECT_EQ(s.restBreaks, (RestBreakSettings{false, 10, 60}));
         }},
        // Nothing else is clamped.
        {R"({"sunset":{"eveningRampMinutes":-20,"daytimeKelvin":90000}})",
         [](const Settings& s) {
             EXPECT_EQ(s.sunset.eveningRampMinutes, -20);
             EXPECT_EQ(s.sunset.daytimeKelvin, 90000);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        c.check(SettingsCodec::decode(c.document));
    }

    Json display = DisplaySettings().toJson();
    display["warmthOffsetKelvin"] = -4000;
    display["dimOffset"] = 0.9;
    display["backlightLevel"] = 3;
    const Settings s = decode(Json{{"displays", {{"uuid:A", display}}}});
    const DisplaySettings& d = s.displays.at("uuid:A");
    EXPECT_EQ(d.warmthOffsetKelvin, -1500);
    EXPECT_EQ(d.dimOffset, 0.5);
    EXPECT_EQ(d.backlightLevel, 1.0);
}

// Each value the decoder clamps is reported with what the document held and what is kept;
// values at a bound or inside the range are not, and reporting changes nothing stored.
TEST(SettingsCodec, TellsWhichValuesItClamped) {
    Json display = DisplaySettings().toJson();
    display["dimOffset"] = 0.9;
    display["warmthOffsetKelvin"] = 1500;
    const struct {
        Json document;
        SettingsAdjustments expected;
    } cases[] = {
        {Json::object(), {}},
        {Json{{"manualKelvin", 6500}, {"manualDim", 0}, {"dimFloor", 0.3}}, {}},
        {Json{{"manualKelvin", 99999}, {"manualDim", -3.0}}, {{"manualDim", -3.0, 0.0}, {"manualKelvin", 99999, 6500}}},
        {Json{{"restBreaks", {{"everyMinutes", 5}, {"seconds", 200}}}, {"pointerTintThreshold", 100}},
         {{"pointerTintThreshold", 100, 500}, {"restBreaks.everyMinutes", 5, 10}, {"restBreaks.seconds", 200, 60}}},
        {Json{{"displays", {{"uuid:A", display}}}, {"steadyBacklight", {{"level", 0}}}},
         {{"displays.uuid:A.dimOffset", 0.9, 0.5}, {"steadyBacklight.level", 0.0, 0.1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document.dump());
        SettingsAdjustments adjustments;
        const Settings told = SettingsCodec::decode(c.document.dump(), &adjustments);
        std::sort(adjustments.begin(), adjustments.end(),
                  [](const SettingsAdjustment& a, const SettingsAdjustment& b) { return a.key < b.key; });
        EXPECT_EQ(adjustments, c.expected);
        EXPECT_EQ(told, SettingsCodec::decode(c.document.dump()));
    }
    // A second decode adds its own to the list it is given.
    SettingsAdjustments both;
    SettingsCodec::decode(R"({"manualKelvin":1})", &both);
    SettingsCodec::decode(R"({"dimStep":9})", &both);
    EXPECT_EQ(both, (SettingsAdjustments{{"manualKelvin", 1, 500}, {"dimStep", 9.0, 0.5}}));
}

TEST(SettingsCodec, SanitizeTurnsNaNIntoTheLowerBound) {
    Settings s;
    s.dimFloor = std::numeric_limits<double>::quiet_NaN();
    s.steadyBacklight.level = std::numeric_limits<double>::quiet_NaN();
    s.displays["k"].dimOffset = std::numeric_limits<double>::quiet_NaN();
    const Settings clean = SettingsCodec::sanitize(s);
    EXPECT_EQ(clean.dimFloor, 0.01);
    EXPECT_EQ(clean.steadyBacklight.level, 0.1);
    EXPECT_EQ(clean.displays.at("k").dimOffset, -0.5);
}

TEST(SettingsCodec, MissingBuiltInPresetsAreAppended) {
    EXPECT_EQ(SettingsCodec::decode(R"({"presets":[]})").presets, Preset::builtIns());

    const Preset user{.id = "user.1", .name = "Reading", .kelvin = 3000, .dim = 0.9, .icon = "book"};
    Preset candle = Preset::builtIn(Preset::BuiltIn::candle);
    candle.kelvin = 1700;  // edited built-ins stay as they are, where they are
    const Settings s = decode(Json{{"presets", {user.toJson(), candle.toJson()}}});
    ASSERT_EQ(s.presets.size(), 7u);
    EXPECT_EQ(s.presets[0], user);
    EXPECT_EQ(s.presets[1], candle);
    EXPECT_EQ(s.presets[2].id, "builtin.daylight");
    EXPECT_EQ(s.presets[6].id, "builtin.midnight");

    const Settings one = decode(Json{{"presets", {user.toJson()}}});
    std::vector<Preset> expected{user};
    expected.insert(expected.end(), Preset::builtIns().begin(), Preset::builtIns().end());
    EXPECT_EQ(one.presets, expected);
}

TEST(SettingsCodec, ListElementsAndDisplayEntriesGetNoDefaults) {
    Json display = DisplaySettings().toJson();
    display.erase("method");
    EXPECT_EQ(decodeError(Json{{"displays", {{"uuid:A", display}}}}.dump()).kind(), JsonError::Kind::keyNotFound);
    EXPECT_THROW(decode(parse(R"({"presets":[{"id":"x","name":"X","kelvin":2000,"dim":1,"isBuiltIn":false}]})")),
                 JsonError);
    EXPECT_THROW(decode(parse(R"({"excludedApps":[{"bundleID":"a","name":"A"}]})")), JsonError);
    EXPECT_THROW(decode(parse(R"({"schedule":{"weekdaySteps":[{"id":"s","rampMinutes":5}]}})")), JsonError);
}

// A user's settings that differ from the defaults nearly everywhere a case below damages.
Settings customised() {
    Settings s;
    s.mode = Mode::manual;
    s.manualKelvin = 2900;
    s.dimFloor = 0.12;
    s.enabled = false;
    s.onboardingCompleted = true;
    s.sunset.eveningRampMinutes = 45;
    s.sunset.lateNightRampMinutes = 30;
    s.sunset.lateNightAnchor = LateNightAnchor::Clock{ClockTime(1320)};
    s.restBreaks.enabled = true;
    s.restBreaks.everyMinutes = 30;
    Preset reading;
    reading.id = "user.reading";
    reading.name = "Reading";
    reading.kelvin = 2400;
    reading.icon = "book";
    s.presets.insert(s.presets.begin(), reading);
    s.excludedApps = {ExcludedApp{"gimp", "GIMP", false}};
    return s;
}

// A damaged value falls back to its own default; everything else in the document stays.
TEST(SettingsCodec, SalvagingDefaultsOnlyTheValuesThatCannotBeRead) {
    const Settings defaults;
    const Settings user = customised();
    const struct {
        const char* name;
        std::function<void(Json&)> damage;
        std::vector<std::string> reset;
        std::function<void(Settings&)> expected;  // `user` with the defaults put back
    } cases[] = {
        {"a number as text",
         [](Json& d) { d["dimFloor"] = "very dark"; },
         {"dimFloor"},
         [&](Settings& s) { s.dimFloor = defaults.dimFloor; }},
        {"an enumeration as a number",
         [](Json& d) { d["mode"] = 42; },
         {"mode"},
         [&](Settings& s) { s.mode = defaults.mode; }},
        {"an unknown case",
         [](Json& d) { d["mode"] = "dusk"; },
         {"mode"},
         [&](Settings& s) { s.mode = defaults.mode; }},
        {"a Boolean as text",
         [](Json& d) { d["enabled"] = "no"; },
         {"enabled"},
         [&](Settings& s) { s.enabled = defaults.enabled; }},
        {"a fraction for an integer",
         [](Json& d) { d["manualKelvin"] = 2900.5; },
         {"manualKelvin"},
         [&](Settings& s) { s.manualKelvin = defaults.manualKelvin; }},
        {"one value of a nested record",
         [](Json& d) { d["sunset"]["eveningRampMinutes"] = "an hour"; },
         {"sunset.eveningRampMinutes"},
         [&](Settings& s) { s.sunset.eveningRampMinutes = defaults.sunset.eveningRampMinutes; }},
        {"deep inside a case's payload",
         [](Json& d) { d["sunset"]["lateNightAnchor"]["clock"]["_0"]["minutes"] = "late"; },
         {"sunset.lateNightAnchor.clock._0.minutes"},
         [&](Settings& s) { s.sunset.lateNightAnchor = defaults.sunset.lateNightAnchor; }},
        {"an unknown case with a payload",
         [](Json& d) {
             d["sunset"]["lateNightAnchor"] = {{"dusk", Json::object()}};
         },
         {"sunset.lateNightAnchor"},
         [&](Settings& s) { s.sunset.lateNightAnchor = defaults.sunset.lateNightAnchor; }},
        {"a whole record of the wrong type",
         [](Json& d) { d["restBreaks"] = "often"; },
         {"restBreaks"},
         [&](Settings& s) { s.restBreaks = defaults.restBreaks; }},
        {"one list entry",
         [](Json& d) {
             d["excludedApps"].push_back({{"bundleID", 7}});
         },
         {"excludedApps[1]"},
         [](Settings&) {}},
        {"a list entry among the presets",
         [](Json& d) { d["presets"][0]["kelvin"] = "warm"; },
         {"presets[0]"},
         [](Settings& s) { s.presets.erase(s.presets.begin()); }},
        {"two values at once",
         [](Json& d) {
             d["dimFloor"] = "very dark";
             d["restBreaks"]["everyMinutes"] = true;
         },
         {"dimFloor", "restBreaks.everyMinutes"},
         [&](Settings& s) {
             s.dimFloor = defaults.dimFloor;
             s.restBreaks.everyMinutes = defaults.restBreaks.everyMinutes;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Json document = user.toJson();
        c.damage(document);
        ASSERT_THROW(SettingsCodec::decode(document.dump()), JsonError) << "an import still refuses it whole";
        const auto salvaged = SettingsCodec::salvage(document.dump());
        std::vector<std::string> paths;
        for (const auto& reset : salvaged.reset) {
            paths.push_back(reset.path);
            EXPECT_FALSE(reset.error.empty()) << reset.path;
        }
        EXPECT_EQ(paths, c.reset);
        Settings expected = user;
        c.expected(expected);
        EXPECT_EQ(salvaged.settings, SettingsCodec::decode(SettingsCodec::encode(expected)));
    }
}

TEST(SettingsCodec, SalvagingAReadableDocumentIsDecoding) {
    const std::string text = SettingsCodec::encode(customised());
    const auto salvaged = SettingsCodec::salvage(text);
    EXPECT_TRUE(salvaged.reset.empty());
    EXPECT_EQ(salvaged.settings, SettingsCodec::decode(text));
    // Out of range is no damage: clamped as decoding clamps it.
    const auto clamped = SettingsCodec::salvage(R"({"manualKelvin": 99999})");
    EXPECT_TRUE(clamped.reset.empty());
    EXPECT_EQ(clamped.settings.manualKelvin, 6500);
    for (const char* unreadable : {"", "{", "not json", "3", "\"settings\""})
        EXPECT_THROW(SettingsCodec::salvage(unreadable), JsonError) << unreadable;
}

TEST(SettingsCodec, DocumentsThatAreNotSettings) {
    EXPECT_EQ(decodeError("[]").kind(), JsonError::Kind::typeMismatch);
    EXPECT_EQ(decodeError("[{}]").kind(), JsonError::Kind::typeMismatch);
    for (const char* text :
         {"null", "3", "\"settings\"", "true", "", "{", "{\"enabled\":tru}", "{\"manualDim\":1e400}"})
        EXPECT_EQ(decodeError(text).kind(), JsonError::Kind::parse) << text;
    // Unknown keys anywhere are ignored.
    EXPECT_EQ(decode(parse(R"({"futureFeature":1,"sunset":{"somethingNew":true}})")), Settings());
}

TEST(SettingsCodec, ADeeplyNestedDocumentIsUnreadableNotACrash) {
    // The merge, the migration's copy and the finiteness check all recurse per level.
    std::string text = R"({"version":3,"sunset":)";
    for (int i = 0; i < 100000; ++i) text += R"({"a":)";
    text += "1";
    text.append(100000, '}');
    text += "}";
    EXPECT_EQ(decodeError(text).kind(), JsonError::Kind::parse);
}

TEST(SettingsCodec, LenientConversionsFail) {
    for (const char* text :
         {R"({"enabled":1})", R"({"manualKelvin":true})", R"({"manualKelvin":3400.5})", R"({"manualKelvin":"3400"})",
          R"({"dimFloor":"0.1"})", R"({"enabled":null})", R"({"redStyle":"Readable"})", R"({"presets":{}})",
          R"({"displays":[]})", R"({"shortcuts":{"reveal":{"keyCode":17,"modifiers":3.5}}})"})
        EXPECT_THROW(SettingsCodec::decode(text), JsonError) << text;
    EXPECT_EQ(decodeError(R"({"manualKelvin":3400.5})").description(),
              "Parsed JSON number <3400.5> does not fit in Int. (at manualKelvin)");
    EXPECT_EQ(SettingsCodec::decode(R"({"manualKelvin":3000.0})").manualKelvin, 3000);
    EXPECT_EQ(SettingsCodec::decode(R"({"manualDim":1})").manualDim, 1.0);
}

TEST(SettingsCodec, NonFiniteNumbersFailEncoding) {
    const auto expectInvalid = [](const Settings& s) {
        try {
            SettingsCodec::encode(s);
            ADD_FAILURE() << "encoded";
        } catch (const JsonError& e) {
            EXPECT_EQ(e.kind(), JsonError::Kind::invalidValue);
        }
    };
    try {
        Settings s;
        s.dimFloor = std::numeric_limits<double>::quiet_NaN();
        SettingsCodec::encode(s);
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_EQ(e.description(), "Unable to encode Double.nan directly in JSON. (at dimFloor)");
    }
    Settings dim;
    dim.manualDim = std::numeric_limits<double>::quiet_NaN();
    expectInvalid(dim);
    Settings place;
    place.sunset.locationSource = LocationSource::Coordinates{std::numeric_limits<double>::infinity(), 0};
    expectInvalid(place);
    Settings hours;
    hours.sunset.lateNightAnchor = LateNightAnchor::EventPlusHours{std::numeric_limits<double>::quiet_NaN()};
    expectInvalid(hours);
}

// A stored payload enumeration of another case than the default must load, not clash with the default's key.
TEST(SettingsCodec, OtherCasesThanTheDefaultsSurviveTheMerge) {
    Settings s;
    s.sunset.locationSource = LocationSource::City{"2950159"};
    s.sunset.eveningTarget = TintTarget::custom(2700, 0.8);
    s.sunset.lateNightAnchor = LateNightAnchor::EventPlusHours{2.5};
    s.sunset.morning = MorningBehavior::OffAtSunrise{};
    s.schedule.weekendMode = WeekendMode::Shifted{60};
    s.schedule.weekdaySteps[0].anchor = StepAnchor::Sun{SunEvent::civilDusk, -15};
    EXPECT_EQ(SettingsCodec::decode(SettingsCodec::encode(s)), s);

    s.sunset.locationSource = LocationSource::Coordinates{-33.9, 18.4};
    s.sunset.morning = MorningBehavior::RampOut{45};
    s.schedule.weekendMode = WeekendMode::Separate{};
    EXPECT_EQ(SettingsCodec::decode(SettingsCodec::encode(s)), s);

    s.sunset.locationSource = LocationSource::Precise{};
    s.sunset.morning = MorningBehavior::OffAtFixed{ClockTime(360)};
    EXPECT_EQ(SettingsCodec::decode(SettingsCodec::encode(s)), s);

    // The version-2 document of the migration keeps its rampOut morning through the merge.
    EXPECT_EQ(decode(parse(R"({"version":2,"sunset":{"morning":{"rampOut":{"minutes":30}}}})")).sunset.morning,
              MorningBehavior(MorningBehavior::RampOut{30}));
}

TEST(SettingsCodec, SameCaseStillMergesItsPayload) {
    const Settings s = decode(parse(R"({"sunset":{"morning":{"rampOutBy":{"minutes":45}},
                                                   "locationSource":{"timeZone":{"identifier":"Europe/Paris"}}}})"));
    EXPECT_EQ(s.sunset.morning, MorningBehavior(MorningBehavior::RampOutBy{ClockTime(420), 45}));
    EXPECT_EQ(s.sunset.locationSource, LocationSource(LocationSource::TimeZone{"Europe/Paris"}));

    // Two case keys in the stored object itself are still an error of the whole document.
    const JsonError e = decodeError(R"({"sunset":{"locationSource":{"city":{"id":"1"},"precise":{}}}})");
    EXPECT_STREQ(e.what(), "Invalid number of keys found, expected one.");
    EXPECT_EQ(e.path(), "sunset.locationSource");
}

TEST(SettingsCodec, DeepMerge) {
    const Json base = parse(R"({"a":1,"list":[1,2,3],"nested":{"x":1,"y":{"z":2}},"case":{"one":{"v":1}}})");
    EXPECT_EQ(SettingsCodec::deepMerge(base, parse(R"({"list":[9],"nested":{"y":{"w":3}},"extra":null})")),
              parse(R"({"a":1,"list":[9],"nested":{"x":1,"y":{"z":2,"w":3}},"case":{"one":{"v":1}},"extra":null})"));
    EXPECT_EQ(SettingsCodec::deepMerge(base, parse(R"({"nested":null})"))["nested"], nullptr);
    EXPECT_EQ(SettingsCodec::deepMerge(base, parse("[1]")), parse("[1]"));
    EXPECT_EQ(SettingsCodec::deepMerge(parse("5"), base), base);
    EXPECT_EQ(SettingsCodec::deepMerge(base, parse(R"({"case":{"two":{}}})"))["case"], parse(R"({"two":{}})"));
    EXPECT_EQ(SettingsCodec::deepMerge(base, parse(R"({"case":{"one":{"w":2}}})"))["case"],
              parse(R"({"one":{"v":1,"w":2}})"));
}

TEST(SettingsCodec, ClearedShortcutStaysClearedAfterReload) {
    Settings s;
    s.shortcuts.reveal.reset();
    s.shortcuts.nextPreset.reset();
    s.shortcuts.openPopover = Hotkey{31, Hotkey::Modifiers{7}};
    const Settings loaded = SettingsCodec::decode(SettingsCodec::encode(s));
    EXPECT_EQ(loaded.shortcuts, s.shortcuts);
    EXPECT_EQ(loaded.shortcuts.reveal, std::nullopt);
    EXPECT_EQ(loaded.shortcuts.toggle, Shortcuts().toggle);
    // A document that simply lacks a hotkey still gets the default.
    EXPECT_EQ(SettingsCodec::decode(R"({"shortcuts":{}})").shortcuts, Shortcuts());
}

TEST(SettingsCodec, EarlierBrightnessKeyNamesLoadAndAreWrittenBackCurrent) {
    const Settings s = SettingsCodec::decode(R"({"brightnessKeys":"tessomarDim"})");
    EXPECT_EQ(s.brightnessKeys, BrightnessKeysMode::orvaneDim);
    EXPECT_NE(SettingsCodec::encode(s).find("\"brightnessKeys\": \"orvaneDim\""), std::string::npos);
    EXPECT_EQ(SettingsCodec::decode(R"({"brightnessKeys":"whatever"})").brightnessKeys, BrightnessKeysMode::automatic);
    EXPECT_THROW(SettingsCodec::decode(R"({"brightnessKeys":2})"), JsonError);
}

}  // namespace
}  // namespace orvane
