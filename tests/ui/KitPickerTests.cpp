#include <gtest/gtest.h>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include "KitFixture.h"
#include "core/Presets.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/GlassCard.h"
#include "ui/kit/GlassSegment.h"
#include "ui/kit/PresetButton.h"
#include "ui/kit/PresetRules.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/TileLabel.h"
#include "ui/views/ModeSegment.h"
#include "ui/views/PresetRow.h"

namespace orvane::testing {
namespace {

using KitSegment = KitModelTest;

TEST_F(KitSegment, PickingAsksTheOwnerAndThePillFollowsItsAnswer) {
    std::vector<int> picked;
    kit::GlassSegment<int> segment(
        {{1, "One", std::nullopt, std::nullopt},
         {2, "Two", "moon.fill", std::nullopt},
         {3, "Three", "flame", kit::Tokens::curveColor(1900)}},
        std::nullopt, 28, [&](int v) { picked.push_back(v); }, window.get());
    place(segment, QSize(300, 34));
    EXPECT_FALSE(segment.pillRect()) << "nothing selected, no pill";
    EXPECT_FALSE(segment.button(0).isChecked());

    QTest::mouseClick(&segment.button(1), Qt::LeftButton);
    EXPECT_EQ(picked, std::vector<int>{2});
    EXPECT_FALSE(segment.selectedIndex()) << "the picker does not select by itself";

    segment.setSelection(2);
    ASSERT_TRUE(segment.pillRect());
    EXPECT_EQ(segment.pillRect()->x(), segment.button(1).geometry().x()) << "the first pill appears in place";
    EXPECT_TRUE(segment.button(1).isChecked());

    segment.setSelection(3);
    animationTime += kit::Animator::frameInterval;
    animator->step();
    EXPECT_LT(segment.pillRect()->x(), segment.button(2).geometry().x()) << "gliding";
    animationTime += 0.3;
    animator->step();
    EXPECT_NEAR(segment.pillRect()->x(), segment.button(2).geometry().x(), 0.02 * segment.button(2).width());
    animator->settleAll();
    EXPECT_DOUBLE_EQ(segment.pillRect()->x(), segment.button(2).geometry().x());

    segment.setSelection(9);  // no item has it
    EXPECT_FALSE(segment.pillRect());
    EXPECT_FALSE(segment.button(2).isChecked());

    // Picking the selected item still asks.
    segment.setSelection(1);
    QTest::mouseClick(&segment.button(0), Qt::LeftButton);
    EXPECT_EQ(picked, (std::vector<int>{2, 1}));

    kit::GlassSegment<int> intensity({{0, "Gentle", std::nullopt, kit::Tokens::curveColor(2700)},
                                      {1, "Warm", std::nullopt, kit::Tokens::curveColor(1900)},
                                      {2, "Deep red", std::nullopt, kit::Tokens::curveColor(800)}},
                                     1, 28, {}, window.get());
    kit::RenderHarness::renderBoth(intensity, "glass-segment-swatches", QSize(300, 34));
}

TEST_F(KitSegment, ModeSegmentFollowsAndSetsTheMode) {
    Settings s = manualSettings(3400, 1.0);
    AppModel& m = start(s);
    kit::ModeSegment segment(model, window.get());
    place(segment, QSize(320, 38));
    EXPECT_EQ(segment.accessibleName(), QStringLiteral("Mode"));
    ASSERT_EQ(segment.count(), 3u);
    EXPECT_EQ(segment.button(0).accessibleName(), QStringLiteral("Sunset"));
    EXPECT_EQ(segment.selection(), Mode::manual);
    EXPECT_TRUE(segment.button(1).isChecked());

    QTest::mouseClick(&segment.button(2), Qt::LeftButton);
    EXPECT_EQ(m.settings().mode, Mode::schedule);
    EXPECT_EQ(segment.selection(), Mode::schedule);

    // Choosing the mode already chosen still ends a manual hold.
    RuntimeState held = m.runtime();
    held.pausedUntil = Date(berlinNoon.secondsSince1970 + 3600);
    held.pausedState = TintState(2000, 1.0, RedStyle::readable, false);
    m.setRuntime(held);
    ASSERT_TRUE(m.runtime().pausedUntil);
    QTest::mouseClick(&segment.button(2), Qt::LeftButton);
    EXPECT_FALSE(m.runtime().pausedUntil);
    EXPECT_FALSE(m.runtime().pausedState);

    kit::RenderHarness::renderBoth(segment, "mode-segment", QSize(320, 38));
}

TEST(KitPresetRules, CurrentShownAndTexts) {
    Preset p = Preset::builtIn(Preset::BuiltIn::ember);  // 1200 K, 0.8
    const TintState mode(1200, 0.8, RedStyle::readable, false);
    EXPECT_TRUE(kit::PresetRules::isCurrent(p, true, mode));
    EXPECT_FALSE(kit::PresetRules::isCurrent(p, false, mode)) << "nothing is current while off";
    EXPECT_TRUE(kit::PresetRules::isCurrent(p, true, TintState(1200, 0.809, RedStyle::readable, false)));
    EXPECT_FALSE(kit::PresetRules::isCurrent(p, true, TintState(1200, 0.811, RedStyle::readable, false)));
    EXPECT_FALSE(kit::PresetRules::isCurrent(p, true, TintState(1200, 0.81, RedStyle::readable, false)));
    EXPECT_FALSE(kit::PresetRules::isCurrent(p, true, TintState(1200, 0.79, RedStyle::readable, false)));
    EXPECT_FALSE(kit::PresetRules::isCurrent(p, true, TintState(1250, 0.8, RedStyle::readable, false)));

    p.kelvin = 2700;
    p.dim = 0.555;
    EXPECT_EQ(kit::PresetRules::helpText(p), "2700K · 55%");
    p.dim = 0.29;
    EXPECT_EQ(kit::PresetRules::helpText(p), "2700K · 29%");
    EXPECT_EQ(kit::PresetRules::accessibleLabel(Preset::builtIn(Preset::BuiltIn::candle)), "Candle, 1900 kelvin");

    const auto shown = kit::PresetRules::shown(Preset::builtIns());
    ASSERT_EQ(shown.size(), 5u);
    for (const auto& s : shown) EXPECT_NE(s.id, "builtin.daylight");
    EXPECT_FALSE(kit::PresetRules::scrolls(6));
    EXPECT_TRUE(kit::PresetRules::scrolls(7));
}

using KitPresets = KitModelTest;

TEST_F(KitPresets, RowAppliesMarksAndOpensTheEditor) {
    AppModel& m = start(manualSettings(3400, 1.0));
    kit::PresetRow row(model, window.get());
    place(row, QSize(340, row.sizeHint().height()));
    ASSERT_EQ(row.buttons().size(), 5u);
    EXPECT_FALSE(row.scrolling());
    kit::PresetButton* evening = row.buttons()[1];
    EXPECT_EQ(evening->preset().id, "builtin.evening");
    EXPECT_TRUE(evening->current());
    EXPECT_TRUE(evening->isChecked());
    EXPECT_EQ(evening->toolTip(), QStringLiteral("3400K · 100%"));

    kit::PresetButton* ember = row.buttons()[3];
    QTest::mouseClick(ember, Qt::LeftButton);
    EXPECT_EQ(m.resolution().modeState.kelvin, 1200);
    EXPECT_DOUBLE_EQ(m.resolution().modeState.dim, 0.8);
    EXPECT_TRUE(ember->current());
    EXPECT_FALSE(evening->current());
    EXPECT_EQ(kitSounds, std::vector<std::string>{"Pop"});

    m.setEnabled(false);
    EXPECT_FALSE(ember->current());

    std::vector<kit::NotificationCenter::Object> objects;
    auto handle = notifications.observe(kit::Notifications::openSettingsPane,
                                        [&](const kit::NotificationCenter::Object& o) { objects.push_back(o); });
    row.editPresets();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0], std::optional<std::string>("presets"));

