// The hotkey recorder over the real model on the simulated machine, with the program's
// global hotkeys following the model as the delegate wires them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QShortcut>
#include <QTest>
#include <QVBoxLayout>

#include "HotkeysFixture.h"
#include "ui/kit/RenderHarness.h"
#include "ui/settings/HotkeyRecorder.h"

using namespace orvane;
using namespace orvane::RecorderRules;
using Mods = Hotkey::Modifiers;

namespace {

const Hotkey ctrlAltT{Hotkey::keyT, Mods::control | Mods::option};

TEST(RecorderRules, KeyPressesByCodeAndFlags) {
    const struct {
        const char* what;
        std::uint16_t keyCode;
        std::uint64_t flags;
        std::optional<Result> expected;
    } cases[] = {
        {"Esc", 53, 0, Cancel{}},
        {"Esc with Shift", 53, eventFlag::shift, Cancel{}},
        {"Esc with Super", 53, eventFlag::command, Cancel{}},
        {"Backspace", 51, 0, Clear{}},
        {"Backspace with Caps Lock", 51, eventFlag::capsLock, std::nullopt},
        {"Delete", 117, eventFlag::function, Set{{117, {}}}},
        {"Super+Backspace", 51, eventFlag::command, Set{{51, Mods::command}}},
        {"A", 0, 0, std::nullopt},
        {"Shift+A", 0, eventFlag::shift, std::nullopt},
        {"keypad 1", 83, eventFlag::keypad, std::nullopt},
        {"F5", 96, eventFlag::function, Set{{96, {}}}},
        {"Ctrl+Alt+T", 17, eventFlag::control | eventFlag::option, Set{ctrlAltT}},
    };
    for (const auto& c : cases) EXPECT_EQ(classify(c.keyCode, c.flags), c.expected) << c.what;

    EXPECT_EQ(std::get<Set>(*classify(117, eventFlag::function)).hotkey.display(), "Delete");
    EXPECT_EQ(std::get<Set>(*classify(51, eventFlag::command)).hotkey.display(), "Super+Backspace");
    EXPECT_EQ(std::get<Set>(*classify(96, eventFlag::function)).hotkey.display(), "F5");
}

TEST(RecorderRules, LabelsAndTheClearButton) {
    EXPECT_EQ(label(std::nullopt, false), "Record shortcut");
    EXPECT_EQ(label(Hotkey{17, Mods{3}}, false), "Alt+Super+T");
    EXPECT_EQ(label(Hotkey{17, Mods{3}}, true), "Press keys\u2026");
    EXPECT_EQ(label(std::nullopt, true), "Press keys\u2026");
    EXPECT_FALSE(showsClearButton(std::nullopt, false));
    EXPECT_TRUE(showsClearButton(Hotkey{17, {}}, false));
    EXPECT_FALSE(showsClearButton(Hotkey{17, {}}, true));
}

TEST(RecorderRules, ProblemsNameEveryOtherHolderAndMovingClearsThem) {
    Settings s;
    const Hotkey taken = *s.shortcuts.toggle;
    s.shortcuts.cozy = taken;
    s.shortcuts.nextPreset = taken;
    const Owner cozy = ShortcutOwner{&Shortcuts::cozy};
    const auto found = problem(s, {}, cozy, taken);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->text, "Already used by Toggle Orvane and Next preset");
    EXPECT_TRUE(found->movable);
    EXPECT_EQ(problem(s, {taken}, cozy, taken), found) << "a clash inside comes before a refusal";
    EXPECT_EQ(problem(s, {}, cozy, std::nullopt), std::nullopt);
    EXPECT_EQ(problem(s, {}, ShortcutOwner{&Shortcuts::reveal}, s.shortcuts.reveal), std::nullopt) << "itself only";
    EXPECT_EQ(problem(s, {*s.shortcuts.reveal}, ShortcutOwner{&Shortcuts::reveal}, s.shortcuts.reveal)->text,
              takenByAnotherProgram);
    clearHotkeys(s, found->others);
    EXPECT_EQ(s.shortcuts.toggle, std::nullopt);
    EXPECT_EQ(s.shortcuts.nextPreset, std::nullopt);
    EXPECT_EQ(s.shortcuts.cozy, taken);
    // A preset's own hotkey against the emergency reset: named, never movable.
    s.presets.at(0).hotkey = Shortcuts::emergencyReset;
    const auto reset = problem(s, {}, PresetOwner{s.presets.at(0).id}, s.presets.at(0).hotkey);
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->text, "Already used by Emergency reset");
    EXPECT_FALSE(reset->movable);
}

