// The overlays' faces and their panels: the rules they draw by, the windows they live in,
// and images of both in light and dark.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include "app/Panels.h"
#include "ui/hud/HUDRules.h"
#include "ui/hud/HUDView.h"
#include "ui/hud/QtPanels.h"
#include "ui/hud/RestBreakView.h"
#include "ui/kit/Context.h"
#include "ui/kit/RenderHarness.h"

using namespace orvane;

TEST(HUDRulesTest, SegmentsLightWhileTheirStartIsBelowTheLevel) {
    const std::pair<double, int> cases[] = {{0.0, 0},     {0.01, 1},  {0.0625, 1}, {0.0626, 2}, {0.5, 8},
                                            {0.9375, 15}, {0.94, 16}, {1.0, 16},   {-0.2, 0},   {1.7, 16}};
    for (const auto& [level, lit] : cases) EXPECT_EQ(HUDRules::litSegments(level), lit) << level;
    EXPECT_FALSE(HUDRules::segmentLit(0, 0.0));
    EXPECT_TRUE(HUDRules::segmentLit(15, 0.94));
    EXPECT_FALSE(HUDRules::segmentLit(15, 0.9375));
}

TEST(HUDRulesTest, TheCountdownStartsAtTheFullLengthAndNeverGoesBelowZero) {
    const Date start(1'800'000'000);
    struct Case {
        double elapsed;
        double seconds;
        double progress;
        const char* text;
    };
    const Case cases[] = {
        {0, 20, 1.0, "20 s \u00b7 any key ends it"},
        {0.4, 20, 0.98, "20 s \u00b7 any key ends it"},
        {1.0, 20, 0.95, "19 s \u00b7 any key ends it"},
        {19.5, 20, 0.025, "1 s \u00b7 any key ends it"},
        {20, 20, 0.0, "0 s \u00b7 any key ends it"},  // the ring is empty when the time is up
        {25, 20, 0.0, "0 s \u00b7 any key ends it"},
        {-3, 20, 1.0, "20 s \u00b7 any key ends it"},  // a clock set back does not overfill
        {0, 0, 0.0, "0 s \u00b7 any key ends it"},     // a break without length
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elapsed);
        const double progress = HUDRules::restProgress(start + c.elapsed, start, c.seconds);
        EXPECT_NEAR(progress, c.progress, 1e-6);
        EXPECT_EQ(HUDRules::countdownText(HUDRules::remainingSeconds(progress, c.seconds)), c.text);
    }
    EXPECT_EQ(HUDRules::remainingSeconds(-0.5, 20), 0);
    EXPECT_EQ(HUDRules::countdownText(-4), "0 s \u00b7 any key ends it");
}

