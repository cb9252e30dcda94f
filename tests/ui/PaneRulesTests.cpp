// The rules of the Presets pane, the preset editor and the Shortcuts pane, without widgets.
#include <gtest/gtest.h>

#include "core/Settings.h"
#include "ui/settings/PresetEditorRules.h"
#include "ui/settings/PresetsPaneRules.h"
#include "ui/settings/ShortcutsPaneRules.h"

using namespace orvane;

namespace {

Preset custom(const std::string& id, std::int64_t kelvin = 3000, double dim = 1.0) {
    Preset p;
    p.id = id;
    p.name = id;
    p.kelvin = kelvin;
    p.dim = dim;
    p.icon = "star.fill";
    return p;
}

std::vector<std::string> ids(const std::vector<Preset>& presets) {
    std::vector<std::string> out;
    for (const auto& p : presets) out.push_back(p.id);
    return out;
}

}  // namespace

TEST(PresetsPaneRules, SelectionIsByIdAndAStaleOneIsNone) {
    using namespace PresetsPaneRules;
    std::vector<Preset> list{custom("A"), custom("B"), custom("C")};
    EXPECT_EQ(selectedIndex(list, std::nullopt), std::nullopt);
    EXPECT_EQ(selectedIndex(list, "B"), 1u);
    EXPECT_EQ(selectedIndex(list, "gone"), std::nullopt);
    EXPECT_EQ(selectedPreset(list, "C")->id, "C");
    std::swap(list[0], list[2]);
    EXPECT_EQ(selectedIndex(list, "C"), 0u);
}

TEST(PresetsPaneRules, RowTextsTruncateTheDim) {
    using namespace PresetsPaneRules;
    const struct {
        double dim;
        const char* text;
    } dims[] = {{0.955, "95%"}, {0.29, "29%"}, {0.9, "90%"}, {1.0, "100%"}, {0.999, "99%"}, {0.05, "5%"}};
    for (const auto& d : dims) EXPECT_EQ(rowTexts(custom("x", 3400, d.dim)).dim, d.text) << d.dim;

    Preset evening = Preset::builtIn(Preset::BuiltIn::evening);
    evening.hotkey = Hotkey{17, Hotkey::Modifiers{3}};
    EXPECT_EQ(rowTexts(evening), (RowTexts{"Evening", true, "3400K", "100%", "Alt+Super+T"}));
    EXPECT_EQ(rowTexts(custom("Mine", 2700, 0.85)), (RowTexts{"Mine", false, "2700K", "85%", std::nullopt}));
}

TEST(PresetsPaneRules, ControlsNeedASelectionDeleteOnlyTheUsersOwnMovesOnlyInside) {
    using namespace PresetsPaneRules;
    std::vector<Preset> list{Preset::builtIn(Preset::BuiltIn::daylight), custom("B"), custom("C")};
    EXPECT_EQ(enablement(list, std::nullopt), (Enablement{false, false, false}));
    EXPECT_EQ(enablement(list, "stale"), (Enablement{false, false, false}));
    EXPECT_EQ(enablement(list, "builtin.daylight"), (Enablement{false, false, true}));
    EXPECT_EQ(enablement(list, "B"), (Enablement{true, true, true}));
    EXPECT_EQ(enablement(list, "C"), (Enablement{true, true, false}));
    const std::vector<Preset> one{custom("only")};
    EXPECT_EQ(enablement(one, "only"), (Enablement{true, false, false}));
}

TEST(PresetsPaneRules, DeleteAndMoveDoNothingOutsideTheirRules) {
    using namespace PresetsPaneRules;
    std::vector<Preset> list{Preset::builtIn(Preset::BuiltIn::daylight), custom("B"), custom("C")};
    EXPECT_FALSE(deleteSelected(list, "builtin.daylight"));
    EXPECT_FALSE(deleteSelected(list, std::nullopt));
    EXPECT_FALSE(moveSelected(list, "builtin.daylight", -1));
    EXPECT_FALSE(moveSelected(list, "C", +1));
    EXPECT_FALSE(moveSelected(list, std::nullopt, +1));
    EXPECT_EQ(ids(list), (std::vector<std::string>{"builtin.daylight", "B", "C"}));
    EXPECT_TRUE(moveSelected(list, "B", -1));
    EXPECT_EQ(ids(list), (std::vector<std::string>{"B", "builtin.daylight", "C"}));
    EXPECT_TRUE(deleteSelected(list, "C"));
    EXPECT_EQ(ids(list), (std::vector<std::string>{"B", "builtin.daylight"}));
}