TEST(RecorderRules, KeysymsBecomeStoredCodesWithTheirFlags) {
    const struct {
        const char* what;
        KeyPress key;
        Press expected;
    } cases[] = {
        {"t with Ctrl and Alt", {0x74, false, true, true}, Key{17, eventFlag::control | eventFlag::option}},
        {"T (Shift's letter) is the same key", {0x54, true}, Key{17, eventFlag::shift}},
        {"Super+BackSpace", {0xff08, false, false, false, true}, Key{51, eventFlag::command}},
        {"Caps Lock on", {0xff08, false, false, false, false, true}, Key{51, eventFlag::capsLock}},
        {"Delete", {0xffff}, Key{117, eventFlag::function}},
        {"F5", {0xffc2}, Key{96, eventFlag::function}},
        {"KP_1", {0xffb1}, Key{83, eventFlag::keypad}},
        {"Shift alone", {0xffe1, true}, ModifierOnly{}},
        {"Super alone", {0xffeb}, ModifierOnly{}},
        {"AltGr alone", {0xfe03}, ModifierOnly{}},
        {"Menu", {0xff67}, UnknownKey{}},
        {"no keysym", {std::nullopt}, UnknownKey{}},
    };
    for (const auto& c : cases) EXPECT_EQ(press(c.key), c.expected) << c.what;
}

class HotkeyRecorderTest : public orvane::testing::HotkeysModelTest {
protected:
    void launch(Settings settings = {}) { startWithHotkeys(settings); }
    void TearDown() override {
        recorders.clear();
        HotkeysModelTest::TearDown();
    }

    // A recorder on the toggle shortcut, in the window beside a text field.
    HotkeyRecorder& addRecorder(std::optional<Hotkey> Shortcuts::*field = &Shortcuts::toggle) {
        recorders.push_back(
            std::make_unique<HotkeyRecorder>(kit::settingField(model, &Settings::shortcuts, field), window.get()));
        auto& recorder = *recorders.back();
        recorder.beep = [this] { ++beeps; };
        recorder.move(10, 10 + 40 * static_cast<int>(recorders.size()));
        recorder.show();
        return recorder;
    }

    bool anyRegistered() {
        const auto& s = model->settings().shortcuts;
        for (const auto& h : {s.reveal, s.toggle, s.warmer, s.cooler, s.dimmer, s.brighter, s.nextPreset})
            if (h && registered(*h)) return true;
        return registered(Shortcuts::emergencyReset);
    }

    std::vector<std::unique_ptr<HotkeyRecorder>> recorders;
    int beeps = 0;
};

}  // namespace

