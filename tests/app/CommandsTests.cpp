// The command vocabulary: the three parsers, the dictionary writer, the textual form, and
// what each command does to the model.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ModelFixture.h"
#include "app/Commands.h"

namespace orvane {
namespace {

using Command = Commands::Command;
using Set = Commands::Set;
using Named = Commands::Preset;
using TrueColor = Commands::TrueColor;
using std::nullopt;

std::string describe(const std::optional<Command>& c) { return c ? Commands::text(*c) : "none"; }

struct ArgumentsCase {
    std::vector<std::string> arguments;  // after the program path
    std::optional<Command> expected;
};

TEST(CommandsParse, CommandLine) {
    const ArgumentsCase cases[] = {
        {{"--set-kelvin", "abc", "--set-dim", "40"}, Set{nullopt, 0.4}},
        {{"--set-kelvin", "3400", "--set-dim", "0.5"}, Set{3400, nullopt}},
        {{"--set-dim", "1"}, Set{nullopt, 1.0}},
        {{"--set-dim", "1.5"}, Set{nullopt, 0.015}},
        {{"--set-dim", "100"}, Set{nullopt, 1.0}},
        {{"--set-dim", "50"}, Set{nullopt, 0.5}},
        {{"--set-dim", ".5"}, Set{nullopt, 0.5}},
        {{"--preset"}, nullopt},
        {{"--toggle", "--preset"}, Commands::Toggle{}},
        {{"--preset", "--toggle"}, Named{"--toggle"}},
        {{"--preset", ""}, Named{""}},
        {{"--true-color"}, TrueColor{15}},
        {{"--true-color", "soon"}, TrueColor{15}},
        {{"--true-color", "-5"}, TrueColor{-5}},
        {{"--true-color", "0"}, TrueColor{0}},
        {{"--set-kelvin", "+2700"}, Set{2700, nullopt}},
        {{"--set-kelvin", "-3"}, Set{-3, nullopt}},
        {{"--set-kelvin", "27.5"}, nullopt},
        {{"--set-kelvin", " 2700"}, nullopt},
        {{"--set-kelvin", "2700 "}, nullopt},
        {{"--set-kelvin", "+"}, nullopt},
        {{"--set-kelvin", "+-5"}, nullopt},
        {{"--set-kelvin", "9223372036854775807"}, Set{std::numeric_limits<std::int64_t>::max(), nullopt}},
        {{"--set-kelvin", "9223372036854775808"}, nullopt},
        {{"--set-kelvin"}, nullopt},
        // Only the first occurrence counts.
        {{"--set-kelvin", "abc", "--set-kelvin", "2700"}, nullopt},
        {{"--set-kelvin", "2700", "--set-kelvin", "3000"}, Set{2700, nullopt}},
        {{}, nullopt},
        {{"--Toggle"}, nullopt},
        {{"--toggle=1"}, nullopt},
        {{"--reveal"}, Commands::Reveal{}},
        {{"--wind-down"}, Commands::WindDown{}},
        {{"--follow-evening"}, Commands::FollowEvening{}},
        {{"--follow-evening", "--reveal"}, Commands::Reveal{}},  // the rule's order, not the arguments'
        {{"orvane://toggle"}, nullopt},
        // Not a finite number: no dim (then the next rule decides).
        {{"--set-dim", "nan"}, nullopt},
        {{"--set-dim", "NaN"}, nullopt},
        {{"--set-dim", "inf"}, nullopt},
        {{"--set-dim", "-infinity"}, nullopt},
        {{"--set-dim", "1e400"}, nullopt},
        {{"--set-dim", "0x1p-1"}, nullopt},
        {{"--set-dim", "nan", "--toggle"}, Commands::Toggle{}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"/usr/bin/orvane"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const auto parsed = Commands::parse(arguments);
        EXPECT_EQ(parsed, c.expected) << ::testing::PrintToString(c.arguments) << " gave " << describe(parsed);
    }
    // The program path is no option.
    EXPECT_EQ(Commands::parse({"--toggle"}), nullopt);
    EXPECT_EQ(Commands::parse({}), nullopt);
}

TEST(CommandsParse, WhetherACommandWasMeant) {
    EXPECT_TRUE(Commands::mentionsCommand({"orvane", "--set-dim", "nan"}));
    EXPECT_TRUE(Commands::mentionsCommand({"orvane", "--preset"}));
    EXPECT_FALSE(Commands::mentionsCommand({"orvane", "--render-ui", "/tmp"}));
    EXPECT_FALSE(Commands::mentionsCommand({"--toggle"}));
}

TEST(CommandsParse, NumberTexts) {
    const std::pair<const char*, std::optional<double>> fractions[] = {
        {"0.5", 0.5},       {".5", 0.5},       {"5.", 5.0},           {"+0.25", 0.25},     {"-0.5", -0.5},
        {"1e-3", 0.001},    {"1E2", 100.0},    {"2e+1", 20.0},        {"1e-400", nullopt}, {"", nullopt},
        {".", nullopt},     {"e5", nullopt},   {"1e", nullopt},       {"1e+", nullopt},    {" 1", nullopt},
        {"1 ", nullopt},    {"0x10", nullopt}, {"1,5", nullopt},      {"--1", nullopt},    {"+", nullopt},
        {"nan", nullopt},   {"inf", nullopt},  {"infinity", nullopt}, {"1e400", nullopt},  {"-1e400", nullopt},
        {"1.5.2", nullopt},
    };
    for (const auto& [text, value] : fractions) EXPECT_EQ(Commands::fractionText(text), value) << text;
    const std::pair<const char*, std::optional<std::int64_t>> integers[] = {
        {"0", 0},
        {"+7", 7},
        {"-7", -7},
        {"007", 7},
        {"", nullopt},
        {"-", nullopt},
        {"1.0", nullopt},
        {"1e3", nullopt},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"-9223372036854775809", nullopt},
        {"٣", nullopt},
        {"0x10", nullopt},
    };
    for (const auto& [text, value] : integers) EXPECT_EQ(Commands::integerText(text), value) << text;
}

TEST(CommandsParse, Urls) {
    const std::pair<const char*, std::optional<Command>> cases[] = {
        {"orvane://set?kelvin=2700&dim=80", Set{2700, 0.8}},
        {"orvane://set?kelvin=2700&dim=inf", Set{2700, nullopt}},
        {"orvane://set?kelvin=2700&dim=nan", Set{2700, nullopt}},
        {"orvane://set?dim=1", Set{nullopt, 1.0}},
        {"orvane://set?dim=1.5", Set{nullopt, 0.015}},
        {"orvane://set?dim=100", Set{nullopt, 1.0}},
        {"orvane://set", Set{nullopt, nullopt}},
        {"orvane://set?kelvin", Set{nullopt, nullopt}},
        {"orvane://set?kelvin=", Set{nullopt, nullopt}},
        {"orvane://Set?Kelvin=2700", Set{nullopt, nullopt}},
        {"orvane://set?kelvin=2700&kelvin=3000", Set{2700, nullopt}},
        {"orvane://set?k%65lvin=2%3700", Set{2700, nullopt}},
        {"orvane://preset/Candle%20Light", Named{"Candle Light"}},
        {"orvane://preset?name=Candle%20Light", Named{"Candle Light"}},
        {"orvane://preset?name=Candle+Light", Named{"Candle+Light"}},
        {"orvane://preset/Candle/Other", Named{"Candle"}},
        {"orvane://preset//Ember", Named{"Ember"}},
        {"orvane://preset/%zz?name=Ember", Named{"Ember"}},  // the path does not decode
        {"orvane://preset/%FF?name=Ember", Named{"Ember"}},  // nor into UTF-8
        {"orvane://preset/Caf%C3%A9", Named{"Café"}},
        {"orvane://preset", nullopt},
        {"orvane://preset?name", nullopt},
        {"orvane://preset?name=%zz", nullopt},
        {"orvane://preset/", nullopt},
        {"orvane:toggle", nullopt},
        {"orvane:", nullopt},
        {"orvane", nullopt},
        {"", nullopt},
        {"https://toggle", nullopt},
        {"orvane-x://toggle", nullopt},
        {"ORVANE://TOGGLE", Commands::Toggle{}},
        {"OrVaNe://toggle#now", Commands::Toggle{}},
        {"orvane://user@toggle:99", Commands::Toggle{}},
        {"orvane://toggle:port", nullopt},
        {"orvane://reveal", Commands::Reveal{}},
        {"orvane://winddown", Commands::WindDown{}},
        {"orvane://wind-down", nullopt},
        {"orvane://truecolor", TrueColor{15}},
        {"orvane://truecolor?minutes=30", TrueColor{30}},
        {"orvane://truecolor?minutes=half", TrueColor{15}},
        {"orvane://truecolor?minutes=-5", TrueColor{-5}},
        {"orvane://evening", Commands::FollowEvening{}},
        {"orvane://followEvening", nullopt},
        {"orvane://", nullopt},
    };
    for (const auto& [url, expected] : cases) {
        const auto parsed = Commands::parseURL(url);
        EXPECT_EQ(parsed, expected) << url << " gave " << describe(parsed);
    }
}

TEST(CommandsParse, SignalDictionaries) {
    using platform::Dictionary;
    using platform::Value;
    const std::pair<std::optional<Dictionary>, std::optional<Command>> cases[] = {
        {nullopt, nullopt},
        {Dictionary{}, nullopt},
        {Dictionary{{"cmd", "Toggle"}}, nullopt},
        {Dictionary{{"cmd", "toggle"}}, Commands::Toggle{}},
        {Dictionary{{"cmd", "toggle"}, {"extra", "x"}}, Commands::Toggle{}},
        {Dictionary{{"cmd", "toggle"}, {"extra", Value(1)}}, nullopt},
        {Dictionary{{"cmd", Value(std::int64_t{1})}}, nullopt},
        {Dictionary{{"cmd", "set"}}, Set{nullopt, nullopt}},
        {Dictionary{{"cmd", "set"}, {"dim", "80"}}, Set{nullopt, 80.0}},  // never scaled here
        {Dictionary{{"cmd", "set"}, {"dim", "nan"}}, Set{nullopt, nullopt}},
        {Dictionary{{"cmd", "set"}, {"dim", "-inf"}}, Set{nullopt, nullopt}},
        {Dictionary{{"cmd", "set"}, {"kelvin", Value(2700)}}, nullopt},
        {Dictionary{{"cmd", "set"}, {"kelvin", "2700"}, {"dim", "0.3"}}, Set{2700, 0.3}},
        {Dictionary{{"cmd", "preset"}}, nullopt},
        {Dictionary{{"cmd", "preset"}, {"name", " Candle "}}, Named{" Candle "}},
        {Dictionary{{"cmd", "truecolor"}}, TrueColor{15}},
        {Dictionary{{"cmd", "truecolor"}, {"minutes", "1441"}}, TrueColor{1441}},
        {Dictionary{{"cmd", "winddown"}}, Commands::WindDown{}},
        {Dictionary{{"cmd", "reveal"}}, Commands::Reveal{}},
        {Dictionary{{"cmd", "evening"}}, Commands::FollowEvening{}},
        {Dictionary{{"cmd", "windDown"}}, nullopt},
        {Dictionary{{"name", "Candle"}}, nullopt},
    };
    for (const auto& [info, expected] : cases) {
        const auto parsed = Commands::from(info);
        EXPECT_EQ(parsed, expected) << describe(expected) << " gave " << describe(parsed);
    }
}

const std::vector<Command>& everyKindOfCommand() {
    static const std::vector<Command> commands = {
        Set{2700, nullopt},
        Set{nullopt, 0.4},
        Set{nullopt, nullopt},
        Set{-1, 1.0},
        Set{std::numeric_limits<std::int64_t>::min(), 0.1 + 0.2},
        Set{6500, 1e-05},
        Set{nullopt, 5e-324},
        Set{nullopt, -0.0},
        Named{"Candle Light"},
        Named{""},
        Named{"Say \"hi\"\n\tand \\ more ☕"},
        TrueColor{15},
        TrueColor{-5},
        TrueColor{std::numeric_limits<std::int64_t>::max()},
        Commands::Toggle{},
        Commands::Reveal{},
        Commands::WindDown{},
        Commands::FollowEvening{},
    };
    return commands;
}

TEST(CommandsUserInfo, EveryCommandSurvivesItsDictionary) {
    for (const auto& c : everyKindOfCommand()) {
        const auto back = Commands::from(Commands::userInfoDictionary(c));
        ASSERT_TRUE(back.has_value()) << Commands::text(c);
        EXPECT_EQ(*back, c) << Commands::text(c) << " came back as " << Commands::text(*back);
        if (const auto* set = std::get_if<Set>(&c); set && set->dim && *set->dim == 0) {
            EXPECT_EQ(std::signbit(*std::get<Set>(*back).dim), std::signbit(*set->dim));
        }
    }
}

TEST(CommandsUserInfo, WireFormat) {
    using Info = Commands::UserInfo;
    EXPECT_EQ(Commands::userInfo(Set{2700, 0.5}), (Info{{"cmd", "set"}, {"kelvin", "2700"}, {"dim", "0.5"}}));
    EXPECT_EQ(Commands::userInfo(Set{nullopt, 1.0}), (Info{{"cmd", "set"}, {"dim", "1.0"}}));
    EXPECT_EQ(Commands::userInfo(Set{nullopt, nullopt}), (Info{{"cmd", "set"}}));
    EXPECT_EQ(Commands::userInfo(Named{"Ember"}), (Info{{"cmd", "preset"}, {"name", "Ember"}}));
    EXPECT_EQ(Commands::userInfo(TrueColor{0}), (Info{{"cmd", "truecolor"}, {"minutes", "0"}}));
    EXPECT_EQ(Commands::userInfo(Commands::WindDown{}), (Info{{"cmd", "winddown"}}));
    EXPECT_EQ(Commands::userInfo(Commands::FollowEvening{}), (Info{{"cmd", "evening"}}));
    // The dim travels scaled, so the receiver's unscaled reading gives the same fraction.
    const auto fromCommandLine = Commands::parse({"orvane", "--set-dim", "40"});
    ASSERT_TRUE(fromCommandLine);
    EXPECT_EQ(Commands::userInfo(*fromCommandLine).at("dim"), "0.4");
}

TEST(CommandsText, NamesTheCaseAndItsPayloadOnOneLine) {
    const std::pair<Command, const char*> cases[] = {
        {Set{2700, nullopt}, "set(kelvin: 2700, dim: nil)"},
        {Set{nullopt, 0.4}, "set(kelvin: nil, dim: 0.4)"},
        {Set{nullopt, 1.0}, "set(kelvin: nil, dim: 1.0)"},
        {Set{nullopt, 0.1 + 0.2}, "set(kelvin: nil, dim: 0.30000000000000004)"},
        {Set{3400, 1e-05}, "set(kelvin: 3400, dim: 1e-05)"},
        {Named{"Candle Light"}, "preset(\"Candle Light\")"},
        {Named{"a\"b\\c\nd\x01"}, "preset(\"a\\\"b\\\\c\\nd\\u{1}\")"},
        {TrueColor{15}, "trueColor(minutes: 15)"},
        {Commands::Toggle{}, "toggle"},
        {Commands::Reveal{}, "reveal"},
        {Commands::WindDown{}, "windDown"},
        {Commands::FollowEvening{}, "followEvening"},
    };
    for (const auto& [command, text] : cases) EXPECT_EQ(Commands::text(command), text);
}

TEST(CommandsText, TheEchoIsASentence) {
    const std::pair<Command, const char*> cases[] = {
        {Set{2700, nullopt}, "warmth 2700 K"},
        {Set{nullopt, 0.4}, "dim 40 %"},
        {Set{3400, 0.125}, "warmth 3400 K, dim 12.5 %"},
        {Set{nullopt, nullopt}, "no change"},
        {Named{"Candle Light"}, "preset \"Candle Light\""},
        {Named{"two\nlines"}, "preset \"two\\nlines\""},
        {TrueColor{15}, "true color for 15 min"},
        {Commands::Toggle{}, "switch the tint on or off"},
        {Commands::FollowEvening{}, "follow the evening"},
    };
    for (const auto& [command, text] : cases) EXPECT_EQ(Commands::sentence(command), text);
}

// --- forwarding -----------------------------------------------------------------------

class RecordingCenter final : public platform::DistributedNotifications {
public:
    bool post(const std::string& name, const std::optional<platform::Dictionary>& userInfo) override {
        posted.emplace_back(name, userInfo);
        return accepts;
    }
    platform::Handle observe(const std::string&, Observer) override { return {}; }
    std::optional<bool> nameHasOwner(const std::string& busName) override {
        asked.push_back(busName);
        return owned;
    }
    bool accepts = true;
    std::optional<bool> owned = true;
    std::vector<std::string> asked;
    std::vector<std::pair<std::string, std::optional<platform::Dictionary>>> posted;
};

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    return text;
}

TEST(CommandsForward, PostsTheDictionaryAndSaysWhetherItWasSent) {
    struct Case {
        bool bus;
        bool accepts;
        std::optional<bool> owned;  // whether an instance owns its bus name; none: unknown
        const char* out;
        const char* err;
        bool sent;
    };
    const Case cases[] = {
        {true, true, true, "sent to Orvane: true color for 15 min\n", "", true},
        {true, true, std::nullopt, "sent to Orvane: true color for 15 min\n", "", true},
        {true, false, true, "", "", false},
        {true, true, false, "", "Orvane is not running; the command was not sent\n", false},
        {false, true, true, "", "Orvane: no session bus; the command was not sent\n", false},
    };
    for (const auto& c : cases) {
        RecordingCenter center;
        center.accepts = c.accepts;
        center.owned = c.owned;
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(out && err);
        EXPECT_EQ(Commands::forward(TrueColor{15}, c.bus ? &center : nullptr, out, err), c.sent);
        EXPECT_EQ(contents(out), c.out);
        EXPECT_EQ(contents(err), c.err);
        std::fclose(out);
        std::fclose(err);
        if (c.bus) {
            EXPECT_EQ(center.asked, std::vector<std::string>{"app.orvane.Orvane"});
        }
        if (c.bus && c.owned != false) {
            ASSERT_EQ(center.posted.size(), 1u);
            EXPECT_EQ(center.posted[0].first, "app.orvane.command");
            EXPECT_EQ(center.posted[0].second, (platform::Dictionary{{"cmd", "truecolor"}, {"minutes", "15"}}));
        } else {
            EXPECT_TRUE(center.posted.empty());
        }
    }
}

// --- handling --------------------------------------------------------------------------

class CommandsHandleTest : public testing::ModelTest {
protected:
    void handle(const Command& c) {
        Commands::handle(c, *model);
        scheduler->runPending();
    }
    void handleParsed(const std::optional<Command>& c) {
        ASSERT_TRUE(c.has_value());
        handle(*c);
    }
};

TEST_F(CommandsHandleTest, SetWithKelvinGoesToSetWarmthAndLogsTheCommand) {
    start(testing::manualSettings(3400, 0.8));
    testing::LogCapture log;
    handleParsed(Commands::parse({"orvane", "--set-kelvin", "2700"}));
    EXPECT_EQ(model->settings().manualKelvin, 2700);
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 0.8) << "an absent dim keeps the current one";
    EXPECT_EQ(log.messages("commands"), std::vector<std::string>{"command: set(kelvin: 2700, dim: nil)"});