TEST(PresetsPaneRules, ANewPresetTakesTheModesWarmthAsRead) {
    const Preset p = PresetsPaneRules::newPreset("ID", TintState(2700, 0.85, RedStyle::pure, false));
    EXPECT_EQ(p, (Preset{"ID", "New preset", 2700, 0.85, std::nullopt, "star.fill", false, std::nullopt}));
    EXPECT_EQ(PresetsPaneRules::rowTexts(p).kelvin, "2700K");
    EXPECT_EQ(PresetsPaneRules::rowTexts(p).dim, "85%");
}

TEST(PresetsPaneRules, MovingOffsetsToADestinationCountedBeforeTheMove) {
    using namespace PresetsPaneRules;
    const struct {
        std::vector<std::size_t> offsets;
        std::size_t destination;
        std::vector<std::string> expected;
    } cases[] = {
        {{0}, 3, {"B", "C", "A", "D"}},                                     // A dragged below C
        {{3}, 0, {"D", "A", "B", "C"}},    {{1}, 1, {"A", "B", "C", "D"}},  // onto itself
        {{1}, 2, {"A", "B", "C", "D"}},                                     // just below itself
        {{0, 2}, 4, {"B", "D", "A", "C"}}, {{2}, 99, {"A", "B", "D", "C"}},
    };
    for (const auto& c : cases) {
        std::vector<Preset> list{custom("A"), custom("B"), custom("C"), custom("D")};
        move(list, c.offsets, c.destination);
        EXPECT_EQ(ids(list), c.expected) << c.destination;
    }
    // Rows 40 high: the pointer past C's middle lands below C.
    const std::vector<RowFrame> rows{{0, 40}, {40, 40}, {80, 40}, {120, 40}};
    EXPECT_EQ(dropDestination(rows, 99), 2u);
    EXPECT_EQ(dropDestination(rows, 101), 3u);
    EXPECT_EQ(dropDestination(rows, -5), 0u);
    EXPECT_EQ(dropDestination(rows, 500), 4u);
}

// The editor writes to the preset it was opened for, wherever the list moved it; a preset
// deleted under it takes no write.
TEST(PresetsPaneRules, TheEditorsWriteFindsThePresetBySelectedId) {
    using namespace PresetsPaneRules;
    std::vector<Preset> list{custom("A"), custom("B"), custom("C")};
    Preset edited = *selectedPreset(list, "B");
    list.insert(list.begin(), custom("X"));  // inserted ahead, position 1 is now A
    edited.name = "typed";
    EXPECT_TRUE(writeSelected(list, "B", edited));
    EXPECT_EQ(list[1].name, "A");
    EXPECT_EQ(list[2].name, "typed");

    list.erase(list.begin() + 2);  // B deleted under the editor
    const auto before = list;
    EXPECT_FALSE(writeSelected(list, "B", edited));
    EXPECT_EQ(list, before);

    // The id and the built-in mark are never the editor's to change.
    Preset renamed = Preset::builtIn(Preset::BuiltIn::evening);
    std::vector<Preset> builtIns{renamed};
    renamed.id = "other";
    renamed.isBuiltIn = false;
    renamed.name = "Dusk";
    EXPECT_TRUE(writeSelected(builtIns, "builtin.evening", renamed));
    EXPECT_EQ(builtIns[0].id, "builtin.evening");
    EXPECT_TRUE(builtIns[0].isBuiltIn);
    EXPECT_EQ(builtIns[0].name, "Dusk");
}

