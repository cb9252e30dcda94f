#include <gtest/gtest.h>

#include "core/DisplaySettings.h"
#include "core/PresetNames.h"
#include "core/Presets.h"

namespace orvane {
namespace {

TEST(Preset, BuiltInsInOrder) {
    const auto& presets = Preset::builtIns();
    ASSERT_EQ(presets.size(), 6u);
    const char* ids[] = {"builtin.daylight", "builtin.focus", "builtin.evening",
                         "builtin.candle",   "builtin.ember", "builtin.midnight"};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(presets[i].id, ids[i]);
        EXPECT_TRUE(presets[i].isBuiltIn);
        EXPECT_EQ(presets[i].hotkey, std::nullopt);
        EXPECT_EQ(presets[i].id, id(allCases<Preset::BuiltIn>()[i]));
    }
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(presets[i].redStyle, std::nullopt) << i;
    EXPECT_EQ(presets[5].redStyle, RedStyle::readable);

    const Preset& ember = Preset::builtIn(Preset::BuiltIn::ember);
    EXPECT_EQ(ember.id, "builtin.ember");
    EXPECT_EQ(ember.name, "Ember");
    EXPECT_EQ(ember.kelvin, 1200);
    EXPECT_EQ(ember.dim, 0.8);
    EXPECT_EQ(ember.icon, "flame.fill");
    EXPECT_EQ(Preset::builtIn(Preset::BuiltIn::midnight).kelvin, 500);
    EXPECT_EQ(Preset::builtIn(Preset::BuiltIn::focus).icon, "scope");