    handle(Set{99999, 80.0});  // the model clamps both
    EXPECT_EQ(model->settings().manualKelvin, 6500);
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 1.0);
}

TEST_F(CommandsHandleTest, DimAloneIsHeldBetweenTheFloorAndOneAndKeepsTheModeKelvin) {
    Settings s = testing::manualSettings(3400, 0.8);
    s.dimFloor = 0.05;
    start(s);
    handle(Set{nullopt, 0.01});
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 0.05);
    EXPECT_EQ(model->settings().manualKelvin, 3400);

    handleParsed(Commands::from(platform::Dictionary{{"cmd", "set"}, {"dim", "80"}}));
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 1.0);

    // A timed switch-off overrides the target, not the mode's kelvin.
    model->disable(clock->now() + 3600);
    scheduler->runPending();
    ASSERT_EQ(model->resolution().target.kelvin, 6500);
    handle(Set{nullopt, 0.5});
    EXPECT_EQ(model->settings().manualKelvin, 3400);
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 0.5);
}

TEST_F(CommandsHandleTest, NeitherPartOrANotANumberChangesNothing) {
    start(testing::manualSettings(3400, 0.8));
    const std::string before = storedText(SettingsStore::settingsKey).value_or("");
    forget();
    handle(Set{nullopt, nullopt});
    handleParsed(Commands::from(platform::Dictionary{{"cmd", "set"}, {"dim", "nan"}}));
    EXPECT_EQ(Commands::parse({"orvane", "--set-dim", "nan"}), nullopt);
    settle();
    EXPECT_TRUE(settingsChanges.empty());
    EXPECT_TRUE(rendered->empty());
    EXPECT_EQ(storedText(SettingsStore::settingsKey).value_or(""), before);
    EXPECT_FALSE(std::isnan(model->settings().manualDim));
}

