// The Schedule pane over the real model on the simulated machine: what each piece shows,
// what each control writes (one change per edit, none for an equal value), which pieces
// the mode shows, and a step set in the pane reaching the displays at its time.
#include <gtest/gtest.h>

#include <set>

#include <QTime>

#include "KitFixture.h"
#include "RenderedView.h"
#include "core/ColorMatrix.h"
#include "core/EveningPlan.h"
#include "platform/sim/SimImages.h"
#include "ui/kit/Form.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/kit/TintSwitch.h"
#include "ui/settings/ClockTimePicker.h"
#include "ui/settings/EveningSection.h"
#include "ui/settings/LateNightAnchorPicker.h"
#include "ui/settings/MorningPicker.h"
#include "ui/settings/SchedulePane.h"
#include "ui/settings/ScheduleRules.h"
#include "ui/settings/ScheduleStepsView.h"
#include "ui/settings/SettingsRootView.h"
#include "ui/settings/StepRow.h"
#include "ui/settings/SunsetSettingsView.h"
#include "ui/settings/TargetPicker.h"
#include "ui/views/EveningRules.h"
#include "ui/views/ModeSegment.h"
#include "ui/views/RevealBox.h"
#include "ui/views/Stepper.h"
#include "ui/views/SwitchRow.h"

