#include <cmath>

#include <gtest/gtest.h>

#include "ui/kit/Animator.h"
#include "ui/kit/Spring.h"

namespace orvane::kit {
namespace {

TEST(KitSpring, CriticallyDampedSelectionSpring) {
    const Spring s = Spring::selection();
    EXPECT_NEAR(s.progress(0.3), 0.9864, 0.001);
    EXPECT_NEAR(s.progress(0.45), 1.0, 0.001);
    for (double t = 0; t <= 2.0; t += 0.001) ASSERT_LE(s.progress(t), 1.0) << t;
}

TEST(KitSpring, UnderdampedSpringOvershootsOnce) {
    const Spring s{0.5, 0.78};
    double peak = 0;
    for (double t = 0; t <= 2.0; t += 0.0005) peak = std::max(peak, s.progress(t));
    EXPECT_NEAR(peak, 1.020, 0.001);
}

TEST(KitSpring, OverdampedSpringCreepsWithoutOvershoot) {
    const Spring s{0.3, 1.5};
    double previous = 0;
    for (double t = 0.001; t <= 3.0; t += 0.001) {
        const double p = s.progress(t);
        ASSERT_GE(p, previous - 1e-12) << t;
        ASSERT_LE(p, 1.0) << t;
        previous = p;
    }
    EXPECT_NEAR(previous, 1.0, 1e-3);
    // Slower than critical damping at the same response.
    EXPECT_LT(s.progress(0.3), Spring::selection().progress(0.3));
}

struct ManualClock {
    double now = 100;
    Animator::Clock clock() {
        return [this] { return now; };
    }
};

TEST(KitAnimator, StepsFollowTheSpringAndSettle) {
    ManualClock clock;
    Animator animator(clock.clock(), false);
    AnimatedValue v(0);
    int changes = 0;
    v.setOnChange([&] { ++changes; });
    animator.animate(v, 10, Spring::selection());
    EXPECT_TRUE(v.animating());
    EXPECT_EQ(v.value(), 0);
    clock.now += 0.3;
    animator.step();
    EXPECT_NEAR(v.value(), 9.864, 0.01);
    EXPECT_EQ(changes, 1);
    clock.now += 1.0;
    animator.step();
    EXPECT_EQ(v.value(), 10);
    EXPECT_FALSE(v.animating());
    EXPECT_TRUE(animator.idle());
}

TEST(KitAnimator, RetargetKeepsVelocity) {
    ManualClock clock;
    Animator animator(clock.clock(), false);
    AnimatedValue v(0);
    animator.animate(v, 1, Spring::selection());
    clock.now += 0.05;
    animator.step();
    const double before = v.value();
    animator.animate(v, 0, Spring::selection());
    clock.now += Animator::frameInterval;
    animator.step();
    // Still moving up for a moment: momentum carries over instead of a jump back.
    EXPECT_GT(v.value(), before);
}

TEST(KitAnimator, SettleAllAndReduceMotionJump) {
    ManualClock clock;
    Animator animator(clock.clock(), false);
    AnimatedValue a(0), b(5);
    animator.animate(a, 1, Spring::selection());
    animator.animate(b, -5, Spring{0.5, 0.78});
    animator.settleAll();
    EXPECT_EQ(a.value(), 1);
    EXPECT_EQ(b.value(), -5);
    EXPECT_TRUE(animator.idle());

    animator.setReduceMotion(true);
    animator.animate(a, 3, Spring::selection());
    EXPECT_EQ(a.value(), 3);
    EXPECT_FALSE(a.animating());
}

TEST(KitAnimator, DroppedValueLeavesTheAnimator) {
    ManualClock clock;
    Animator animator(clock.clock(), false);
    {
        AnimatedValue v(0);
        animator.animate(v, 1, Spring::selection());
    }
    clock.now += 0.1;
    animator.step();
    EXPECT_TRUE(animator.idle());
}

}  // namespace
}  // namespace orvane::kit

#include <QTest>

namespace orvane::kit {
namespace {

TEST(KitAnimator, RunsOnTheEventLoopByItself) {
    Animator animator;  // steady clock, Qt timer
    AnimatedValue v(0);
    int frames = 0;
    v.setOnChange([&] { ++frames; });
    animator.animate(v, 1, Spring::selection());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !v.animating(); }, 3000));
    EXPECT_EQ(v.value(), 1);
    EXPECT_GT(frames, 3) << "several frames, not one jump";
    EXPECT_TRUE(animator.idle());
}

}  // namespace
}  // namespace orvane::kit

#include "ui/kit/Bounce.h"

namespace orvane::kit {
namespace {

TEST(KitBounce, DipsOvershootsAndRests) {
    double now = 0;
    Animator animator([&] { return now; }, false);
    Bounce bounce;
    EXPECT_EQ(bounce.scale(), 1);
    bounce.trigger(animator);
    EXPECT_LT(bounce.scale(), 0.9);
    double peak = 0;
    for (int frame = 0; frame < 120; ++frame) {
        now += Animator::frameInterval;
        animator.step();
        peak = std::max(peak, bounce.scale());
    }
    EXPECT_GT(peak, 1.0);
    EXPECT_EQ(bounce.scale(), 1);
}

}  // namespace
}  // namespace orvane::kit
