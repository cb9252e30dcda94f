// The overlay windows on the toolkit: translucent ones refused without a compositing
// manager (opaque ones made all the same), placed from
// bottom-left display frames, click-through and above other windows, painting their
// layers source-over.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "../SimFixture.h"
#include "platform/qt/QtOverlayWindows.h"

namespace orvane::platform {
namespace {

QWidget* onlyOverlayWidget() {
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->windowFlags().testFlag(Qt::WindowTransparentForInput)) continue;
        if (found) return nullptr;
        found = w;
    }
    return found;
}

TEST(QtOverlayWindowsTest, WithoutACompositingManagerOnlyOpaqueWindowsAreMade) {
    testing::LogCapture logs;
    QtOverlayWindows windows([] { return false; });
    EXPECT_EQ(windows.create({0, 0, 100, 100}, {}), nullptr);
    EXPECT_EQ(onlyOverlayWidget(), nullptr);
    ASSERT_EQ(logs.messages("overlay").size(), 1u);

    // An opaque window (the self-test's patch row) covers only what it draws.
    auto opaque = windows.create({0, 0, 480, 80}, {3, true, SharingType::readOnly});
    ASSERT_NE(opaque, nullptr);
    opaque->setLayers({{std::nullopt, 1.0, 1.0, 1.0, 1.0}});
    opaque->orderFront();
    QWidget* widget = onlyOverlayWidget();
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->grab().toImage().pixelColor(10, 10), QColor(255, 255, 255));
    EXPECT_EQ(logs.messages("overlay").size(), 1u);
}

TEST(QtOverlayWindowsTest, WindowIsClickThroughAboveOthersAndPlacedFromABottomLeftFrame) {
    QtOverlayWindows windows([] { return true; });
    const QRect main = QGuiApplication::primaryScreen()->geometry();
    auto window = windows.create({10, 20, 300, 200}, {windows.maximumWindowLevel(), false, SharingType::none});
    ASSERT_NE(window, nullptr);
    QWidget* widget = onlyOverlayWidget();
    ASSERT_NE(widget, nullptr);

    const auto flags = widget->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(widget->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(widget->testAttribute(Qt::WA_TransparentForMouseEvents));
    // 20 points above the main display's bottom edge, 200 high.
    EXPECT_EQ(widget->geometry(), QRect(main.x() + 10, main.y() + main.height() - 220, 300, 200));

    EXPECT_EQ(window->frame(), (Rect{10, 20, 300, 200}));
    EXPECT_EQ(window->level(), windows.maximumWindowLevel());
    EXPECT_EQ(window->sharingType(), SharingType::none);
    window->setSharingType(SharingType::readOnly);
    EXPECT_EQ(window->sharingType(), SharingType::readOnly);

    EXPECT_FALSE(window->isVisible());
    window->orderFront();
    EXPECT_TRUE(window->isVisible());
    window->orderOut();
    EXPECT_FALSE(window->isVisible());

    window->setFrame({0, 0, 50, 40});
    EXPECT_EQ(widget->geometry(), QRect(main.x(), main.y() + main.height() - 40, 50, 40));

    window.reset();
    EXPECT_EQ(onlyOverlayWidget(), nullptr) << "a dropped window leaves nothing behind";
}

TEST(QtOverlayWindowsTest, LayersPaintBottomToTopWithFramesFromTheBottomLeft) {
    QtOverlayWindows windows([] { return true; });
    auto window = windows.create({0, 0, 40, 40}, {});
    ASSERT_NE(window, nullptr);
    const std::vector<OverlayLayer> layers{
        {std::nullopt, 1.0, 0.0, 0.0, 0.5},        // red, half over the whole window
        {Rect{0, 0, 10, 10}, 0.0, 0.0, 1.0, 1.0},  // opaque blue in the bottom-left corner
    };
    window->setLayers(layers);
    EXPECT_EQ(window->layers(), layers);
    window->orderFront();

    QWidget* widget = onlyOverlayWidget();
    ASSERT_NE(widget, nullptr);
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(40, 40));

    const QColor corner = image.pixelColor(5, 35);  // bottom-left in image rows
    EXPECT_EQ(corner.blue(), 255);
    EXPECT_EQ(corner.red(), 0);
    EXPECT_EQ(corner.alpha(), 255);

    const QColor top = image.pixelColor(30, 5);
    EXPECT_NEAR(top.alpha(), 128, 2);
    EXPECT_EQ(top.green(), 0);
    EXPECT_EQ(top.blue(), 0);
    EXPECT_GT(top.red(), 0);
    const QColor leftTop = image.pixelColor(5, 5);
    EXPECT_EQ(leftTop.blue(), 0) << "the blue layer sits at the bottom, not the top";
}

}  // namespace
}  // namespace orvane::platform
