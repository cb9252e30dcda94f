// The Presets pane and the preset editor over the real model on the simulated machine, the
// program's global hotkeys following the model as the delegate wires them.
#include <gtest/gtest.h>

#include <regex>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QTest>

#include "HotkeysFixture.h"
#include "ui/kit/Form.h"
#include "ui/kit/LevelSlider.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Text.h"
#include "ui/settings/HotkeyRecorder.h"
#include "ui/settings/PaneRegistry.h"
#include "ui/settings/PresetEditor.h"
#include "ui/settings/PresetsPane.h"
#include "ui/views/Picker.h"
#include "ui/views/Stepper.h"

namespace orvane::testing {
namespace {

using Mods = Hotkey::Modifiers;

Preset custom(const std::string& id, std::int64_t kelvin = 3000, double dim = 1.0) {
    return Preset{id, id, kelvin, dim, std::nullopt, "star.fill", false, std::nullopt};
}

std::vector<std::string> ids(const std::vector<Preset>& presets) {
    std::vector<std::string> out;
    for (const auto& p : presets) out.push_back(p.id);
    return out;
}

class PresetsPaneTest : public HotkeysModelTest {
protected:
    void launch(Settings settings = manualSettings()) {
        startWithHotkeys(settings);
        pane = std::make_unique<PresetsPane>(PaneEnvironment{model, std::make_shared<Desktop>()}, window.get());
        pane->resize(640, 900);
        pane->show();
        QCoreApplication::sendPostedEvents();
    }
    void TearDown() override {
        pane.reset();
        HotkeysModelTest::TearDown();
    }
    void setPresets(std::vector<Preset> presets) {
        model->change([&](Settings& s, RuntimeState&) { s.presets = std::move(presets); });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const std::vector<Preset>& presets() const { return model->settings().presets; }
    void clickRow(std::size_t index) {
        QTest::mouseClick(&pane->list(), Qt::LeftButton, {}, pane->list().rowRect(index).center());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::unique_ptr<PresetsPane> pane;
};

TEST_F(PresetsPaneTest, AddTwiceAppendsTwoNewPresetsAtTheModesWarmthAndSelectsTheSecond) {
    launch(manualSettings(2700, 0.85));
    const std::size_t before = presets().size();
    pane->addButton().click();
    pane->addButton().click();
    ASSERT_EQ(presets().size(), before + 2);
    const Preset& first = presets()[before];
    const Preset& second = presets()[before + 1];
    const std::regex upperUuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    for (const Preset* p : {&first, &second}) {
        EXPECT_TRUE(std::regex_match(p->id, upperUuid)) << p->id;
        EXPECT_EQ(p->kelvin, 2700);
        EXPECT_DOUBLE_EQ(p->dim, 0.85);
        EXPECT_EQ(p->redStyle, std::nullopt);
        EXPECT_EQ(p->icon, "star.fill");
        EXPECT_FALSE(p->isBuiltIn);
    }
    EXPECT_NE(first.id, second.id);
    // Numbered, so that --preset can name each.
    EXPECT_EQ(first.name, "New preset");
    EXPECT_EQ(second.name, "New preset 2");
    EXPECT_EQ(pane->selection(), second.id);
    ASSERT_NE(pane->editor(), nullptr);
    EXPECT_EQ(pane->editor()->presetId(), second.id);
    const auto row = PresetsPaneRules::rowTexts(second);
    EXPECT_EQ(row.kelvin, "2700K");
    EXPECT_EQ(row.dim, "85%");
}

TEST_F(PresetsPaneTest, ARowClickSelectsAnotherMovesTheEditorASecondClearsIt) {
    launch();
    setPresets({Preset::builtIn(Preset::BuiltIn::daylight), custom("B"), custom("C")});
    EXPECT_EQ(pane->editor(), nullptr);
    for (auto* b : {&pane->deleteButton(), &pane->moveUpButton(), &pane->moveDownButton()})
        EXPECT_FALSE(b->isEnabled());

    clickRow(0);
    EXPECT_EQ(pane->selection(), "builtin.daylight");
    ASSERT_NE(pane->editor(), nullptr);
    EXPECT_FALSE(pane->deleteButton().isEnabled());  // built in
    EXPECT_FALSE(pane->moveUpButton().isEnabled());  // first
    EXPECT_TRUE(pane->moveDownButton().isEnabled());

    clickRow(2);
    EXPECT_EQ(pane->editor()->presetId(), "C");
    EXPECT_TRUE(pane->deleteButton().isEnabled());
    EXPECT_FALSE(pane->moveDownButton().isEnabled());  // last

    clickRow(2);
    EXPECT_EQ(pane->selection(), std::nullopt);
    EXPECT_EQ(pane->editor(), nullptr);
}

// A real drag: press on A, move past the rows below, release under C's middle.
TEST_F(PresetsPaneTest, DraggingARowBelowAnotherReordersAndKeepsTheSelection) {
    launch();
    setPresets({custom("A"), custom("B"), custom("C"), custom("D")});
    clickRow(0);
    auto& list = pane->list();
    const QPoint start = list.rowRect(0).center();
    const QPoint end(start.x(), list.rowRect(2).center().y() + 4);
    QTest::mousePress(&list, Qt::LeftButton, {}, start);
    for (int y = start.y(); y <= end.y(); y += 6) QTest::mouseMove(&list, QPoint(start.x(), y));
    QTest::mouseMove(&list, end);
    EXPECT_TRUE(list.dragging());
    EXPECT_EQ(ids(presets()), (std::vector<std::string>{"A", "B", "C", "D"}));  // nothing moves before the drop
    QTest::mouseRelease(&list, Qt::LeftButton, {}, end);
    EXPECT_FALSE(list.dragging());
    EXPECT_EQ(ids(presets()), (std::vector<std::string>{"B", "C", "A", "D"}));
    EXPECT_EQ(pane->selection(), "A");
    ASSERT_NE(pane->editor(), nullptr);
    EXPECT_EQ(pane->editor()->presetId(), "A");

    // A press released where it began is a click, not a drag.
    QTest::mouseClick(&list, Qt::LeftButton, {}, list.rowRect(3).center());
    EXPECT_EQ(ids(presets()), (std::vector<std::string>{"B", "C", "A", "D"}));
    EXPECT_EQ(pane->selection(), "D");
}

TEST_F(PresetsPaneTest, MoveButtonsSwapWithTheNeighbourAndKeepTheSelection) {
    launch();
    setPresets({custom("A"), custom("B"), custom("C")});
    clickRow(1);
    pane->moveUpButton().click();
    EXPECT_EQ(ids(presets()), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(pane->selection(), "B");
    EXPECT_FALSE(pane->moveUpButton().isEnabled());
    pane->moveDownButton().click();
    pane->moveDownButton().click();
    EXPECT_EQ(ids(presets()), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_FALSE(pane->moveDownButton().isEnabled());
    EXPECT_EQ(pane->editor()->presetId(), "B");
}

TEST_F(PresetsPaneTest, RestoreDefaultsPutsMissingBuiltInsInFrontAndResetsEditedOnesKeepingHotkeys) {
    launch();
    const Hotkey h{Hotkey::keyP, Mods::control | Mods::shift};
    Preset evening = Preset::builtIn(Preset::BuiltIn::evening);
    evening.name = "Dusk";
    evening.kelvin = 2000;
    evening.hotkey = h;
    setPresets({custom("X"), evening});
    clickRow(1);
    pane->restoreButton().click();
    EXPECT_EQ(ids(presets()), (std::vector<std::string>{"builtin.midnight", "builtin.ember", "builtin.candle",
                                                        "builtin.focus", "builtin.daylight", "X", "builtin.evening"}));
    Preset factory = Preset::builtIn(Preset::BuiltIn::evening);
    factory.hotkey = h;
    EXPECT_EQ(presets().back(), factory);
    // The selection stays, and the editor shows the factory values.
    EXPECT_EQ(pane->selection(), "builtin.evening");
    ASSERT_NE(pane->editor(), nullptr);
    EXPECT_EQ(pane->editor()->nameField().text(), "Evening");
    EXPECT_TRUE(registered(h));

    const auto now = presets();
    pane->restoreButton().click();
    EXPECT_EQ(presets(), now);
}

TEST_F(PresetsPaneTest, DeletingTheSelectedPresetClosesTheEditorAndItsHotkeyNoLongerFires) {
    launch();
    const Hotkey h{18, Mods::control | Mods::option};
    Preset mine = custom("mine", 1900, 0.9);
    mine.hotkey = h;
    setPresets({Preset::builtIn(Preset::BuiltIn::daylight), mine});
    ASSERT_TRUE(registered(h));
    clickRow(0);
    pane->deleteButton().click();  // disabled, and a built-in is never deleted anyway
    EXPECT_EQ(presets().size(), 2u);

    clickRow(1);
    pane->deleteButton().click();
    EXPECT_EQ(ids(presets()), std::vector<std::string>{"builtin.daylight"});
    EXPECT_EQ(pane->selection(), std::nullopt);
    EXPECT_EQ(pane->editor(), nullptr);
    EXPECT_FALSE(registered(h));
}

TEST_F(PresetsPaneTest, AnEmptyListShowsOnlyTheControlsAndTheCaption) {
    launch();
    setPresets({});
    EXPECT_FALSE(pane->list().isVisible());
    EXPECT_TRUE(pane->addButton().isVisible());
    EXPECT_TRUE(pane->restoreButton().isVisible());
    bool caption = false;
    // Text has no meta-object of its own: findChildren<Text*> would take any widget.
    for (auto* w : pane->findChildren<QWidget*>())
        if (auto* t = dynamic_cast<kit::Text*>(w)) caption = caption || t->text() == PresetsPaneRules::caption;
    EXPECT_TRUE(caption);
}

// The editor is bound to its preset by id: a preset put in ahead of it, or its own deletion,
// never has a typed name land on another preset.
TEST_F(PresetsPaneTest, ATypedNameReachesOnlyTheSelectedPresetOrNothing) {
    launch();
    setPresets({custom("A"), custom("B"), custom("C")});
    clickRow(1);
    QPointer<PresetEditor> editor = pane->editor();
    ASSERT_TRUE(editor);

    auto inserted = presets();
    inserted.insert(inserted.begin(), custom("X"));
    setPresets(inserted);
    ASSERT_EQ(pane->editor(), editor.data());
    QTest::keyClicks(&editor->nameField(), "!");
    EXPECT_EQ(ids(presets()), (std::vector<std::string>{"X", "A", "B", "C"}));
    EXPECT_EQ(presets()[1].name, "A");
    EXPECT_EQ(presets()[2].name, "B!");

    // Deleted under the editor: the editor goes, and what is typed before it has gone writes nothing.
    auto& field = editor->nameField();
    model->change([](Settings& s, RuntimeState&) { s.presets.erase(s.presets.begin() + 2); });
    EXPECT_EQ(pane->editor(), nullptr);
    const auto after = presets();
    QTest::keyClicks(&field, "?");
    EXPECT_EQ(presets(), after);
}

class PresetEditorTest : public PresetsPaneTest {
protected:
    PresetEditor& open(Preset preset) {
        launch();
        setPresets({Preset::builtIn(Preset::BuiltIn::daylight), std::move(preset)});
        clickRow(1);
        return *pane->editor();
    }
    const Preset& edited() const { return presets()[1]; }
};

TEST_F(PresetEditorTest, WarmthSliderAndStepper) {
    auto& editor = open(custom("P", 3000));
    auto& slider = editor.warmthSlider();
    const struct {
        double position;
        std::int64_t kelvin;
    } cases[] = {{0.0, 6500}, {1.0, 500}, {0.5, 3500}, {3124.5 / 6000, 3400}};
    for (const auto& c : cases) {
        slider.edit(c.position);
        EXPECT_EQ(edited().kelvin, c.kelvin) << c.position;
    }
    EXPECT_DOUBLE_EQ(editor.warmthSlider().value(), 3100.0 / 6000);
    EXPECT_EQ(editor.kelvinStepper().labelText(), "3400K");
    editor.kelvinStepper().stepUp();
    EXPECT_EQ(edited().kelvin, 3450);
    slider.edit(0);
    editor.kelvinStepper().stepUp();
    EXPECT_EQ(edited().kelvin, 6500);
}

TEST_F(PresetEditorTest, DimStepperAndSlider) {
    auto& editor = open(custom("P", 3000, 0.97));
    EXPECT_EQ(editor.dimStepper().labelText(), "97%");
    editor.dimStepper().stepUp();
    EXPECT_DOUBLE_EQ(edited().dim, 1.0);
    EXPECT_FALSE(editor.dimStepper().upButton().isEnabled());
    editor.dimSlider().edit(0);
    EXPECT_DOUBLE_EQ(edited().dim, 0.05);
    EXPECT_EQ(editor.dimStepper().labelText(), "5%");
    editor.dimStepper().stepDown();
    EXPECT_DOUBLE_EQ(edited().dim, 0.05);
    editor.dimSlider().edit(1);
    EXPECT_DOUBLE_EQ(edited().dim, 1.0);
}

TEST_F(PresetEditorTest, RedStyleIconAndNameWithTheHeaderFollowingIt) {
    Preset p = custom("P");
    p.redStyle = RedStyle::pure;
    p.icon = "custom.symbol";
    auto& editor = open(p);
    editor.redStylePicker().picker().choose(0);
    EXPECT_EQ(edited().redStyle, std::nullopt);
    editor.redStylePicker().picker().choose(2);
    EXPECT_EQ(edited().redStyle, RedStyle::readable);

    EXPECT_EQ(edited().icon, "custom.symbol");  // from stored settings: kept until a click
    editor.iconButton(9).click();
    EXPECT_EQ(edited().icon, "tv.fill");

    auto& name = editor.nameField();
    name.selectAll();
    QTest::keyClicks(&name, "Reading");
    EXPECT_EQ(edited().name, "Reading");
    ASSERT_NE(editor.titleText(), nullptr);
    EXPECT_EQ(editor.titleText()->text(), "Edit \u201cReading\u201d");
    EXPECT_TRUE(editor.nameCaption().isHidden());
}

// A name of blanks, or one another preset has in any case, is never stored: the caption says
// why while it is in the field, and leaving the field puts the last name back.
TEST_F(PresetEditorTest, AnEmptyOrTakenNameIsRefusedAndRevertsWhenTheFieldIsLeft) {
    auto& editor = open(custom("Reading"));
    auto& name = editor.nameField();
    const auto retype = [&](const char* text) {
        name.selectAll();
        QTest::keyClick(&name, Qt::Key_Backspace);
        QTest::keyClicks(&name, text);
    };
    const struct {
        const char* typed;
        const char* caption;
    } refused[] = {
        {"", "A preset needs a name; the last one is kept."},
        {"   ", "A preset needs a name; the last one is kept."},
        {"daylight", "Another preset is called \u201cdaylight\u201d; the last name is kept."},
        {" Daylight ", "Another preset is called \u201cDaylight\u201d; the last name is kept."},
    };
    for (const auto& c : refused) {
        retype(c.typed);
        EXPECT_NE(edited().name, c.typed) << "never stored";
        EXPECT_FALSE(editor.nameCaption().isHidden()) << c.typed;
        EXPECT_EQ(editor.nameCaption().text().toStdString(), c.caption) << c.typed;
        QMetaObject::invokeMethod(&name, "editingFinished");
        // The name from before the editing, not a part of the refused one ("dayligh").
        EXPECT_EQ(edited().name, "Reading") << c.typed;
        EXPECT_EQ(name.text(), "Reading") << c.typed;
        EXPECT_EQ(editor.titleText()->text(), "Edit \u201cReading\u201d");
        EXPECT_TRUE(editor.nameCaption().isHidden()) << c.typed;
    }
    // Its own name in another case is no clash; a usable name clears the caption.
    retype("");
    QTest::keyClicks(&name, "reading");
    EXPECT_EQ(edited().name, "reading");
    EXPECT_TRUE(editor.nameCaption().isHidden());
    EXPECT_EQ(PresetsPaneRules::nameProblem(presets(), "other", "READING "),
              "Another preset is called \u201cREADING\u201d; the last name is kept.");
}

TEST_F(PresetEditorTest, TheNameCaptionRenders) {
    auto& editor = open(custom("Reading"));
    editor.nameField().selectAll();
    QTest::keyClick(&editor.nameField(), Qt::Key_Backspace);
    EXPECT_FALSE(editor.nameCaption().isHidden());
    kit::RenderHarness::renderBoth(*pane, "preset-name-refused",
                                   QSize(640, kit::RenderHarness::fittingSize(*pane, 640).height()));
    EXPECT_FALSE(editor.nameCaption().isHidden()) << "rendering keeps the caption";
}

TEST_F(PresetEditorTest, ABuiltInPresetRenamedStaysBuiltInAndUndeletable) {
    launch();
    clickRow(0);
    auto& editor = *pane->editor();
    QTest::keyClicks(&editor.nameField(), "!");
    EXPECT_EQ(presets()[0].name, "Daylight!");
    EXPECT_TRUE(presets()[0].isBuiltIn);
    EXPECT_TRUE(PresetsPaneRules::rowTexts(presets()[0]).builtIn);
    EXPECT_FALSE(pane->deleteButton().isEnabled());
}

TEST_F(PresetEditorTest, ApplyNowSetsTheWarmthTurnsTheTintOnAndPopsOnlyWithSounds) {
    Settings s = manualSettings(5000, 1.0);
    s.enabled = false;
    s.sounds = false;
    launch(s);
    setPresets({Preset::builtIn(Preset::BuiltIn::candle)});
    clickRow(0);
    sounds.clear();
    pane->editor()->applyButton().click();
    EXPECT_TRUE(model->settings().enabled);
    EXPECT_EQ(model->resolution().modeState.kelvin, 1900);
    EXPECT_DOUBLE_EQ(model->resolution().modeState.dim, 0.9);
    EXPECT_TRUE(sounds.empty());
    model->change([](Settings& x, RuntimeState&) { x.sounds = true; });
    pane->editor()->applyButton().click();
    EXPECT_EQ(sounds, std::vector<std::string>{"Pop"});
}

TEST_F(PresetEditorTest, ARecordedHotkeyIsThePresetsAndRegistered) {
    auto& editor = open(custom("P", 1900, 0.9));
    editor.recorder().mainButton().click();
    QTest::keyClick(&editor.recorder(), Qt::Key_F5);
    const Hotkey f5{96, {}};
    EXPECT_EQ(edited().hotkey, f5);
    EXPECT_TRUE(registered(f5));
    EXPECT_EQ(model->resolution().modeState.kelvin, 1900);
}

TEST_F(PresetsPaneTest, RegisteredAndRendered) {
    launch(manualSettings(2700, 0.85));
    auto* made = paneMaker(Pane::presets)(PaneEnvironment{model, std::make_shared<Desktop>()});
    EXPECT_NE(dynamic_cast<PresetsPane*>(made), nullptr);
    delete made;

    Settings s = model->settings();
    s.presets[2].hotkey = Hotkey{Hotkey::keyB, Mods::control | Mods::option};
    s.presets.push_back(custom("A very long name for a preset that needs more room than a row has", 2700, 0.955));
    model->setSettings(s);
    clickRow(3);
    const QSize size(640, kit::RenderHarness::fittingSize(*pane, 640).height());
    kit::RenderHarness::renderBoth(*pane, "presets-pane", size);
    // The editor alone, in a form of its own as a window lays a section out.
    kit::Form form;
    form.addWidget(new PresetEditor(model, pane->editor()->presetId()));
    kit::RenderHarness::renderBoth(form, "preset-editor", kit::RenderHarness::fittingSize(form, 640));
}

}  // namespace
}  // namespace orvane::testing
