#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/Kelvin.h"

namespace orvane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

void expectGains(const Multiplier& m, double r, double g, double b, double tolerance) {
    EXPECT_NEAR(m.r, r, tolerance);
    EXPECT_NEAR(m.g, g, tolerance);
    EXPECT_NEAR(m.b, b, tolerance);
}

TEST(Clamp, BoundsAndNaN) {
    EXPECT_EQ(clamped01(1.5), 1.0);
    EXPECT_EQ(clamped01(-0.5), 0.0);
    EXPECT_EQ(clamped01(nan), 0.0);
    EXPECT_EQ(clamped(nan, 0.01, 0.3), 0.01);
    EXPECT_EQ(clamped(0.5, 0.01, 0.3), 0.3);
    EXPECT_EQ(clamped(std::int64_t{100}, 500, 6500), 500);
    EXPECT_EQ(clamped(std::int64_t{7000}, 500, 6500), 6500);
    EXPECT_EQ(clamped(std::int64_t{3400}, 500, 6500), 3400);
}

TEST(Kelvin, ClampAndSnap) {
    const struct {
        std::int64_t given, snapped;
    } cases[] = {{2724, 2700}, {2725, 2750}, {2775, 2800}, {80, 500},
                 {7000, 6500}, {6499, 6500}, {525, 550},   {-3000, 500}};
    for (const auto& c : cases) EXPECT_EQ(Kelvin::snap(c.given), c.snapped) << c.given;
    EXPECT_EQ(Kelvin::clamp(12), 500);
    EXPECT_EQ(Kelvin::clamp(90000), 6500);
    EXPECT_EQ(Kelvin::clamp(3333), 3333);
}

TEST(Kelvin, MultiplierEndsAndKnownPoints) {
    EXPECT_EQ(Kelvin::multiplier(500), Multiplier(1, 0, 0));
    EXPECT_EQ(Kelvin::multiplier(12), Multiplier(1, 0, 0));
    EXPECT_EQ(Kelvin::multiplier(-40.0), Multiplier(1, 0, 0));
    EXPECT_EQ(Kelvin::multiplier(nan), Multiplier(1, 0, 0));
    EXPECT_EQ(Kelvin::multiplier(6500), Multiplier::identity);
    EXPECT_EQ(Kelvin::multiplier(9000), Multiplier::identity);
    EXPECT_EQ(Kelvin::multiplier(std::numeric_limits<double>::infinity()), Multiplier::identity);

    expectGains(Kelvin::multiplier(3400), 1, 0.592, 0.240, 0.001);
    expectGains(Kelvin::multiplier(1500), 1, 0.154, 0.0, 0.001);
    expectGains(Kelvin::multiplier(5500), 1, 0.902, 0.76, 0.005);
    // The integer and double forms agree.
    EXPECT_EQ(Kelvin::multiplier(std::int64_t{2700}), Kelvin::multiplier(2700.0));
}

TEST(Kelvin, MultiplierInterpolatesBetweenEntries) {
    const auto& t = Kelvin::table();
    const Multiplier mid = Kelvin::multiplier(525);
    expectGains(mid, (t[0].r + t[1].r) / 2, (t[0].g + t[1].g) / 2, (t[0].b + t[1].b) / 2, 1e-12);
    const Multiplier quarter = Kelvin::multiplier(3412.5);  // a quarter of the way from 3400 to 3450
    expectGains(quarter, 1, t[58].g + (t[59].g - t[58].g) / 4, t[58].b + (t[59].b - t[58].b) / 4, 1e-12);
}

