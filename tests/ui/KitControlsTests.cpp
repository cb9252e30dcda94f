#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QEnterEvent>
#include <QTest>

#include "ui/kit/Buttons.h"
#include "ui/kit/Context.h"
#include "ui/kit/LevelSlider.h"
#include "ui/kit/LevelSliderRules.h"
#include "ui/kit/PointerHover.h"
#include "ui/kit/RenderHarness.h"

namespace orvane::kit {
namespace {

struct CountingHaptics final : HapticPerformer {
    void performAlignment() override { ++ticks; }
    int ticks = 0;
};

// A context of its own for each test: a hand-stepped animator and counted haptics.
struct KitFixture : ::testing::Test {
    double now = 0;
    std::shared_ptr<Animator> animator = std::make_shared<Animator>([this] { return now; }, false);
    std::shared_ptr<CountingHaptics> haptics = std::make_shared<CountingHaptics>();
    NotificationCenter notifications;
    QWidget window;

    void SetUp() override {
        Context c;
        c.animator = animator;
        c.haptics = haptics;
        c.notifications = &notifications;
        setContext(window, c);
        window.resize(400, 200);
    }
};

void enter(QWidget& w) {
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&w, &e);
}
void leave(QWidget& w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(&w, &e);
}

using KitHover = KitFixture;

TEST_F(KitHover, EachEntryAndExitOnce) {
    QWidget target(&window);
    std::vector<bool> calls;
    PointerHover hover(target, [&](bool inside) { calls.push_back(inside); });
    leave(target);  // no entry yet
    enter(target);
    enter(target);
    leave(target);
    leave(target);
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
}

TEST_F(KitHover, HideReparentAndDestructionReportTheExit) {
    std::vector<bool> calls;
    auto* target = new QWidget(&window);
    window.show();
    {
        PointerHover hover(*target, [&](bool inside) { calls.push_back(inside); });
        enter(*target);
        target->hide();
        target->hide();
        EXPECT_EQ(calls, (std::vector<bool>{true, false}));
        target->show();
        enter(*target);
        QWidget other;
        target->setParent(&other);  // reparent while hovered
        EXPECT_EQ(calls, (std::vector<bool>{true, false, true, false}));
        target->setParent(&window);
        // A widget moved while not hovered says nothing.
        target->setParent(&other);
        target->setParent(&window);
        EXPECT_EQ(calls.size(), 4u);
        enter(*target);
        // The new action takes the next exit.
        hover.setAction([&](bool inside) { calls.push_back(!inside); });
    }
    EXPECT_EQ(calls, (std::vector<bool>{true, false, true, false, true, true}));
    calls.clear();
    PointerHover outlived(*target, [&](bool inside) { calls.push_back(inside); });
    enter(*target);
    delete target;
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
    window.hide();
}

TEST_F(KitHover, TheWidgetStillGetsItsClicks) {
    PressableButton button(&window);
    button.resize(40, 40);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    PointerHover hover(button, [](bool) {});
    enter(button);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicks, 1);
}

using KitButtons = KitFixture;

TEST_F(KitButtons, PressedBeatsHover) {
    EXPECT_DOUBLE_EQ(glassButtonLook(true, true).overlayOpacity, 0.08);
    EXPECT_DOUBLE_EQ(glassButtonLook(true, true).scale, 0.965);
    EXPECT_DOUBLE_EQ(glassButtonLook(false, true).overlayOpacity, 0.035);
    EXPECT_DOUBLE_EQ(glassButtonLook(false, true).scale, 1.04);
    EXPECT_DOUBLE_EQ(glassButtonLook(false, false).overlayOpacity, 0);
    EXPECT_DOUBLE_EQ(glassButtonLook(false, false).scale, 1);
    EXPECT_DOUBLE_EQ(pressableLook(true).opacity, 0.7);
    EXPECT_DOUBLE_EQ(pressableLook(true).scale, 0.97);
    EXPECT_DOUBLE_EQ(pressableLook(false).opacity, 1);
}

