#include <cmath>
#include <limits>
#include <unordered_set>

#include <gtest/gtest.h>

#include "core/Calendar.h"
#include "core/Sky.h"

namespace orvane {
namespace {

using RGB = SkyPalette::RGB;

void expectColour(const RGB& actual, const RGB& expected, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_NEAR(actual.r, expected.r, 1e-12);
    EXPECT_NEAR(actual.g, expected.g, 1e-12);
    EXPECT_NEAR(actual.b, expected.b, 1e-12);
}

TEST(SkyPalette, DeepNight) {
    const SkyPalette p = Sky::palette(-30);
    expectColour(p.zenith, {0.016, 0.022, 0.06}, "zenith");
    expectColour(p.horizon, {0.04, 0.05, 0.11}, "horizon");
    expectColour(p.ground, {0.01, 0.014, 0.03}, "ground");
    expectColour(p.glow, {0.98, 0.38, 0.22}, "glow");
    expectColour(p.sun, {1.0, 0.62, 0.34}, "sun");
    EXPECT_EQ(p.stars, 1.0);
    EXPECT_EQ(p.glowStrength, 0.0);
    // Not a number draws the night rather than garbage.
    EXPECT_EQ(Sky::palette(std::numeric_limits<double>::quiet_NaN()), p);
}

TEST(SkyPalette, Horizon) {
    const SkyPalette p = Sky::palette(0);
    // Between the −2 and the 1 stop, two thirds of the way.
    const double t = 2.0 / 3.0;
    expectColour(p.horizon, {0.96 + 0.04 * t, 0.5 + 0.1 * t, 0.3}, "horizon");
    expectColour(p.zenith, {0.18 + 0.09 * t, 0.28 + 0.13 * t, 0.53 + 0.14 * t}, "zenith");
    expectColour(p.ground, {0.12 + 0.07 * t, 0.095 + 0.055 * t, 0.135 + 0.035 * t}, "ground");
    expectColour(p.glow, {1.0, 0.62, 0.34}, "glow");
    EXPECT_EQ(p.glowStrength, 1.0);
    EXPECT_EQ(p.stars, 0.0);
}

TEST(SkyPalette, ExactStopsAndHighSun) {
    const SkyPalette twelveDown = Sky::palette(-12);
    expectColour(twelveDown.zenith, {0.03, 0.05, 0.14}, "zenith at −12");
    expectColour(twelveDown.horizon, {0.11, 0.11, 0.23}, "horizon at −12");
    expectColour(twelveDown.ground, {0.018, 0.026, 0.052}, "ground at −12");
    EXPECT_NEAR(twelveDown.stars, 0.875, 1e-12);
    EXPECT_EQ(twelveDown.glowStrength, 0.0);  // already gone at −9

    const SkyPalette high = Sky::palette(60);
    expectColour(high.zenith, {0.19, 0.46, 0.88}, "zenith at 60");
    expectColour(high.horizon, {0.7, 0.83, 0.96}, "horizon at 60");
    expectColour(high.ground, {0.085, 0.29, 0.46}, "ground at 60");
    expectColour(high.sun, {1.0, 0.98, 0.92}, "sun at 60");
    expectColour(high.glow, {1.0, 0.8, 0.55}, "glow at 60");
    EXPECT_EQ(high.glowStrength, 0.0);
}

TEST(SkyPalette, Ramps) {
    const struct {
        double elevation;
        RGB sun, glow;
        double glowStrength, stars;
    } cases[] = {
        {-4.5, {1.0, 0.62, 0.34}, {0.98, 0.38, 0.22}, 0.5, 0.0},
        {-9, {1.0, 0.62, 0.34}, {0.98, 0.38, 0.22}, 0.0, 0.5},
        {1.9, {1.0, 0.62, 0.34}, {1.0, 0.62 + 0.18 * 1.9 / 12, 0.34 + 0.21 * 1.9 / 12}, 1 - 1.9 / 14, 0.0},
        {8, {1.0, 0.71, 0.445}, {1.0, 0.74, 0.48}, 1 - 8.0 / 14, 0.0},
        {14, {1.0, 0.8, 0.55}, {1.0, 0.8, 0.55}, 0.0, 0.0},
        {24, {1.0, 0.89, 0.735}, {1.0, 0.8, 0.55}, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elevation);
        const SkyPalette p = Sky::palette(c.elevation);
        expectColour(p.sun, c.sun, "sun");
        expectColour(p.glow, c.glow, "glow");
        EXPECT_NEAR(p.glowStrength, c.glowStrength, 1e-12);
        EXPECT_NEAR(p.stars, c.stars, 1e-12);
    }
    // 3.5° lies halfway between the 1 and the 5 stop.
    expectColour(Sky::palette(3).horizon, {1.0, 0.69, 0.4}, "horizon at 3");
}

TEST(SkyPalette, Hashable) {
    const std::unordered_set<SkyPalette> set{Sky::palette(0), Sky::palette(0), Sky::palette(10)};
    EXPECT_EQ(set.size(), 2u);
}

TEST(SkyFraction, Crossings) {
    EXPECT_EQ(Sky::fraction(180, {170, 190}, 0), 0.5);
    EXPECT_EQ(Sky::fraction(0, {350, 10}, 0), 0.5);  // across north
    EXPECT_EQ(Sky::fraction(30, {10, 20}, 10), 1.0);
    EXPECT_EQ(Sky::fraction(30, {10, 20}, 9.9), std::nullopt);
    EXPECT_EQ(Sky::fraction(0, {10, 20}, 10), 0.0);
    EXPECT_EQ(Sky::fraction(15, {10, 20, 30}, 0), 0.25);
    EXPECT_EQ(Sky::fraction(20, {10, 20, 30}, 0), 0.5);  // exactly on a sample
    EXPECT_EQ(Sky::fraction(10, {10, 20}, 0), 0.0);
    EXPECT_EQ(Sky::fraction(20, {10, 20}, 0), 1.0);  // d1 = 0 counts as a crossing
    // A jump through the opposite direction (190 to 350 passes 270, not 90) is no crossing.
    EXPECT_EQ(Sky::fraction(90, {80, 100, 190, 350}, 0), 1.0 / 6);
    EXPECT_EQ(Sky::fraction(90, {190, 350}, 0), std::nullopt);
    // Equally far ends: the last one.
    EXPECT_EQ(Sky::fraction(0, {10, 350}, 20), 0.5);
    // 90 to −90 runs through north or south alike, 180° apart: never a crossing.
    EXPECT_EQ(Sky::fraction(180, {90, -90}, 90), 1.0);
    EXPECT_EQ(Sky::fraction(180, {90, -90}, 89), std::nullopt);
    EXPECT_EQ(Sky::fraction(180, {100, 120, 100}, 90), 1.0);
    // Too few samples.
    EXPECT_EQ(Sky::fraction(10, {10}, 360), std::nullopt);
    EXPECT_EQ(Sky::fraction(10, {}, 360), std::nullopt);
    EXPECT_EQ(Sky::fraction(std::numeric_limits<double>::quiet_NaN(), {10, 20}, 360), std::nullopt);
}

TEST(SkySampling, ArcAndPathIncludeBothEnds) {
    // Berlin, 21 June 2026 from 00:00 UTC over 12 hours.
    const Date from(1782000000);
    const auto elevations = Sky::arc(from, 43200, 52.52, 13.405, 5);
    const auto positions = Sky::path(from, 43200, 52.52, 13.405, 5);
    ASSERT_EQ(elevations.size(), 5u);
    ASSERT_EQ(positions.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const SunPosition expected = Solar::position(from + 10800.0 * i, 52.52, 13.405);
        EXPECT_EQ(positions[static_cast<std::size_t>(i)], expected);
        EXPECT_EQ(elevations[static_cast<std::size_t>(i)], expected.elevation);
    }
    EXPECT_TRUE(Sky::arc(from, 43200, 52.52, 13.405, 0).empty());
    EXPECT_TRUE(Sky::path(from, 43200, 52.52, 13.405, -2).empty());
    const auto one = Sky::path(from, 43200, 52.52, 13.405, 1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], Solar::position(from, 52.52, 13.405));
}

TEST(SkySampling, DayArcStartsAtLocalMidnightAndStepsAWholeDay) {
    // Berlin, 29 March 2026: clocks go forward, the local day is 23 hours long, but the
    // samples still span 86400 s from local midnight.
    const TimeZone berlin = *TimeZone::named("Europe/Berlin");
    const Date start = Calendar(berlin).date(2026, 3, 29);
    EXPECT_EQ(Sky::startOfDay(Calendar(berlin).date(2026, 3, 29, 15, 45), berlin), start);
    const auto arc = Sky::dayArc(Calendar(berlin).date(2026, 3, 29, 15, 45), 52.52, 13.405, berlin, 3);
    ASSERT_EQ(arc.size(), 3u);
    EXPECT_EQ(arc[0], Solar::position(start, 52.52, 13.405).elevation);
    EXPECT_EQ(arc[1], Solar::position(start + 43200, 52.52, 13.405).elevation);
    EXPECT_EQ(arc[2], Solar::position(start + 86400, 52.52, 13.405).elevation);
    EXPECT_TRUE(Sky::dayArc(start, 52.52, 13.405, berlin, 0).empty());
    // Same instant, other zone, other day start.
    const Date utcStart = Sky::startOfDay(start, TimeZone::utc());
    EXPECT_EQ(start - utcStart, 23 * 3600.0);  // 00:00 CET on the 29th is 23:00 UTC on the 28th
}

}  // namespace
}  // namespace orvane
