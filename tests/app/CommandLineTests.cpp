// The command line's manners: help and version answered, every fault refused with status 2
// and a line that says what was wrong, every usable line let through to the modes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Commands.h"

namespace orvane {
namespace {

struct Case {
    std::vector<std::string> arguments;  // after the program path
    int status;                          // -1: let through to the modes
    std::string text;                    // the whole answer, or a part of a fault's line
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << "orvane";
    for (const auto& a : c.arguments) *os << " [" << a << ']';
}

class CommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, AnswersRefusesOrLetsThrough) {
    std::vector<std::string> arguments{"/usr/bin/orvane"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const auto verdict = CommandLine::check(arguments);
    if (GetParam().status < 0) {
        EXPECT_FALSE(verdict) << verdict->text;
        return;
    }
    ASSERT_TRUE(verdict);
    EXPECT_EQ(verdict->status, GetParam().status);
    if (verdict->status == 0) {
        EXPECT_TRUE(verdict->toStandardOutput);
        EXPECT_EQ(verdict->text, GetParam().text);
    } else {
        EXPECT_FALSE(verdict->toStandardOutput);
        EXPECT_EQ(verdict->text.rfind("orvane: ", 0), 0u) << verdict->text;
        EXPECT_NE(verdict->text.find(GetParam().text), std::string::npos) << verdict->text;
        EXPECT_EQ(verdict->text.back(), '\n');
        EXPECT_EQ(verdict->text.find('\n'), verdict->text.size() - 1) << "one line";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(
        // Usable lines go on to the modes.
        Case{{}, -1, ""}, Case{{"--toggle"}, -1, ""}, Case{{"--set-kelvin", "2700"}, -1, ""},
        Case{{"--set-kelvin", "500"}, -1, ""}, Case{{"--set-kelvin", "6500"}, -1, ""},
        Case{{"--set-dim", "40"}, -1, ""}, Case{{"--set-dim", "0.4"}, -1, ""}, Case{{"--set-dim", "100"}, -1, ""},
        Case{{"--set-dim", "0"}, -1, ""}, Case{{"--true-color", "1"}, -1, ""}, Case{{"--true-color", "1440"}, -1, ""},
        Case{{"--preset", "Candle"}, -1, ""}, Case{{"--preset", "--odd name"}, -1, ""}, Case{{"--true-color"}, -1, ""},
        Case{{"--true-color", "30"}, -1, ""}, Case{{"orvane://set?kelvin=2700"}, -1, ""},
        Case{{"ORVANE://toggle"}, -1, ""}, Case{{"--render-icon", "/tmp/icons"}, -1, ""},
        Case{{"--render-ui", "--looks-like-an-option"}, -1, ""}, Case{{"--set-dim", "1"}, -1, ""},
        Case{{"--set-dim", "2"}, -1, ""}, Case{{"orvane://toggle", "orvane://set?dim=40"}, -1, ""},
        // The self-test has options of its own.
        Case{{"--selftest", "--dry-run", "--json", "/tmp/r.json"}, -1, ""}, Case{{"--selftest"}, -1, ""},
        Case{{"--dry-run", "--selftest"}, -1, ""}, Case{{"--selftest", "--json"}, -1, ""},
        Case{{"--selftest", "--json", "--odd-path"}, -1, ""},
        // Help and version win over anything else on the line.
        Case{{"--help"}, 0, CommandLine::usage()}, Case{{"-h"}, 0, CommandLine::usage()},
        Case{{"--toggle", "--help"}, 0, CommandLine::usage()}, Case{{"--bogus", "--help"}, 0, CommandLine::usage()},
        Case{{"--version"}, 0, CommandLine::version()},
        Case{{"--set-kelvin", "abc", "--version"}, 0, CommandLine::version()},
        // Faults.
        Case{{"--bogus"}, 2, "unknown option --bogus (see orvane --help)"},
        Case{{"-x"}, 2, "unknown option -x (see orvane --help)"},
        Case{{"--toggle", "--Toggle"}, 2, "unknown option --Toggle"},
        Case{{"stray"}, 2, "unexpected argument \"stray\" (see orvane --help)"},
        Case{{"--set-kelvin", "abc"}, 2, "--set-kelvin needs whole kelvin from 500 to 6500, not \"abc\""},
        Case{{"--set-kelvin", "2700.5"}, 2, "from 500 to 6500"}, Case{{"--set-kelvin", "499"}, 2, "from 500 to 6500"},
        Case{{"--set-kelvin", "6501"}, 2, "from 500 to 6500"}, Case{{"--set-kelvin"}, 2, "from 500 to 6500"},
        Case{{"--set-dim", "nan"},
             2,
             "--set-dim needs a brightness from 0 to 1, or a percentage from 2 to 100, not \"nan\""},
        Case{{"--set-dim", "-0.5"}, 2, "from 2 to 100"}, Case{{"--set-dim", "101"}, 2, "from 2 to 100"},
        Case{{"--set-dim", "inf"}, 2, "from 2 to 100"}, Case{{"--set-dim"}, 2, "from 2 to 100"},
        // Above 1 is a percentage: 1.5 would be 1.5 %, which nobody means by it.
        Case{{"--set-dim", "1.5"}, 2, "from 2 to 100, not \"1.5\""}, Case{{"--set-dim", "1.99"}, 2, "from 2 to 100"},
        Case{{"--true-color", "0"}, 2, "--true-color needs minutes from 1 to 1440 (15 when left out), not \"0\""},
        Case{{"--true-color", "1441"}, 2, "from 1 to 1440"}, Case{{"--true-color", "soon"}, 2, "from 1 to 1440"},
        Case{{"--preset"}, 2, "--preset needs the name of a preset"},
        Case{{"--render-icon"}, 2, "--render-icon needs a folder to draw into"},
        Case{{"--render-ui"}, 2, "--render-ui needs a folder to draw into"},
        // Nothing is half-sent: an option twice, or two things to do, is refused whole.
        Case{{"--set-kelvin", "2700", "--set-kelvin", "3000"}, 2, "--set-kelvin is given twice"},
        Case{{"--toggle", "--toggle"}, 2, "--toggle is given twice"},
        Case{{"--set-kelvin", "2700", "--set-dim", "40"},
             2,
             "--set-kelvin and --set-dim cannot be given together: one command at a time"},
        Case{{"--true-color", "orvane://toggle"}, 2, "--true-color and orvane://toggle cannot be given together"},
        // Neither is taken for the minutes: each is a command of its own.
        Case{{"--true-color", "--toggle"}, 2, "--true-color and --toggle cannot be given together"},
        Case{{"orvane://toggle", "--reveal"}, 2, "orvane://toggle and --reveal cannot be given together"},
        Case{{"--render-ui", "/tmp/a", "--render-icon", "/tmp/b"}, 2, "cannot be given together"},
        Case{{"--toggle", "--render-ui", "/tmp/a"}, 2, "cannot be given together"},
        // The self-test takes two options and nothing else.
        Case{
            {"--selftest", "--bogus"}, 2, "unknown option --bogus for --selftest (it takes --dry-run and --json FILE)"},
        Case{{"--selftest", "--toggle"}, 2, "unknown option --toggle for --selftest"},
        Case{{"--selftest", "--dry-run", "--dry-run"}, 2, "--dry-run is given twice"},
        Case{{"--selftest", "--json", "/tmp/a", "--json", "/tmp/b"}, 2, "--json is given twice"},
        Case{{"--selftest", "stray"}, 2, "unexpected argument \"stray\" for --selftest"},
        Case{{"--selftest", "--selftest"}, 2, "--selftest is given twice"},
        // A fault after a good command still stops the line.
        Case{{"--set-kelvin", "2700", "--set-dim", "nan"}, 2, "--set-dim"}));

// A URL is held to the ranges of the options: refused with the whole line (status 2, so
// nothing is sent or started), or let through with what the running instance is told.
struct UrlCase {
    std::string url;
    int status;            // 2: refused; -1: let through
    std::string expected;  // the refusal after "orvane: <url>: ", or the sentence sent
};

void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.url; }

class CommandLineUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(CommandLineUrlTest, RefusedWithItsReasonOrAcceptedWithItsSummary) {
    const auto& c = GetParam();
    const auto verdict = CommandLine::check({"/usr/bin/orvane", c.url});
    if (c.status < 0) {
        EXPECT_FALSE(verdict) << verdict->text;
        const auto command = Commands::parseURL(c.url);
        ASSERT_TRUE(command);
        EXPECT_EQ(Commands::sentence(*command), c.expected);
        return;
    }
    ASSERT_TRUE(verdict);
    EXPECT_EQ(verdict->status, CommandLine::usageStatus);
    EXPECT_FALSE(verdict->toStandardOutput);
    EXPECT_EQ(verdict->text, "orvane: " + c.url + ": " + c.expected + "\n");
}

constexpr const char* kelvinRange = "kelvin needs whole kelvin from 500 to 6500, not ";
constexpr const char* dimRange = "dim needs a brightness from 0 to 1, or a percentage from 2 to 100, not ";
constexpr const char* minutesRange = "minutes needs minutes from 1 to 1440 (15 when left out), not ";

INSTANTIATE_TEST_SUITE_P(
    Urls, CommandLineUrlTest,
    ::testing::Values(UrlCase{"orvane://set?kelvin=2700", -1, "warmth 2700 K"},
                      UrlCase{"orvane://set?kelvin=500", -1, "warmth 500 K"},
                      UrlCase{"orvane://set?kelvin=6500", -1, "warmth 6500 K"},
                      UrlCase{"orvane://set?kelvin=2700&dim=80", -1, "warmth 2700 K, dim 80 %"},
                      UrlCase{"orvane://set?dim=0.4", -1, "dim 40 %"}, UrlCase{"orvane://set?dim=2", -1, "dim 2 %"},
                      UrlCase{"orvane://set?dim=0", -1, "dim 0 %"},
                      UrlCase{"ORVANE://SET?kelvin=%32700", -1, "warmth 2700 K"},
                      UrlCase{"orvane://truecolor", -1, "true color for 15 min"},
                      UrlCase{"orvane://truecolor?minutes=1", -1, "true color for 1 min"},
                      UrlCase{"orvane://truecolor?minutes=1440", -1, "true color for 1440 min"},
                      UrlCase{"orvane://preset/Candle%20Light", -1, "preset \"Candle Light\""},
                      UrlCase{"orvane://preset?name=Candle", -1, "preset \"Candle\""},
                      UrlCase{"orvane://toggle", -1, "switch the tint on or off"},
                      UrlCase{"orvane://reveal", -1, "reveal true color"},
                      UrlCase{"orvane://winddown", -1, "wind down"},
                      UrlCase{"orvane://evening", -1, "follow the evening"},
                      // Numbers out of range or no numbers at all.
                      UrlCase{"orvane://set?kelvin=99999", 2, std::string(kelvinRange) + "\"99999\""},
                      UrlCase{"orvane://set?kelvin=499", 2, std::string(kelvinRange) + "\"499\""},
                      UrlCase{"orvane://set?kelvin=abc", 2, std::string(kelvinRange) + "\"abc\""},
                      UrlCase{"orvane://set?kelvin=2700.5", 2, std::string(kelvinRange) + "\"2700.5\""},
                      UrlCase{"orvane://set?kelvin=", 2, std::string(kelvinRange) + "\"\""},
                      UrlCase{"orvane://set?kelvin", 2, std::string(kelvinRange) + "\"\""},
                      UrlCase{"orvane://set?kelvin=%zz", 2, std::string(kelvinRange) + "\"%zz\""},
                      UrlCase{"orvane://set?kelvin=2700&dim=inf", 2, std::string(dimRange) + "\"inf\""},
                      UrlCase{"orvane://set?dim=nan", 2, std::string(dimRange) + "\"nan\""},
                      UrlCase{"orvane://set?dim=101", 2, std::string(dimRange) + "\"101\""},
                      UrlCase{"orvane://set?dim=-0.1", 2, std::string(dimRange) + "\"-0.1\""},
                      UrlCase{"orvane://set?dim=1.5", 2, std::string(dimRange) + "\"1.5\""},
                      UrlCase{"orvane://truecolor?minutes=0", 2, std::string(minutesRange) + "\"0\""},
                      UrlCase{"orvane://truecolor?minutes=1441", 2, std::string(minutesRange) + "\"1441\""},
                      UrlCase{"orvane://truecolor?minutes=soon", 2, std::string(minutesRange) + "\"soon\""},
                      // Nothing to do, said twice, or no such command.
                      UrlCase{"orvane://set", 2, "set needs kelvin=K or dim=D"},
                      UrlCase{"orvane://Set?Kelvin=2700", 2, "set needs kelvin=K or dim=D"},
                      UrlCase{"orvane://set?kelvin=2700&kelvin=3000", 2, "kelvin is given twice"},
                      UrlCase{"orvane://truecolor?minutes=5&minutes=6", 2, "minutes is given twice"},
                      UrlCase{"orvane://preset", 2, "preset needs a name (orvane://preset/NAME)"},
                      UrlCase{"orvane://brighten", 2, "no such command (see orvane --help)"},
                      UrlCase{"orvane:toggle", 2, "no such command (see orvane --help)"}));

TEST(CommandLineHelp, NamesEveryOptionTheUrlWordsAndWhereSettingsLive) {
    const std::string help = CommandLine::usage();
    for (const char* word : {"--set-kelvin",       "--set-dim",        "--preset",
                             "--toggle",           "--reveal",         "--wind-down",
                             "--true-color",       "--follow-evening", "--render-icon",
                             "--render-ui",        "--selftest",       "--help",
                             "--version",          "orvane://set",     "orvane://preset",
                             "orvane://toggle",    "orvane://reveal",  "orvane://winddown",
                             "orvane://truecolor", "orvane://evening", "~/.config/orvane/app.orvane.Orvane.json",
                             "$XDG_CONFIG_HOME"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    EXPECT_EQ(help.rfind("Usage: orvane ", 0), 0u);
    std::size_t start = 0;
    for (std::size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << "fits a terminal: " << help.substr(start, end - start);
}

TEST(CommandLineHelp, VersionIsTheProductAndItsVersion) {
    EXPECT_EQ(CommandLine::version().rfind("Orvane ", 0), 0u);
    EXPECT_GT(CommandLine::version().size(), std::string("Orvane \n").size());
    EXPECT_EQ(CommandLine::version().back(), '\n');
}

}  // namespace
}  // namespace orvane