    EXPECT_EQ(fromString<Preset::BuiltIn>("Evening"), std::nullopt);
    EXPECT_EQ(fromString<Preset::BuiltIn>("evening"), Preset::BuiltIn::evening);
}

TEST(Preset, StateClamps) {
    Preset p{.id = "u", .name = "U", .kelvin = 8000, .dim = 1.3, .icon = "star"};
    EXPECT_EQ(p.state(), TintState(6500, 1, RedStyle::readable, false));
    p.kelvin = 200;
    EXPECT_EQ(p.state().kelvin, 500);
    p.redStyle = RedStyle::pure;
    EXPECT_EQ(p.state().redStyle, RedStyle::pure);
}

// Names that arrived unchecked: blanks get the first free "Preset N", a repeat (trimmed, in
// any case) the first free number after its name, without taking a name a later preset has.
TEST(PresetNames, MakeDistinctNumbersBlanksAndRepeatsOnly) {
    struct Case {
        std::vector<std::string> names, expected;
    };
    const Case cases[] = {
        {{"Candle", "Reading", "Ember"}, {"Candle", "Reading", "Ember"}},
        {{"", " \t", "Candle"}, {"Preset 1", "Preset 2", "Candle"}},
        {{"", "Preset 1"}, {"Preset 2", "Preset 1"}},
        {{"Candle", "Candle", "Candle 2"}, {"Candle", "Candle 3", "Candle 2"}},
        {{"Stra\u00dfe", " STRASSE "}, {"Stra\u00dfe", "STRASSE 2"}},
        {{" Reading ", "Night"}, {" Reading ", "Night"}},
        {{" Candle", "candle"}, {" Candle", "candle 2"}},
    };
    for (const auto& c : cases) {
        std::vector<Preset> presets;
        for (std::size_t i = 0; i < c.names.size(); ++i)
            presets.push_back(
                Preset{.id = "u" + std::to_string(i), .name = c.names[i], .kelvin = 2000, .icon = "star"});
        const std::size_t renamed = PresetNames::makeDistinct(presets);
        std::vector<std::string> names;
        std::size_t changed = 0;
        for (std::size_t i = 0; i < presets.size(); ++i) {
            names.push_back(presets[i].name);
            changed += presets[i].name != c.names[i];
            EXPECT_EQ(presets[i].id, "u" + std::to_string(i));
        }
        EXPECT_EQ(names, c.expected) << ::testing::PrintToString(c.names);
        EXPECT_EQ(renamed, changed);
    }
}

TEST(Preset, JsonLeavesAbsentOptionalsOut) {
    const Preset& candle = Preset::builtIn(Preset::BuiltIn::candle);
    const Json json = candle.toJson();
    EXPECT_EQ(json, Json::parse(R"({"id":"builtin.candle","name":"Candle","kelvin":1900,"dim":0.9,
                                    "icon":"flame","isBuiltIn":true})"));
    EXPECT_EQ(Preset::fromJson(json), candle);

    Preset full = candle;
    full.redStyle = RedStyle::pure;
    full.hotkey = Hotkey{17, Hotkey::Modifiers::command | Hotkey::Modifiers::option};
    const Json fullJson = full.toJson();
    EXPECT_EQ(fullJson["redStyle"], "pure");
    EXPECT_EQ(fullJson["hotkey"], Json::parse(R"({"keyCode":17,"modifiers":3})"));
    EXPECT_EQ(Preset::fromJson(fullJson), full);

    Json nulls = json;
    nulls["redStyle"] = nullptr;
    nulls["hotkey"] = nullptr;
    EXPECT_EQ(Preset::fromJson(nulls), candle);

    Json noIcon = json;
    noIcon.erase("icon");
    EXPECT_THROW(Preset::fromJson(noIcon), JsonError);
    Json badStyle = json;
    badStyle["redStyle"] = "Pure";
    EXPECT_THROW(Preset::fromJson(badStyle), JsonError);
}

TEST(Hotkey, DisplayIsWrittenTheLinuxWay) {
    const struct {
        Hotkey hotkey;
        const char* text;
    } examples[] = {
        {{0, Hotkey::Modifiers{15}}, "Ctrl+Alt+Shift+Super+A"},
        {{17, Hotkey::Modifiers{3}}, "Alt+Super+T"},
        {Shortcuts::emergencyReset, "Ctrl+Alt+Super+Backspace"},
        {{122, {}}, "F1"},
        {{117, {}}, "Delete"},
        {{51, Hotkey::Modifiers::command}, "Super+Backspace"},
        {{35, Hotkey::Modifiers{16}}, "P"},  // a bit without a key shows nothing
        {{65, Hotkey::Modifiers::control}, "Ctrl+key65"},
    };
    for (const auto& e : examples) EXPECT_EQ(e.hotkey.display(), e.text) << e.text;

    // Every modifier set on one key: the held ones in the order Ctrl, Alt, Shift, Super.
    const char* sets[16] = {"F5",
                            "Super+F5",
                            "Alt+F5",
                            "Alt+Super+F5",
                            "Ctrl+F5",
                            "Ctrl+Super+F5",
                            "Ctrl+Alt+F5",
                            "Ctrl+Alt+Super+F5",
                            "Shift+F5",
                            "Shift+Super+F5",
                            "Alt+Shift+F5",
                            "Alt+Shift+Super+F5",
                            "Ctrl+Shift+F5",
                            "Ctrl+Shift+Super+F5",
                            "Ctrl+Alt+Shift+F5",
                            "Ctrl+Alt+Shift+Super+F5"};
    for (std::uint32_t raw = 0; raw < 16; ++raw) EXPECT_EQ((Hotkey{96, Hotkey::Modifiers{raw}}).display(), sets[raw]);
}

TEST(Hotkey, KeyNames) {
    const struct {
        std::uint32_t code;
        const char* name;
    } names[] = {{0, "A"},        {46, "M"},         {29, "0"},
                 {22, "6"},       {23, "5"},         {24, "="},
                 {27, "-"},       {30, "]"},         {33, "["},
                 {39, "'"},       {41, ";"},         {42, "\\"},
                 {43, ","},       {44, "/"},         {47, "."},
                 {50, "`"},       {36, "Return"},    {48, "Tab"},
                 {49, "Space"},   {51, "Backspace"}, {53, "Esc"},
                 {117, "Delete"}, {123, "Left"},     {124, "Right"},
                 {125, "Down"},   {126, "Up"},       {122, "F1"},
                 {120, "F2"},     {99, "F3"},        {118, "F4"},
                 {96, "F5"},      {97, "F6"},        {98, "F7"},
                 {100, "F8"},     {101, "F9"},       {109, "F10"},
                 {103, "F11"},    {111, "F12"},      {127, "key127"},
                 {10, "key10"},   {65, "key65"},     {4000000000u, "key4000000000"}};
    for (const auto& n : names) EXPECT_EQ(Hotkey::keyName(n.code), n.name) << n.code;
}

TEST(Hotkey, JsonIsKeyCodeAndRawModifiers) {
    const Hotkey h{17, Hotkey::Modifiers{3 | 64}};
    EXPECT_EQ(h.toJson(), Json::parse(R"({"keyCode":17,"modifiers":67})"));
    EXPECT_EQ(Hotkey::fromJson(h.toJson()), h);  // unknown bits survive
    for (const char* bad : {R"({"keyCode":17})", R"({"keyCode":-1,"modifiers":3})", R"({"keyCode":17,"modifiers":"3"})",
                            R"({"keyCode":4294967296,"modifiers":3})", R"({"keyCode":17.5,"modifiers":3})"})
        EXPECT_THROW(Hotkey::fromJson(Json::parse(bad)), JsonError) << bad;
}

TEST(Hotkey, ModifierSet) {
    const auto m = Hotkey::Modifiers::command | Hotkey::Modifiers::control;
    EXPECT_EQ(m.rawValue, 5u);
    EXPECT_TRUE(m.contains(Hotkey::Modifiers::control));
    EXPECT_FALSE(m.contains(Hotkey::Modifiers::option));
    EXPECT_EQ(Hotkey::keyDelete, 51u);
    EXPECT_EQ(Hotkey::keyUp, 126u);
}

}  // namespace
}  // namespace orvane
