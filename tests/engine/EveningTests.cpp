// A whole evening on the simulated machine, watched through what each display scans out:
// a fade in on three displays with three methods, a long hold, a repair after another
// program rewrote the machine's state file, a display unplugged in the middle of a fade
// and plugged back, and the end of the evening.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/Animator.h"
#include "support/Json.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::LogCapture;
using orvane::testing::TintEngineTest;

namespace {

using Rgb = sim::Rgb;
using Look = std::function<Rgb(const Rgb& screen)>;  // what a display does to the screen's colours

Rgb unit(const Rgb& c) { return {std::clamp(c.r, 0.0, 1.0), std::clamp(c.g, 0.0, 1.0), std::clamp(c.b, 0.0, 1.0)}; }

Look untinted() {
    return [](const Rgb& c) { return c; };
}
Look matrixLook(const ColorMatrix& m) {
    return [m](const Rgb& c) {
        const auto out = m.applied({c.r, c.g, c.b});
        return unit({out[0], out[1], out[2]});
    };
}
Look gammaLook(const Multiplier& g) {
    return [g](const Rgb& c) { return unit({c.r * g.r, c.g * g.g, c.b * g.b}); };
}
Look overlayLook(const OverlayPlan& p) {
    return [p](const Rgb& c) {
        const double ro = static_cast<float>(p.redOpacity), dim = static_cast<float>(p.dimOpacity);
        const Rgb layered{c.r * (1 - ro) + p.red * ro, c.g * (1 - ro) + p.green * ro, c.b * (1 - ro) + p.blue * ro};
        return Rgb{layered.r * (1 - dim), layered.g * (1 - dim), layered.b * (1 - dim)};
    };
}

std::uint8_t byte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

class EveningTest : public TintEngineTest {
protected:
    static constexpr double scale = 0.05;  // a few pixels per hundred points is enough to see the whole screen

    void SetUp() override {
        TintEngineTest::SetUp();
        sim::SimDisplay projector;
        projector.name = "Projector";
        projector.frame = {-1920, 0, 1920, 1080};
        projector.uuid = "0C3A5E7F-1B2D-4F60-8A9C-B1D2E3F40516";
        projectorId = sim->addDisplay(projector);
        unplugged = sim->state().displays[1];
    }

