// The settings layer of the panes: a field writes its record once per real edit, never for
// an equal value and never while it shows a change; it follows changes of its own field
// made anywhere and ignores the others. The form pieces built on it keep those promises.
#include <gtest/gtest.h>
#include <QFocusEvent>
#include <QMenu>
#include <QTest>

#include "KitFixture.h"
#include "ui/kit/Form.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/views/Picker.h"
#include "ui/views/SettingField.h"
#include "ui/views/Stepper.h"
#include "ui/views/SwitchRow.h"
#include "ui/views/TextField.h"

namespace orvane::testing {
namespace {

using SettingFieldTest = CountingModelTest;

TEST_F(SettingFieldTest, OneWritePerEditNoneForAnEqualValueNoneOnRefresh) {
    startCounting();
    auto field = kit::settingField(model, &Settings::sounds);
    std::vector<bool> shown;
    QObject control;
    field->onChange(&control, [&](bool v) { shown.push_back(v); });
    EXPECT_EQ(shown, std::vector<bool>{true}) << "shows the stored value at once";

    EXPECT_TRUE(field->set(false));
    EXPECT_EQ(taken(), Counts(1, 1));
    EXPECT_FALSE(model->settings().sounds);
    EXPECT_FALSE(field->set(false)) << "the value already stored";
    EXPECT_EQ(taken(), Counts(0, 0));

    // Another control edits the same field: this one follows, and writes nothing.
    auto other = kit::settingField(model, &Settings::sounds);
    other->set(true);
    EXPECT_EQ(taken(), Counts(1, 1));
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true}));

    // A change of another field does not refresh this one.
    kit::settingField(model, &Settings::hapticDetents)->set(false);
    EXPECT_EQ(taken(), Counts(1, 1));
    EXPECT_EQ(shown.size(), 3u);

    // A field that writes while it is shown (a control whose signal was not blocked) writes nothing.
    auto echo = kit::settingField(model, &Settings::sounds);
    int echoes = 0;
    echo->onChange(&control, [&](bool v) { echoes += echo->set(!v) ? 1 : 0; });
    other->set(false);
    EXPECT_EQ(echoes, 0);
    EXPECT_EQ(taken(), Counts(1, 1));
}

TEST_F(SettingFieldTest, RecordsAreWrittenWholeAndOperationsRunOnlyForAChange) {
    startCounting();
    // A field inside a record.
    auto breaks = kit::settingField(model, &Settings::restBreaks, &RestBreakSettings::enabled);
    const RestBreakSettings before = model->settings().restBreaks;
    breaks->set(!before.enabled);
    RestBreakSettings expected = before;
    expected.enabled = !before.enabled;
    EXPECT_EQ(model->settings().restBreaks, expected);
    EXPECT_EQ(taken(), Counts(1, 1));

    // One display's record by key: the defaults until stored, then the stored entry.
    const std::string key = "display-under-test";
    auto display = kit::displaySettingsField(model, key);
    EXPECT_EQ(display->value(), model->settings().displaySettings(key));
    EXPECT_FALSE(display->set(display->value())) << "the defaults, unchanged, are not stored";
    EXPECT_FALSE(model->settings().displays.contains(key));
    DisplaySettings edited = display->value();
    edited.enabled = !edited.enabled;
    EXPECT_TRUE(display->set(edited));
    ASSERT_TRUE(model->settings().displays.contains(key));
    EXPECT_EQ(model->settings().displays.at(key), edited);
    EXPECT_EQ(taken(), Counts(1, 1));

    // A model operation runs only when the value differs.
    int operations = 0;
    auto enabled = kit::operationField<bool>(
        model, [](const Settings& s) { return s.enabled; },
        [&](AppModel& m, bool on) {
            ++operations;
            m.setEnabled(on);
        });
    enabled->set(model->settings().enabled);
    EXPECT_EQ(operations, 0);
    enabled->set(!model->settings().enabled);
    EXPECT_EQ(operations, 1);
}

