#include <gtest/gtest.h>

#include "core/DisplaySettings.h"

namespace orvane {
namespace {

Json parse(const char* text) { return Json::parse(text); }

TEST(DisplayEnumerations, NamesAndTitles) {
    EXPECT_EQ(allCases<TintMethod>().size(), 6u);
    EXPECT_EQ(title(TintMethod::nightShift), "Night Shift + overlay");
    EXPECT_EQ(title(TintMethod::ddc), "Hardware (DDC)");
    EXPECT_EQ(title(BrightnessKeysMode::orvaneDim), "Orvane dim");
    EXPECT_EQ(title(AntiDitheringScope::externalOnly), "External displays only");
    EXPECT_EQ(allCases<LayerColorMode>(),
              (std::array{LayerColorMode::linear, LayerColorMode::encodedSRGB, LayerColorMode::rawSRGB}));
    EXPECT_EQ(fromString<ReadableRedStrategy>("panels"), ReadableRedStrategy::panels);

    EXPECT_EQ(enumFromJson<TintMethod>(Json("matrix"), "m"), TintMethod::matrix);
    for (const char* bad : {"Matrix", "", "matrix "})
        EXPECT_THROW(enumFromJson<TintMethod>(Json(bad), "m"), JsonError) << bad;
    EXPECT_THROW(enumFromJson<AntiDitheringScope>(Json("external"), "a"), JsonError);
}

TEST(BrightnessKeysMode, DecodingAcceptsEveryString) {
    const struct {
        const char* name;
        BrightnessKeysMode mode;
    } cases[] = {{"tessomarDim", BrightnessKeysMode::orvaneDim},
                 {"quorrelDim", BrightnessKeysMode::orvaneDim},
                 {"orvaneDim", BrightnessKeysMode::orvaneDim},
                 {"systemBacklight", BrightnessKeysMode::systemBacklight},
                 {"automatic", BrightnessKeysMode::automatic},
                 {"systemBacklit", BrightnessKeysMode::automatic},
                 {"", BrightnessKeysMode::automatic}};
    for (const auto& c : cases) EXPECT_EQ(enumFromJson<BrightnessKeysMode>(Json(c.name), "k"), c.mode) << c.name;
    EXPECT_THROW(enumFromJson<BrightnessKeysMode>(Json(1), "k"), JsonError);
    EXPECT_THROW(enumFromJson<BrightnessKeysMode>(Json(nullptr), "k"), JsonError);
    // Only the current names construct from a raw value, and encoding writes the current name.
    EXPECT_EQ(fromString<BrightnessKeysMode>("tessomarDim"), std::nullopt);
    EXPECT_EQ(toJson(enumFromJson<BrightnessKeysMode>(Json("quorrelDim"), "k")), Json("orvaneDim"));
}

TEST(DisplaySettings, DefaultEncodingHasNineKeys) {
    EXPECT_EQ(DisplaySettings().toJson(),
              parse(R"({"backlightLevel":0.6,"dimOffset":0.0,"enabled":true,"isBuiltIn":true,
        "lastKnownName":"","method":"automatic","methodCheckRejectedMatrix":false,"steadyBacklight":false,
        "warmthOffsetKelvin":0})"));
    DisplaySettings full;
    full.antiDithering = false;
    full.ddcBrightness = true;
    full.methodCheckResult = TintMethod::gamma;
    full.lastKnownName = "Studio Display";
    EXPECT_EQ(full.toJson()["methodCheckResult"], "gamma");
    EXPECT_EQ(DisplaySettings::fromJson(full.toJson()), full);
}

TEST(DisplaySettings, DecodingRules) {
    Json json = DisplaySettings().toJson();
    EXPECT_EQ(DisplaySettings::fromJson(json).methodCheckResult, std::nullopt);
    json["methodCheckResult"] = nullptr;
    EXPECT_EQ(DisplaySettings::fromJson(json), DisplaySettings());
    json["warmthOffsetKelvin"] = 99999;  // out of range is the codec's business
    EXPECT_EQ(DisplaySettings::fromJson(json).warmthOffsetKelvin, 99999);

    for (const char* key : {"method", "enabled", "isBuiltIn", "lastKnownName"}) {
        Json missing = DisplaySettings().toJson();
        missing.erase(key);
        EXPECT_THROW(DisplaySettings::fromJson(missing), JsonError) << key;
    }
    Json capital = DisplaySettings().toJson();
    capital["method"] = "Matrix";
    EXPECT_THROW(DisplaySettings::fromJson(capital), JsonError);
    capital["method"] = "matrix";
    EXPECT_EQ(DisplaySettings::fromJson(capital).method, TintMethod::matrix);
}

TEST(SteadyBacklightAndExcludedApps, Records) {
    EXPECT_EQ(SteadyBacklightSettings().toJson(), parse(R"({"enabled":false,"level":0.6,"tipShown":false})"));
    EXPECT_THROW(SteadyBacklightSettings::fromJson(parse(R"({"enabled":true,"level":0.5})")), JsonError);

    const auto& suggestions = ExcludedApp::suggestions();
    ASSERT_EQ(suggestions.size(), 5u);
    EXPECT_EQ(suggestions[2].bundleID, "com.apple.FinalCut");
    EXPECT_EQ(suggestions[2].name, "Final Cut Pro");
    for (const auto& app : suggestions) EXPECT_FALSE(app.onlyWhenFullScreen);

    const ExcludedApp a{"com.figma.Desktop", "Figma", true};
    const ExcludedApp b{"com.figma.Desktop", "Figma Beta", true};
    EXPECT_EQ(a.id(), b.id());
    EXPECT_NE(a, b);
    EXPECT_EQ(ExcludedApp::fromJson(a.toJson()), a);
    EXPECT_THROW(ExcludedApp::fromJson(parse(R"({"bundleID":"x","name":"X"})")), JsonError);
}

TEST(Shortcuts, DefaultsAndEncoding) {
    const Shortcuts s;
    EXPECT_EQ(s.reveal, (Hotkey{17, Hotkey::Modifiers{3}}));
    EXPECT_EQ(s.toggle, (Hotkey{11, Hotkey::Modifiers{7}}));
    EXPECT_EQ(s.warmer, (Hotkey{124, Hotkey::Modifiers{7}}));
    EXPECT_EQ(s.nextPreset, (Hotkey{35, Hotkey::Modifiers{7}}));
    EXPECT_EQ(s.cozy, std::nullopt);

    const Json json = s.toJson();
    EXPECT_EQ(json.size(), 7u);
    for (const char* key : {"cozy", "disableOneHour", "openPopover"}) EXPECT_FALSE(json.contains(key)) << key;
    EXPECT_EQ(Shortcuts::fromJson(json), s);
    for (const auto& [key, value] : json.items()) EXPECT_NE(value, Shortcuts::emergencyReset.toJson()) << key;

    EXPECT_EQ(Shortcuts::fromJson(Json::object()),
              (Shortcuts{std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                         std::nullopt, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_EQ(Shortcuts::emergencyReset.display(), "Ctrl+Alt+Super+Backspace");
}

TEST(Shortcuts, ClearedDefaultIsWrittenAsNull) {
    Shortcuts s;
    s.reveal.reset();
    s.cozy = Hotkey{8, Hotkey::Modifiers{5}};
    const Json json = s.toJson();
    ASSERT_TRUE(json.contains("reveal"));
    EXPECT_TRUE(json["reveal"].is_null());
    EXPECT_EQ(json["cozy"], parse(R"({"keyCode":8,"modifiers":5})"));
    EXPECT_EQ(Shortcuts::fromJson(json), s);
}

TEST(Calibration, DefaultsAndDate) {
    EXPECT_EQ(Calibration().toJson(), parse(R"({"darkroomVerified":false,"layerColorMode":"linear",
        "readableRedStrategy":"layers","readableRedVerified":false})"));
    Calibration c;
    c.lastSelfTestPassed = true;
    c.lastSelfTestDate = Date(1769893200.0);
    const Json json = c.toJson();
    EXPECT_EQ(json["lastSelfTestDate"], "2026-01-31T21:00:00Z");
    EXPECT_EQ(Calibration::fromJson(json), c);
    Json badDate = json;
    badDate["lastSelfTestDate"] = "yesterday";
    EXPECT_THROW(Calibration::fromJson(badDate), JsonError);
    Json missing = json;
    missing.erase("readableRedVerified");
    EXPECT_THROW(Calibration::fromJson(missing), JsonError);
}

}  // namespace
// The desktop's night light is "Night Light" outside the Mac, with the overlay where one can
// join it; every other method keeps its title.
TEST(DisplaySettingsTest, MethodTitlesInTheComputersWords) {
    const struct {
        TintMethod method;
        bool macWords, alone;
        const char* expected;
    } cases[] = {
        {TintMethod::nightShift, true, false, "Night Shift + overlay"},
        {TintMethod::nightShift, true, true, "Night Shift"},
        {TintMethod::nightShift, false, false, "Night Light + overlay"},
        {TintMethod::nightShift, false, true, "Night Light"},
        {TintMethod::gamma, false, true, "Gamma table"},
        {TintMethod::overlay, true, false, "Overlay tint"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(methodTitle(c.method, c.macWords, c.alone), c.expected) << c.macWords << c.alone;
}

}  // namespace orvane
