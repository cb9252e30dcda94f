// The command line's manners: help and version answered, every fault refused with status 2
// and a line that says what was wrong, every usable line let through to the modes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"

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
        Case{{"--true-color", "30"}, -1, ""}, Case{{"--true-color", "--toggle"}, -1, ""},
        Case{{"--true-color", "orvane://toggle"}, -1, ""}, Case{{"orvane://set?kelvin=2700"}, -1, ""},
        Case{{"ORVANE://toggle"}, -1, ""}, Case{{"--render-icon", "/tmp/icons"}, -1, ""},
        Case{{"--render-ui", "--looks-like-an-option"}, -1, ""}, Case{{"--render-icon"}, -1, ""},
        // The self-test has options of its own.
        Case{{"--selftest", "--dry-run", "--json", "/tmp/r.json"}, -1, ""},
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
             "--set-dim needs a brightness from 0 to 1, or a percentage up to 100, not \"nan\""},
        Case{{"--set-dim", "-0.5"}, 2, "up to 100"}, Case{{"--set-dim", "101"}, 2, "up to 100"},
        Case{{"--set-dim", "inf"}, 2, "up to 100"}, Case{{"--set-dim"}, 2, "up to 100"},
        Case{{"--true-color", "0"}, 2, "--true-color needs minutes from 1 to 1440 (15 when left out), not \"0\""},
        Case{{"--true-color", "1441"}, 2, "from 1 to 1440"}, Case{{"--true-color", "soon"}, 2, "from 1 to 1440"},
        Case{{"--preset"}, 2, "--preset needs the name of a preset"},
        // A fault after a good command still stops the line.
        Case{{"--set-kelvin", "2700", "--set-dim", "nan"}, 2, "--set-dim"}));

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
