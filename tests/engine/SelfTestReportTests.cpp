// The self-test report: the facts a fresh one holds, its text on standard output and its
// JSON document.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <sstream>

#include "SimFixture.h"
#include "engine/SelfTest.h"

namespace orvane {
namespace {

using Report = SelfTest::Report;
using Measurement = SelfTest::Measurement;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

const std::string header =
    "test                                          requested             measured              err    result";

class SelfTestReportTest : public testing::SimTest {};

TEST_F(SelfTestReportTest, AFreshReportRendersSixLinesNamingTheMachine) {
    clock->setNow(Date(1769893500));  // 2026-01-31T21:05:00Z
    const Report report = Report::fresh(*sim);
    const std::string text = SelfTest::render(report);
    EXPECT_EQ(lines(text), (std::vector<std::string>{
                               "Orvane self-test — FAIL",
                               "macOS 26.1.0 · Apple M5",
                               "layer color mode:   readable red: FAILED  darkroom: FAILED",
                               "panel tinted: false  capture excluded: false  latency: n/a",
                               "",
                               header,
                           }));
    EXPECT_NE(text.back(), '\n');

    // Without a processor brand the chip is named as unknown.
    sim->machine().update([](platform::sim::SimState& s) { s.sysctl.clear(); });
    EXPECT_EQ(Report::fresh(*sim).chip, "Unknown chip");
    EXPECT_NE(SelfTest::json(report).find("\"date\": \"2026-01-31T21:05:00Z\""), std::string::npos);
}

Report sample() {
    Report r;
    r.date = Date(1769893500);
    r.os = "macOS 26.1.0";
    r.chip = "Apple M5";
    r.displays = {"Built-in Display 1512×982@2.0x built-in"};
    r.chosenLayerColorMode = "linear";
    r.chosenReadableRedStrategy = "panels";
    r.readableRedWorks = true;
    r.darkroomWorks = true;
    r.menuBarTinted = true;
    r.latencyMilliseconds = 183.6;
    r.measurements = {
        {"6500K dim 50%", {0.5, 0.5, 0.5}, {0.2164, 0.216, 0.2}, 0.284, false, ""},
        {"panel tinted at 3400K", {0.93, 0.93, 0.93}, {0.9, 0.6, 0.3}, 0, true, "panel strip lost blue/green"}};
    r.failures = {"multipliers outside ±2 %"};
    r.notes = {"layer color mode: linear (max error 0.100)"};
    return r;
}

TEST(SelfTestRenderTest, EveryPartInItsPlace) {
    EXPECT_EQ(
        lines(SelfTest::render(sample())),
        (std::vector<std::string>{
            "Orvane self-test — FAIL",
            "macOS 26.1.0 · Apple M5",
            "display: Built-in Display 1512×982@2.0x built-in",
            "layer color mode: linear  readable red: works (panels)  darkroom: works",
            "panel tinted: true  capture excluded: false  latency: 184 ms",
            "",
            header,
            "6500K dim 50%                                 0.500 0.500 0.500     0.216 0.216 0.200     0.284  FAIL",
            "panel tinted at 3400K                         0.930 0.930 0.930     0.900 0.600 0.300     0.000  PASS",
            "    panel strip lost blue/green",
            "",
            "failures:",
            "  - multipliers outside ±2 %",
            "",
            "notes:",
            "  - layer color mode: linear (max error 0.100)",
        }));

    Report passed = sample();
    passed.passed = true;
    passed.failures.clear();
    passed.notes.clear();
    const auto text = SelfTest::render(passed);
    EXPECT_EQ(lines(text).front(), "Orvane self-test — PASS");
    EXPECT_EQ(text.find("failures:"), std::string::npos);
    EXPECT_EQ(text.find("notes:"), std::string::npos);
    EXPECT_EQ(lines(text).back().rfind("    panel strip", 0), 0u) << "no empty line after the table";
}

TEST(SelfTestRenderTest, ColumnsCountUserPerceivedCharactersAndLongCellsAbut) {
    const struct {
        std::string name;
        std::string expectedStart;
    } cases[] = {
        {std::string(45, 'n'), std::string(45, 'n') + " 1.000"},
        {std::string(46, 'n'), std::string(46, 'n') + "1.000"},
        {std::string(50, 'n'), std::string(50, 'n') + "1.000"},
        // "e" with a combining acute and a flag: one character each, many bytes.
        {"cafe\u0301 \U0001F1E9\U0001F1EA", "cafe\u0301 \U0001F1E9\U0001F1EA" + std::string(46 - 6, ' ') + "1.000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Report r;
        r.measurements = {{c.name, {1, 1, 1}, {1, 1, 1}, 0, true, ""}};
        const auto row = lines(SelfTest::render(r)).back();
        EXPECT_EQ(row.rfind(c.expectedStart, 0), 0u) << row;
    }
    // Requested values wider than their column run into the measured ones.
    Report wide;
    wide.measurements = {{"x", {1, 1, 1, 1, 1, 1}, {0.5}, 0.25, false, ""}};
    EXPECT_EQ(
        lines(SelfTest::render(wide)).back(),
        "x" + std::string(45, ' ') + "1.000 1.000 1.000 1.000 1.000 1.0000.500" + std::string(17, ' ') + "0.250  FAIL");
}

// A locale whose decimal separator is a comma, as many users have.
struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(SelfTestRenderTest, NumbersUseAFullStopWhateverTheLocale) {
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    const auto text = SelfTest::render(sample());
    const auto json = SelfTest::json(sample());
    std::locale::global(previous);
    EXPECT_NE(text.find("latency: 184 ms"), std::string::npos);
    EXPECT_NE(text.find("0.500 0.500 0.500"), std::string::npos);
    EXPECT_NE(json.find("183.6"), std::string::npos);
    EXPECT_EQ(json.find("183,6"), std::string::npos);
}

TEST(SelfTestJsonTest, PrettySortedWithEscapedSlashesAndLatencyOnlyWhenPresent) {
    const std::string text = SelfTest::json(sample());
    const std::vector<std::string> keys{"captureExcluded",
                                        "chip",
                                        "chosenLayerColorMode",
                                        "chosenReadableRedStrategy",
                                        "darkroomWorks",
                                        "date",
                                        "displays",
                                        "failures",
                                        "latencyMilliseconds",
                                        "measurements",
                                        "menuBarTinted",
                                        "notes",
                                        "os",
                                        "passed",
                                        "readableRedWorks"};
    std::size_t at = 0;
    for (const auto& key : keys) {
        const auto found = text.find("\n  \"" + key + "\": ", at);
        ASSERT_NE(found, std::string::npos) << key << " missing or out of order";
        at = found;
    }
    EXPECT_NE(text.find("\"latencyMilliseconds\": 183.6,"), std::string::npos);
    EXPECT_NE(text.find("\"error\": 0.284,\n      \"measured\": ["), std::string::npos);
    EXPECT_NE(text.find("panel strip lost blue\\/green"), std::string::npos);
    EXPECT_EQ(text.find("blue/green"), std::string::npos);
    EXPECT_NE(text.find("\"date\": \"2026-01-31T21:05:00Z\""), std::string::npos);

    // Measurement keys, in written order.
    const auto measurement = text.find("\"measurements\": [");
    std::size_t m = measurement;
    for (const char* key : {"error", "measured", "name", "note", "passed", "requested"}) {
        const auto found = text.find(std::string("\"") + key + "\": ", m);
        ASSERT_NE(found, std::string::npos) << key;
        m = found;
    }

    Report absent = sample();
    absent.latencyMilliseconds.reset();
    const auto without = SelfTest::json(absent);
    EXPECT_EQ(without.find("latencyMilliseconds"), std::string::npos) << "absent, not null";
    // Empty strings and lists are written all the same.
    const auto empty = SelfTest::json(Report{});
    for (const char* key : {"\"chosenLayerColorMode\": \"\"", "\"displays\": []", "\"failures\": []",
                            "\"measurements\": []", "\"notes\": []"})
        EXPECT_NE(empty.find(key), std::string::npos) << key;
}

TEST(SelfTestJsonTest, ReadsBackWhatItWroteAndRequiresEveryKeyButTheLatency) {
    for (const auto& report : {sample(), Report{}}) {
        const auto json = SelfTest::json(report);
        EXPECT_EQ(Report::fromJson(json::parse(json)), report);
    }
    const Json written = json::parse(SelfTest::json(sample()));
    for (const auto& [key, value] : written.items()) {
        SCOPED_TRACE(key);
        Json without = written;
        without.erase(key);
        if (key == "latencyMilliseconds") EXPECT_FALSE(Report::fromJson(without).latencyMilliseconds);
        else EXPECT_THROW(Report::fromJson(without), JsonError);
    }
}

TEST(SelfTestJsonTest, ANonFiniteNumberFailsTheDocumentButNotTheText) {
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        Report r = sample();
        r.measurements[0].error = bad;
        EXPECT_THROW(SelfTest::json(r), JsonError);
        EXPECT_NE(SelfTest::render(r).find("6500K dim 50%"), std::string::npos);
    }
    Report latency = sample();
    latency.latencyMilliseconds = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(SelfTest::json(latency), JsonError);
}

}  // namespace
}  // namespace orvane