TEST_F(KitButtons, RoundButtonTakesClicksOnlyInsideItsCircle) {
    int clicks = 0;
    GlassIconButton button(
        "gearshape.fill", "Settings", 28, std::nullopt, [&] { ++clicks; }, &window);
    button.resize(button.sizeHint());
    EXPECT_EQ(button.sizeHint(), QSize(32, 32));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(3, 3));  // in the box, off the circle
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(4, 16));  // near the edge, inside
    EXPECT_EQ(clicks, 2);
}

TEST_F(KitButtons, IconButtonSymbolSizeAndHelp) {
    GlassIconButton button("power", "Quit", 28, std::nullopt, {}, &window);
    EXPECT_NEAR(button.symbolSize(), 11.76, 1e-9);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Quit"));
    EXPECT_EQ(button.accessibleName(), QStringLiteral("Quit"));
}

TEST_F(KitButtons, HoverAndPressAnimateTowardTheirLook) {
    GlassIconButton button("eye", "Reveal", 28, std::nullopt, {}, &window);
    button.resize(button.sizeHint());
    enter(button);
    EXPECT_TRUE(button.hovering());
    animator->settleAll();
    EXPECT_DOUBLE_EQ(button.look().scale, 1.04);
    leave(button);
    EXPECT_FALSE(button.hovering());
    EXPECT_DOUBLE_EQ(button.look().scale, 1);
}

using KitSlider = KitFixture;
namespace Rules = LevelSliderRules;

TEST_F(KitSlider, GeometryClampsAndNaNDrawsAsZero) {
    EXPECT_DOUBLE_EQ(Rules::fillWidth(236, 36, 0), 36);
    EXPECT_DOUBLE_EQ(Rules::fillWidth(236, 36, 1), 236);
    EXPECT_DOUBLE_EQ(Rules::fillWidth(236, 36, 0.5), 136);
    EXPECT_DOUBLE_EQ(Rules::fillWidth(236, 36, std::nan("")), 36);
    EXPECT_DOUBLE_EQ(Rules::fillWidth(236, 36, -3), 36);
    EXPECT_DOUBLE_EQ(Rules::fillWidth(236, 36, 7), 236);
    EXPECT_DOUBLE_EQ(Rules::detentCentre(236, 36, 0.25), 86);
    // The dot of the warm end (3 across) lies whole inside the track, one diameter from its
    // end, instead of centred on the end itself.
    EXPECT_DOUBLE_EQ(Rules::detentCentre(236, 36, 1), 233);
    EXPECT_LE(Rules::detentCentre(236, 36, 1) + Rules::detentRadius, 236 - Rules::detentRadius);
    EXPECT_DOUBLE_EQ(Rules::detentCentre(236, 36, 0.98), 232);
}

TEST_F(KitSlider, DragSnapsToTheFirstDetentWithinItsWindow) {
    // 236 wide, 36 high: x = 36 + 200 v.
    const std::vector<double> detents{0.50, 0.51};
    auto at = [](double v) { return 36 + 200 * v; };
    auto s = Rules::drag(at(0.505), 236, 36, detents, true, std::nullopt);
    EXPECT_DOUBLE_EQ(s.value, 0.50) << "of two detents 0.01 apart the earlier wins";
    EXPECT_TRUE(s.tick);
    s = Rules::drag(at(0.515), 236, 36, detents, true, s.lastDetent);
    EXPECT_DOUBLE_EQ(s.value, 0.50);
    EXPECT_FALSE(s.tick) << "still inside the same window";
    s = Rules::drag(at(0.52), 236, 36, {0.5}, true, s.lastDetent);
    EXPECT_DOUBLE_EQ(s.value, 0.52) << "exactly 0.02 away does not snap";
    EXPECT_FALSE(s.lastDetent);
    s = Rules::drag(at(0.49), 236, 36, {0.5}, true, s.lastDetent);
    EXPECT_TRUE(s.tick) << "re-entering ticks again";
    s = Rules::drag(at(0.49), 236, 36, {0.5}, false, std::nullopt);
    EXPECT_DOUBLE_EQ(s.value, 0.5);
    EXPECT_FALSE(s.tick);
    EXPECT_FALSE(s.lastDetent) << "without haptics a hit leaves the last detent alone";
    s = Rules::drag(-50, 236, 36, {}, true, 0.3);
    EXPECT_DOUBLE_EQ(s.value, 0);
    EXPECT_FALSE(s.lastDetent);
    EXPECT_DOUBLE_EQ(Rules::drag(10, 36, 36, {}, false, std::nullopt).value, 0) << "no room: 0, not NaN";
}