TEST(Kelvin, TableShape) {
    const auto& t = Kelvin::table();
    ASSERT_EQ(t.size(), 121u);
    EXPECT_EQ(t.front(), Multiplier(1, 0, 0));
    EXPECT_EQ(t.back(), Multiplier(1, 1, 1));

    // 500..800 K run straight from pure red to the 800 K entry.
    const Multiplier e = t[6];
    for (int i = 0; i <= 6; ++i)
        expectGains(t[static_cast<std::size_t>(i)], 1 + (e.r - 1) * i / 6.0, e.g * i / 6.0, e.b * i / 6.0, 1e-12);
    expectGains(t[3], (1 + e.r) / 2, e.g / 2, e.b / 2, 1e-12);

    for (std::size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].r, 1.0) << i;
        EXPECT_GE(t[i].g, 0.0);
        EXPECT_LE(t[i].g, 1.0);
        EXPECT_GE(t[i].b, 0.0);
        EXPECT_LE(t[i].b, 1.0);
        if (i > 0) {
            EXPECT_GE(t[i].g, t[i - 1].g) << i;
            EXPECT_GE(t[i].b, t[i - 1].b) << i;
        }
    }
}

TEST(Kelvin, LinearRGBIsUnnormalisedAndBluerWhenHotter) {
    const auto warm = Kelvin::linearRGB(2000);
    const auto cool = Kelvin::linearRGB(6500);
    EXPECT_GT(cool[0], warm[0]);  // absolute radiance grows with temperature
    EXPECT_GT(cool[2] / cool[0], warm[2] / warm[0]);
    EXPECT_LT(Kelvin::linearRGB(1000)[2], 0);  // unclamped: negative blue at a deep red
}

TEST(Multiplier, ConstructionClampsAndOperations) {
    EXPECT_EQ(Multiplier(1.2, -0.1, 0.5), Multiplier(1, 0, 0.5));
    EXPECT_EQ(Multiplier(nan, 0.3, 0.3).r, 0);
    EXPECT_EQ(Multiplier::lerp(Multiplier(1, 0, 0), Multiplier(1, 1, 1), 0.25), Multiplier(1, 0.25, 0.25));
    EXPECT_EQ(Multiplier::lerp(Multiplier(1, 0, 0), Multiplier(1, 1, 1), 3), Multiplier(1, 1, 1));
    EXPECT_EQ(Multiplier::lerp(Multiplier(1, 0, 0), Multiplier(1, 1, 1), nan), Multiplier(1, 0, 0));
    EXPECT_EQ(Multiplier(1, 0.5, 0.2).scaled(2), Multiplier(1, 1, 0.4));
    EXPECT_EQ(Multiplier(1, 0.5, 0.2).multiplied(Multiplier(0.5, 0.5, 1)), Multiplier(0.5, 0.25, 0.2));
    EXPECT_TRUE(Multiplier(1 - 5e-7, 1, 1).isIdentity());
    EXPECT_FALSE(Multiplier(1 - 2e-6, 1, 1).isIdentity());
    EXPECT_EQ(Multiplier(0.2, 0.7, 0.4).maxComponent(), 0.7);
}

TEST(Multiplier, JsonStoresAsRead) {
    const Multiplier m(1, 0.5, 0.25);
    EXPECT_EQ(Multiplier::fromJson(m.toJson()), m);
    const Multiplier raw = Multiplier::fromJson(Json::parse(R"({"r":2,"g":-1,"b":0.5})"));
    EXPECT_EQ(raw.r, 2);
    EXPECT_EQ(raw.g, -1);
    EXPECT_THROW(Multiplier::fromJson(Json::parse(R"({"r":1,"g":1})")), JsonError);
    EXPECT_THROW(Multiplier::fromJson(Json::parse(R"({"r":true,"g":1,"b":1})")), JsonError);
}

TEST(SRGB, TransferCurves) {
    EXPECT_DOUBLE_EQ(SRGB::encode(0.0031308), 0.0031308 * 12.92);
    EXPECT_EQ(SRGB::encode(2), 1);
    EXPECT_EQ(SRGB::encode(nan), 0);
    EXPECT_EQ(SRGB::decode(-1), 0);
    EXPECT_EQ(SRGB::decode(nan), 0);
    EXPECT_DOUBLE_EQ(SRGB::decode(0.04045), 0.04045 / 12.92);
    EXPECT_NEAR(SRGB::encode(0.5), 0.735357, 1e-6);
    for (double x = 0; x <= 1.0; x += 0.03125) EXPECT_NEAR(SRGB::decode(SRGB::encode(x)), x, 1e-12) << x;
}

}  // namespace
}  // namespace orvane