TEST_F(SettingFieldTest, SwitchRowWritesAFlipAndFollowsOtherControlsWithoutWriting) {
    startCounting();
    kit::SwitchRow row(QStringLiteral("Sounds"), std::nullopt, kit::settingField(model, &Settings::sounds),
                       window.get());
    place(row, {400, 44});
    EXPECT_TRUE(row.isOn());
    row.toggle().click();
    EXPECT_FALSE(model->settings().sounds);
    EXPECT_EQ(taken(), Counts(1, 1));

    kit::settingField(model, &Settings::sounds)->set(true);
    EXPECT_TRUE(row.isOn());
    EXPECT_EQ(taken(), Counts(1, 1)) << "the switch moved without writing back";

    Settings replaced = model->settings();
    replaced.sounds = false;
    model->setSettings(replaced);  // an import or a reset
    EXPECT_FALSE(row.isOn());
    EXPECT_EQ(taken(), Counts(1, 1));

    // An operation that refuses keeps the stored value: the switch goes back to it.
    int asked = 0;
    kit::SwitchRow refusing(QStringLiteral("Launch at login"), std::nullopt,
                            kit::operationField<bool>(
                                model, [](const Settings& s) { return s.sounds; }, [&](AppModel&, bool) { ++asked; }),
                            window.get());
    place(refusing, {400, 44});
    ASSERT_FALSE(refusing.isOn());
    refusing.toggle().click();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(refusing.isOn()) << "the model kept off";
    EXPECT_EQ(taken(), Counts(0, 0));

    row.setSubtitle(QStringLiteral("Second line"));
    ASSERT_NE(row.subtitleText(), nullptr);
    EXPECT_EQ(row.subtitleText()->text(), QStringLiteral("Second line"));
    row.setSubtitle(std::nullopt);
    EXPECT_EQ(row.subtitleText(), nullptr);
}

TEST_F(SettingFieldTest, PickerChecksTheStoredChoiceAndWritesAPick) {
    startCounting();
    kit::PickerRow<Smoothing> row(
        QStringLiteral("Slider smoothing"), std::nullopt,
        {{Smoothing::instant, "Instant"}, {Smoothing::ms150, "150 ms"}, {Smoothing::ms400, "400 ms"}},
        kit::settingField(model, &Settings::smoothing), window.get());
    std::vector<Smoothing> picked;
    row.picker().onPicked([&](Smoothing s) { picked.push_back(s); });
    EXPECT_EQ(row.picker().currentTitle(), QStringLiteral("150 ms"));

    std::unique_ptr<QMenu> menu(row.picker().buildMenu());
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Instant"));
    std::vector<bool> checked;
    for (auto* action : menu->actions()) checked.push_back(action->isChecked());
    EXPECT_EQ(checked, (std::vector<bool>{false, true, false}));

    menu->actions()[2]->trigger();
    EXPECT_EQ(model->settings().smoothing, Smoothing::ms400);
    EXPECT_EQ(row.picker().currentTitle(), QStringLiteral("400 ms"));
    EXPECT_EQ(taken(), Counts(1, 1));
    row.picker().choose(2);
    EXPECT_EQ(taken(), Counts(0, 0)) << "picking the chosen item again";

    kit::settingField(model, &Settings::smoothing)->set(Smoothing::instant);
    EXPECT_EQ(row.picker().currentTitle(), QStringLiteral("Instant"));
    EXPECT_EQ(picked, (std::vector<Smoothing>{Smoothing::ms150, Smoothing::ms400, Smoothing::instant}));
    EXPECT_EQ(taken(), Counts(1, 1));
}