    kit::RenderHarness::renderBoth(row, "preset-row-off", QSize(340, row.sizeHint().height()));
    m.setEnabled(true);
    kit::RenderHarness::renderBoth(row, "preset-row", QSize(340, row.sizeHint().height()));
    // Nothing is cut by the row's box: its first and last pixel rows are bare ground, so
    // the selected disc and the names' descenders ("Evening", "Midnight") lie inside.
    for (const auto appearance : {kit::Appearance::light, kit::Appearance::dark}) {
        const QImage image = kit::RenderHarness::render(row, appearance, QSize(340, row.sizeHint().height()));
        const QColor ground = kit::windowColor(appearance);
        for (const int y : {0, image.height() - 1})
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(image.pixelColor(x, y).rgb(), ground.rgb()) << "drawn at the edge, x " << x << ", y " << y;
    }
}

TEST_F(KitPresets, SevenScrollAndSoundsCanBeOff) {
    Settings s = manualSettings(3400, 1.0);
    s.sounds = false;
    for (int i = 0; i < 3; ++i) {
        Preset p = Preset::builtIn(Preset::BuiltIn::focus);
        p.id = "user." + std::to_string(i);
        p.name = "Mine " + std::to_string(i);
        p.kelvin = 4000 - 500 * i;
        p.isBuiltIn = false;
        s.presets.push_back(p);
    }
    AppModel& m = start(s);
    kit::PresetRow row(model, window.get());
    place(row, QSize(340, row.sizeHint().height()));
    EXPECT_EQ(row.buttons().size(), 8u);
    EXPECT_TRUE(row.scrolling());
    QTest::mouseClick(row.buttons()[5], Qt::LeftButton);
    EXPECT_EQ(m.resolution().modeState.kelvin, 4000);
    EXPECT_TRUE(kitSounds.empty());
    kit::RenderHarness::renderBoth(row, "preset-row-scrolling", QSize(340, row.sizeHint().height()));
}