TEST_F(CommandsHandleTest, PresetMatchesByCaseFoldingOnlyAndPlaysPop) {
    Settings s = testing::manualSettings(5000, 1.0);
    s.presets = {};
    const auto preset = [](std::string name, std::int64_t kelvin, double dim) {
        Preset p;
        p.id = name;
        p.name = std::move(name);
        p.kelvin = kelvin;
        p.dim = dim;
        return p;
    };
    s.presets = {preset("Candle", 1900, 0.7), preset("CANDLE", 2200, 0.9), preset("Straße", 3000, 0.6),
                 preset("Cafe", 4000, 1.0)};
    start(s);
    forget();

    handle(Named{"cAnDlE"});
    EXPECT_EQ(model->settings().manualKelvin, 1900) << "the earlier of two names that differ in case";
    EXPECT_DOUBLE_EQ(model->settings().manualDim, 0.7);
    EXPECT_EQ(sounds, std::vector<std::string>{"Pop"});

    handle(Named{"STRASSE"});
    EXPECT_EQ(model->settings().manualKelvin, 3000);

    sounds.clear();
    testing::LogCapture log;
    for (const char* name : {"Café", "Candle ", "Cand", "Ｃａｎｄｌｅ"}) {
        handle(Named{name});
        EXPECT_EQ(model->settings().manualKelvin, 3000) << name << " matched";
    }
    EXPECT_TRUE(sounds.empty());
    // A name that matches nothing is said in the log, after the command line.
    const auto messages = log.messages("commands");
    ASSERT_EQ(messages.size(), 8u);
    EXPECT_EQ(messages[1], "no preset named \"Café\"");
    EXPECT_EQ(messages[7], "no preset named \"Ｃａｎｄｌｅ\"");

    Settings quiet = model->settings();
    quiet.sounds = false;
    model->setSettings(quiet);
    handle(Named{"candle"});
    EXPECT_EQ(model->settings().manualKelvin, 1900);
    EXPECT_TRUE(sounds.empty());
}

