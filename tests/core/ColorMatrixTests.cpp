#include <cmath>

#include <gtest/gtest.h>

#include "core/ColorMatrix.h"

using namespace orvane;

namespace {
void expectRow(const ColorMatrix& m, int row, double a, double b, double c) {
    EXPECT_NEAR(m.m[3 * row], a, 1e-12) << "row " << row;
    EXPECT_NEAR(m.m[3 * row + 1], b, 1e-12) << "row " << row;
    EXPECT_NEAR(m.m[3 * row + 2], c, 1e-12) << "row " << row;
}
}  // namespace

TEST(ColorMatrix, ReadableAmountRampsSmoothlyBelow1500) {
    const std::tuple<std::int64_t, RedStyle, double> cases[] = {
        {1500, RedStyle::readable, 0},       {500, RedStyle::pure, 0},     {1150, RedStyle::readable, 0.5},
        {800, RedStyle::readable, 1},        {500, RedStyle::readable, 1}, {6500, RedStyle::readable, 0},
        {1325, RedStyle::readable, 0.15625},
    };
    for (const auto& [k, style, want] : cases) EXPECT_NEAR(ColorMatrix::readableAmount(k, style), want, 1e-12) << k;
}

TEST(ColorMatrix, FromStates) {
    EXPECT_EQ(ColorMatrix::make(TintState::off), ColorMatrix::identity);
    EXPECT_TRUE(ColorMatrix::make(TintState::off).isIdentity());

    // The darkroom flag takes the general path, which still lands on the identity.
    const ColorMatrix dark = ColorMatrix::make(TintState(6500, 1, RedStyle::readable, true));
    EXPECT_EQ(dark, ColorMatrix::diagonal(Multiplier(1, 1, 1)));
    EXPECT_TRUE(dark.isIdentity());

    const ColorMatrix red = ColorMatrix::make(TintState(500, 1, RedStyle::readable, false));
    expectRow(red, 0, 0.3, 0.45, 0.25);
    expectRow(red, 1, 0, 0, 0);
    expectRow(red, 2, 0, 0, 0);
    EXPECT_EQ(red.white(), Multiplier(1, 0, 0));

    const Multiplier g = Kelvin::multiplier(3400);
    const ColorMatrix half = ColorMatrix::make(TintState(3400, 0.5, RedStyle::pure, false));
    EXPECT_EQ(half, ColorMatrix::diagonal(Multiplier(g.r * 0.5, g.g * 0.5, g.b * 0.5)));
    EXPECT_FALSE(half.isIdentity());
}

TEST(ColorMatrix, MixRowsAndHelpers) {
    const ColorMatrix m = ColorMatrix::make(Multiplier(1, 0.5, 0.2), 0.5);
    expectRow(m, 0, 0.65, 0.225, 0.125);
    expectRow(m, 1, 0.075, 0.3625, 0.0625);
    expectRow(m, 2, 0.03, 0.045, 0.125);
    EXPECT_EQ(ColorMatrix::make(Multiplier(1, 0.5, 0.2), std::nan("")), ColorMatrix::diagonal(Multiplier(1, 0.5, 0.2)));
    EXPECT_EQ(ColorMatrix::make(Multiplier(1, 0.5, 0.2), 7), ColorMatrix::make(Multiplier(1, 0.5, 0.2), 1));

    const auto out = m.applied({1, 1, 1});
    EXPECT_NEAR(out[0], 1.0, 1e-12);
    EXPECT_NEAR(out[1], 0.5, 1e-12);
    EXPECT_NEAR(out[2], 0.2, 1e-12);

    const ColorMatrix zero({0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(ColorMatrix::lerp(ColorMatrix::identity, zero, std::nan("")), ColorMatrix::identity);
    EXPECT_EQ(ColorMatrix::lerp(ColorMatrix::identity, zero, 2), zero);
    EXPECT_NEAR(ColorMatrix::lerp(ColorMatrix::identity, zero, 0.25).m[4], 0.75, 1e-12);

    ColorMatrix almost = ColorMatrix::identity;
    almost.m[3] = 9e-7;
    EXPECT_TRUE(almost.isIdentity());
    almost.m[3] = 1e-6;
    EXPECT_FALSE(almost.isIdentity());
}
