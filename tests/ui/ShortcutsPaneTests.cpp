// The Shortcuts pane over the real model on the simulated machine, the program's global
// hotkeys following the model as the delegate wires them.
#include <gtest/gtest.h>

#include <set>

#include <QAbstractButton>
#include <QTest>

#include "DrawnTexts.h"
#include "HotkeysFixture.h"
#include "RenderedView.h"
#include "ui/kit/PaneChrome.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/settings/HotkeyRecorder.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/ShortcutsPane.h"
#include "ui/settings/ShortcutsPaneRules.h"
#include "ui/views/Picker.h"
#include "ui/views/Stepper.h"

namespace orvane::testing {
namespace {

using Mods = Hotkey::Modifiers;

class ShortcutsPaneTest : public HotkeysModelTest {
protected:
    void launch(Settings settings = {}) {
        startWithHotkeys(settings);
        pane = std::make_unique<ShortcutsPane>(PaneEnvironment{model, std::make_shared<Desktop>()}, window.get());
        pane->resize(640, 1100);
        pane->show();
    }
    void TearDown() override {
        pane.reset();
        HotkeysModelTest::TearDown();
    }
    QStringList texts() const {
        QStringList out;
        // Text has no meta-object of its own: findChildren<Text*> would take any widget.
        for (auto* w : pane->findChildren<QWidget*>())
            if (auto* t = dynamic_cast<kit::Text*>(w)) out << t->text();
        return out;
    }

    std::unique_ptr<ShortcutsPane> pane;
};

TEST_F(ShortcutsPaneTest, EveryShortcutHasARecorderShowingItsCombination) {
    launch();
    EXPECT_EQ(pane->recorder(&Shortcuts::reveal).mainButton().text(), "Alt+Super+T");
    EXPECT_EQ(pane->recorder(&Shortcuts::toggle).mainButton().text(), "Ctrl+Alt+Super+B");
    EXPECT_EQ(pane->recorder(&Shortcuts::warmer).mainButton().text(), "Ctrl+Alt+Super+Right");
    EXPECT_EQ(pane->recorder(&Shortcuts::cozy).mainButton().text(), "Record shortcut");
    std::set<const HotkeyRecorder*> recorders;
    for (auto field : {&Shortcuts::reveal, &Shortcuts::toggle, &Shortcuts::warmer, &Shortcuts::cooler,
                       &Shortcuts::dimmer, &Shortcuts::brighter, &Shortcuts::nextPreset, &Shortcuts::cozy,
                       &Shortcuts::disableOneHour, &Shortcuts::openPopover})
        recorders.insert(&pane->recorder(field));
    EXPECT_EQ(recorders.size(), 10u);
    const QStringList shown = texts();
    for (const char* text : {"Global",
                             "Reveal true color",
                             "Toggle Orvane",
                             "Open popover",
                             "Warmth and dim",
                             "Warmer",
                             "Cooler",
                             "Warmth step",
                             "Dimmer",
                             "Brighter",
                             "Dim step",
                             "Presets and modes",
                             "Next preset",
                             "Wind down",
                             "Disable for 1 hour",
                             "Desktop and scripts",
                             "Always on",
                             "Emergency reset",
                             "No tint, dim 100 %. Cannot be changed.",
                             ShortcutsPaneRules::globalCaption})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(text))) << text;
    // Drawn with non-breaking hyphens in the options, which read the same.
    EXPECT_TRUE(shown.contains(QString::fromUtf8(ShortcutsPaneRules::desktopText)
                                   .replace(QStringLiteral("--"), QStringLiteral("\u2011\u2011"))));
    EXPECT_EQ(pane->emergencyText().text(), "Ctrl+Alt+Super+Backspace");
    // The desktop section is words only.
    QStringList buttons;
    for (auto* b : pane->findChildren<QAbstractButton*>())
        if (!b->text().isEmpty()) buttons << b->text();
    EXPECT_FALSE(buttons.contains("Open Shortcuts"));
    EXPECT_FALSE(buttons.contains("Focus Settings\u2026"));
}

