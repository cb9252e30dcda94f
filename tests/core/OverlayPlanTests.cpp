#include <cmath>

#include <gtest/gtest.h>

#include "core/OverlayPlan.h"

using namespace orvane;

TEST(OverlayPlan, MakeCoversTheThreeDepthRules) {
    struct Case {
        std::int64_t kelvin;
        double dim;
        bool nightShift;
        std::int64_t floor;
        double strength;
        std::optional<std::int64_t> nsKelvin;
        double redOpacity, green, blue, dimOpacity;
    };
    const Case cases[] = {
        {6500, 1, false, 2700, 0.6, std::nullopt, 0, 0.42, 0.08, 0},
        {500, 1, false, 2700, 0.6, std::nullopt, 0.6, 0.05, 0, 0},
        {3000, 1, true, 2700, 0.6, 3000, 0, 0.42, 0.08, 0},
        {1600, 1, true, 2700, 0.6, 2700, 0.3, 0.235, 0.04, 0},
        {6200, 1, true, 2700, 0.6, std::nullopt, 0, 0.42, 0.08, 0},
        {500, 1, true, 100, 0.6, 600, 0.6, 0.05, 0, 0},            // floor 100 acts as 600
        {5500, 1, true, 9000, 0.6, 5500, 0, 0.42, 0.08, 0},        // floor 9000 acts as 5500
        {500, 1, false, 2700, 2, std::nullopt, 0.95, 0.05, 0, 0},  // strength capped at 0.95
        {6500, 0.3, false, 2700, 0.6, std::nullopt, 0, 0.42, 0.08, 0.7},
        {6500, 1.4, false, 2700, 0.6, std::nullopt, 0, 0.42, 0.08, 0},
        {6500, -1, false, 2700, 0.6, std::nullopt, 0, 0.42, 0.08, 1},
        {6500, std::nan(""), false, 2700, 0.6, std::nullopt, 0, 0.42, 0.08, 1},
        {6500, 1, false, 2700, std::nan(""), std::nullopt, 0, 0.42, 0.08, 0},
    };
    for (const auto& c : cases) {
        const auto p = OverlayPlan::make(c.kelvin, c.dim, c.nightShift, c.floor, c.strength);
        SCOPED_TRACE(testing::Message() << c.kelvin << " K, dim " << c.dim << ", NS " << c.nightShift);
        EXPECT_EQ(p.nightShiftKelvin, c.nsKelvin);
        EXPECT_NEAR(p.redOpacity, c.redOpacity, 1e-12);
        EXPECT_DOUBLE_EQ(p.red, 1.0);
        EXPECT_NEAR(p.green, c.green, 1e-12);
        EXPECT_NEAR(p.blue, c.blue, 1e-12);
        EXPECT_NEAR(p.dimOpacity, c.dimOpacity, 1e-12);
    }
    EXPECT_FALSE(OverlayPlan::make(6500, 1, false, 2700, 0.6).hasOverlay());
    EXPECT_TRUE(OverlayPlan::make(6500, 0.99, false, 2700, 0.6).hasOverlay());
    EXPECT_FALSE(OverlayPlan::none.hasOverlay());
    EXPECT_EQ(OverlayPlan::none, OverlayPlan(std::nullopt, 1.0, 0.3, 0.0, 0, 0));
}

TEST(OverlayPlan, ConstructorClampsOnlyOpacities) {
    const OverlayPlan p(2700, 2, -1, 0.5, 1.5, std::nan(""));
    EXPECT_EQ(p.red, 2);
    EXPECT_EQ(p.green, -1);
    EXPECT_EQ(p.redOpacity, 1);
    EXPECT_EQ(p.dimOpacity, 0);
}

TEST(OverlayPlan, LerpSwitchesNightShiftOnlyAtTheEnd) {
    const OverlayPlan a(std::nullopt, 1, 0.42, 0.08, 0, 0.2);
    const OverlayPlan b(2700, 1, 0.05, 0, 0.6, 0.8);
    const OverlayPlan mid = OverlayPlan::lerp(a, b, 0.5);
    EXPECT_EQ(mid.nightShiftKelvin, std::nullopt);
    EXPECT_NEAR(mid.green, 0.235, 1e-12);
    EXPECT_NEAR(mid.redOpacity, 0.3, 1e-12);
    EXPECT_NEAR(mid.dimOpacity, 0.5, 1e-12);
    const auto expectNear = [](const OverlayPlan& x, const OverlayPlan& y) {
        EXPECT_EQ(x.nightShiftKelvin, y.nightShiftKelvin);
        EXPECT_NEAR(x.green, y.green, 1e-12);
        EXPECT_NEAR(x.blue, y.blue, 1e-12);
        EXPECT_NEAR(x.redOpacity, y.redOpacity, 1e-12);
        EXPECT_NEAR(x.dimOpacity, y.dimOpacity, 1e-12);
    };
    expectNear(OverlayPlan::lerp(a, b, 1), b);
    expectNear(OverlayPlan::lerp(a, b, 5), b);
    EXPECT_EQ(OverlayPlan::lerp(a, b, -3), a);
    // NaN counts as the end here.
    expectNear(OverlayPlan::lerp(a, b, std::nan("")), b);
}
