// The self-test run against scripted captures: how it chooses the overlay calibration,
// judges readable red, darkroom, latency and capture exclusion, and reaches its verdict;
// and the dry run on the simulated machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "SelfTestFixture.h"
#include "SelfTestRows.h"
#include "core/Kelvin.h"
#include "engine/OverlayBackend.h"

namespace orvane::testing {
namespace {

using Report = SelfTest::Report;

// A screen that shows what the script says: the patches as the engine's gains would
// change them, with the deviations and failures asked for.
struct Script {
    std::map<LayerColorMode, double> calibrationError;  // off the white patch's red, while calibrating
    std::map<ReadableRedStrategy, double> blueShowsRed{{ReadableRedStrategy::layers, 0.3},
                                                       {ReadableRedStrategy::panels, 0.3}};
    std::map<std::string, double> rowError;  // by "<kelvin>/<dim>", off the white patch's red
    int latencyShowsAt = 1;                  // the capture of the latency run that first shows the tint; 0: never
    bool menuBarTints = true;
    bool overlayExcluded = true;
    int failAtCapture = 0;  // 1-based; 0: none fails
};

class SelfTestRunTest : public SelfTestTest {
protected:
    Script script;
    bool darkroomShows = true;  // black turns red and white dark under darkroom
    int captures = 0;
    int latencyCaptures = 0;

    // A fresh machine, engine and script for the next case of a table.
    void restart() {
        TearDown();
        SetUp();
        script = {};
        darkroomShows = true;
        captures = latencyCaptures = 0;
    }

    Report runScripted(bool dryRun = false) {
        SelfTest::Options options;
        options.capturer = [this](const std::optional<platform::Rect>&, const std::string& name) {
            return shown(name);
        };
        auto& t = makeTest(std::move(options));
        return complete(t.run(dryRun));
    }

