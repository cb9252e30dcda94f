// The self-test's captures and measurements: the screenshot tool's arguments and files,
// the sampled boxes and strips, and how one measurement is judged.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "SelfTestFixture.h"
#include "core/Kelvin.h"

namespace orvane::testing {
namespace {

using Span = SelfTest::Span;

std::vector<std::string> readLines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool isEmptyDirectory(const std::filesystem::path& dir) {
    return std::filesystem::is_directory(dir) &&
           std::filesystem::directory_iterator(dir) == std::filesystem::directory_iterator();
}

// A stand-in screenshot tool: records its arguments, leaves `contents` in the file it was
// given and exits with `status`.
std::filesystem::path scriptTool(const std::filesystem::path& dir, int status, const std::string& contents) {
    const auto tool = dir / "tool.sh";
    std::ofstream(tool) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << (dir / "arguments").string()
                        << "'\nfor last; do :; done\nprintf '" << contents << "' > \"$last\"\nexit " << status << "\n";
    ::chmod(tool.c_str(), 0755);
    return tool;
}

TEST(SelfTestToolTest, ArgumentsCarryTheRectangleInWholePoints) {
    const std::filesystem::path file = "/tmp/x/patches-1.png";
    using Args = std::vector<std::string>;
    EXPECT_EQ(SelfTest::toolArguments(platform::Rect{10.7, 20.2, 480.9, 80}, file),
              (Args{"-x", "-t", "png", "-R", "10,20,480,80", file.string()}));
    EXPECT_EQ(SelfTest::toolArguments(platform::Rect{-0.5, 0, 100, 30}, file),
              (Args{"-x", "-t", "png", "-R", "0,0,100,30", file.string()}));
    EXPECT_EQ(SelfTest::toolArguments(std::nullopt, file), (Args{"-x", "-t", "png", file.string()}));
}

class SelfTestCaptureTest : public SelfTestTest {
protected:
    // The screenshot tool is another process on this machine.
    void SetUp() override {
        sharing = platform::sim::SimSharing::processes;
        SelfTestTest::SetUp();
    }
};

TEST_F(SelfTestCaptureTest, AFailingToolNamesItsStatusAndTheFileAndLeavesNoFile) {
    clock->setNow(Date(1767225600.1239));
    const struct {
        const char* name;
        int status;
        const char* contents;
        std::string expected;
    } cases[] = {
        {"exit status 1", 1, "partial", "screencapture failed: status 1 for patches-1767225600123.png"},
        {"clean exit, no image", 0, "not a png", "screencapture failed: status 0 for patches-1767225600123.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto tools = freshDirectory("tool");
        auto& selfTest = makeTest({scriptTool(tools, c.status, c.contents), directory / "captures", {}});
        try {
            (void)selfTest.capture(platform::Rect{10.7, 20.2, 480.9, 80}, "patches");
            ADD_FAILURE() << "no failure";
        } catch (const SelfTest::Failure& f) {
            EXPECT_EQ(f.kind(), SelfTest::Failure::Kind::captureFailed);
            EXPECT_EQ(f.description(), c.expected);
        }
        const auto file = directory / "captures" / "patches-1767225600123.png";
        EXPECT_EQ(readLines(tools / "arguments"),
                  (std::vector<std::string>{"-x", "-t", "png", "-R", "10,20,480,80", file.string()}));
        EXPECT_TRUE(isEmptyDirectory(directory / "captures")) << "the tool's file outlived the capture";
    }
    // A tool that cannot be started passes its error on.
    auto& missing = makeTest({directory / "no-such-tool", directory / "captures", {}});
    EXPECT_THROW((void)missing.capture(std::nullopt, "menubar"), std::system_error);
}

// The real tool on this test's machine: the composed screen, the menu-bar strip at the top.
TEST_F(SelfTestCaptureTest, TheScreenshotToolCapturesTheSimulatedScreenBottomRowFirst) {
    const char* previous = std::getenv("ORVANE_SIM_DIR");
    const std::string restore = previous ? previous : "";
    ::setenv("ORVANE_SIM_DIR", directory.c_str(), 1);
    auto& selfTest = makeTest({ORVANE_SCREENCAPTURE_PATH, directory / "captures", {}});
    const auto image = selfTest.capture(platform::Rect{0, 0, 100, 60}, "menubar");
    ::setenv("ORVANE_SIM_DIR", restore.c_str(), 1);

    // The built-in display has two pixels per point.
    ASSERT_EQ(image.width, 200);
    ASSERT_EQ(image.height, 120);
    const auto at = [&](int x, int y, int c) {
        return image
            .rgba[(static_cast<std::size_t>(y) * 200 + static_cast<std::size_t>(x)) * 4 + static_cast<std::size_t>(c)];
    };
    EXPECT_NEAR(at(10, 0, 0), platform::sim::desktopColor.r, 0.003) << "row 0 is the bottom: the desktop";
    EXPECT_NEAR(at(10, 119, 1), platform::sim::menuBarColor.g, 0.003) << "the top row is the menu-bar strip";
    EXPECT_FLOAT_EQ(at(10, 119, 3), 1.0f);
    EXPECT_TRUE(isEmptyDirectory(directory / "captures"));

    // Refused capture access makes the tool fail.
    sim->machine().update([](platform::sim::SimState& s) { s.screenCaptureAllowed = false; });
    ::setenv("ORVANE_SIM_DIR", directory.c_str(), 1);
    EXPECT_THROW((void)selfTest.capture(std::nullopt, "patches"), SelfTest::Failure);
    ::setenv("ORVANE_SIM_DIR", restore.c_str(), 1);
}

TEST(SelfTestAverageTest, SamplesWholeMultiplesOfTheStepInsideTheImage) {
    // Red marks one pixel; the mean tells how many were counted.
    const auto marked = [](int mx, int my) {
        return pixels(200, 100, [=](int x, int y) { return Rgb3{x == mx && y == my ? 1.0 : 0.0, 0.5, 0.25}; });
    };
    const struct {
        const char* name;
        Span xs, ys;
        int step;
        int mark[2];
        double red;  // 1 / number of pixels sampled, or 0 when the mark was skipped
    } cases[] = {
        {"box at (101, 40)", Span::through(97, 105), Span::through(36, 44), 2, {98, 36}, 1.0 / 20},
        {"box at (100, 40)", Span::through(96, 104), Span::through(36, 44), 2, {96, 44}, 1.0 / 25},
        {"odd coordinates are skipped", Span::through(97, 105), Span::through(36, 44), 2, {97, 36}, 0},
        {"upper end excluded", Span::upTo(0, 18), Span::upTo(0, 10), 9, {18, 0}, 0},
        {"upper end included", Span::through(0, 18), Span::through(0, 9), 9, {18, 0}, 1.0 / 6},
        {"clipped at the image", Span::through(190, 260), Span::through(-8, 3), 2, {198, 0}, 1.0 / 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Multiplier m = SelfTest::average(marked(c.mark[0], c.mark[1]), c.xs, c.ys, c.step);
        EXPECT_NEAR(m.r, c.red, 1e-6);
        EXPECT_NEAR(m.g, 0.5, 1e-6);
        EXPECT_NEAR(m.b, 0.25, 1e-6);
    }
    const Pixels dark = uniform(20, 20, {0, 0, 0});
    EXPECT_EQ(SelfTest::average(dark, Span::through(40, 60), Span::through(0, 10), 2), Multiplier::identity)
        << "a range wholly outside the image";
}

TEST(SelfTestAverageTest, TheMenuBarStripSamplesEveryNinthRowClearOfTheEdges) {
    // Blue is lost only on the rows named; the strip's blue says whether exactly those were read.
    const auto rowsWithoutBlue = [](int height, std::vector<int> rows) {
        return pixels(100, height, [=](int, int y) {
            const bool marked = std::find(rows.begin(), rows.end(), y) != rows.end();
            return Rgb3{0.9, 0.9, marked ? 0.0 : 0.9};
        });
    };
    const Multiplier baseline(0.93, 0.93, 0.93);

    const auto sixty = SelfTest::menuBarStrip(rowsWithoutBlue(60, {9, 18, 27, 36, 45, 54}));
    EXPECT_NEAR(sixty.b, 0.0, 1e-6) << "rows 9 to 54";
    EXPECT_TRUE(SelfTest::menuBarTinted(sixty, baseline));
    EXPECT_NEAR(SelfTest::menuBarStrip(rowsWithoutBlue(60, {0, 1, 58, 59})).b, 0.9, 1e-6);

    const auto eleven = SelfTest::menuBarStrip(rowsWithoutBlue(11, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(eleven, Multiplier::identity) << "no row sampled";
    EXPECT_FALSE(SelfTest::menuBarTinted(eleven, baseline));

    const struct {
        Multiplier strip;
        bool tinted;
    } falls[] = {
        {{0.93, 0.93, 0.93 - 0.08}, false},  // blue down by exactly 0.08
        {{0.93, 0.93, 0.849}, true},         // blue alone, by more
        {{0.93, 0.849, 0.93}, true},         // green alone
        {{0.5, 0.93, 0.93}, false},          // red does not count
    };
    for (const auto& f : falls) EXPECT_EQ(SelfTest::menuBarTinted(f.strip, Multiplier(0.93, 0.93, 0.93)), f.tinted);
}

TEST(SelfTestAverageTest, ChannelDistancesPairAsManyAsTheShorterListHolds) {
    const std::vector<Multiplier> six(6, Multiplier(0.5, 0.5, 0.5));
    std::vector<Multiplier> four(4, Multiplier(0.5, 0.5, 0.5));
    four[2] = Multiplier(0.4, 0.8, 0.5);
    EXPECT_EQ(SelfTest::channelDistances(six, four).size(), 4u);
    EXPECT_NEAR(SelfTest::channelDistances(six, four)[2], 0.3, 1e-12);
    EXPECT_TRUE(SelfTest::channelDistances({}, six).empty());
}

// One measurement against scripted captures: white and gray read back as the gains the
// engine asks for, off by the given deviations.
class SelfTestMeasureTest : public SelfTestTest {
protected:
    double whiteDeviation = 0;
    double grayDeviation = 0;
    int captures = 0;

    SelfTest& scripted() {
        SelfTest::Options options;
        options.capturer = [this](const std::optional<platform::Rect>&, const std::string& name) {
            ++captures;
            if (name == "menubar") return uniform(100, 60, {0.93, 0.93, 0.93});
            const Multiplier gains = engine->request(builtIn()).multiplier;
            const auto shown = [&](double encoded, double deviation) {
                const double linear = SRGB::decode(encoded);
                return Rgb3{SRGB::encode(linear * gains.r + deviation * linear), SRGB::encode(linear * gains.g),
                            SRGB::encode(linear * gains.b)};
            };
            auto colours = tablePatches();
            colours[0] = shown(1.0, whiteDeviation);
            colours[1] = shown(0.5, grayDeviation);
            return patchRow(colours);
        };
        auto& t = makeTest(std::move(options));
        t.setPatchRect(platform::Rect{0, 0, 480, 80});
        t.baselinePatches = {Multiplier(1, 1, 1), Multiplier(0.5, 0.5, 0.5)};
        return t;
    }
};

TEST_F(SelfTestMeasureTest, ExactGainsAreJudgedByTheWhiteAndGrayErrorsTheWhiteOneStored) {
    const struct {
        const char* name;
        double white, gray;
        bool exact;
        bool passed;
    } cases[] = {
        {"not exact: left to its check", 0, 0, false, false},     {"exact, white off by 0.021", -0.021, 0, true, false},
        {"exact, white off by 0.019", -0.019, 0, true, true},     {"exact, gray off by 0.039", 0, -0.039, true, true},
        {"exact, gray alone off by 0.05", 0, -0.05, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        whiteDeviation = c.white;
        grayDeviation = c.gray;
        auto& t = scripted();
        const auto measured = complete(
            t.measure("3400K dim 100%", TintState(3400, 1.0, RedStyle::pure, false), false, builtIn(), c.exact));
        ASSERT_EQ(t.report().measurements.size(), 1u);
        const auto& m = t.report().measurements[0];
        EXPECT_EQ(m.passed, c.passed);
        EXPECT_NEAR(m.error, std::fabs(c.white), 1e-5) << "the stored error is the white patch's";
        EXPECT_NEAR(measured.error, m.error, 1e-12);
        EXPECT_EQ(measured.patches.size(), 6u);
        const Multiplier want = engine->request(builtIn()).multiplier;
        EXPECT_EQ(m.requested, (std::vector<double>{want.r, want.g, want.b}));
        EXPECT_EQ(m.note.rfind("white (", 0), 0u) << m.note;
        EXPECT_NE(m.note.find(") gray ("), std::string::npos);
        EXPECT_NE(m.note.find(" (encoded white ("), std::string::npos);
    }
}

TEST_F(SelfTestMeasureTest, TheMenuBarIsCheckedOnlyWithADisplayAndAnUntintedOneFails) {
    auto& t = scripted();
    complete(t.measure("x", TintState(3400, 1.0, RedStyle::pure, false), true, std::nullopt, true));
    EXPECT_EQ(captures, 1) << "no display, no menu-bar capture";

    // The scripted strip stays as it was without the tint.
    auto& again = scripted();
    captures = 0;
    again.baselineMenuBar = Multiplier(0.93, 0.93, 0.93);
    complete(again.measure("x", TintState(3400, 1.0, RedStyle::pure, false), true, builtIn(), true));
    EXPECT_EQ(captures, 2);
    ASSERT_EQ(again.report().measurements.size(), 2u);
    const auto& menu = again.report().measurements[1];
    EXPECT_EQ(menu.name, "panel tinted at 3400K");
    EXPECT_FALSE(menu.passed);
    EXPECT_EQ(menu.note, "panel strip unchanged");
    EXPECT_EQ(again.report().failures, (std::vector<std::string>{"panel not tinted"}));
    EXPECT_FALSE(again.report().menuBarTinted);
}

}  // namespace
}  // namespace orvane::testing
