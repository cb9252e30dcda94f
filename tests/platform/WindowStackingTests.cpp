// Window levels kept on a window system that stacks by the last raise.
#include <gtest/gtest.h>

#include "platform/OverlayWindows.h"
#include "platform/WindowStacking.h"

namespace orvane::platform {
namespace {

TEST(WindowStackingTest, ShownWindowsOfHigherLevelsGoBackOnTopLowestLevelFirst) {
    constexpr int tint = highestWindowLevel;
    const struct {
        const char* name;
        std::vector<StackedWindow> windows;
        std::size_t raised;
        std::vector<std::size_t> expected;
    } cases[] = {
        // The patch row made after the panels of both displays: the panels return above it,
        // in the order they were raised before.
        {"patch row below tint panels", {{tint, 2, true}, {tint, 1, true}, {3, 3, true}}, 2, {1, 0}},
        {"tint panel raised over the patch row", {{3, 1, true}, {tint, 2, true}}, 1, {}},
        {"hidden panels stay hidden", {{tint, 1, false}, {3, 2, true}}, 1, {}},
        {"same level is not raised again", {{3, 1, true}, {3, 2, true}}, 0, {}},
        {"levels in order", {{10, 1, true}, {7, 5, true}, {10, 0, true}, {0, 9, true}, {5, 2, true}}, 3, {4, 1, 2, 0}},
        {"unknown window", {{3, 1, true}, {tint, 2, true}}, 7, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(windowsToRaiseAbove(c.windows, c.raised), c.expected);
    }
}

}  // namespace
}  // namespace orvane::platform
