#include <cmath>

#include <gtest/gtest.h>

#include "core/DisplayOffsets.h"

using namespace orvane;

namespace {
DisplaySettings offsets(std::int64_t kelvin, double dim) {
    DisplaySettings d;
    d.warmthOffsetKelvin = kelvin;
    d.dimOffset = dim;
    return d;
}
}  // namespace

TEST(DisplayOffsets, KelvinAndDimRules) {
    struct Case {
        TintState in;
        std::int64_t warmth;
        double dimOffset;
        double floor;
        std::int64_t kelvin;
        double dim;
    };
    const Case cases[] = {
        {{6500, 0.8, RedStyle::readable, false}, -300, 0, 0.05, 6200, 0.8},
        {{6500, 0.8, RedStyle::readable, false}, 300, 0, 0.05, 6500, 0.8},
        {{2000, 1, RedStyle::readable, false}, -2000, 0, 0.05, 500, 1},
        {{3000, 1, RedStyle::readable, false}, 5000, 0, 0.05, 6500, 1},
        {{3000, 0.4, RedStyle::readable, false}, 0, -0.5, 0.05, 3000, 0.05},
        {{3000, 0.9, RedStyle::readable, false}, 0, 0.2, 0.05, 3000, 1.0},
        {{3000, 1.0, RedStyle::readable, false}, 0, 0.2, 0.05, 3000, 1.0},
        {{3000, 1.0, RedStyle::readable, false}, 0, -0.1, 0.05, 3000, 0.9},
        {{6500, 1.0, RedStyle::pure, false}, 0, -0.2, 0.05, 6500, 0.8},
        {{3000, 0.5, RedStyle::readable, false}, 0, std::nan(""), 0.1, 3000, 0.1},
    };
    for (const auto& c : cases) {
        const TintState out = applyingDisplayOffsets(c.in, offsets(c.warmth, c.dimOffset), c.floor);
        SCOPED_TRACE(testing::Message() << c.in.kelvin << " K dim " << c.in.dim << " + " << c.warmth << " K, "
                                        << c.dimOffset);
        EXPECT_EQ(out.kelvin, c.kelvin);
        EXPECT_NEAR(out.dim, c.dim, 1e-12);
        EXPECT_EQ(out.redStyle, c.in.redStyle);
        EXPECT_EQ(out.darkroom, c.in.darkroom);
    }
}

TEST(DisplayOffsets, NeverTintAnUntintedScreen) {
    for (const auto& d : {offsets(-1500, -0.5), offsets(1500, 0.5), offsets(-300, 0)})
        EXPECT_EQ(applyingDisplayOffsets(TintState::off, d, 0.05), TintState::off);
    // Darkroom at 6500 K is a tint, so offsets do apply.
    const TintState dark(6500, 1, RedStyle::readable, true);
    EXPECT_EQ(applyingDisplayOffsets(dark, offsets(-500, 0), 0.05).kelvin, 6000);
}
