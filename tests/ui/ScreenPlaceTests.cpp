// Popups and windows stay inside the screen's available area: the place chooser under its
// button flips above it where the area ends first, and saved or centred frames are moved in.
#include <gtest/gtest.h>

#include "ui/kit/ScreenPlace.h"

namespace orvane::testing {
using kit::keptInside;
using kit::popupOrigin;
namespace {

TEST(PopupOrigin, BelowWhereItFitsElseAboveElseTheRoomierSideAlwaysInside) {
    const QRect available(0, 0, 1280, 1024 - 40);  // a panel at the bottom
    const QSize size(340, 300);
    struct Case {
        const char* where;
        QRect anchor;
        QPoint origin;
    };
    const Case cases[] = {
        {"room below", QRect(500, 300, 120, 24), QPoint(560 - 170, 328)},
        // The welcome window low on the screen: the chooser goes above the button, its
        // bottom 4 above the button's top, so neither the panel nor the button is covered.
        {"near the panel", QRect(500, 800, 120, 24), QPoint(560 - 170, 800 - 4 - 300)},
        {"at the left edge", QRect(0, 300, 40, 24), QPoint(8, 328)},
        {"at the right edge", QRect(1260, 300, 20, 24), QPoint(1280 - 8 - 340, 328)},
    };
    for (const auto& c : cases) {
        const QPoint origin = popupOrigin(c.anchor, size, available);
        EXPECT_EQ(origin, c.origin) << c.where;
        EXPECT_TRUE(available.contains(QRect(origin, size))) << c.where;
        EXPECT_FALSE(QRect(origin, size).intersects(c.anchor)) << c.where;
    }
}

TEST(PopupOrigin, TooTallForEitherSideTakesTheRoomierOneAndStaysInside) {
    const QRect available(0, 0, 800, 600);
    const QSize size(300, 400);
    // More room above: it ends at the area's bottom margin at the latest.
    QPoint origin = popupOrigin(QRect(300, 380, 100, 24), size, available);
    EXPECT_TRUE(available.contains(QRect(origin, size)));
    EXPECT_EQ(origin.y(), 8);
    // Taller than the whole area: the top stays visible.
    origin = popupOrigin(QRect(300, 100, 100, 24), QSize(300, 900), available);
    EXPECT_EQ(origin.y(), 8);
}

TEST(KeptInside, MovesAFrameBackIntoTheAvailableArea) {
    const QRect available(0, 32, 1920, 1048);  // a panel on top
    struct Case {
        const char* what;
        QRect frame;
        QPoint topLeft;
    };
    const Case cases[] = {
        {"inside stays", QRect(100, 100, 700, 500), QPoint(100, 100)},
        {"under the top panel", QRect(100, 0, 700, 500), QPoint(100, 32)},
        {"past the bottom", QRect(100, 900, 700, 500), QPoint(100, 1080 - 500)},
        {"past the right", QRect(1800, 100, 700, 500), QPoint(1920 - 700, 100)},
        {"past the left", QRect(-300, 100, 700, 500), QPoint(0, 100)},
        {"larger than the area", QRect(50, 50, 2500, 1500), QPoint(0, 32)},
    };
    for (const auto& c : cases) {
        const QRect kept = keptInside(c.frame, available);
        EXPECT_EQ(kept.topLeft(), c.topLeft) << c.what;
        EXPECT_EQ(kept.size(), c.frame.size()) << c.what;
    }
}

}  // namespace
}  // namespace orvane::testing