namespace orvane::testing {
namespace {

class SchedulePaneTest : public CountingModelTest {
protected:
    template <class View>
    std::unique_ptr<View> make(QSize size = {560, 900}) {
        auto view = std::make_unique<View>(model, window.get());
        place(*view, size);
        return view;
    }
    std::unique_ptr<SchedulePane> pane() {
        auto view = std::make_unique<SchedulePane>(PaneEnvironment{model, std::make_shared<Desktop>()}, window.get());
        place(*view, {560, 1400});
        return view;
    }
    const Settings& settings() const { return model->settings(); }
    const SunsetSettings& sunset() const { return model->settings().sunset; }
    const ScheduleSettings& schedule() const { return model->settings().schedule; }
};

std::string text(const QString& s) { return s.toStdString(); }

// --- Labels and seeds ---------------------------------------------------------------------

TEST(ScheduleRulesTest, LabelsAreLocaleFree) {
    struct Case {
        std::string got, want;
    };
    const std::vector<Case> cases{
        {signedMinutesLabel(15), "+15 min"},
        {signedMinutesLabel(0), "+0 min"},
        {signedMinutesLabel(-30), "-30 min"},
        {minutesLabel(60), "60 min"},
        {minutesLabel(0), "0 min"},
        {SunsetRules::daytimeLabel(6400), "6400K"},
        {SunsetRules::daytimeLabel(6500), "Off"},
        {LateNightRules::hoursLabel(8.0), "8.0 h"},
        {LateNightRules::hoursLabel(0.5), "0.5 h"},
        {StepRules::rampLabel(30), "ramp 30 min"},
        {TargetRules::kelvinLabel(2700), "2700K"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(ScheduleRulesTest, TargetRowsAndSelection) {
    const auto rows = TargetRules::rows(Preset::builtIns());
    ASSERT_EQ(rows.size(), Preset::builtIns().size() + 1);
    EXPECT_EQ(rows.front().title, "Daylight \u00B7 6500K");
    EXPECT_EQ(rows[rows.size() - 2].title, "Midnight \u00B7 500K");
    EXPECT_EQ(rows.back().title, "Custom\u2026");
    EXPECT_EQ(rows.back().tag, "custom");

    const TintTarget custom = TintTarget::custom(2700, 0.8);
    EXPECT_EQ(TargetRules::selected(custom, "custom"), custom) << "custom again keeps its values";
    EXPECT_EQ(TargetRules::selected(TintTarget::preset("builtin.ember"), "custom"), TintTarget::custom(3400, 1.0));
    EXPECT_EQ(TargetRules::selected(custom, "builtin.focus"), TintTarget::preset("builtin.focus"));
    EXPECT_EQ(TargetRules::withKelvin(TintTarget::preset("x"), 3475), TintTarget::custom(3500, 1.0));
    EXPECT_EQ(TargetRules::withDim(TintTarget::preset("x"), 0.5), TintTarget::custom(3400, 0.5));
}

TEST(ScheduleRulesTest, KindsReadTheCaseAndWriteTheirSeeds) {
    EXPECT_EQ(LateNightRules::kind(LateNightAnchor::EventPlusHours{5}), 1);
    EXPECT_EQ(LateNightRules::kind(LateNightAnchor::Clock{ClockTime(1230)}), 0);
    EXPECT_EQ(LateNightRules::seed(0), LateNightAnchor(LateNightAnchor::Clock{ClockTime(1350)}));
    EXPECT_EQ(LateNightRules::seed(1), LateNightAnchor(LateNightAnchor::EventPlusHours{3.0}));
    const std::vector<MorningBehavior> seeds{MorningBehavior::OffAtSunrise{},
                                             MorningBehavior::OffAtFixed{ClockTime(420)}, MorningBehavior::RampOut{30},
                                             MorningBehavior::RampOutBy{ClockTime(420), 30}};
    for (int kind = 0; kind < 4; ++kind) {
        EXPECT_EQ(MorningRules::seed(kind), seeds[std::size_t(kind)]);
        EXPECT_EQ(MorningRules::kind(seeds[std::size_t(kind)]), kind);
    }
    EXPECT_EQ(StepRules::anchorSeed(1), StepAnchor(StepAnchor::Sun{SunEvent::sunset, 0}));
    EXPECT_EQ(StepRules::anchorSeed(0), StepAnchor(StepAnchor::Clock{ClockTime(1200)}));
    EXPECT_EQ(StepsRules::weekendKind(WeekendMode::Shifted{-15}), 1);
    EXPECT_EQ(StepsRules::weekendKind(WeekendMode::Separate{}), 2);
}

TEST(ScheduleRulesTest, ListEditsTouchOnlyTheListBeingEdited) {
    ScheduleSettings s;
    s.weekendSteps.clear();
    const auto removed = StepsRules::removed(s, false, 9);
    EXPECT_EQ(removed, s) << "a position past the end removes nothing";
    EXPECT_EQ(StepsRules::removed(s, false, 0).weekdaySteps.size(), 3u);
    const auto reset = StepsRules::reset(s, true);
    EXPECT_EQ(reset.weekendSteps, ScheduleSettings::defaultSteps());
    EXPECT_EQ(reset.weekdaySteps, s.weekdaySteps);
}

// A new step goes where its time falls in the list, which may run past midnight; steps of
// the sun keep their places.
TEST(ScheduleRulesTest, ANewStepIsPlacedInTimeOrder) {
    const auto clock = [](const char* id, int hour, int minute = 0) {
        return ScheduleStep(id, StepAnchor::Clock{ClockTime(hour, minute)}, TintTarget::preset("builtin.candle"), 30);
    };
    const auto sun =
        ScheduleStep("sun", StepAnchor::Sun{SunEvent::sunset, 0}, TintTarget::preset("builtin.candle"), 30);
    const auto ids = [](const std::vector<ScheduleStep>& steps) {
        std::vector<std::string> out;
        for (const auto& s : steps) out.push_back(s.id);
        return out;
    };
    struct Case {
        std::vector<ScheduleStep> steps;
        ScheduleStep added;
        std::vector<std::string> order;
    };
    const Case cases[] = {
        {{}, clock("new", 20), {"new"}},
        {{clock("a", 7), clock("b", 19)}, clock("new", 12), {"a", "new", "b"}},
        {{clock("a", 7), clock("b", 19)}, clock("new", 23), {"a", "b", "new"}},
        {{clock("a", 7), clock("b", 19)}, clock("new", 6), {"a", "b", "new"}},  // after the day's last
        {{clock("a", 19), clock("b", 21), clock("c", 22, 30), clock("d", 7)},
         clock("new", 20),
         {"a", "new", "b", "c", "d"}},
        {{clock("a", 19), clock("b", 21), clock("c", 22, 30), clock("d", 7)},
         clock("new", 1),
         {"a", "b", "c", "new", "d"}},
        {{clock("a", 19), clock("b", 21), clock("c", 22, 30), clock("d", 7)},
         clock("new", 12),
         {"a", "b", "c", "d", "new"}},
        {{sun, clock("a", 21), clock("b", 23)}, clock("new", 22), {"sun", "a", "new", "b"}},
        {{clock("a", 20), clock("b", 20)}, clock("new", 20), {"a", "b", "new"}},  // equal times: after them
        {{clock("a", 7), clock("b", 19)}, sun, {"a", "b", "sun"}},
    };
    for (const auto& c : cases) {
        ScheduleSettings s;
        s.weekdaySteps = c.steps;
        s.weekendSteps = {clock("weekend", 9)};
        const auto added = StepsRules::added(s, false, c.added);
        EXPECT_EQ(ids(added.weekdaySteps), c.order) << ::testing::PrintToString(ids(c.steps));
        EXPECT_EQ(added.weekendSteps, s.weekendSteps);
    }
}

// --- Target picker ------------------------------------------------------------------------

TEST_F(SchedulePaneTest, TargetPickerRowsCustomValuesAndSteps) {
    startCounting();
    auto view = make<SunsetSettingsView>();
    TargetPicker& target = view->eveningTarget();
    const auto& titles = target.picker().titles();
    ASSERT_EQ(titles.size(), 7u);
    EXPECT_EQ(text(titles.front()), "Daylight \u00B7 6500K");
    EXPECT_EQ(text(titles[5]), "Midnight \u00B7 500K");
    EXPECT_EQ(text(titles[6]), "Custom\u2026");
    EXPECT_EQ(text(target.picker().currentTitle()), "Evening \u00B7 3400K");
    EXPECT_FALSE(target.steppersShown());

    target.picker().choose(6);
    EXPECT_EQ(sunset().eveningTarget, TintTarget::custom(3400, 1.0));
    EXPECT_EQ(taken(), Counts(1, 1));
    EXPECT_TRUE(target.steppersShown());
    EXPECT_EQ(text(target.kelvinStepper().labelText()), "3400K");
    EXPECT_EQ(text(target.dimStepper().labelText()), "100%");
    target.picker().choose(6);
    EXPECT_EQ(taken(), Counts(0, 0)) << "Custom… on a custom target writes nothing";

    // A kelvin set elsewhere off the 50 K grid: one step up snaps.
    model->change([](Settings& s, RuntimeState&) { s.sunset.eveningTarget = TintTarget::custom(3425, 0.333); });
    EXPECT_EQ(text(target.dimStepper().labelText()), "33%");
    target.kelvinStepper().stepUp();
    EXPECT_EQ(sunset().eveningTarget, TintTarget::custom(3500, 0.333));
    target.dimStepper().stepUp();
    EXPECT_EQ(sunset().eveningTarget, TintTarget::custom(3500, 0.38));
    taken();

    // The ends of both steppers.
    model->change([](Settings& s, RuntimeState&) { s.sunset.eveningTarget = TintTarget::custom(6500, 1.0); });
    EXPECT_FALSE(target.kelvinStepper().upButton().isEnabled());
    EXPECT_FALSE(target.dimStepper().upButton().isEnabled());
    model->change([](Settings& s, RuntimeState&) { s.sunset.eveningTarget = TintTarget::custom(500, 0.05); });
    target.kelvinStepper().stepDown();
    target.dimStepper().stepDown();
    EXPECT_EQ(sunset().eveningTarget, TintTarget::custom(500, 0.05));

    // A preset drops the custom values; Custom… then starts again from 3400 K, 100 %.
    target.picker().choose(2);
    EXPECT_EQ(sunset().eveningTarget, TintTarget::preset("builtin.evening"));
    EXPECT_FALSE(target.steppersShown());
    target.picker().choose(6);
    EXPECT_EQ(sunset().eveningTarget, TintTarget::custom(3400, 1.0));

    // An id absent from the list: no row, no steppers; any row replaces it.
    model->change([](Settings& s, RuntimeState&) { s.sunset.eveningTarget = TintTarget::preset("user.gone"); });
    EXPECT_FALSE(target.picker().selectedIndex().has_value());
    EXPECT_FALSE(target.steppersShown());
    target.picker().choose(0);
    EXPECT_EQ(sunset().eveningTarget, TintTarget::preset("builtin.daylight"));

    // The rows follow the preset list.
    model->change([](Settings& s, RuntimeState&) {
        s.presets[0].name = "Noon";
        std::swap(s.presets[0], s.presets[1]);
    });
    EXPECT_EQ(text(view->eveningTarget().picker().titles()[1]), "Noon \u00B7 6500K");
    EXPECT_EQ(view->eveningTarget().picker().selectedIndex(), 1);
}

// --- Sunset plan --------------------------------------------------------------------------

TEST_F(SchedulePaneTest, SunsetEditorShowsTheDefaults) {
    start();
    auto view = make<SunsetSettingsView>();
    EXPECT_EQ(text(view->eventPicker().currentTitle()), "Sunset");
    EXPECT_EQ(text(view->offsetStepper().labelText()), "-30 min");
    EXPECT_EQ(text(view->eveningRampStepper().labelText()), "60 min");
    EXPECT_EQ(text(view->eveningTarget().picker().currentTitle()), "Evening \u00B7 3400K");
    EXPECT_TRUE(view->lateNightSwitch().isOn());
    EXPECT_EQ(text(view->lateNightAnchor().kindPicker().currentTitle()), "At");
    EXPECT_EQ(view->lateNightAnchor().clock().time(), QTime(20, 30));
    EXPECT_TRUE(view->lateNightAnchor().hoursStepper().isHidden());
    EXPECT_EQ(text(view->lateNightTarget().picker().currentTitle()), "Ember \u00B7 1200K");
    EXPECT_EQ(text(view->lateNightRampStepper().labelText()), "90 min");
    EXPECT_EQ(text(view->morningPicker().kindPicker().currentTitle()), "Ramp out ending at wake-up");
    EXPECT_EQ(view->morningPicker().wakeClock().time(), QTime(7, 0));
    EXPECT_FALSE(view->morningPicker().wakeClock().isHidden());
    EXPECT_EQ(text(view->daytimeStepper().labelText()), "Off");
    EXPECT_EQ(view->polarEvening().time(), QTime(20, 0));
    EXPECT_EQ(view->polarMorning().time(), QTime(7, 0));
    EXPECT_EQ(text(view->eveningSection().titleText()->text()), "Evening");
    EXPECT_EQ(text(view->lateNightSection().titleText()->text()), "Late night");
    EXPECT_EQ(text(view->morningSection().titleText()->text()), "Morning and day");
}

TEST_F(SchedulePaneTest, SunsetEditorWritesOneRecordPerEditAndNothingForAnEqualValue) {
    startCounting();
    auto view = make<SunsetSettingsView>();

    view->daytimeStepper().stepDown();
    EXPECT_EQ(sunset().daytimeKelvin, 6400);
    EXPECT_EQ(text(view->daytimeStepper().labelText()), "6400K");
    EXPECT_EQ(taken(), Counts(1, 1));
    view->daytimeStepper().stepUp();
    EXPECT_EQ(text(view->daytimeStepper().labelText()), "Off");
    EXPECT_FALSE(view->daytimeStepper().upButton().isEnabled());
    taken();

    view->eventPicker().choose(0);  // Sunset, as stored
    view->polarEvening().setTime(QTime(20, 0));
    view->lateNightSwitch().toggle().setOn(true);
    EXPECT_EQ(taken(), Counts(0, 0)) << "equal values write nothing";

    view->offsetStepper().stepUp();
    EXPECT_EQ(text(view->offsetStepper().labelText()), "-25 min");
    view->eventPicker().choose(2);
    EXPECT_EQ(sunset().eveningEvent, SunEvent::nauticalDusk);
    EXPECT_EQ(sunset().startOffsetMinutes, -25);
    EXPECT_EQ(taken(), Counts(2, 2));

    // A stored event the picker does not offer matches no row.
    model->change([](Settings& s, RuntimeState&) { s.sunset.eveningEvent = SunEvent::sunrise; });
    EXPECT_FALSE(view->eventPicker().selectedIndex().has_value());
    view->eventPicker().choose(1);
    EXPECT_EQ(sunset().eveningEvent, SunEvent::civilDusk);

    // The offset and ramp steppers stop at their ends.
    model->change([](Settings& s, RuntimeState&) {
        s.sunset.startOffsetMinutes = 120;
        s.sunset.eveningRampMinutes = 0;
    });
    view->offsetStepper().stepUp();
    view->eveningRampStepper().stepDown();
    EXPECT_EQ(sunset().startOffsetMinutes, 120);
    EXPECT_EQ(sunset().eveningRampMinutes, 0);

    // Turning the late-night stage off hides its rows and keeps their values.
    const SunsetSettings before = sunset();
    view->lateNightSwitch().toggle().click();
    EXPECT_FALSE(sunset().lateNightEnabled);
    for (kit::SettingRow* row : {&view->beginsRow(), &view->lateNightTargetRow(), &view->lateNightRampRow()})
        EXPECT_TRUE(row->isHidden());
    view->lateNightSwitch().toggle().click();
    EXPECT_EQ(sunset(), before);
    EXPECT_FALSE(view->beginsRow().isHidden());
}

TEST_F(SchedulePaneTest, KindPickersWriteTheirSeedsAndCarryPayloads) {
    start();
    auto view = make<SunsetSettingsView>();
    LateNightAnchorPicker& anchor = view->lateNightAnchor();
    anchor.kindPicker().choose(1);
    EXPECT_EQ(sunset().lateNightAnchor, LateNightAnchor(LateNightAnchor::EventPlusHours{3.0}));
    EXPECT_TRUE(anchor.clock().isHidden());
    EXPECT_EQ(text(anchor.hoursStepper().labelText()), "3.0 h");
    model->change([](Settings& s, RuntimeState&) { s.sunset.lateNightAnchor = LateNightAnchor::EventPlusHours{7.5}; });
    anchor.hoursStepper().stepUp();
    EXPECT_EQ(text(anchor.hoursStepper().labelText()), "8.0 h");
    EXPECT_FALSE(anchor.hoursStepper().upButton().isEnabled());
    anchor.kindPicker().choose(1);
    EXPECT_EQ(sunset().lateNightAnchor, LateNightAnchor(LateNightAnchor::EventPlusHours{3.0})) << "whatever was stored";
    anchor.kindPicker().choose(0);
    EXPECT_EQ(sunset().lateNightAnchor, LateNightAnchor(LateNightAnchor::Clock{ClockTime(1350)}));
    model->change([](Settings& s, RuntimeState&) { s.sunset.lateNightAnchor = LateNightAnchor::Clock{ClockTime(60)}; });
    anchor.kindPicker().choose(0);
    EXPECT_EQ(sunset().lateNightAnchor, LateNightAnchor(LateNightAnchor::Clock{ClockTime(1350)}));

    MorningPicker& morning = view->morningPicker();
    model->change([](Settings& s, RuntimeState&) {
        s.sunset.morning = MorningBehavior::RampOutBy{ClockTime(420), 45};
    });
    morning.wakeClock().setTime(QTime(6, 30));
    EXPECT_EQ(sunset().morning, MorningBehavior(MorningBehavior::RampOutBy{ClockTime(390), 45}));
    morning.kindPicker().choose(2);
    EXPECT_EQ(text(morning.minutesStepper().labelText()), "30 min");
    model->change([](Settings& s, RuntimeState&) { s.sunset.morning = MorningBehavior::RampOut{5}; });
    morning.minutesStepper().stepDown();
    EXPECT_EQ(text(morning.minutesStepper().labelText()), "0 min");
    EXPECT_FALSE(morning.minutesStepper().downButton().isEnabled());
    morning.kindPicker().choose(0);
    EXPECT_EQ(sunset().morning, MorningBehavior(MorningBehavior::OffAtSunrise{}));
    EXPECT_TRUE(morning.fixedClock().isHidden());
    EXPECT_TRUE(morning.wakeClock().isHidden());
    EXPECT_TRUE(morning.minutesStepper().isHidden());
    morning.kindPicker().choose(3);
    EXPECT_EQ(sunset().morning, MorningBehavior(MorningBehavior::RampOutBy{ClockTime(420), 30}));
}

// --- Schedule steps -----------------------------------------------------------------------

TEST_F(SchedulePaneTest, SeparateStepsWithAnEmptyWeekendListIsOneChange) {
    Settings stored;
    stored.mode = Mode::schedule;
    stored.schedule.weekdaySteps.push_back(StepsRules::newStep("A1B2"));
    stored.schedule.weekendSteps.clear();
    startCounting(stored);
    std::vector<ScheduleSettings> seen;
    auto watch = model->observeSettings([&](const Settings&, const Settings& now) { seen.push_back(now.schedule); });
    auto view = make<ScheduleStepsView>();

    view->weekendPicker().choose(2);
    EXPECT_EQ(taken(), Counts(1, 1));
    ASSERT_EQ(seen.size(), 1u) << "never separate weekends without their steps";
    EXPECT_TRUE(seen[0].weekendMode.is<WeekendMode::Separate>());
    EXPECT_EQ(seen[0].weekendSteps, seen[0].weekdaySteps) << "a copy, ids included";
    EXPECT_EQ(schedule().weekendSteps.back().id, "A1B2");
    store->flush();
    EXPECT_EQ(ScheduleSettings::fromJson(Json::parse(*storedText(SettingsStore::settingsKey))["schedule"]), schedule());

    // An earlier weekend list is kept.
    view->setEditingWeekend(true);
    view->removeStep(0);
    view->weekendPicker().choose(0);
    view->weekendPicker().choose(2);
    EXPECT_EQ(schedule().weekendSteps.size(), 4u);
    EXPECT_NE(schedule().weekendSteps, schedule().weekdaySteps);
}

TEST_F(SchedulePaneTest, WeekendOptionsAndTheListBeingEdited) {
    Settings stored;
    stored.mode = Mode::schedule;
    stored.schedule.weekendMode = WeekendMode::Shifted{30};
    startCounting(stored);
    auto view = make<ScheduleStepsView>();
    EXPECT_FALSE(view->shiftRow().isHidden());
    EXPECT_TRUE(view->editingRow().isHidden());
    EXPECT_EQ(text(view->shiftStepper().labelText()), "+30 min");

    view->weekendPicker().choose(1);
    EXPECT_EQ(schedule().weekendMode, WeekendMode(WeekendMode::Shifted{60}));
    view->weekendPicker().choose(1);
    EXPECT_EQ(taken(), Counts(1, 1)) << "Shifted while shifted by 60 writes nothing";

    model->change([](Settings& s, RuntimeState&) { s.schedule.weekendMode = WeekendMode::Shifted{-225}; });
    view->shiftStepper().stepDown();
    view->shiftStepper().stepDown();
    EXPECT_EQ(schedule().weekendMode, WeekendMode(WeekendMode::Shifted{-240}));
    model->change([](Settings& s, RuntimeState&) { s.schedule.weekendMode = WeekendMode::Shifted{-15}; });
    view->shiftStepper().stepUp();
    EXPECT_EQ(text(view->shiftStepper().labelText()), "+0 min");

    // Weekend steps: edited apart; shifting returns the editor to the weekdays.
    view->weekendPicker().choose(2);
    EXPECT_FALSE(view->editingRow().isHidden());
    EXPECT_TRUE(view->shiftRow().isHidden());
    view->editingSegment().button(1).click();
    ASSERT_TRUE(view->editingWeekend());
    const auto weekdays = schedule().weekdaySteps;
    view->resetSteps();
    view->addStep();
    EXPECT_EQ(schedule().weekdaySteps, weekdays) << "weekend edits leave the weekdays";
    EXPECT_EQ(schedule().weekendSteps.size(), 5u);
    view->weekendPicker().choose(1);
    EXPECT_FALSE(view->editingWeekend());
    EXPECT_EQ(view->stepRows().size(), weekdays.size());

    // A reset while editing the weekends gives only that list the default ids.
    model->change([](Settings& s, RuntimeState&) {
        s.schedule.weekendMode = WeekendMode::Separate{};
        s.schedule.weekendSteps.clear();
        s.schedule.weekdaySteps.resize(1);
    });
    view->setEditingWeekend(true);
    view->resetSteps();
    std::vector<std::string> ids;
    for (const auto& s : schedule().weekendSteps) ids.push_back(s.id);
    EXPECT_EQ(ids,
              (std::vector<std::string>{"default.evening", "default.candle", "default.midnight", "default.daylight"}));
    EXPECT_EQ(schedule().weekdaySteps.size(), 1u);
    // Same as weekdays keeps the weekend steps stored; they show again on return.
    view->weekendPicker().choose(0);
    EXPECT_FALSE(view->editingWeekend());
    EXPECT_EQ(schedule().weekendSteps.size(), 4u);
}

TEST_F(SchedulePaneTest, AddAndRemoveSteps) {
    Settings stored;
    stored.mode = Mode::schedule;
    startCounting(stored);
    auto view = make<ScheduleStepsView>();
    ASSERT_EQ(view->stepRows().size(), 4u);

    view->addButton().click();
    view->addButton().click();
    EXPECT_EQ(taken(), Counts(2, 2));
    ASSERT_EQ(schedule().weekdaySteps.size(), 6u);
    // At 20:00, in time order: after 19:00, before 21:00.
    const auto& a = schedule().weekdaySteps[1];
    const auto& b = schedule().weekdaySteps[2];
    EXPECT_EQ(schedule().weekdaySteps[0].id, "default.evening");
    EXPECT_EQ(schedule().weekdaySteps[3].id, "default.candle");
    EXPECT_NE(a.id, b.id);
    for (const auto* s : {&a, &b}) {
        EXPECT_EQ(s->id.size(), 36u);
        EXPECT_EQ(s->anchor, StepAnchor(StepAnchor::Clock{ClockTime(1200)}));
        EXPECT_EQ(s->target, TintTarget::preset("builtin.candle"));
        EXPECT_EQ(s->rampMinutes, 30);
    }
    ASSERT_EQ(view->stepRows().size(), 6u);

    // The row at position 1 removes only its step; a stale position removes nothing.
    const std::string second = schedule().weekdaySteps[1].id;
    view->stepRows()[1]->removeButton().click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(schedule().weekdaySteps.size(), 5u);
    for (const auto& s : schedule().weekdaySteps) EXPECT_NE(s.id, second);
    taken();
    view->removeStep(5);
    EXPECT_EQ(taken(), Counts(0, 0));

    while (!view->stepRows().empty()) {
        view->stepRows().front()->removeButton().click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(schedule().weekdaySteps.empty());
    EXPECT_FALSE(view->weekendPicker().isHidden());
    EXPECT_FALSE(view->addButton().isHidden());
    EXPECT_FALSE(view->resetButton().isHidden());
    EXPECT_EQ(text(view->footnoteText().text()),
              "Steps are applied in time order every day. A ramp blends from the previous step's target.");
}

TEST_F(SchedulePaneTest, StepRowEditsItsOwnPart) {
    Settings stored;
    stored.mode = Mode::schedule;
    startCounting(stored);
    auto view = make<ScheduleStepsView>();
    StepRow& row = *view->stepRows()[0];
    const ScheduleStep before = schedule().weekdaySteps[0];
    EXPECT_FALSE(row.clock().isHidden());
    EXPECT_EQ(row.clock().time(), QTime(19, 0));

    row.anchorPicker().choose(1);
    const auto& step = [&]() -> const ScheduleStep& { return schedule().weekdaySteps[0]; };
    EXPECT_EQ(step().anchor, StepAnchor(StepAnchor::Sun{SunEvent::sunset, 0}));
    EXPECT_TRUE(row.clock().isHidden());
    EXPECT_FALSE(row.eventPicker().isHidden());
    EXPECT_EQ(text(row.offsetStepper().labelText()), "+0 min");
    row.offsetStepper().stepDown();
    EXPECT_EQ(text(row.offsetStepper().labelText()), "-5 min");
    row.eventPicker().choose(4);
    EXPECT_EQ(step().anchor, StepAnchor(StepAnchor::Sun{SunEvent::nauticalDusk, -5}));
    EXPECT_EQ(text(row.eventPicker().currentTitle()), "Nautical dusk");
    model->change([](Settings& s, RuntimeState&) {
        s.schedule.weekdaySteps[0].anchor = StepAnchor::Sun{SunEvent::sunrise, 180};
        s.schedule.weekdaySteps[0].rampMinutes = 180;
    });
    row.offsetStepper().stepUp();
    row.rampStepper().stepUp();
    EXPECT_EQ(step().anchor, StepAnchor(StepAnchor::Sun{SunEvent::sunrise, 180}));
    EXPECT_EQ(step().rampMinutes, 180);
    row.anchorPicker().choose(0);
    EXPECT_EQ(step().anchor, StepAnchor(StepAnchor::Clock{ClockTime(1200)})) << "the seed, not the earlier time";

    row.target().picker().choose(6);
    model->change([](Settings& s, RuntimeState&) { s.schedule.weekdaySteps[0].rampMinutes = 5; });
    row.rampStepper().stepDown();
    row.rampStepper().stepDown();
    EXPECT_EQ(text(row.rampStepper().labelText()), "ramp 0 min");
    EXPECT_EQ(step().id, before.id);
    EXPECT_EQ(step().anchor, StepAnchor(StepAnchor::Clock{ClockTime(1200)}));
    EXPECT_EQ(step().target, TintTarget::custom(3400, 1.0));
    EXPECT_EQ(schedule().weekdaySteps.size(), 4u);
}

// --- The pane -----------------------------------------------------------------------------

TEST_F(SchedulePaneTest, TheModeDecidesWhichPiecesShow) {
    Settings stored;
    stored.mode = Mode::manual;
    start(stored);
    auto view = pane();
    const auto showing = [&] {
        return std::vector<bool>{!view->fineTuneRow().isHidden(), view->fold().shown(),
                                 !view->stepsEditor().isHidden()};
    };
    EXPECT_FALSE(view->eveningSection().isHidden());
    EXPECT_FALSE(view->locationSection().isHidden());
    EXPECT_FALSE(view->modeSection().isHidden());
    EXPECT_EQ(text(view->modeCaption().text()),
              "Sunset follows your evening. Schedule uses fixed times you set below. Manual stays where you put it.");
    EXPECT_EQ(showing(), (std::vector<bool>{false, false, false}));

    model->setMode(Mode::schedule);
    EXPECT_EQ(showing(), (std::vector<bool>{false, false, true}));

    // A curve made by an evening plan: folded until the switch unfolds it on the spring.
    model->setEveningPlan(EveningRules::defaultEvening());
    EXPECT_EQ(showing(), (std::vector<bool>{true, false, false}));
    EXPECT_FALSE(view->fineTune());
    view->fineTuneSwitch().click();
    EXPECT_TRUE(view->fineTune());
    EXPECT_TRUE(view->fold().shown());
    EXPECT_LT(view->fold().progress(), 1.0) << "unfolds on the spring";
    animationTime += 0.25;
    animator->step();
    EXPECT_GT(view->fold().progress(), 0.0);
    EXPECT_LT(view->fold().progress(), 1.0);
    animationTime += 2;
    animator->step();
    EXPECT_DOUBLE_EQ(view->fold().progress(), 1.0);

    // An edit that makes the curve custom leaves the fold as it is while the pane stays.
    view->sunsetEditor().offsetStepper().stepUp();
    EXPECT_FALSE(model->eveningPlan().has_value());
    EXPECT_TRUE(view->fineTune());
    view->fineTuneSwitch().click();
    EXPECT_FALSE(view->fineTune());

    // Leaving sunset and coming back keeps the switch; reopening works it out again.
    model->setMode(Mode::manual);
    EXPECT_EQ(showing(), (std::vector<bool>{false, false, false}));
    model->setMode(Mode::sunset);
    EXPECT_EQ(showing(), (std::vector<bool>{true, false, false}));
    view->hide();
    view->show();
    EXPECT_TRUE(view->fineTune()) << "a hand-tuned curve opens unfolded";
    EXPECT_EQ(showing(), (std::vector<bool>{true, true, false}));
    EXPECT_DOUBLE_EQ(view->fold().progress(), 1.0) << "settled at once on opening";
    model->setEveningPlan(EveningRules::defaultEvening());
    view->hide();
    view->show();
    EXPECT_FALSE(view->fineTune());
    EXPECT_EQ(showing(), (std::vector<bool>{true, false, false}));
}

TEST_F(SchedulePaneTest, UnderReduceMotionTheFoldSettlesAtOnce) {
    start();
    animator->setReduceMotion(true);
    auto view = pane();
    view->fineTuneSwitch().click();
    EXPECT_DOUBLE_EQ(view->fold().progress(), 1.0);
    view->fineTuneSwitch().click();
    EXPECT_DOUBLE_EQ(view->fold().progress(), 0.0);
}

TEST_F(SchedulePaneTest, AStepSetInThePaneReachesTheDisplaysAtItsTime) {
    Settings stored;
    stored.mode = Mode::schedule;
    stored.schedule.weekdaySteps = {
        ScheduleStep("day", StepAnchor::Clock{ClockTime(420)}, TintTarget::preset("builtin.daylight"), 0)};
    start(stored);
    auto view = pane();
    const auto& f = display(1).frame;
    const auto seen = [&] { return sim->scanOutColorAt({f.x + f.width / 2, f.y + f.height / 2}); };
    const platform::sim::Rgb daylight = seen();

    view->stepsEditor().addStep();
    ASSERT_EQ(view->stepsEditor().stepRows().size(), 2u);
    view->stepsEditor().stepRows()[1]->clock().setTime(QTime(13, 0));
    ASSERT_EQ(schedule().weekdaySteps[1].anchor, StepAnchor(StepAnchor::Clock{ClockTime(780)}));
    settle();
    const auto early = seen();
    EXPECT_DOUBLE_EQ(early.b, daylight.b) << "nothing changes before the step's time";

    // 13:35, past the step's 30 minute ramp: the clock jumps and the model's pending tick fires.
    clock->setNow(clock->now() + 95 * 60);
    scheduler->advance(model->tickTimer()->interval);
    const TintState candle = TintTarget::preset("builtin.candle").resolve(settings().presets, settings().redStyle);
    const auto want = ColorMatrix::make(candle).applied(
        {platform::sim::desktopColor.r, platform::sim::desktopColor.g, platform::sim::desktopColor.b});
    const auto got = seen();
    EXPECT_NEAR(got.r, std::clamp(want[0], 0.0, 1.0), 0.02);
    EXPECT_NEAR(got.g, std::clamp(want[1], 0.0, 1.0), 0.02);
    EXPECT_NEAR(got.b, std::clamp(want[2], 0.0, 1.0), 0.02);
    EXPECT_EQ(model->resolution().modeState.kelvin, candle.kelvin);
}

// --- Renders ------------------------------------------------------------------------------

TEST_F(SchedulePaneTest, Renders) {
    Settings stored;
    stored.mode = Mode::manual;
    start(stored);
    auto view = pane();
    const auto render = [&](const QString& name) {
        QCoreApplication::sendPostedEvents();  // the layout requests of a mode change, as the event loop would
        expectRenderedWhole(*view, name, kit::RenderHarness::fittingSize(*view, 560));
    };
    render(QStringLiteral("schedule-pane-manual"));
    model->change([](Settings& s, RuntimeState&) {
        s.mode = Mode::sunset;
        s.sunset.startOffsetMinutes = -15;
        s.sunset.lateNightTarget = TintTarget::custom(1500, 0.8);
    });
    view->hide();
    view->show();
    ASSERT_TRUE(view->fineTune());
    render(QStringLiteral("schedule-pane-sunset"));
    model->change([](Settings& s, RuntimeState&) {
        s.mode = Mode::schedule;
        s.schedule.weekendMode = WeekendMode::Separate{};
        s.schedule.weekdaySteps[1].anchor = StepAnchor::Sun{SunEvent::civilDusk, -20};
        s.schedule.weekdaySteps[2].target = TintTarget::custom(1800, 0.7);
    });
    render(QStringLiteral("schedule-pane-schedule"));
}

}  // namespace
}  // namespace orvane::testing
