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

#include <QFontMetricsF>

#include "ui/kit/FontBook.h"
#include "ui/kit/NumericTransition.h"

namespace orvane::kit {
namespace {

using Direction = NumericTransition::Direction;

class KitNumericTransition : public ::testing::Test {
protected:
    double now = 0;
    Animator animator{[this] { return now; }, false};
    QFontMetricsF metrics{FontBook::font(TextStyle::body)};
    double advance(const QString& text) const { return metrics.horizontalAdvance(text); }
    double travel() const { return NumericTransition::travel(metrics); }
};

// Which characters roll: what lies between the common start and the common end.
TEST_F(KitNumericTransition, OnlyTheDifferingMiddleRolls) {
    struct Case {
        QString from, to, prefix, out, in, suffix;
    };
    const std::vector<Case> cases{
        {"3400", "3500", "3", "4", "5", "00"},
        {"9%", "10%", "", "9", "10", "%"},
        {"7:59 PM", "8:00 PM", "", "7:59", "8:00", " PM"},
        {"62% less so far", "100% less so far", "", "62", "100", "% less so far"},
        {"2700K", "2750K", "27", "0", "5", "0K"},
    };
    for (const Case& c : cases) {
        NumericTransition roll(c.from);
        roll.setText(c.to, animator, true);
        ASSERT_TRUE(roll.rolling()) << c.to.toStdString();
        std::vector<QString> texts;
        for (const auto& run : roll.runs(metrics)) texts.push_back(run.text);
        std::vector<QString> expected;
        for (const QString& part : {c.prefix, c.out, c.in, c.suffix})
            if (!part.isEmpty()) expected.push_back(part);
        EXPECT_EQ(texts, expected) << c.from.toStdString() << " -> " << c.to.toStdString();
    }
}

// Counting up on the stepped clock: at the start the old digit stands where it was, half
// way both are moving and share the opacity, and once settled the new text is one run.
TEST_F(KitNumericTransition, RollsOnTheSpringFromStartThroughTheMiddleToRest) {
    NumericTransition roll(QStringLiteral("9%"));
    roll.setText(QStringLiteral("10%"), animator, true, NumericTransition::direction(9, 10));
    EXPECT_EQ(roll.currentDirection(), Direction::up);
    auto runs = roll.runs(metrics);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, QStringLiteral("9"));
    EXPECT_EQ(runs[0].dy, 0);
    EXPECT_EQ(runs[0].opacity, 1);
    EXPECT_EQ(runs[1].text, QStringLiteral("10"));
    EXPECT_DOUBLE_EQ(runs[1].dy, travel()) << "comes in from below";
    EXPECT_EQ(runs[1].opacity, 0);
    EXPECT_DOUBLE_EQ(runs[2].x, advance("9")) << "the unchanged end starts where it stood";
    EXPECT_DOUBLE_EQ(roll.width(metrics), advance("9%"));

    now = 0.1;
    animator.step();
    const double p = NumericTransition::spring.progress(0.1);
    ASSERT_GT(p, 0.3);
    ASSERT_LT(p, 0.7);
    runs = roll.runs(metrics);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_NEAR(runs[0].dy, -travel() * p, 1e-9) << "leaves upwards";
    EXPECT_NEAR(runs[1].dy, travel() * (1 - p), 1e-9);
    // Both fading, never both strong.
    EXPECT_GT(runs[0].opacity, 0);
    EXPECT_GT(runs[1].opacity, 0);
    EXPECT_LT(runs[0].opacity + runs[1].opacity, 1);
    EXPECT_NEAR(runs[2].x, advance("9") + (advance("10") - advance("9")) * p, 1e-9) << "slides to its new place";
    EXPECT_GT(roll.width(metrics), advance("9%"));
    EXPECT_LT(roll.width(metrics), advance("10%"));

    now = 2;
    animator.step();
    EXPECT_FALSE(roll.rolling());
    runs = roll.runs(metrics);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, QStringLiteral("10%"));
    EXPECT_EQ(runs[0].dy, 0);
    EXPECT_EQ(runs[0].opacity, 1);
}

TEST_F(KitNumericTransition, CountingDownRollsTheOtherWay) {
    NumericTransition roll(QStringLiteral("3500"));
    roll.setText(QStringLiteral("3400"), animator, true, NumericTransition::direction(3500, 3400));
    now = 0.1;
    animator.step();
    const auto runs = roll.runs(metrics);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_GT(runs[1].dy, 0) << "the old digit leaves downwards";
    EXPECT_LT(runs[2].dy, 0) << "the new one comes from above";
}

// Without a direction the whole text cross-fades in place.
TEST_F(KitNumericTransition, CrossFadeKeepsBothTextsInPlace) {
    NumericTransition fade(QStringLiteral("Manual: stays where you put it."));
    fade.setText(QStringLiteral("Schedule · Warm at 21:00"), animator, true, Direction::none);
    now = 0.1;
    animator.step();
    const double p = NumericTransition::spring.progress(0.1);
    const auto runs = fade.runs(metrics);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, QStringLiteral("Manual: stays where you put it."));
    EXPECT_EQ(runs[1].text, QStringLiteral("Schedule · Warm at 21:00"));
    for (const auto& run : runs) {
        EXPECT_EQ(run.x, 0);
        EXPECT_EQ(run.dy, 0);
    }
    EXPECT_NEAR(runs[0].opacity, 1 - p, 1e-9);
    EXPECT_NEAR(runs[1].opacity, p, 1e-9);
}

TEST_F(KitNumericTransition, WhenTheTextSimplyChanges) {
    NumericTransition first;
    first.setText(QStringLiteral("42"), animator, true);
    EXPECT_FALSE(first.rolling()) << "a first text has nothing to roll from";

    NumericTransition still(QStringLiteral("42"));
    still.setText(QStringLiteral("43"), animator, false);
    EXPECT_FALSE(still.rolling());
    EXPECT_EQ(still.runs(metrics).size(), 1u);

    animator.setReduceMotion(true);
    NumericTransition reduced(QStringLiteral("42"));
    reduced.setText(QStringLiteral("43"), animator, true);
    EXPECT_FALSE(reduced.rolling());
    EXPECT_EQ(reduced.runs(metrics)[0].text, QStringLiteral("43"));
}

// A change in the middle of a roll rolls on from the text that was coming in; settleAll
// ends it, as the render harness needs.
TEST_F(KitNumericTransition, InterruptedRollStartsFromTheIncomingText) {
    NumericTransition roll(QStringLiteral("3400"));
    int frames = 0;
    roll.setOnChange([&] { ++frames; });
    roll.setText(QStringLiteral("3500"), animator, true);
    now = 0.05;
    animator.step();
    roll.setText(QStringLiteral("3600"), animator, true);
    EXPECT_EQ(roll.previous(), QStringLiteral("3500"));
    EXPECT_EQ(roll.progress(), 0);
    animator.settleAll();
    EXPECT_FALSE(roll.rolling());
    EXPECT_EQ(roll.text(), QStringLiteral("3600"));
    EXPECT_GE(frames, 3);
}

}  // namespace
}  // namespace orvane::kit
