// The schedule pane's evening section over the real model: the plan's rows, the row that
// names the mode when no plan matches, and the preview with the status line under both.
#include <gtest/gtest.h>

#include <QTest>

#include "KitFixture.h"
#include "RenderedView.h"
#include "SkyFixture.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/settings/ClockTimePicker.h"
#include "ui/settings/EveningSection.h"
#include "ui/views/CurvePreview.h"
#include "ui/views/IntensitySegment.h"
#include "ui/views/TonightSection.h"

namespace orvane::testing {
namespace {

class EveningSectionTest : public KitModelTest {
protected:
    EveningSection& open(const Settings& settings) {
        Settings s = settings;
        s.sunset.locationSource = LocationSource::City{berlinCity};
        start(s);
        section = new EveningSection(model, window.get());
        return place(*section, QSize(520, section->sizeHint().height()));
    }
    bool showsPlanRows() const {
        return !section->bedtimeRow()->isHidden() && !section->wakeRow()->isHidden() &&
               !section->nightRow()->isHidden() && section->noPlanRow()->isHidden();
    }
    bool showsNoPlanRow() const {
        return section->bedtimeRow()->isHidden() && section->wakeRow()->isHidden() && section->nightRow()->isHidden() &&
               !section->noPlanRow()->isHidden();
    }

    EveningSection* section = nullptr;
};

Settings tunedByHand() {
    Settings s;
    s.sunset.startOffsetMinutes = -20;
    return s;
}

Settings scheduleMode() {
    Settings s;
    s.mode = Mode::schedule;
    return s;
}

struct NoPlanCase {
    Settings (*settings)();
    const char* title;
};

class EveningSectionWithoutPlanTest : public EveningSectionTest, public ::testing::WithParamInterface<NoPlanCase> {};

TEST_P(EveningSectionWithoutPlanTest, TheRowNamesTheModeAndOffersMyEvening) {
    Settings s = GetParam().settings();
    s.enabled = false;
    open(s);
    ASSERT_FALSE(model->eveningPlan());
    EXPECT_TRUE(showsNoPlanRow());
    EXPECT_EQ(section->noPlanRow()->titleText().text(), GetParam().title);
    ASSERT_TRUE(section->noPlanRow()->subtitleText());
    EXPECT_EQ(section->noPlanRow()->subtitleText()->text(),
              "Bedtime, wake-up and Gentle, Warm or Deep red replace the fine-tuning below.");
    EXPECT_EQ(section->useMyEveningButton()->text(), "Use my evening");
    EXPECT_EQ(section->statusLine()->text(), QString::fromStdString(model->modeSubtitle()));

    section->useMyEveningButton()->click();
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm}));
    EXPECT_EQ(model->settings().mode, Mode::sunset);
    EXPECT_EQ(model->settings().sunset.eveningEvent, SunEvent::sunset);
    EXPECT_TRUE(model->settings().sunset.lateNightEnabled);
    EXPECT_TRUE(model->settings().enabled) << "the tint is turned on";
    EXPECT_TRUE(showsPlanRows());
    EXPECT_EQ(section->statusLine()->text(), QString::fromStdString(model->modeSubtitle()));
}

INSTANTIATE_TEST_SUITE_P(Modes, EveningSectionWithoutPlanTest,
                         ::testing::Values(NoPlanCase{tunedByHand, "Custom curve"},
                                           NoPlanCase{[] { return manualSettings(); }, "Manual mode"},
                                           NoPlanCase{scheduleMode, "Schedule mode"}));

TEST_F(EveningSectionTest, WithAPlanTheRowsEditOneFieldEach) {
    open(manualSettings());
    model->setEveningPlan({ClockTime(23, 30), ClockTime(6, 30), EveningIntensity::deepRed});
    EXPECT_TRUE(showsPlanRows());
    EXPECT_EQ(section->bedtimeRow()->titleText().text(), "Bedtime");
    ASSERT_TRUE(section->bedtimeRow()->subtitleText());
    EXPECT_EQ(section->bedtimeRow()->subtitleText()->text(), "Warm from sunset, deepest an hour before bed.");
    EXPECT_EQ(section->wakeRow()->titleText().text(), "Wake-up");
    EXPECT_FALSE(section->wakeRow()->subtitleText());
    EXPECT_EQ(section->nightRow()->titleText().text(), "Night");
    EXPECT_EQ(section->bedtimePicker()->time(), QTime(23, 30));
    EXPECT_EQ(section->wakePicker()->time(), QTime(6, 30));
    EXPECT_EQ(section->intensity()->selected(), EveningIntensity::deepRed);
    EXPECT_EQ(section->intensity()->width(), 300);

    // Changing the wake-up time keeps the bedtime and the intensity.
    section->wakePicker()->setTime(QTime(7, 15));
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(23, 30), ClockTime(7, 15), EveningIntensity::deepRed}));
    section->bedtimePicker()->setTime(QTime(0, 45));
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(0, 45), ClockTime(7, 15), EveningIntensity::deepRed}));
    section->intensity()->choose(EveningIntensity::gentle);
    EXPECT_EQ(model->eveningPlan(), (EveningPlan{ClockTime(0, 45), ClockTime(7, 15), EveningIntensity::gentle}));

    // The preview follows the resolved curve in the place's zone from noon, marking now.
    ASSERT_TRUE(model->resolution().curve);
    EXPECT_EQ(section->curvePreview()->curve(), model->resolution().curve);
    EXPECT_EQ(section->curvePreview()->timeZone().identifier(), "Europe/Berlin");
    EXPECT_EQ(section->curvePreview()->startHour(), 12);
    EXPECT_TRUE(section->curvePreview()->labelsNow());
    EXPECT_EQ(section->curvePreview()->height(), 44);

    // Fine-tuning by hand leaves no plan: the row comes back.
    Settings s = model->settings();
    s.sunset.eveningRampMinutes = 45;
    model->setSettings(s);
    EXPECT_TRUE(showsNoPlanRow());
    EXPECT_EQ(section->noPlanRow()->titleText().text(), "Custom curve");
}

// A plan chosen in the section is the plan the popover's tonight block shows, and back.
TEST_F(EveningSectionTest, ThePopoversTonightBlockSeesTheSamePlan) {
    open(manualSettings());
    TonightSection tonight(model);
    EXPECT_FALSE(tonight.useMyEveningButton()->isHidden());
    section->useMyEveningButton()->click();
    EXPECT_TRUE(tonight.useMyEveningButton()->isHidden());
    EXPECT_EQ(tonight.intensity()->selected(), EveningIntensity::warm);
    tonight.intensity()->choose(EveningIntensity::deepRed);
    EXPECT_EQ(section->intensity()->selected(), EveningIntensity::deepRed);
    EXPECT_EQ(section->bedtimePicker()->time(), QTime(23, 0));
    EXPECT_EQ(tonight.captionLabel()->text(), section->statusLine()->text());
}

TEST_F(EveningSectionTest, Renders) {
    clock->setNow(Calendar(*TimeZone::named("Europe/Berlin")).date(2026, 3, 15, 21, 40));
    open(tunedByHand());
    const auto render = [&](const QString& name) {
        expectRenderedWhole(*section, name, kit::RenderHarness::fittingSize(*section, 520));
    };
    render(QStringLiteral("evening-section-custom"));
    model->setMode(Mode::manual);
    render(QStringLiteral("evening-section-manual"));
    model->setMode(Mode::schedule);
    render(QStringLiteral("evening-section-schedule"));
    model->setEveningPlan({ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm});
    render(QStringLiteral("evening-section-plan"));
}

}  // namespace
}  // namespace orvane::testing