TEST(PresetEditorRules, SliderAndStepperMaps) {
    using namespace PresetEditorRules;
    EXPECT_EQ(kelvinAt(0.0), 6500);
    EXPECT_EQ(kelvinAt(1.0), 500);
    EXPECT_EQ(kelvinAt(0.5), 3500);
    EXPECT_EQ(kelvinAt(3124.5 / 6000), 3400);  // 6500 - 3124 = 3376, snapped
    EXPECT_EQ(kelvinAt(-1), 6500);
    EXPECT_DOUBLE_EQ(warmthPosition(1900), 4600.0 / 6000);
    EXPECT_EQ(steppedKelvin(6500, 1), 6500);
    EXPECT_EQ(steppedKelvin(500, -1), 500);
    EXPECT_EQ(steppedKelvin(3412, 1), 3450);  // snapped on the grid
    EXPECT_EQ(kelvinText(1900), "1900K");

    EXPECT_DOUBLE_EQ(dimAt(0), 0.05);
    EXPECT_DOUBLE_EQ(dimAt(1), 1.0);
    EXPECT_DOUBLE_EQ(dimPosition(0.05), 0.0);
    EXPECT_EQ(dimText(0.97), "97%");
    EXPECT_DOUBLE_EQ(steppedDim(0.97, 1), 1.0);
    EXPECT_DOUBLE_EQ(steppedDim(1.0, 1), 1.0);
    EXPECT_DOUBLE_EQ(steppedDim(0.05, -1), 0.05);
    EXPECT_DOUBLE_EQ(steppedDim(0.9, -1), 0.85);
    EXPECT_EQ(dimText(0.555), "56%");  // halves away from zero
}

TEST(PresetEditorRules, HeaderChoicesAndIcons) {
    using namespace PresetEditorRules;
    EXPECT_EQ(header("Candle"), "Edit \u201cCandle\u201d");
    EXPECT_EQ(header(""), "Edit \u201c\u201d");
    EXPECT_EQ(redStyleChoices[0].value, std::nullopt);
    EXPECT_EQ(redStyleChoices[1].value, RedStyle::pure);
    EXPECT_EQ(redStyleChoices[2].value, RedStyle::readable);
    // The first six are the built-ins' icons in built-in order; a new preset's star follows.
    for (std::size_t i = 0; i < Preset::builtIns().size(); ++i) EXPECT_EQ(Preset::builtIns()[i].icon, icons[i]);
    EXPECT_STREQ(icons[6], "star.fill");
}

TEST(ShortcutsPaneRules, StepsAndTexts) {
    using namespace ShortcutsPaneRules;
    EXPECT_EQ(dimStepText(0.05), "5%");
    EXPECT_DOUBLE_EQ(steppedDimStep(0.05, 1), 0.06);
    EXPECT_EQ(dimStepText(0.055), "6%");
    EXPECT_DOUBLE_EQ(steppedDimStep(0.055, 1), 0.07);
    EXPECT_DOUBLE_EQ(steppedDimStep(0.055, -1), 0.05);
    EXPECT_DOUBLE_EQ(steppedDimStep(0.01, -1), 0.01);
    EXPECT_DOUBLE_EQ(steppedDimStep(0.5, 1), 0.5);
    EXPECT_EQ(warmthStepText(250), "250K");
    EXPECT_EQ(steppedWarmthStep(50, -1), 50);
    EXPECT_EQ(steppedWarmthStep(2000, 1), 2000);
    EXPECT_EQ(steppedWarmthStep(250, 1), 300);
    EXPECT_EQ(emergencyText(), "Ctrl+Alt+Super+Backspace");

    // Ten recorder rows, one per shortcut field, none twice.
    std::vector<std::optional<Hotkey> Shortcuts::*> fields;
    for (const auto* rows : {globalRows.data(), presetsAndModesRows.data()})
        for (std::size_t i = 0; i < 3; ++i) fields.push_back(rows[i].field);
    for (const auto& r : warmthRows) fields.push_back(r.field);
    for (const auto& r : dimRows) fields.push_back(r.field);
    ASSERT_EQ(fields.size(), 10u);
    for (std::size_t i = 0; i < fields.size(); ++i)
        for (std::size_t j = i + 1; j < fields.size(); ++j) EXPECT_NE(fields[i], fields[j]) << i << " " << j;
}