    // Every pixel of the display's scan-out is what the look makes of the desktop or of the
    // menu-bar strip, give or take one step of rounding.
    void expectScanOut(std::uint32_t display, const Look& look, const std::string& when) {
        SCOPED_TRACE(when + ", display " + std::to_string(display));
        const auto image = sim->scanOut(display, scale);
        ASSERT_TRUE(image);
        ASSERT_GT(image->width, 0);
        const Rgb desktop = look(sim::desktopColor), bar = look(sim::menuBarColor);
        int wrong = 0;
        for (int y = 0; y < image->height; ++y) {
            // A pixel belongs to the strip when its centre lies within the strip's height from the top.
            const Rgb& want = (y + 0.5) / scale <= sim::menuBarHeight ? bar : desktop;
            for (int x = 0; x < image->width; ++x) {
                const std::uint8_t* px = image->pixel(x, y);
                const bool ok = std::abs(px[0] - byte(want.r)) <= 1 && std::abs(px[1] - byte(want.g)) <= 1 &&
                                std::abs(px[2] - byte(want.b)) <= 1;
                if (!ok && wrong++ == 0)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is (" << int(px[0]) << ", " << int(px[1]) << ", "
                                  << int(px[2]) << "), expected (" << int(byte(want.r)) << ", " << int(byte(want.g))
                                  << ", " << int(byte(want.b)) << ")";
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    // Another program rewrites the machine's state: gamma tables and matrices back to
    // neutral and every overlay window gone.
    void tamperWithTheStateFile() {
        // The machine learns that another program looks: from now on its file is the state.
        const sim::SimMachine anotherProgram(directory, sim::SimSharing::processes);
        const auto file = directory / "machine.json";
        std::stringstream text;
        text << std::ifstream(file).rdbuf();
        Json state = json::parse(text.str());
        for (auto& d : state["displays"]) {
            d["gamma"] = nullptr;
            d["matrix"] = nullptr;
        }
        state["windows"] = Json::array();
        std::ofstream(file, std::ios::trunc) << state.dump(2);
    }

    std::uint32_t projectorId = 0;
    sim::SimDisplay unplugged;
};

}  // namespace

TEST_F(EveningTest, AWholeEvening) {
    LogCapture logs;
    start();
    useMethod(2, TintMethod::gamma);
    settings[info(projectorId).key].method = TintMethod::overlay;
    push();
    engine->reconfigure();
    ASSERT_EQ(engine->describeBackends(), (std::vector<std::string>{"Built-in Display [built-in] → Color matrix",
                                                                    "External Monitor [external] → Gamma table",
                                                                    "Projector [external] → Overlay tint"}));
    for (std::uint32_t id : {1u, 2u, projectorId}) expectScanOut(id, untinted(), "afternoon");

    // Sunset: a four-second fade to a warm, slightly dim evening.
    const TintState evening(2700, 0.8, RedStyle::pure, false);
    const ColorMatrix matrix = ColorMatrix::make(evening);
    const Multiplier k = Kelvin::multiplier(2700.0);
    const Multiplier gains(k.r * 0.8, k.g * 0.8, k.b * 0.8);
    const OverlayPlan plan = OverlayPlan::make(2700, 0.8, false, 2700, 0.6);
    engine->apply(evening, Transition(4), 0.05);
    scheduler->advance(1);
    const double e = 0.125;  // a quarter of the way, eased
    // The matrix and the gamma tables showed their first frame at once, so they are a frame ahead.
    const double matrixE = Animator::eased((1 + 1.0 / 60) / 4), gammaE = Animator::eased((1 + 1.0 / 30) / 4);
    expectScanOut(1, matrixLook(ColorMatrix::lerp(ColorMatrix::identity, matrix, matrixE)), "fading in");
    expectScanOut(2, gammaLook(Multiplier::lerp(Multiplier::identity, gains, gammaE)), "fading in");
    expectScanOut(projectorId, overlayLook(OverlayPlan::lerp(OverlayPlan::none, plan, e)), "fading in");

    scheduler->advance(3.1);
    expectScanOut(1, matrixLook(matrix), "evening");
    expectScanOut(2, gammaLook(gains), "evening");
    expectScanOut(projectorId, overlayLook(plan), "evening");
    ASSERT_EQ(scheduler->timerCount(), 1u);  // the fades are over; only the repair timer is left

    // Holding: the repair timer finds nothing to repair.
    scheduler->advance(60);
    expectScanOut(1, matrixLook(matrix), "holding");
    expectScanOut(2, gammaLook(gains), "holding");
    expectScanOut(projectorId, overlayLook(plan), "holding");
    EXPECT_TRUE(logs.messages("gamma").empty());
    EXPECT_TRUE(logs.messages("overlay").empty());

    // Another program resets everything behind the engine's back.
    tamperWithTheStateFile();
    for (std::uint32_t id : {1u, 2u, projectorId}) expectScanOut(id, untinted(), "tampered");
    scheduler->advance(5);
    expectScanOut(1, matrixLook(matrix), "repaired");
    expectScanOut(2, gammaLook(gains), "repaired");
    expectScanOut(projectorId, overlayLook(plan), "repaired");
    EXPECT_EQ(logs.messages("gamma"), std::vector<std::string>{"gamma table drifted, reapplying"});
    EXPECT_EQ(logs.messages("overlay"), std::vector<std::string>{"watchdog repaired overlay on Projector"});

    // Bedtime: a slower fade deeper down, and the external monitor is unplugged halfway.
    const TintState night(1900, 0.6, RedStyle::pure, false);
    const Multiplier kn = Kelvin::multiplier(1900.0);
    const Multiplier nightGains(kn.r * 0.6, kn.g * 0.6, kn.b * 0.6);
    engine->apply(night, Transition(4), 0.05);
    scheduler->advance(2);
    ASSERT_TRUE(sim->removeDisplay(2));
    scheduler->runPending();
    EXPECT_FALSE(engine->slots().count(2));
    EXPECT_FALSE(sim->scanOut(2));
    scheduler->advance(2.1);
    expectScanOut(1, matrixLook(ColorMatrix::make(night)), "night");
    expectScanOut(projectorId, overlayLook(OverlayPlan::make(1900, 0.6, false, 2700, 0.6)), "night");
    EXPECT_EQ(scheduler->timerCount(), 1u);  // the unplugged display's fade went with it

    // Plugged back in: tinted with the night's state at once.
    unplugged.gamma.reset();
    ASSERT_EQ(sim->addDisplay(unplugged), 2u);
    scheduler->runPending();
    ASSERT_TRUE(engine->slots().count(2));
    EXPECT_EQ(engine->slots().at(2).method, TintMethod::gamma);
    expectScanOut(2, gammaLook(nightGains), "plugged back");

    // The end of the evening: every display neutral, nothing left running.
    engine->detachAll();
    for (std::uint32_t id : {1u, 2u, projectorId}) expectScanOut(id, untinted(), "detached");
    EXPECT_TRUE(windows().empty());
    EXPECT_EQ(scheduler->timerCount(), 0u);
    for (const auto& r : logs.records()) EXPECT_NE(r.level, LogLevel::error) << r.category << ": " << r.message;
}