TEST_F(HotkeyRecorderTest, RecordingSuspendsEveryHotkeyAndASetComesBackRegistered) {
    launch();
    auto& recorder = addRecorder();
    EXPECT_EQ(recorder.mainButton().text(), "Ctrl+Alt+Super+B");
    EXPECT_TRUE(recorder.clearButton().isVisible());
    ASSERT_TRUE(anyRegistered());

    recorder.mainButton().click();
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(model->hotkeysSuspended());
    EXPECT_EQ(recorder.mainButton().text(), "Press keys\u2026");
    EXPECT_FALSE(recorder.clearButton().isVisible());
    EXPECT_FALSE(anyRegistered());  // the emergency reset too

    // A modifier alone starts a combination and does nothing yet.
    QTest::keyPress(&recorder, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_EQ(beeps, 0);
    QTest::keyClick(&recorder, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(model->hotkeysSuspended());
    EXPECT_EQ(model->settings().shortcuts.toggle, ctrlAltT);
    EXPECT_EQ(recorder.mainButton().text(), "Ctrl+Alt+T");
    EXPECT_TRUE(registered(ctrlAltT));
    EXPECT_FALSE(registered({Hotkey::keyB, Mods{7}}));
    EXPECT_TRUE(registered(Shortcuts::emergencyReset));
}

TEST_F(HotkeyRecorderTest, TheBindingIsWrittenBeforeTheSuspensionEnds) {
    launch();
    auto& recorder = addRecorder();
    std::vector<std::optional<Hotkey>> seenWhenResumed;
    hooks.push_back(model->onHotkeysChanged.subscribe([&] {
        if (!model->hotkeysSuspended()) seenWhenResumed.push_back(model->settings().shortcuts.toggle);
    }));
    recorder.mainButton().click();
    QTest::keyClick(&recorder, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(seenWhenResumed, (std::vector<std::optional<Hotkey>>{ctrlAltT}));
}

TEST_F(HotkeyRecorderTest, QtKeysOfSyntheticPresses) {
    launch();
    auto& recorder = addRecorder();
    const struct {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::optional<Hotkey> stored;  // absent: a beep, recording goes on
    } cases[] = {
        {"Shift+Esc cancels", Qt::Key_Escape, Qt::ShiftModifier, Hotkey{Hotkey::keyB, Mods{7}}},
        {"F5", Qt::Key_F5, Qt::NoModifier, Hotkey{96, {}}},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, Hotkey{117, {}}},
        {"Super+Backspace", Qt::Key_Backspace, Qt::MetaModifier, Hotkey{51, Mods::command}},
        {"Shift+Tab is Tab", Qt::Key_Backtab, Qt::ShiftModifier | Qt::ControlModifier,
         Hotkey{48, Mods::shift | Mods::control}},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier | Qt::AltModifier, Hotkey{76, Mods::option}},
        {"keypad 7", Qt::Key_7, Qt::KeypadModifier | Qt::ControlModifier, Hotkey{89, Mods::control}},
        {"7 on the row", Qt::Key_7, Qt::ControlModifier, Hotkey{26, Mods::control}},
        {"Page Down", Qt::Key_PageDown, Qt::NoModifier, Hotkey{121, {}}},
        {"Backspace clears", Qt::Key_Backspace, Qt::NoModifier, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Settings s = model->settings();
        s.shortcuts.toggle = Hotkey{Hotkey::keyB, Mods{7}};
        model->setSettings(s);
        recorder.mainButton().click();
        QTest::keyClick(&recorder, c.key, c.modifiers);
        EXPECT_FALSE(recorder.isRecording());
        EXPECT_EQ(model->settings().shortcuts.toggle, c.stored);
    }
    EXPECT_EQ(beeps, 0);
    EXPECT_FALSE(model->hotkeysSuspended());
}

TEST_F(HotkeyRecorderTest, RefusedPressesBeepAndRecordingGoesOn) {
    launch();
    auto& recorder = addRecorder();
    recorder.mainButton().click();
    QTest::keyClick(&recorder, Qt::Key_A);
    QTest::keyClick(&recorder, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(&recorder, Qt::Key_Menu, Qt::ControlModifier);  // no stored code names it
    EXPECT_EQ(beeps, 3);
    ASSERT_TRUE(recorder.isRecording());
    // By code and flags, as X reports Caps Lock: Backspace with it is no clear.
    recorder.session()->handle(51, eventFlag::capsLock);
    EXPECT_EQ(beeps, 4);
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(model->hotkeysSuspended());
    recorder.session()->handle(51, 0);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(model->settings().shortcuts.toggle, std::nullopt);
    EXPECT_EQ(recorder.mainButton().text(), "Record shortcut");
    EXPECT_FALSE(recorder.clearButton().isVisible());
}

TEST_F(HotkeyRecorderTest, ASecondClickOrHidingEndsTheRecordingAndKeepsTheValue) {
    launch();
    auto& recorder = addRecorder();
    const auto before = model->settings().shortcuts.toggle;
    recorder.mainButton().click();
    recorder.mainButton().click();
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(model->hotkeysSuspended());
    EXPECT_EQ(model->settings().shortcuts.toggle, before);

    recorder.mainButton().click();
    window->hide();  // the pane goes away
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(model->hotkeysSuspended());
    EXPECT_EQ(model->settings().shortcuts.toggle, before);
    EXPECT_TRUE(registered(*before));
    window->show();

    recorder.mainButton().click();
    recorders.clear();  // the owner removes the row
    EXPECT_FALSE(model->hotkeysSuspended());
    EXPECT_EQ(HotkeyRecorder::recording(), nullptr);
}

TEST_F(HotkeyRecorderTest, TheClearButtonRemovesTheShortcutWithoutRecording) {
    launch();
    auto& recorder = addRecorder();
    recorder.clearButton().click();
    EXPECT_EQ(model->settings().shortcuts.toggle, std::nullopt);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(suspensionChanges, 0);
    EXPECT_FALSE(registered({Hotkey::keyB, Mods{7}}));
    EXPECT_FALSE(recorder.clearButton().isVisible());
}

TEST_F(HotkeyRecorderTest, ATypedKeyNeverReachesAFocusedFieldOrAShortcutOfTheWindow) {
    launch();
    QApplication::setActiveWindow(window.get());
    auto* field = new QLineEdit(window.get());
    field->show();
    field->setFocus();
    int shortcutFired = 0;
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T), window.get());
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++shortcutFired; });
    auto& recorder = addRecorder();

    recorder.mainButton().click();
    QTest::keyClick(field, Qt::Key_A);  // refused: a beep, and the field stays empty
    QTest::keyClick(field, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(shortcutFired, 0);
    EXPECT_EQ(model->settings().shortcuts.toggle, ctrlAltT);

    // Not recording, the keys are the field's and the window's again.
    QTest::keyClick(field, Qt::Key_A);
    EXPECT_EQ(field->text(), "a");
    QTest::keyClick(field, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(shortcutFired, 1);
}

// Two recorders share one suspension: starting the second ends the first unchanged, and the
// hotkeys stay off until the second ends.
TEST_F(HotkeyRecorderTest, StartingASecondRecorderEndsTheFirstAndKeepsTheHotkeysSuspended) {
    launch();
    auto& a = addRecorder(&Shortcuts::toggle);
    auto& b = addRecorder(&Shortcuts::reveal);
    const auto toggleBefore = model->settings().shortcuts.toggle;

    a.mainButton().click();
    EXPECT_EQ(suspensionChanges, 1);
    b.mainButton().click();
    EXPECT_FALSE(a.isRecording());
    EXPECT_TRUE(b.isRecording());
    EXPECT_EQ(a.mainButton().text(), "Ctrl+Alt+Super+B");
    EXPECT_EQ(HotkeyRecorder::recording(), &b);
    EXPECT_TRUE(model->hotkeysSuspended());
    EXPECT_EQ(suspensionChanges, 1);  // never lifted in between
    EXPECT_FALSE(anyRegistered());

    // The first one hidden meanwhile does not lift what the second holds.
    a.hide();
    EXPECT_TRUE(model->hotkeysSuspended());
    QTest::keyClick(&b, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(model->settings().shortcuts.reveal, ctrlAltT);
    EXPECT_EQ(model->settings().shortcuts.toggle, toggleBefore);
    EXPECT_FALSE(model->hotkeysSuspended());
    EXPECT_EQ(suspensionChanges, 2);
    EXPECT_TRUE(registered(ctrlAltT));
}

TEST_F(HotkeyRecorderTest, Renders) {
    launch();
    QWidget panel;
    auto* column = new QVBoxLayout(&panel);
    column->setContentsMargins(12, 12, 12, 12);
    Settings s = model->settings();
    s.shortcuts.cozy.reset();
    model->setSettings(s);
    const auto toggle = [this] { return kit::settingField(model, &Settings::shortcuts, &Shortcuts::toggle); };
    auto* set = new HotkeyRecorder(toggle(), &panel);
    auto* unset = new HotkeyRecorder(kit::settingField(model, &Settings::shortcuts, &Shortcuts::cozy), &panel);
    auto* recording = new HotkeyRecorder(toggle(), &panel);
    column->addWidget(set);
    column->addWidget(unset);
    column->addWidget(recording);
    // Shown, so the render does not hide it afterwards (which ends a recording).
    panel.setAttribute(Qt::WA_DontShowOnScreen);
    panel.show();
    recording->mainButton().click();
    kit::RenderHarness::renderBoth(panel, "hotkey-recorder", QSize(300, 140));
    EXPECT_TRUE(recording->isRecording());
    recording->mainButton().click();
}