    bool any(const Report& r, const std::string& failure) const {
        return std::find(r.failures.begin(), r.failures.end(), failure) != r.failures.end();
    }

private:
    Pixels shown(const std::string& name) {
        ++captures;
        if (script.failAtCapture == captures) throw SelfTest::Failure::captureFailed("status 1 for " + name + "-1.png");
        const TintState state = engine->currentState();
        const bool tinted =
            !state.isNoTint() && !(engine->sharingType() == platform::SharingType::none && script.overlayExcluded);
        if (name == "menubar")
            return uniform(1512, 60, tinted && script.menuBarTints ? Rgb3{0.9, 0.6, 0.3} : Rgb3{0.93, 0.93, 0.93});

        auto colours = tablePatches();
        const std::size_t measured = test->report().measurements.size();
        // The latency run follows the 3 calibration rows, the 6 table rows and the panel.
        const bool latencyRun = measured == 10 && state.kelvin == 1200 && !state.darkroom;
        if (latencyRun && (script.latencyShowsAt == 0 || ++latencyCaptures < script.latencyShowsAt))
            return patchRow(colours);
        if (!tinted) return patchRow(colours);

        const Multiplier gains = engine->request(builtIn()).multiplier;
        double whiteError = 0;
        if (measured < 3) whiteError = script.calibrationError[engine->calibration().layerColorMode];
        else if (auto it =
                     script.rowError.find(std::to_string(state.kelvin) + "/" + std::to_string(state.dim).substr(0, 3));
                 it != script.rowError.end())
            whiteError = it->second;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const auto through = [&](double encoded, double gain) {
                return SRGB::encode(SRGB::decode(encoded) * gain);
            };
            auto& c = colours[i];
            c = {through(c.r, std::clamp(gains.r + (i == 0 ? whiteError : 0), 0.0, 1.0)), through(c.g, gains.g),
                 through(c.b, gains.b)};
        }
        if (state.readableRedActive())
            colours[4] = {script.blueShowsRed[engine->calibration().readableRedStrategy], 0, 0};
        if (state.darkroom && darkroomShows) {
            colours[5] = {0.8, 0.0, 0.0};
            colours[0] = {0.1, 0.05, 0.0};
        }
        return patchRow(colours);
    }
};

TEST_F(SelfTestRunTest, AScreenThatShowsExactGainsPassesEveryCheck) {
    const Report r = runScripted();
    EXPECT_TRUE(r.failures.empty()) << ::testing::PrintToString(r.failures);
    EXPECT_TRUE(r.passed);
    EXPECT_EQ(r.chosenLayerColorMode, "linear");
    EXPECT_EQ(r.chosenReadableRedStrategy, "layers");
    EXPECT_TRUE(r.readableRedWorks);
    EXPECT_TRUE(r.darkroomWorks);
    EXPECT_TRUE(r.menuBarTinted);
    EXPECT_TRUE(r.captureExcluded);
    ASSERT_TRUE(r.latencyMilliseconds);
    EXPECT_GE(*r.latencyMilliseconds, 50.0 - 1e-6) << "the apply itself waits 0.05 s";

    EXPECT_EQ(testing::measurementNames(r), testing::fullRunMeasurements);
    EXPECT_EQ(r.notes.front(), "baseline white patch encoded RGB = (1.000, 1.000, 1.000)");
    EXPECT_EQ(r.notes.back(), "layer color mode: linear (max error 0.000)");
    EXPECT_EQ(r.displays, (std::vector<std::string>{"Built-in Display 1512×982@2.0x built-in",
                                                    "External Monitor 2560×1440@1.0x external"}));

    // The engine keeps the choices, its owner's settings and no patch window.
    EXPECT_EQ(engine->calibration().layerColorMode, LayerColorMode::linear);
    EXPECT_TRUE(engine->displaySettings().empty());
    for (const auto& w : windows()) EXPECT_NE(w.level, 3) << "the patch window is gone";
    EXPECT_EQ(engine->sharingType(), platform::SharingType::readOnly);
    EXPECT_EQ(engine->currentState(), TintState::off);
}

TEST_F(SelfTestRunTest, TheLayerColorModeWithTheSmallestErrorWinsTiesKeepTheEarlier) {
    const struct {
        const char* name;
        std::map<LayerColorMode, double> errors;
        const char* chosen;
        LayerColorMode inEngine;
    } cases[] = {
        {"all tie", {}, "linear", LayerColorMode::linear},
        {"encodedSRGB ties rawSRGB below linear",
         {{LayerColorMode::linear, -0.1}, {LayerColorMode::encodedSRGB, -0.05}, {LayerColorMode::rawSRGB, -0.05}},
         "encodedSRGB",
         LayerColorMode::encodedSRGB},
        {"rawSRGB alone best",
         {{LayerColorMode::linear, -0.1}, {LayerColorMode::encodedSRGB, -0.05}, {LayerColorMode::rawSRGB, -0.01}},
         "rawSRGB",
         LayerColorMode::rawSRGB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        script.calibrationError = c.errors;
        const Report r = runScripted();
        EXPECT_EQ(r.chosenLayerColorMode, c.chosen);
        EXPECT_EQ(engine->calibration().layerColorMode, c.inEngine);
        // A failing calibration row alone fails nothing.
        EXPECT_FALSE(any(r, "multipliers outside ±2 %"));
        EXPECT_TRUE(r.passed);
    }
}

TEST_F(SelfTestRunTest, ReadableRedTakesTheFirstStrategyThatKeepsBlueVisible) {
    const struct {
        const char* name;
        double layers, panels;
        const char* chosen;
        bool works;
        ReadableRedStrategy inEngine;
    } cases[] = {
        {"only panels", 0.0, 0.3, "panels", true, ReadableRedStrategy::panels},
        {"both", 0.3, 0.3, "layers", true, ReadableRedStrategy::layers},
        {"neither", 0.05, 0.08, "layers", false, ReadableRedStrategy::layers},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        script.blueShowsRed = {{ReadableRedStrategy::layers, c.layers}, {ReadableRedStrategy::panels, c.panels}};
        const Report r = runScripted();
        EXPECT_EQ(r.chosenReadableRedStrategy, c.chosen);
        EXPECT_EQ(r.readableRedWorks, c.works);
        EXPECT_EQ(engine->calibration().readableRedStrategy, c.inEngine);
        EXPECT_EQ(r.passed, true) << "readable red is reported, never a failure";
    }
}

TEST_F(SelfTestRunTest, LatencyIsTheTimeToTheFirstCaptureThatShowsTheTint) {
    script.latencyShowsAt = 12;
    const Report late = runScripted();
    EXPECT_TRUE(late.latencyMilliseconds);
    EXPECT_TRUE(late.passed);
    EXPECT_EQ(latencyCaptures, 12);

    restart();
    script.latencyShowsAt = 0;
    const Report never = runScripted();
    EXPECT_FALSE(never.latencyMilliseconds);
    EXPECT_TRUE(any(never, "latency: tint never showed up in 12 captures"));
    EXPECT_FALSE(never.passed);
}

// A capture that equals the baseline proves nothing when no tint was ever seen in one.
TEST_F(SelfTestRunTest, CaptureExclusionIsNotRunWhenNoOverlayShowedInACapture) {
    script.latencyShowsAt = 0;
    const Report r = runScripted();
    EXPECT_FALSE(r.captureExcluded);
    EXPECT_TRUE(any(r, "capture exclusion not checked: no overlay was shown"));
    ASSERT_FALSE(r.measurements.empty());
    const auto& row = r.measurements.back();
    EXPECT_EQ(row.name, "hidden from screenshots: capture == baseline");
    EXPECT_FALSE(row.passed);
    EXPECT_EQ(row.note, "not run: no overlay was shown");
    EXPECT_TRUE(row.measured.empty());
    EXPECT_EQ(SelfTest::render(r).find("PASS overlay"), std::string::npos);
}

// Rows measured without exact gains are judged by the check they were measured for, never
// passed for having been taken.
TEST_F(SelfTestRunTest, RowsWithoutExactGainsTakeTheVerdictOfTheirCheck) {
    const auto row = [](const Report& r, const std::string& name) {
        for (const auto& m : r.measurements)
            if (m.name == name) return m;
        ADD_FAILURE() << "no row " << name;
        return SelfTest::Measurement{};
    };
    const struct {
        const char* name;
        double layers, panels;
        bool darkroomShows;
        bool layersRow, panelsRow, darkroomRow;
    } cases[] = {
        {"all work", 0.3, 0.3, true, true, true, true},
        {"only panels keeps blue", 0.0, 0.3, true, false, true, true},
        {"nothing works", 0.0, 0.0, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        script.blueShowsRed = {{ReadableRedStrategy::layers, c.layers}, {ReadableRedStrategy::panels, c.panels}};
        darkroomShows = c.darkroomShows;
        const Report r = runScripted();
        EXPECT_EQ(row(r, "readable red 500K (layers)").passed, c.layersRow);
        EXPECT_EQ(row(r, "readable red 500K (panels)").passed, c.panelsRow);
        EXPECT_EQ(row(r, "darkroom 500K").passed, c.darkroomRow);
        EXPECT_EQ(r.darkroomWorks, c.darkroomRow);
        EXPECT_NE(row(r, "darkroom 500K").note.find("judged by the black and white patches"), std::string::npos);
        EXPECT_NE(row(r, "readable red 500K (layers)").note.find("judged by the blue patch"), std::string::npos);
    }
}

TEST_F(SelfTestRunTest, TheVerdictFollowsTheTableRowsTheMenuBarAndCaptureExclusion) {
    const struct {
        const char* name;
        std::function<void(Script&)> change;
        std::vector<std::string> failures;
        bool menuBarTinted, captureExcluded;
    } cases[] = {
        {"6500K dim 50% off",
         [](Script& s) { s.rowError["6500/0.5"] = -0.05; },
         {"multipliers outside ±2 %"},
         true,
         true},
        {"panel untinted", [](Script& s) { s.menuBarTints = false; }, {"panel not tinted"}, false, true},
        {"overlay captured",
         [](Script& s) { s.overlayExcluded = false; },
         {"overlay showed in a capture though hidden from screenshots"},
         true,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        c.change(script);
        const Report r = runScripted();
        EXPECT_EQ(r.failures, c.failures);
        EXPECT_EQ(r.menuBarTinted, c.menuBarTinted);
        EXPECT_EQ(r.captureExcluded, c.captureExcluded);
        EXPECT_FALSE(r.passed);
    }
}

TEST_F(SelfTestRunTest, ACaptureFailureEndsTheChecksButNotTheReport) {
    // 1: the baseline patches; 5: the last calibration row.
    for (const int failing : {1, 5}) {
        SCOPED_TRACE(failing);
        restart();
        script.failAtCapture = failing;
        const Report r = runScripted();
        ASSERT_FALSE(r.failures.empty());
        EXPECT_EQ(r.failures.front(), "screencapture failed: status 1 for patches-1.png");
        EXPECT_FALSE(r.passed);
        EXPECT_FALSE(r.latencyMilliseconds);
        EXPECT_FALSE(r.menuBarTinted || r.captureExcluded || r.readableRedWorks || r.darkroomWorks);
        if (failing == 1) {
            EXPECT_EQ(r.failures.size(), 1u);
            EXPECT_TRUE(r.measurements.empty());
            EXPECT_TRUE(r.chosenLayerColorMode.empty());
        }
        // The overlay is left out of captures and the screen untinted.
        EXPECT_EQ(engine->sharingType(), platform::SharingType::none);
        EXPECT_EQ(engine->currentState(), TintState::off);
    }
}

TEST_F(SelfTestRunTest, RefusedCaptureAccessIsTheOnlyFailureAndAsksOnceUnlessDry) {
    sim->machine().update([](platform::sim::SimState& s) { s.screenCaptureAllowed = false; });
    const Report refused = runScripted();
    EXPECT_EQ(
        refused.failures,
        (std::vector<std::string>{"Screen capture permission is required for the process running the self-test."}));
    EXPECT_EQ(count("screenshots.requestAccess"), 1u);
    EXPECT_EQ(captures, 0);
    EXPECT_TRUE(refused.notes.empty());

    restart();
    sim->machine().update([](platform::sim::SimState& s) { s.screenCaptureAllowed = false; });
    const Report dry = runScripted(true);
    EXPECT_TRUE(dry.passed);
    EXPECT_EQ(count("screenshots.requestAccess"), 0u);
}

TEST_F(SelfTestRunTest, TheDryRunExercisesTheEngineAndChecksOnlyThePanels) {
    const Report r = runScripted(true);
    EXPECT_EQ(captures, 0);
    EXPECT_TRUE(r.passed);
    EXPECT_EQ(r.notes,
              (std::vector<std::string>{
                  "dry run: no captures, engine paths only",
                  "backends: Built-in Display [built-in] → Overlay tint, External Monitor [external] → Overlay tint"}));
    EXPECT_EQ(engine->calibration().layerColorMode, LayerColorMode::rawSRGB);
    EXPECT_EQ(engine->calibration().readableRedStrategy, ReadableRedStrategy::panels);
    EXPECT_EQ(engine->currentState(), TintState::off);

    // Panels that never come on screen: one failure per display.
    restart();
    sim->machine().update([](platform::sim::SimState& s) { s.failures["overlay.orderFront"] = {}; });
    const Report hidden = runScripted(true);
    EXPECT_EQ(hidden.failures, (std::vector<std::string>{"overlay panel not visible on Built-in Display",
                                                         "overlay panel not visible on External Monitor"}));
    EXPECT_FALSE(hidden.passed);
}

// Without a compositing manager no overlay attaches: a run on whatever tints instead would
// measure nothing of the overlay, dry or not.
TEST_F(SelfTestRunTest, AnOverlayThatCannotAttachFailsTheRunWithItsReason) {
    for (const bool dry : {true, false}) {
        SCOPED_TRACE(dry ? "dry run" : "full run");
        restart();
        sim->machine().update([](platform::sim::SimState& s) { s.compositing = false; });
        const Report r = runScripted(dry);
        EXPECT_FALSE(r.passed);
        ASSERT_GE(r.failures.size(), 2u) << ::testing::PrintToString(r.failures);
        for (const std::string name : {"Built-in Display", "External Monitor"}) {
            const std::string failure =
                "overlay could not attach to " + name +
                ": this desktop cannot show overlay windows (no compositing manager is running)";
            EXPECT_TRUE(std::any_of(r.failures.begin(), r.failures.end(), [&](const std::string& f) {
                return f.rfind(failure, 0) == 0;
            })) << ::testing::PrintToString(r.failures);
        }
        EXPECT_EQ(SelfTest::render(r).rfind("Orvane self-test — FAIL\n", 0), 0u);
    }
}

TEST_F(SelfTestRunTest, TheFirstScreenIsTheMainOneAndWithoutItNothingRuns) {
    (void)runScripted();
    // The patch row sits 40 points in and 60 points down from the main screen's top-left.
    EXPECT_EQ(test->patchRect(), (platform::Rect{40, 60, 480, 80}));

    restart();
    sim->machine().update([](platform::sim::SimState& s) { s.displays.clear(); });
    engine->verifyAll("test");
    const Report none = runScripted();
    EXPECT_EQ(none.failures, (std::vector<std::string>{"no main screen"}));
    EXPECT_EQ(captures, 0);
    EXPECT_FALSE(none.passed);
}

}  // namespace
}  // namespace orvane::testing