TEST_F(ShortcutsPaneTest, ClearingStoresNoneAndTheHotkeyStopsWorking) {
    launch();
    const Hotkey toggle{Hotkey::keyB, Mods{7}};
    ASSERT_TRUE(registered(toggle));
    pane->recorder(&Shortcuts::toggle).clearButton().click();
    EXPECT_EQ(model->settings().shortcuts.toggle, std::nullopt);
    EXPECT_FALSE(registered(toggle));
    EXPECT_EQ(pane->recorder(&Shortcuts::toggle).mainButton().text(), "Record shortcut");
}

// Recording another action's combination keeps it, and both fields say so at once; the
// recorder offers to move it, which takes it from the other.
TEST_F(ShortcutsPaneTest, AnotherActionsCombinationIsShownAsAClashAndCanBeMovedHere) {
    launch();
    auto& cozy = pane->recorder(&Shortcuts::cozy);
    auto& toggle = pane->recorder(&Shortcuts::toggle);
    EXPECT_TRUE(cozy.problemText().isHidden());
    cozy.mainButton().click();
    QTest::keyClick(&cozy, Qt::Key_B, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    EXPECT_EQ(model->settings().shortcuts.cozy, model->settings().shortcuts.toggle);
    EXPECT_FALSE(model->hotkeysSuspended());
    EXPECT_FALSE(cozy.problemText().isHidden());
    EXPECT_EQ(cozy.problemText().text(), "Already used by Toggle Orvane");
    EXPECT_FALSE(cozy.moveButton().isHidden());
    EXPECT_EQ(cozy.moveButton().text(), "Move Here");
    EXPECT_EQ(toggle.problemText().text(), "Already used by Wind down");
    EXPECT_FALSE(toggle.problemText().isHidden());

    const QSize size(640, kit::RenderHarness::fittingSize(*pane, 640).height());
    kit::RenderHarness::renderBoth(*pane, "shortcuts-pane-clash", size);

    cozy.moveButton().click();
    EXPECT_EQ(model->settings().shortcuts.toggle, std::nullopt);
    EXPECT_EQ(model->settings().shortcuts.cozy, (Hotkey{Hotkey::keyB, Mods{7}}));
    EXPECT_TRUE(cozy.problemText().isHidden());
    EXPECT_TRUE(toggle.problemText().isHidden());
    const bool wasCozy = model->runtime().cozyActive;
    ASSERT_TRUE(registered({Hotkey::keyB, Mods{7}}));
    scheduler->runPending();
    EXPECT_NE(model->runtime().cozyActive, wasCozy) << "the combination now winds down";
}

// Stored clashes show from the start: with a preset's hotkey, and with the fixed emergency
// reset, which cannot be moved. A combination the desktop refused says so.
TEST_F(ShortcutsPaneTest, StoredClashesAndRefusedCombinationsShowAtTheStart) {
    Settings s;
    s.presets.at(1).hotkey = s.shortcuts.warmer;
    s.shortcuts.openPopover = Shortcuts::emergencyReset;
    sim->fail("hotkey.register", -9878, 1);  // the reveal, registered first
    launch(s);
    auto& warmer = pane->recorder(&Shortcuts::warmer);
    EXPECT_EQ(warmer.problemText().text().toStdString(),
              "Already used by the \u201c" + s.presets.at(1).name + "\u201d preset");
    EXPECT_FALSE(warmer.moveButton().isHidden());
    auto& popover = pane->recorder(&Shortcuts::openPopover);
    EXPECT_EQ(popover.problemText().text(), "Already used by Emergency reset");
    EXPECT_FALSE(popover.problemText().isHidden());
    EXPECT_TRUE(popover.moveButton().isHidden());
    auto& reveal = pane->recorder(&Shortcuts::reveal);
    EXPECT_EQ(reveal.problemText().text(), "Taken by another program");
    EXPECT_FALSE(reveal.problemText().isHidden());
    EXPECT_TRUE(reveal.moveButton().isHidden());
    EXPECT_TRUE(pane->recorder(&Shortcuts::toggle).problemText().isHidden());
    // The three captions as the pane first shows them, "Taken by another program" among them.
    const QSize size(640, kit::RenderHarness::fittingSize(*pane, 640).height());
    expectRenderedWhole(*pane, "shortcuts-pane-stored-clashes", size);
    for (const auto* recorder : {&warmer, &popover, &reveal}) {
        const kit::Text& problem = recorder->problemText();
        EXPECT_TRUE(problem.isVisibleTo(pane.get()));
        EXPECT_TRUE(drawnWhole(problem)) << problem.text().toStdString();
    }

    // Another combination, which the desktop grants: the line goes.
    model->change([](Settings& x, RuntimeState&) { x.shortcuts.reveal = Hotkey{Hotkey::keyT, Mods{7}}; });
    EXPECT_TRUE(reveal.problemText().isHidden());
    expectRenderedWhole(*pane, "shortcuts-pane-stored-clashes-reveal-granted",
                        QSize(640, kit::RenderHarness::fittingSize(*pane, 640).height()));
}

TEST_F(ShortcutsPaneTest, LeavingThePaneEndsARecordingAndKeepsTheValue) {
    launch();
    auto& reveal = pane->recorder(&Shortcuts::reveal);
    reveal.mainButton().click();
    ASSERT_TRUE(model->hotkeysSuspended());
    pane->hide();
    EXPECT_FALSE(reveal.isRecording());
    EXPECT_FALSE(model->hotkeysSuspended());
    EXPECT_EQ(model->settings().shortcuts.reveal, (Hotkey{Hotkey::keyT, Mods{3}}));
    EXPECT_TRUE(registered({Hotkey::keyT, Mods{3}}));
}

TEST_F(ShortcutsPaneTest, StepsAndTheRevealBehavior) {
    Settings s;
    s.dimStep = 0.055;
    launch(s);
    EXPECT_EQ(pane->dimStep().labelText(), "6%");
    pane->dimStep().stepUp();
    EXPECT_DOUBLE_EQ(model->settings().dimStep, 0.07);
    model->change([](Settings& x, RuntimeState&) { x.dimStep = 0.055; });
    pane->dimStep().stepDown();
    EXPECT_DOUBLE_EQ(model->settings().dimStep, 0.05);
    EXPECT_EQ(pane->dimStep().labelText(), "5%");
    pane->dimStep().stepUp();
    EXPECT_DOUBLE_EQ(model->settings().dimStep, 0.06);

    EXPECT_EQ(pane->warmthStep().labelText(), "250K");
    model->change([](Settings& x, RuntimeState&) { x.warmthStepKelvin = 2000; });
    EXPECT_FALSE(pane->warmthStep().upButton().isEnabled());
    model->change([](Settings& x, RuntimeState&) { x.warmthStepKelvin = 50; });
    EXPECT_FALSE(pane->warmthStep().downButton().isEnabled());
    model->change([](Settings& x, RuntimeState&) { x.dimStep = 0.5; });
    EXPECT_FALSE(pane->dimStep().upButton().isEnabled());

    EXPECT_EQ(pane->revealBehavior().picker().currentTitle(), "Hold");
    pane->revealBehavior().picker().choose(1);
    EXPECT_TRUE(model->settings().revealTapToggles);
}

TEST_F(ShortcutsPaneTest, RegisteredAndRendered) {
    launch();
    auto* made = paneMaker(Pane::shortcuts)(PaneEnvironment{model, std::make_shared<Desktop>()});
    EXPECT_NE(dynamic_cast<ShortcutsPane*>(made), nullptr);
    delete made;
    const QSize size(640, kit::RenderHarness::fittingSize(*pane, 640).height());
    kit::RenderHarness::renderBoth(*pane, "shortcuts-pane", size);
}

}  // namespace
}  // namespace orvane::testing
