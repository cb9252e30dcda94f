// The self-test command: its options, the report on standard output and in the JSON file,
// and the exit status, on the simulated machine with the fake scheduler as event loop.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "SimFixture.h"
#include "app/SelfTestMain.h"

namespace orvane {
namespace {

TEST(SelfTestMainOptionsTest, DryRunAnywhereAndTheFirstJsonWithAPath) {
    using Options = SelfTestMain::Options;
    const struct {
        std::vector<std::string> arguments;
        Options expected;
    } cases[] = {
        {{"Orvane", "--selftest"}, {false, std::nullopt}},
        {{"Orvane", "--dry-run", "--selftest"}, {true, std::nullopt}},
        {{"Orvane", "--selftest", "--json", "a.json", "--json", "b.json"}, {false, "a.json"}},
        {{"Orvane", "--selftest", "--dry-run", "--json"}, {true, std::nullopt}},
        {{"Orvane", "--json", "--dry-run"}, {true, "--dry-run"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SelfTestMain::options(c.arguments), c.expected);
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SelfTestMainTest : public testing::SimTest {
protected:
    struct Outcome {
        int status = -1;
        std::string output;
    };

    // The command with the fake scheduler as its event loop, standard output collected.
    Outcome run(std::vector<std::string> arguments, SelfTest::Options options = {}) {
        arguments.insert(arguments.begin(), "Orvane");
        if (options.captureDirectory.empty()) options.captureDirectory = directory / "captures";
        std::optional<int> exited;
        const SelfTestMain::Loop loop{[&] {
                                          for (int i = 0; i < 20000 && !exited; ++i) scheduler->advance(0.01);
                                          return exited.value_or(-1);
                                      },
                                      [&](int status) { exited = status; }};
        ::testing::internal::CaptureStdout();
        const int status = SelfTestMain::run(arguments, sim, loop, std::move(options));
        return {status, ::testing::internal::GetCapturedStdout()};
    }

    bool anyWindowShown() const {
        for (const auto& w : sim->state().windows)
            if (w.visible) return true;
        return false;
    }
};

TEST_F(SelfTestMainTest, ADryRunPrintsTheReportWritesTheFileAndPasses) {
    const auto file = directory / "r.json";
    const auto outcome = run({"--selftest", "--dry-run", "--json", file.string()});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output.rfind("Orvane self-test — PASS\nmacOS 26.1.0 · Apple M5\n", 0), 0u) << outcome.output;
    EXPECT_EQ(outcome.output.back(), '\n');
    const auto report = SelfTest::Report::fromJson(json::parse(readFile(file)));
    EXPECT_TRUE(report.passed);
    EXPECT_EQ(SelfTest::render(report) + "\n", outcome.output);
    EXPECT_FALSE(anyWindowShown()) << "every back-end is detached at the end";
}

// A run that tints (not dry) leaves the machine as it found it. On a machine without a
// colour matrix the engine's own method for the displays is Night Shift: at the end of
// the run the engine takes it back (turning the user's Night Shift off for the untinted
// state) and must hand it back on detaching; its repair timer ends with the run.
TEST_F(SelfTestMainTest, ARunLeavesTheDisplaysTheNightLightAndTheTimersAsItFoundThem) {
    sim->machine().update([](platform::sim::SimState& s) {
        s.missingPorts.insert("colorAdjustments");
        s.nightShift.enabled = true;
        s.nightShift.active = true;
        s.nightShift.cct = 3500;
    });
    const auto before = sim->state();
    const std::size_t timers = scheduler->timerCount();
    int captures = 0, tinted = 0;
    SelfTest::Options options;
    // The simulated screen as the screenshot tool would write it: row 0 at the bottom.
    options.capturer = [&](const std::optional<platform::Rect>& rect, const std::string& name) {
        ++captures;
        if (anyWindowShown()) ++tinted;
        const auto image = sim->screenshots().capture(rect);
        if (!image) throw SelfTest::Failure::captureFailed("no image for " + name);
        SelfTest::Pixels pixels;
        pixels.width = image->width;
        pixels.height = image->height;
        pixels.rgba.reserve(image->rgba.size());
        for (int y = image->height - 1; y >= 0; --y)
            for (int x = 0; x < image->width; ++x)
                for (int c = 0; c < 4; ++c) pixels.rgba.push_back(image->pixel(x, y)[c] / 255.0f);
        return pixels;
    };
    const auto outcome = run({"--selftest"}, std::move(options));
    EXPECT_EQ(outcome.status, 1) << outcome.output;
    EXPECT_NE(outcome.output.find("\nfailures:\n  - multipliers outside ±2 %\n"), std::string::npos) << outcome.output;
    EXPECT_GE(captures, 17);
    EXPECT_GT(tinted, 0) << "the run tinted while it measured";
    const auto after = sim->state();
    EXPECT_EQ(after.toJson()["displays"], before.toJson()["displays"]);
    EXPECT_EQ(after.toJson()["nightShift"], before.toJson()["nightShift"]) << "the user's Night Shift is back";
    EXPECT_FALSE(anyWindowShown());
    EXPECT_EQ(scheduler->timerCount(), timers) << "the repair timer ended with the run";
}

TEST_F(SelfTestMainTest, AReportThatCannotBeWrittenIsSaidAndTheStatusStillFollowsTheVerdict) {
    // Unwritable place, passing dry run: the status stays 0.
    const auto nowhere = directory / "missing" / "r.json";
    const auto dry = run({"--selftest", "--dry-run", "--json", nowhere.string()});
    EXPECT_EQ(dry.status, 0);
    EXPECT_NE(dry.output.find("\ncould not write " + nowhere.string() + ": No such file or directory\n"),
              std::string::npos)
        << dry.output;
}

TEST(SelfTestConcludeTest, AReportThatCannotBeEncodedIsSaidAndTheStatusFollowsTheVerdict) {
    const auto dir = testing::freshDirectory("conclude");
    for (const bool passed : {true, false}) {
        SCOPED_TRACE(passed);
        SelfTest::Report report;
        report.passed = passed;
        report.measurements = {{"6500K dim 50%", {0.5, 0.5, 0.5}, {0.2, 0.2, 0.2}, std::nan(""), false, ""}};
        const auto file = dir / "nan.json";
        ::testing::internal::CaptureStdout();
        const int status = SelfTestMain::conclude(report, {false, file.string()});
        const auto output = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(status, passed ? 0 : 1);
        EXPECT_EQ(output.rfind(SelfTest::render(report) + "\ncould not write " + file.string() + ": ", 0), 0u)
            << output;
        EXPECT_FALSE(std::filesystem::exists(file)) << "nothing is written";
    }
}

TEST_F(SelfTestMainTest, ATrailingJsonWritesNothingAndSaysNothing) {
    const auto outcome = run({"--selftest", "--dry-run", "--json"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output.find("could not write"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("--json"));
}

TEST_F(SelfTestMainTest, RefusedCaptureAccessFailsWithThatAloneAfterOneRequest) {
    sim->machine().update([](platform::sim::SimState& s) { s.screenCaptureAllowed = false; });
    const auto outcome = run({"--selftest"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.output.find("\nfailures:\n  - Screen capture permission is required for the process running the "
                                  "self-test.\n"),
              std::string::npos)
        << outcome.output;
    EXPECT_EQ(sim->journal().calls("screenshots.requestAccess").size(), 1u);
}

}  // namespace
}  // namespace orvane
