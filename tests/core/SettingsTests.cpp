#include <gtest/gtest.h>

#include "core/Settings.h"

namespace orvane {
namespace {

std::vector<std::string> ids(const std::vector<Preset>& presets) {
    std::vector<std::string> out;
    for (const auto& p : presets) out.push_back(p.id);
    return out;
}

Preset userPreset(const char* id) {
    return Preset{.id = id, .name = "Reading", .kelvin = 3000, .dim = 0.9, .icon = "book"};
}

TEST(Smoothing, TitlesAndDurations) {
    EXPECT_EQ(allCases<Smoothing>(), (std::array{Smoothing::instant, Smoothing::ms150, Smoothing::ms400}));
    EXPECT_EQ(title(Smoothing::ms150), "150 ms");
    EXPECT_EQ(title(Smoothing::instant), "Instant");
    EXPECT_EQ(duration(Smoothing::instant), 0);
    EXPECT_EQ(duration(Smoothing::ms150), 0.15);
    EXPECT_EQ(duration(Smoothing::ms400), 0.4);
    EXPECT_EQ(toJson(Smoothing::ms400), Json("ms400"));
}

TEST(Settings, Defaults) {
    const Settings s;
    EXPECT_EQ(s.version, 3);
    EXPECT_EQ(s.manualKelvin, 3400);
    EXPECT_EQ(s.dimFloor, 0.05);
    EXPECT_EQ(s.presets, Preset::builtIns());
    EXPECT_EQ(s.mode, Mode::sunset);
    EXPECT_EQ(s.overrideBehavior, OverrideBehavior::keepUntilMorning);
    EXPECT_EQ(s.brightnessKeys, BrightnessKeysMode::automatic);
    EXPECT_EQ(s.pointerTintThreshold, 1500);
    EXPECT_EQ(s.warmthStepKelvin, 250);
    EXPECT_TRUE(s.launchAtLogin);
    EXPECT_FALSE(s.onboardingCompleted);
    EXPECT_EQ(s.restBreaks, RestBreakSettings());
    EXPECT_EQ(s.calibration, Calibration());
    EXPECT_TRUE(s.displays.empty());
}

TEST(Settings, PresetLookupFallsBackToBuiltIns) {
    Settings s;
    s.presets.clear();
    EXPECT_EQ(s.preset("builtin.ember"), Preset::builtIn(Preset::BuiltIn::ember));
    EXPECT_EQ(s.preset("nope"), std::nullopt);

    Preset edited = Preset::builtIn(Preset::BuiltIn::ember);
    edited.kelvin = 1000;
    s.presets = {userPreset("user.1"), edited, userPreset("user.1")};
    EXPECT_EQ(s.preset("builtin.ember")->kelvin, 1000);
    EXPECT_EQ(s.preset("user.1"), userPreset("user.1"));
    EXPECT_EQ(s.preset("Builtin.ember"), std::nullopt);
}

TEST(Settings, DisplaySettingsForUnknownKeyLeavesTheMapAlone) {
    Settings s;
    const DisplaySettings d = s.displaySettings("uuid:ABC");
    EXPECT_EQ(d, DisplaySettings());
    EXPECT_EQ(d.backlightLevel, 0.6);
    EXPECT_TRUE(d.isBuiltIn);
    EXPECT_TRUE(s.displays.empty());

    s.displays["uuid:ABC"].warmthOffsetKelvin = -200;
    EXPECT_EQ(s.displaySettings("uuid:ABC").warmthOffsetKelvin, -200);
}

TEST(Settings, RestoreBuiltInPresetsInPlaceKeepsHotkey) {
    Settings s;
    s.presets.push_back(userPreset("user.1"));
    auto& candle = s.presets[3];
    ASSERT_EQ(candle.id, "builtin.candle");
    candle.name = "Campfire";
    candle.kelvin = 1700;
    candle.redStyle = RedStyle::pure;
    candle.hotkey = Hotkey{8, Hotkey::Modifiers{9}};

    s.restoreBuiltInPresets();
    Preset expected = Preset::builtIn(Preset::BuiltIn::candle);
    expected.hotkey = Hotkey{8, Hotkey::Modifiers{9}};
    EXPECT_EQ(s.presets[3], expected);
    EXPECT_EQ(ids(s.presets),
              (std::vector<std::string>{"builtin.daylight", "builtin.focus", "builtin.evening", "builtin.candle",
                                        "builtin.ember", "builtin.midnight", "user.1"}));
}

TEST(Settings, RestoreBuiltInPresetsPutsMissingOnesFirstInReverse) {
    Settings s;
    s.presets = {userPreset("user.1")};
    s.restoreBuiltInPresets();
    EXPECT_EQ(ids(s.presets),
              (std::vector<std::string>{"builtin.midnight", "builtin.ember", "builtin.candle", "builtin.evening",
                                        "builtin.focus", "builtin.daylight", "user.1"}));

    s.presets = {userPreset("user.1"), Preset::builtIn(Preset::BuiltIn::focus)};
    s.restoreBuiltInPresets();
    EXPECT_EQ(ids(s.presets),
              (std::vector<std::string>{"builtin.midnight", "builtin.ember", "builtin.candle", "builtin.evening",
                                        "builtin.daylight", "user.1", "builtin.focus"}));
}

TEST(Settings, EqualityCoversEveryField) {
    EXPECT_EQ(Settings(), Settings());
    const std::vector<void (*)(Settings&)> changes{
        [](Settings& s) { s.version = 2; },
        [](Settings& s) { s.dimFloor = 0.06; },
        [](Settings& s) { s.presets.pop_back(); },
        [](Settings& s) { s.sunset.morning = MorningBehavior::OffAtSunrise{}; },
        [](Settings& s) { s.schedule.weekendMode = WeekendMode::Separate{}; },
        [](Settings& s) { s.displays[""] = DisplaySettings(); },
        [](Settings& s) {
            s.shortcuts.cozy = Hotkey{1, {}};
        },
        [](Settings& s) {
            s.excludedApps.push_back({"a", "A", false});
        },
        [](Settings& s) { s.calibration.lastSelfTestDate = Date(0); },
        [](Settings& s) { s.onboardingCompleted = true; },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        Settings s;
        changes[i](s);
        EXPECT_NE(s, Settings()) << i;
    }
}

TEST(Settings, JsonHasTheFortyOneKeysAndRequiresThemAll) {
    const Json json = Settings().toJson();
    EXPECT_EQ(json.size(), 41u);
    EXPECT_EQ(Settings::fromJson(json), Settings());

    for (const auto& [key, value] : json.items()) {
        Json missing = json;
        missing.erase(key);
        EXPECT_THROW(Settings::fromJson(missing), JsonError) << key;
    }
}

TEST(Settings, DecodingErrorsNameThePath) {
    Json json = Settings().toJson();
    json["sunset"]["morning"] = Json::parse(R"({"offAtSunrise":{},"rampOut":{"minutes":5}})");
    try {
        Settings::fromJson(json);
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_EQ(e.path(), "sunset.morning");
        EXPECT_EQ(e.description(), "Invalid number of keys found, expected one. (at sunset.morning)");
    }
    Json display = Settings().toJson();
    display["displays"]["uuid:1"] = DisplaySettings().toJson();
    display["displays"]["uuid:1"].erase("method");
    try {
        Settings::fromJson(display);
        FAIL();
    } catch (const JsonError& e) {
        EXPECT_EQ(e.kind(), JsonError::Kind::keyNotFound);
        EXPECT_EQ(e.path(), "displays.uuid:1");
    }
}

}  // namespace
}  // namespace orvane