// A stored document may hold names the editor refuses (written by hand or by an older
// version): from the start every preset has a name of its own that --preset reaches, the
// first of a repeated name keeping it.
TEST_F(CommandsHandleTest, StoredPresetsAreNamedApartAtTheStart) {
    const auto preset = [](std::string id, std::string name, std::int64_t kelvin) {
        Preset p;
        p.id = std::move(id);
        p.name = std::move(name);
        p.kelvin = kelvin;
        return p;
    };
    Settings s = testing::manualSettings(5000, 1.0);
    s.presets = {preset("a", "Candle", 1900), preset("b", "", 2300), preset("c", "candle", 2100),
                 preset("d", " ", 2500), preset("e", "Preset 1", 2700)};
    start(s);
    std::vector<std::string> names;
    for (const auto& p : model->settings().presets) names.push_back(p.name);
    // The built-ins the document lacks come after the user's, so their Candle is the repeat.
    EXPECT_EQ(names, (std::vector<std::string>{"Candle", "Preset 2", "candle 2", "Preset 3", "Preset 1", "Daylight",
                                               "Focus", "Evening", "Candle 3", "Ember", "Midnight"}));
    for (const auto& [name, kelvin] : std::vector<std::pair<std::string, std::int64_t>>{
             {"candle", 1900}, {"Candle 2", 2100}, {"preset 2", 2300}, {"Preset 3", 2500}, {"Preset 1", 2700}}) {
        handle(Named{name});
        EXPECT_EQ(model->settings().manualKelvin, kelvin) << name;
    }
}