TEST(StepperRules, ClickWritesTheClampedStepFromTheShownValue) {
    namespace R = kit::StepperRules;
    EXPECT_EQ(R::percentShown(0.125), 13) << "ties away from zero";
    EXPECT_EQ(R::percentShown(0.055), 6);
    EXPECT_EQ(R::percentShown(0.05), 5);
    EXPECT_DOUBLE_EQ(R::percentStored(6), 0.06);
    EXPECT_EQ(R::percentLabel(5), QStringLiteral("5%"));
    EXPECT_EQ(R::percentLabel(1000), QStringLiteral("1000%")) << "no grouping";

    struct Case {
        std::int64_t shown;
        kit::StepperRange range;
        bool up;
        std::int64_t written;
    };
    const Case cases[] = {
        {6, {0, 100, 1}, true, 7},   {6, {0, 100, 1}, false, 5}, {85, {20, 90, 5}, true, 90},
        {90, {20, 90, 5}, true, 90}, {2, {1, 30, 1}, false, 1},  {50, {1, 30, 1}, false, 30},
        {50, {1, 30, 1}, true, 30},  {0, {1, 30, 1}, true, 1},   {2000, {50, 2000, 50}, false, 1950},
    };
    for (const auto& c : cases)
        EXPECT_EQ(R::stepped(c.shown, c.range, c.up), c.written)
            << c.shown << (c.up ? " up" : " down") << " in " << c.range.lowest << "..." << c.range.highest;
    EXPECT_FALSE(R::canStep(30, {1, 30, 1}, true));
    EXPECT_TRUE(R::canStep(50, {1, 30, 1}, false)) << "outside the range a click brings it back";
}

TEST_F(SettingFieldTest, PercentStepperShowsTheStoredValueAndWritesWholePercents) {
    Settings settings;
    settings.dimFloor = 0.055;
    startCounting(settings);
    // The stored value is taken as the decoder left it (0.055 lies inside its clamp range).
    ASSERT_DOUBLE_EQ(model->settings().dimFloor, 0.055);
    std::unique_ptr<kit::Stepper> stepper(
        kit::Stepper::percent(kit::settingField(model, &Settings::dimFloor), {0, 100, 1}));
    EXPECT_EQ(stepper->labelText(), QStringLiteral("6%"));
    stepper->stepUp();
    EXPECT_DOUBLE_EQ(model->settings().dimFloor, 0.07);
    EXPECT_EQ(stepper->labelText(), QStringLiteral("7%"));
    EXPECT_EQ(taken(), Counts(1, 1));

    kit::settingField(model, &Settings::dimFloor)->set(0.055);
    EXPECT_EQ(stepper->labelText(), QStringLiteral("6%")) << "follows a change made elsewhere";
    taken();
    stepper->downButton().click();
    EXPECT_DOUBLE_EQ(model->settings().dimFloor, 0.05);
    EXPECT_EQ(taken(), Counts(1, 1));

    // An integer setting with a label of its own, stopping at the end of its range.
    std::unique_ptr<kit::Stepper> kelvin(new kit::Stepper(kit::settingField(model, &Settings::warmthStepKelvin),
                                                          {50, 300, 50},
                                                          [](std::int64_t k) { return QString::number(k) + "K"; }));
    EXPECT_EQ(kelvin->labelText(), QStringLiteral("250K"));
    kelvin->stepUp();
    EXPECT_EQ(model->settings().warmthStepKelvin, 300);
    EXPECT_FALSE(kelvin->upButton().isEnabled());
    kelvin->stepUp();
    EXPECT_EQ(model->settings().warmthStepKelvin, 300);
    EXPECT_EQ(taken(), Counts(1, 1));
}

