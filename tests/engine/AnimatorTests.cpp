#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "engine/Animator.h"

using namespace orvane;
using orvane::testing::SimTest;

TEST(AnimatorEasing, QuadraticEaseInOut) {
    const struct {
        double progress, eased;
    } cases[] = {{0, 0}, {0.25, 0.125}, {0.5, 0.5}, {0.75, 0.875}, {1, 1}, {1.7, 1}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(Animator::eased(c.progress), c.eased) << c.progress;
    EXPECT_EQ(Animator::eased(std::numeric_limits<double>::quiet_NaN()), 1.0);
}

TEST_F(SimTest, AnAnimatorStepsOnItsFrameRateAndEndsWithExactlyOne) {
    std::vector<double> steps;
    Animator animator(
        1.0, 4, [&](double t) { steps.push_back(t); }, scheduler, clock);
    scheduler->advance(0.2);
    EXPECT_TRUE(steps.empty());  // nothing at progress 0, the first step one interval later
    scheduler->advance(2.0);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_DOUBLE_EQ(steps[0], 0.125);
    EXPECT_DOUBLE_EQ(steps[1], 0.5);
    EXPECT_DOUBLE_EQ(steps[2], 0.875);
    EXPECT_EQ(steps[3], 1.0);
    EXPECT_FALSE(animator.isRunning());
    EXPECT_EQ(scheduler->timerCount(), 0u);
}

TEST_F(SimTest, AWallClockJumpNeitherStretchesNorCutsAFade) {
    std::vector<double> steps;
    Animator animator(
        1.0, 4, [&](double t) { steps.push_back(t); }, scheduler, clock);
    scheduler->advance(0.25);
    clock->setNow(clock->now() + 3600);  // the user sets the clock an hour ahead
    scheduler->advance(0.25);
    EXPECT_DOUBLE_EQ(steps.back(), 0.5);
    clock->setNow(clock->now() - 7200);
    scheduler->advance(0.5);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps.back(), 1.0);
}

TEST_F(SimTest, AStoppedOrDroppedAnimatorNeverStepsAgain) {
    int steps = 0;
    auto animator = std::make_unique<Animator>(
        1.0, 10, [&](double) { ++steps; }, scheduler, clock);
    scheduler->advance(0.25);
    EXPECT_EQ(steps, 2);
    animator->stop();
    scheduler->advance(0.5);
    EXPECT_EQ(steps, 2);

    animator = std::make_unique<Animator>(
        1.0, 10, [&](double) { ++steps; }, scheduler, clock);
    animator.reset();
    scheduler->advance(2);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(scheduler->timerCount(), 0u);
}

TEST_F(SimTest, AStepMayDropItsOwnAnimator) {
    std::unique_ptr<Animator> animator;
    std::vector<double> steps;
    animator = std::make_unique<Animator>(
        0.5, 4,
        [&](double t) {
            steps.push_back(t);
            if (t >= 1) animator.reset();
        },
        scheduler, clock);
    scheduler->advance(1);
    EXPECT_FALSE(animator);
    EXPECT_EQ(steps, (std::vector<double>{0.5, 1.0}));
}