TEST(QtPanelsTest, PanelsAreClickThroughFocusLessOnTopAndCutToTheirRoundedShape) {
    QtPanels panels;
    app::BrightnessHUDState brightness;
    const app::RestBreakHUDState rest(Date(0));
    const auto hud = panels.brightnessPanel(200, 200, brightness);
    const auto breakPanel = panels.restBreakPanel(320, 92, rest);
    for (const auto* panel : {hud.get(), breakPanel.get()}) {
        EXPECT_FALSE(panel->isVisible());
    }
    hud->moveTo({100, 140});
    hud->orderFrontRegardless();
    EXPECT_TRUE(hud->isVisible());

    QWidget* window = nullptr;
    for (auto* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->size() == QSize(200, 200)) window = w;
    ASSERT_TRUE(window);
    const Qt::WindowFlags flags = window->windowFlags();
    for (const auto flag : {Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::WindowTransparentForInput,
                            Qt::WindowDoesNotAcceptFocus, Qt::X11BypassWindowManagerHint})
        EXPECT_TRUE(flags.testFlag(flag)) << flag;
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(window->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(window->isActiveWindow());
    const QRegion mask = window->mask();
    EXPECT_TRUE(mask.contains(QPoint(100, 100)));
    EXPECT_TRUE(mask.contains(QPoint(100, 1)));
    EXPECT_FALSE(mask.contains(QPoint(1, 1))) << "the corners are cut";
    EXPECT_FALSE(mask.contains(QPoint(198, 198)));

    // Global points have their origin at the main screen's bottom-left corner.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->geometry(), QRect(100, screen.height() - 340, 200, 200));
    EXPECT_EQ(panels.mainScreenFrame(), (platform::Rect{0, 0, double(screen.width()), double(screen.height())}));

    hud->orderOut();
    EXPECT_FALSE(hud->isVisible());
}

TEST(QtPanelsTest, BottomLeftOriginsBecomeTopLeftGeometryOfTheMainScreen) {
    struct Case {
        platform::Point origin;
        QSize size;
        QRect main;
        QRect expected;
    };
    const Case cases[] = {
        {{540, 140}, {200, 200}, {0, 0, 1280, 800}, {540, 460, 200, 200}},
        {{480, 120}, {320, 92}, {0, 0, 1280, 800}, {480, 588, 320, 92}},
        {{10, 0}, {200, 200}, {1920, 100, 1280, 800}, {1930, 700, 200, 200}},  // main screen not at 0, 0
    };
    for (const auto& c : cases) EXPECT_EQ(QtPanels::toolkitGeometry(c.origin, c.size, c.main), c.expected);
}

TEST(RestBreakViewTest, RefreshesOnlyWhileShownAndNamesItselfForAccessibility) {
    const app::RestBreakHUDState state(Date(0));
    QWidget window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    auto* view = new RestBreakView(state, &window);
    EXPECT_FALSE(view->isRefreshing());
    window.show();
    EXPECT_TRUE(view->isRefreshing());
    window.hide();
    EXPECT_FALSE(view->isRefreshing());
    EXPECT_EQ(view->accessibleName(), QStringLiteral("Eye rest. Look at something far away."));
}

namespace {

// The time the views read, fixed for repeatable images.
kit::Context fixedTime(Date now) {
    kit::Context context = kit::defaultContext();
    context.now = [now] { return now; };
    return context;
}

// The share of pixels in a row band whose colour is near `colour`.
double shareNear(const QImage& image, const QRect& band, const QColor& colour) {
    int near = 0, all = 0;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x, ++all) {
            const QColor c = image.pixelColor(x, y);
            near += std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
                    std::abs(c.blue() - colour.blue()) < 40;
        }
    return all ? static_cast<double>(near) / all : 0;
}

}  // namespace

TEST(HUDImagesTest, BothFacesRenderInLightAndDark) {
    app::BrightnessHUDState brightness;
    brightness.setLevel(0.5);
    HUDView hud(brightness);
    kit::RenderHarness::renderBoth(hud, "brightness-hud");
    brightness.setTitle("Brightness");
    brightness.setLevel(0.9375);
    kit::RenderHarness::renderBoth(hud, "brightness-hud-fifteen");

    const Date start(1'800'000'000);
    app::RestBreakHUDState rest(start);
    rest.setSeconds(20);
    RestBreakView view(rest);
    kit::setContext(view, fixedTime(start + 7));
    kit::RenderHarness::renderBoth(view, "rest-break");

    // Eight of sixteen segments lit: the row's left half is bright, its right half faint.
    brightness.setLevel(0.5);
    const QImage dark = kit::RenderHarness::render(hud, kit::Appearance::dark);
    EXPECT_EQ(dark.size(), QSize(400, 400));
    const QColor white(255, 255, 255);
    const double leftHalf = shareNear(dark, QRect(28, 286, 166, 10), white);
    const double rightHalf = shareNear(dark, QRect(206, 286, 166, 10), white);
    EXPECT_GT(leftHalf, 0.5) << "lit segments";
    EXPECT_LT(rightHalf, 0.05) << "dim segments";
    // The corners lie outside the glass.
    EXPECT_EQ(dark.pixelColor(1, 1).rgb(), kit::windowColor(kit::Appearance::dark).rgb());
}