TEST_F(SettingFieldTest, TextFieldCommitsOnReturnAndFocusOutOncePerEdit) {
    startCounting();
    auto name = kit::settingField<std::string>(
        model, [](const Settings& s) { return s.presets.front().name; },
        [](Settings& s, const std::string& v) { s.presets.front().name = v; });
    kit::TextField field(QStringLiteral("Name"), std::move(name), window.get());
    place(field, {200, 26});
    EXPECT_EQ(field.text().toStdString(), model->settings().presets.front().name);

    field.setFocus();
    field.selectAll();
    QTest::keyClicks(&field, "Dusk");
    EXPECT_EQ(taken(), Counts(0, 0)) << "typing alone commits nothing";
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(model->settings().presets.front().name, "Dusk");
    EXPECT_EQ(taken(), Counts(1, 1));

    QTest::keyClicks(&field, "!");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&field, &out);
    EXPECT_EQ(model->settings().presets.front().name, "Dusk!");
    EXPECT_EQ(taken(), Counts(1, 1));
    QCoreApplication::sendEvent(&field, &out);
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(taken(), Counts(0, 0)) << "leaving an unchanged field";

    // Bare, with a callback of its own.
    kit::TextField bare(QStringLiteral("Host"), window.get());
    std::vector<QString> commits;
    bare.onCommit([&](const QString& t) { commits.push_back(t); });
    bare.setText(QStringLiteral("a"));
    bare.commit();
    bare.commit();
    EXPECT_EQ(commits, std::vector<QString>{QStringLiteral("a")});

    kit::settingField<std::string>(
        model, [](const Settings& s) { return s.presets.front().name; },
        [](Settings& s, const std::string& v) { s.presets.front().name = v; })
        ->set("Evening glow");
    EXPECT_EQ(field.text(), QStringLiteral("Evening glow"));
}

TEST_F(SettingFieldTest, HiddenRowsTakeNoRoomAndTheFormPiecesRender) {
    startCounting();
    kit::Form form(window.get());
    auto* app = form.addSection(QStringLiteral("App"));
    app->addRow(new kit::SwitchRow(QStringLiteral("Show icon in the panel"), std::nullopt,
                                   kit::settingField(model, &Settings::showMenuBarIcon)));
    auto* caption = app->addCaption(QStringLiteral("With the icon hidden, open the app again to show Settings."));
    app->addRow(new kit::SwitchRow(QStringLiteral("Show kelvin next to the icon"), std::nullopt,
                                   kit::settingField(model, &Settings::showKelvinInMenuBar)));
    auto* feel = form.addSection(QStringLiteral("Feel"));
    feel->addRow(new kit::PickerRow<OverrideBehavior>(
        QStringLiteral("When you change the warmth yourself"),
        QStringLiteral("Your change stays for an hour. The screen never jumps back to a cooler color at night."),
        {{OverrideBehavior::keepUntilMorning, "Keep until morning"},
         {OverrideBehavior::pauseUntilNextStep, "Keep until the next step"},
         {OverrideBehavior::pauseOneHour, "Keep for 1 hour"},
         {OverrideBehavior::switchToManual, "Switch to Manual"}},
        kit::settingField(model, &Settings::overrideBehavior)));
    feel->addRow(new kit::SettingRow(QStringLiteral("Dim floor"), QStringLiteral("The darkest the dim slider goes."),
                                     kit::Stepper::percent(kit::settingField(model, &Settings::dimFloor), {1, 30, 1})));
    feel->addRow(new kit::SettingRow(
        QStringLiteral("Preset name"), std::nullopt,
        new kit::TextField(QStringLiteral("Name"),
                           kit::settingField<std::string>(
                               model, [](const Settings& s) { return s.presets.front().name; },
                               [](Settings& s, const std::string& v) { s.presets.front().name = v; }))));
    feel->setFootnote(QStringLiteral("Changes take effect at once."));

    place(form, {560, 400});
    const QSize size = kit::RenderHarness::fittingSize(form, 560);
    caption->hide();
    QCoreApplication::sendPostedEvents();
    const QSize without = kit::RenderHarness::fittingSize(form, 560);
    EXPECT_LT(without.height(), size.height()) << "a hidden caption takes no room";
    caption->show();
    kit::RenderHarness::renderBoth(form, QStringLiteral("kit-form"), size);
}

}  // namespace
}  // namespace orvane::testing
