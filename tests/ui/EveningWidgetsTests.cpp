// The evening controls as widgets over the real model: the clock menu's entries and
// choice, the intensity choice with and without a plan, the tonight block's two shapes,
// and the badge with its ring.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "SkyFixture.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/Text.h"
#include "ui/views/ClockMenu.h"
#include "ui/views/EveningLightBadge.h"
#include "ui/views/EveningLightRing.h"
#include "ui/views/IntensitySegment.h"
#include "ui/views/TonightSection.h"

namespace orvane::testing {
namespace {

// A window whose views animate on a clock the test sets and steps by hand.
struct SteppedWindow {
    SteppedWindow() {
        kit::Context context = kit::defaultContext();
        context.animator = animator;
        kit::setContext(window, context);
        window.setAttribute(Qt::WA_DontShowOnScreen);
    }
    double time = 0;
    std::shared_ptr<kit::Animator> animator = std::make_shared<kit::Animator>([this] { return time; }, false);
    QWidget window;
};

TEST(ClockMenuTest, MenuChecksTheCurrentTimeAndChoosingCallsSet) {
    std::vector<ClockTime> chosen;
    ClockMenu menu("bed.double.fill", "Bed", ClockTime(23, 0), ClockMenu::bedtimes(),
                   [&](ClockTime t) { chosen.push_back(t); });
    EXPECT_EQ(menu.accessibleName(), "Bed 23:00");
    QMenu* built = menu.buildMenu();
    const auto actions = built->actions();
    ASSERT_EQ(actions.size(), 13);
    EXPECT_EQ(actions[7]->text(), "00:00");
    int checked = 0;
    for (QAction* a : actions) checked += a->isChecked();
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(actions[5]->isChecked());
    actions[5]->trigger();  // the checked one calls set too
    actions[8]->trigger();
    EXPECT_EQ(chosen, (std::vector<ClockTime>{ClockTime(23, 0), ClockTime(0, 30)}));
    EXPECT_EQ(menu.time(), ClockTime(23, 0));  // the caller decides what it shows

    menu.setTime(ClockTime(23, 15));
    EXPECT_EQ(menu.accessibleName(), "Bed 23:15");
    for (QAction* a : menu.buildMenu()->actions()) EXPECT_FALSE(a->isChecked());
    EXPECT_DOUBLE_EQ(menu.contentSize().height(), 28);
}

class EveningWidgetsTest : public SkyModelTest {};

TEST_F(EveningWidgetsTest, IntensityWithoutPlanUsesTheDefaultTimes) {
    Settings settings;
    settings.sunset.startOffsetMinutes = -20;  // tuned by hand
    startAt(berlinCity, berlinTime(6, 21, 12), settings);
    ASSERT_FALSE(model->eveningPlan());
    IntensitySegment segment(model, 30);
    segment.resize(300, 30);
    EXPECT_FALSE(segment.selected());
    EXPECT_EQ(segment.accessibleName(), "How warm the night gets");
    ASSERT_EQ(segment.segment().count(), 3u);
    EXPECT_FALSE(segment.segment().pillRect());
    segment.segment().button(2).click();  // Deep red
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::deepRed}));
    EXPECT_EQ(segment.selected(), EveningIntensity::deepRed);
}

TEST_F(EveningWidgetsTest, IntensityKeepsThePlanTimesAndEndsAHold) {
    Settings settings;
    settings.enabled = false;
    startAt(berlinCity, berlinTime(6, 21, 12), settings);
    model->setEveningPlan({ClockTime(0, 30), ClockTime(6, 0), EveningIntensity::warm});
    model->setEnabled(false);
    IntensitySegment segment(model, 26);
    EXPECT_EQ(segment.selected(), EveningIntensity::warm);
    segment.choose(EveningIntensity::gentle);
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(0, 30), ClockTime(6, 0), EveningIntensity::gentle}));
    EXPECT_TRUE(model->settings().enabled);
}

// The height given is the items'; the track around them is shown whole, pill and all.
TEST_F(EveningWidgetsTest, IntensityShowsItsWholeTrack) {
    startAt(berlinCity, berlinTime(6, 21, 12), manualSettings());
    model->setEveningPlan({ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::deepRed});
    for (const double height : {26.0, 30.0}) {
        SCOPED_TRACE(height);
        IntensitySegment segment(model, height);
        segment.setAttribute(Qt::WA_DontShowOnScreen);
        segment.resize(segment.sizeHint());
        segment.show();
        const auto pill = segment.segment().pillRect();
        ASSERT_TRUE(pill);
        EXPECT_DOUBLE_EQ(pill->height(), height);
        EXPECT_TRUE(QRectF(segment.rect()).contains(*pill)) << pill->bottom() << " below " << segment.height();
        EXPECT_EQ(segment.segment().geometry(), segment.rect());
    }
}