TEST_F(KitSlider, AdjustmentsAndSpokenValue) {
    EXPECT_DOUBLE_EQ(Rules::increment(0.98), 1.0);
    EXPECT_DOUBLE_EQ(Rules::decrement(0.03), 0.0);
    EXPECT_EQ(Rules::accessibleValue(0.029), "2 percent");
    EXPECT_EQ(Rules::accessibleValue(0.29), "29 percent");
    EXPECT_EQ(Rules::accessibleValue(0.999), "99 percent");
}

TEST_F(KitSlider, WidgetDragsWithTicksAndSwell) {
    LevelSlider slider(0.2, "flame.fill", {0.5}, true, 36, std::nullopt, &window);
    slider.setGeometry(0, 0, 236, 36);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(137, 18));  // v = 0.505
    EXPECT_DOUBLE_EQ(slider.value(), 0.5);
    EXPECT_TRUE(slider.dragging());
    EXPECT_EQ(haptics->ticks, 1);
    QTest::mouseMove(&slider, QPoint(138, 18));
    EXPECT_EQ(haptics->ticks, 1);
    QTest::mouseMove(&slider, QPoint(186, 18));
    EXPECT_DOUBLE_EQ(slider.value(), 0.75);
    QTest::mouseMove(&slider, QPoint(136, 18));
    EXPECT_EQ(haptics->ticks, 2);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(136, 18));
    EXPECT_FALSE(slider.dragging());
}

// The dot of a detent at the warm end is drawn where the rule puts it, whole inside the
// track's rounded end.
TEST_F(KitSlider, WarmEndDotIsDrawnInsideTheTrack) {
    LevelSlider slider(0.1, "flame.fill", {0.25, 1}, true, 36, std::nullopt, &window);
    const QSize size(236, 36 + 2 * LevelSlider::bleed);
    RenderHarness::renderBoth(slider, "level-slider-detents", size);
    const QImage image = RenderHarness::render(slider, Appearance::light, size);
    const double y = size.height() / 2.0;
    auto lightness = [&](double x) {
        return image.pixelColor(static_cast<int>(x * 2), static_cast<int>(y * 2)).lightness();
    };
    const double dot = Rules::detentCentre(236, 36, 1);
    EXPECT_LT(lightness(dot), lightness(dot - 4) - 20) << "the dot stands out of the track";
    EXPECT_EQ(lightness(dot + 2), lightness(dot - 4)) << "and ends before the track does";
}

TEST_F(KitSlider, AccessibleValueAndActions) {
    LevelSlider slider(0.98, "sun.max.fill", {}, false, 36, std::nullopt, &window);
    slider.setAccessibleName(QStringLiteral("Brightness"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&slider);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Slider);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("Brightness"));
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("98 percent"));
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_DOUBLE_EQ(slider.value(), 1.0);
    slider.setValue(0.03);
    a->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_DOUBLE_EQ(slider.value(), 0.0);
    slider.setValue(0.29);
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("29 percent"));
    EXPECT_EQ(haptics->ticks, 0);
}

}  // namespace
}  // namespace orvane::kit