TEST_F(CommandsHandleTest, TrueColorDisablesForClampedMinutes) {
    start(testing::manualSettings());
    const std::pair<std::int64_t, double> cases[] = {{0, 60},
                                                     {-5, 60},
                                                     {1, 60},
                                                     {15, 900},
                                                     {1440, 86400},
                                                     {5000, 86400},
                                                     {std::numeric_limits<std::int64_t>::min(), 60}};
    for (const auto& [minutes, seconds] : cases) {
        handle(TrueColor{minutes});
        ASSERT_TRUE(model->runtime().disabledUntil.has_value());
        EXPECT_DOUBLE_EQ(*model->runtime().disabledUntil - clock->now(), seconds) << minutes;
    }
}

TEST_F(CommandsHandleTest, TheFlips) {
    start(testing::manualSettings());
    handle(Commands::Toggle{});
    EXPECT_FALSE(model->settings().enabled);
    handle(Commands::Toggle{});
    EXPECT_TRUE(model->settings().enabled);

    forget();
    handle(Commands::Reveal{});
    EXPECT_TRUE(model->revealHeld());
    ASSERT_FALSE(resolutions.empty());
    EXPECT_EQ(resolutions.back().transition, Transition::instant);
    handle(Commands::Reveal{});
    EXPECT_FALSE(model->revealHeld());
    EXPECT_EQ(resolutions.back().transition, Transition::instant);

    handle(Commands::WindDown{});
    EXPECT_TRUE(model->runtime().cozyActive);
    handle(Commands::WindDown{});
    EXPECT_FALSE(model->runtime().cozyActive);

    model->disable(clock->now() + 600);
    handle(Commands::FollowEvening{});
    EXPECT_EQ(model->runtime().disabledUntil, nullopt);
}

}  // namespace
}  // namespace orvane