using KitTile = KitModelTest;

TEST_F(KitTile, AppIconDesaturatesAndBadgesWhenOn) {
    QImage icon(64, 64, QImage::Format_ARGB32_Premultiplied);
    icon.fill(QColor(40, 120, 230));
    kit::TileLabel app("app.dashed", QStringLiteral("Not in GIMP"), QStringLiteral("Click to tint again"), false, icon,
                       window.get());
    place(app, QSize(110, app.sizeHint().height()));
    EXPECT_DOUBLE_EQ(app.appIconSaturation(), 1.0);
    EXPECT_FALSE(app.badgeShown());
    app.setOn(true);
    EXPECT_DOUBLE_EQ(app.appIconSaturation(), 0.35);
    EXPECT_TRUE(app.badgeShown());
    kit::TileLabel symbol("moon.zzz.fill", QStringLiteral("Wind down"), QStringLiteral("Deep red now"), true,
                          std::nullopt, window.get());
    kit::TileLabel off("sun.max.fill", QStringLiteral("True color"), QStringLiteral("For 15 minutes"), false,
                       std::nullopt, window.get());
    kit::RenderHarness::renderBoth(app, "tile-app-on", QSize(110, app.sizeHint().height()));
    kit::RenderHarness::renderBoth(symbol, "tile-on", QSize(110, symbol.sizeHint().height()));
    kit::RenderHarness::renderBoth(off, "tile-off", QSize(110, off.sizeHint().height()));
}

TEST_F(KitTile, ATileInAGlassButtonClicksAnywhere) {
    kit::GlassShapeButton tile(window.get());
    tile.setShape(kit::ButtonShape::roundedRect, 16);
    auto* label =
        new kit::TileLabel("moon.zzz.fill", QStringLiteral("Wind down"), QStringLiteral("Deep red now"), false);
    tile.setContent(label);
    int clicks = 0;
    QObject::connect(&tile, &QAbstractButton::clicked, [&] { ++clicks; });
    place(tile, QSize(110, tile.sizeHint().height()));
    // On the label's icon, and on its empty right part.
    QTest::mouseClick(&tile, Qt::LeftButton, {}, label->geometry().topLeft() + QPoint(20, 20));
    QTest::mouseClick(&tile, Qt::LeftButton, {}, QPoint(tile.width() - 12, tile.height() / 2));
    EXPECT_EQ(clicks, 2);

    kit::GlassCard card(20, window.get());
    card.setTint(kit::Tokens::glassTint(2400));
    auto* column = new QVBoxLayout(&card);
    column->setContentsMargins(16, 16, 16, 16);
    auto* inside = new kit::TileLabel("sun.max.fill", QStringLiteral("True color"), QStringLiteral("15 minutes"), true);
    column->addWidget(inside);
    kit::RenderHarness::renderBoth(tile, "tile-button", QSize(110, tile.sizeHint().height()));
    kit::RenderHarness::renderBoth(card, "glass-card", QSize(200, card.sizeHint().height()));
}

// A shown tile's new detail counts up into place; the same text again, or a new one while
// hidden, simply stands.
TEST_F(KitTile, DetailCountsUpWhileShown) {
    kit::TileLabel tile("sun.max.fill", QStringLiteral("True color"), QStringLiteral("For 15 min"), true, std::nullopt,
                        window.get());
    place(tile, QSize(120, tile.sizeHint().height()));
    tile.setDetail(QStringLiteral("For 30 min"));
    const kit::NumericTransition& roll = tile.detailTransition();
    ASSERT_TRUE(roll.rolling());
    EXPECT_EQ(roll.previous(), QStringLiteral("For 15 min"));
    EXPECT_EQ(roll.currentDirection(), kit::NumericTransition::Direction::up);
    animationTime += 0.1;
    animator->step();
    EXPECT_GT(roll.progress(), 0.2);
    EXPECT_LT(roll.progress(), 0.8);
    kit::RenderHarness::renderBoth(tile, "tile-detail-rolling", tile.size(),
                                   kit::RenderHarness::Animations::asTheyStand);
    animator->settleAll();
    EXPECT_FALSE(roll.rolling());

    tile.setDetail(QStringLiteral("For 30 min"));
    EXPECT_FALSE(roll.rolling());
    tile.hide();
    tile.setDetail(QStringLiteral("Until 07:00"));
    EXPECT_FALSE(roll.rolling());
    EXPECT_EQ(tile.detail(), QStringLiteral("Until 07:00"));
}

}  // namespace
}  // namespace orvane::testing