TEST_F(EveningWidgetsTest, TonightBlockOffersThePlanThenTheIntensity) {
    startAt(berlinCity, berlinTime(6, 21, 12), manualSettings());
    TonightSection block(model);
    EXPECT_FALSE(block.useMyEveningButton()->isHidden());
    EXPECT_TRUE(block.intensity()->isHidden());
    EXPECT_EQ(block.captionLabel()->text(), "Manual: stays where you put it.");
    block.useMyEveningButton()->click();
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm}));
    EXPECT_EQ(model->settings().mode, Mode::sunset);
    EXPECT_TRUE(block.useMyEveningButton()->isHidden());
    EXPECT_FALSE(block.intensity()->isHidden());
    EXPECT_EQ(block.captionLabel()->text(), QString::fromStdString(model->modeSubtitle()));

    Settings tuned = model->settings();
    tuned.sunset.startOffsetMinutes = -20;
    model->setSettings(tuned);
    EXPECT_FALSE(block.useMyEveningButton()->isHidden());
    EXPECT_TRUE(block.intensity()->isHidden());
    EXPECT_EQ(block.captionLabel()->text(), QString::fromStdString("Custom curve · " + model->modeSubtitle()));
}

TEST(EveningLightBadgeTest, TextRingAndAccessibleName) {
    EveningLightBadge badge(0.62);
    EXPECT_EQ(badge.text(), "62% less so far");
    EXPECT_EQ(badge.accessibleName(), "About 62 percent less alerting light this evening");
    EXPECT_TRUE(badge.toolTip().startsWith("Estimated alerting (melanopic) light"));
    EXPECT_DOUBLE_EQ(badge.ring()->shownFraction(), 0.62);
    badge.setReduction(1.3);
    EXPECT_EQ(badge.text(), "100% less so far");
    EXPECT_DOUBLE_EQ(badge.ring()->fraction(), 1.3);  // the raw value; the ring holds it
    badge.setReduction(-0.1);
    EXPECT_EQ(badge.text(), "0% less so far");
}

// While the block is shown its caption cross-fades into the new one.
TEST_F(EveningWidgetsTest, TonightCaptionCrossFades) {
    startAt(berlinCity, berlinTime(6, 21, 12), manualSettings());
    SteppedWindow stepped;
    auto& [time, animator, window] = stepped;
    auto* block = new TonightSection(model, true, &window);
    window.show();
    block->useMyEveningButton()->click();
    const kit::NumericTransition& fade = block->captionLabel()->transition();
    ASSERT_TRUE(fade.rolling());
    EXPECT_EQ(fade.currentDirection(), kit::NumericTransition::Direction::none);
    EXPECT_EQ(fade.previous(), "Manual: stays where you put it.");
    animator->settleAll();
    EXPECT_EQ(block->captionLabel()->text(), QString::fromStdString(model->modeSubtitle()));
}

// A new figure rolls its digits on the ring's 0.6 s spring while the badge is shown.
TEST(EveningLightBadgeTest, DigitsKeepPaceWithTheRing) {
    SteppedWindow stepped;
    auto& [time, animator, window] = stepped;
    auto* badge = new EveningLightBadge(0.62, &window);
    window.show();
    badge->setReduction(0.7);
    const kit::NumericTransition& digits = badge->transition();
    ASSERT_TRUE(digits.rolling());
    EXPECT_EQ(digits.previous(), "62% less so far");
    EXPECT_EQ(digits.text(), "70% less so far");
    EXPECT_EQ(digits.currentDirection(), kit::NumericTransition::Direction::up);
    time = 0.2;
    animator->step();
    EXPECT_NEAR(digits.progress(), kit::Spring(0.6, 1.0).progress(0.2), 1e-9);
    EXPECT_NEAR(badge->ring()->shownFraction(), 0.62 + 0.08 * digits.progress(), 1e-6);
    animator->settleAll();
    EXPECT_FALSE(digits.rolling());
    badge->setReduction(0.5);
    EXPECT_EQ(digits.currentDirection(), kit::NumericTransition::Direction::down);
}

TEST(EveningLightRingTest, SpringsToTheHeldFraction) {
    SteppedWindow stepped;
    auto& [time, animator, window] = stepped;
    auto* ring = new EveningLightRing(0.2, 2.5, &window);
    ring->setFraction(1.4);
    EXPECT_DOUBLE_EQ(ring->fraction(), 1.4);
    time = 0.1;
    animator->step();
    EXPECT_GT(ring->shownFraction(), 0.2);
    EXPECT_LT(ring->shownFraction(), 1);
    time = 3;
    animator->step();
    EXPECT_NEAR(ring->shownFraction(), 1, 1e-6);
    EXPECT_TRUE(animator->idle());
    ring->setFraction(-0.5);
    animator->settleAll();
    EXPECT_DOUBLE_EQ(ring->shownFraction(), 0);
}

}  // namespace
}  // namespace orvane::testing
