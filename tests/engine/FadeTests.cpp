// The one fade of the back-ends, on the simulated machine's fake scheduler.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

#include "SimFixture.h"
#include "engine/Fade.h"

namespace orvane {
namespace {

using FadeTest = testing::SimTest;

double blend(const double& from, const double& to, double t) { return from + (to - from) * t; }

TEST_F(FadeTest, FramesBlendAtTheEasedProgressAndTheLastShowsTheTargetExactly) {
    Fade fade(0.03, 4);
    std::vector<double> shown;
    fade.run(0.0, 10.0, 1.0, *sim, blend, [&](double v) { shown.push_back(v); });
    EXPECT_TRUE(shown.empty()) << "nothing before the first frame";
    EXPECT_TRUE(fade.isRunning());
    scheduler->advance(2);
    EXPECT_EQ(shown, (std::vector<double>{1.25, 5, 8.75, 10}));
    EXPECT_FALSE(fade.isRunning());
    EXPECT_EQ(scheduler->timerCount(), 0u);
}

TEST_F(FadeTest, AtOnceTheFirstFrameGoesOutWithTheRequestAndTheRestKeepOneIntervalApart) {
    Fade fade(0.03, 4, Fade::FirstFrame::atOnce);
    std::vector<double> shown;
    fade.run(0.0, 10.0, 1.0, *sim, blend, [&](double v) { shown.push_back(v); });
    EXPECT_EQ(shown, std::vector<double>{1.25}) << "the frame of a quarter second, shown now";
    scheduler->advance(0.25);
    EXPECT_EQ(shown, (std::vector<double>{1.25, 5}));
    scheduler->advance(0.5);
    EXPECT_EQ(shown, (std::vector<double>{1.25, 5, 8.75, 10})) << "ends an interval sooner, on the target";
    EXPECT_FALSE(fade.isRunning());
    EXPECT_EQ(scheduler->timerCount(), 0u);

    // No longer than one interval: its one frame, the target, still comes at the interval.
    shown.clear();
    fade.run(0.0, 10.0, 0.2, *sim, blend, [&](double v) { shown.push_back(v); });
    EXPECT_TRUE(shown.empty());
    scheduler->advance(0.25);
    EXPECT_EQ(shown, std::vector<double>{10});
}

TEST_F(FadeTest, ShortFadesEqualValuesAndNoSchedulerShowTheTargetAtOnce) {
    auto noScheduler = std::make_shared<platform::sim::SimPlatform>(platform::Runtime{clock, nullptr},
                                                                    testing::freshDirectory("no-scheduler"));
    const struct {
        const char* name;
        double from, to, duration;
        platform::Platform* platform;
    } cases[] = {
        {"at the minimum", 0, 1, 0.03, sim.get()},
        {"not a number", 0, 1, std::numeric_limits<double>::quiet_NaN(), sim.get()},
        {"equal values", 1, 1, 2.0, sim.get()},
        {"no scheduler", 0, 1, 2.0, noScheduler.get()},
    };
    for (const auto& c : cases) {
        Fade fade(0.03, 60);
        std::vector<double> shown;
        fade.run(c.from, c.to, c.duration, *c.platform, blend, [&](double v) { shown.push_back(v); });
        EXPECT_EQ(shown, std::vector<double>{c.to}) << c.name;
        EXPECT_FALSE(fade.isRunning()) << c.name;
    }
}

TEST_F(FadeTest, AStoppedOrReplacedFadeShowsNoMoreOfItsFrames) {
    Fade fade(0.03, 10);
    std::vector<double> shown;
    const auto record = [&](double v) { shown.push_back(v); };
    fade.run(0.0, 100.0, 1.0, *sim, blend, record);
    scheduler->advance(0.1);
    fade.stop();
    scheduler->advance(2);
    EXPECT_EQ(shown.size(), 1u);

    shown.clear();
    fade.run(0.0, 100.0, 1.0, *sim, blend, record);
    scheduler->advance(0.1);
    fade.run(shown.back(), -5.0, 0.0, *sim, blend, record);  // at once, cancelling the first
    scheduler->advance(2);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown.back(), -5.0);
    EXPECT_EQ(scheduler->timerCount(), 0u);
}

TEST_F(FadeTest, TheLastFrameMayStartTheNextFade) {
    Fade fade(0.03, 4);
    std::vector<double> shown;
    std::function<void(double)> show = [&](double v) {
        shown.push_back(v);
        if (v == 1.0) fade.run(1.0, 0.0, 1.0, *sim, blend, show);  // back again
    };
    fade.run(0.0, 1.0, 1.0, *sim, blend, show);
    scheduler->advance(1.1);
    EXPECT_TRUE(fade.isRunning()) << "the fade the last frame started goes on";
    scheduler->advance(2);
    EXPECT_EQ(shown.back(), 0.0);
    EXPECT_FALSE(fade.isRunning());
}

}  // namespace
}  // namespace orvane
