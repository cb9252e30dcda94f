// The sky picture's rules without pixels: the altitude mapping, the sun's path, the star
// list, the moon's lit region and glints, the meteor's flight and chance, and the debug
// switches.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "core/MeteorShowers.h"
#include "ui/menubar/MoonDisk.h"
#include "ui/menubar/SkyDebug.h"
#include "ui/menubar/SkyGeometry.h"
#include "ui/menubar/StarField.h"
#include "ui/views/SeededGenerator.h"

namespace orvane {
namespace {

SkyGeometry geometry(double peak, double height = 140) { return SkyGeometry{352, height, 0.5, peak, Date(0), 86400}; }

TEST(SkyGeometryTest, AltitudeMapping) {
    const SkyGeometry g = geometry(30);
    EXPECT_DOUBLE_EQ(g.y(0), 70);
    EXPECT_DOUBLE_EQ(g.y(30), 62);
    EXPECT_NEAR(g.y(15), 65.406, 0.001);
    EXPECT_DOUBLE_EQ(g.y(-60), 140);
    EXPECT_DOUBLE_EQ(g.y(-90), 140);
    EXPECT_DOUBLE_EQ(g.y(-30), 105);
    EXPECT_LT(g.y(45), 62);  // above the peak nothing clamps
}

TEST(SkyGeometryTest, MoonRisesAtMostEightPointsAboveThePeak) {
    const SkyGeometry g = geometry(30);
    EXPECT_DOUBLE_EQ(g.moonY(20), g.y(20));
    EXPECT_DOUBLE_EQ(g.moonY(30), g.y(30));
    EXPECT_DOUBLE_EQ(g.moonY(90), 54);
    EXPECT_DOUBLE_EQ(geometry(89.5).moonY(90), 58);
    EXPECT_DOUBLE_EQ(geometry(89.5).moonY(120), 54);
}

TEST(ArcPathTest, SpansTheWidthAndNeedsTwoSamples) {
    const SkyGeometry g = geometry(30);
    EXPECT_TRUE(ArcPath::points({}, g).empty());
    EXPECT_TRUE(ArcPath::points({10}, g).empty());
    const auto points = ArcPath::points({0, 30, -60}, g);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], (SkyPoint{0, 70}));
    EXPECT_EQ(points[1], (SkyPoint{176, 62}));
    EXPECT_EQ(points[2], (SkyPoint{352, 140}));
}

TEST(SeededGeneratorTest, StartsFromItsSeedAndStaysInTheUnitInterval) {
    SeededGenerator g(0);
    // state = 1442695040888963407, top 31 bits over 2^31
    EXPECT_DOUBLE_EQ(g.next(), static_cast<double>(1442695040888963407ULL >> 33) / 2147483648.0);
    SeededGenerator h(0x5EED);
    for (int i = 0; i < 1000; ++i) {
        const double v = h.next();
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 1);
    }
}

TEST(StarFieldTest, FirstStarsLieWhereTheSeedPutsThem) {
    const double W = 352, H = 112;
    const auto stars = StarField::stars(W, H, std::nullopt);
    ASSERT_EQ(stars.size(), 56u);
    EXPECT_NEAR(stars[0].x / W, 0.935748, 1e-6);
    EXPECT_NEAR(stars[0].y / H, 0.763963, 1e-6);
    EXPECT_NEAR(stars[0].diameter, 1.479829, 1e-6);
    EXPECT_NEAR(stars[0].opacity, 0.333735, 1e-6);
    EXPECT_NEAR(stars[1].x / W, 0.06890, 1e-5);
    EXPECT_NEAR(stars[1].y / H, 0.03275, 1e-5);
}

TEST(StarFieldTest, TwinkleNeverMovesAStarNorPassesFullOpacity) {
    const double W = 300, H = 100;
    const auto still = StarField::stars(W, H, std::nullopt);
    for (double t : {0.0, 1.3e9, 7.7e8 + 0.25}) {
        const auto moving = StarField::stars(W, H, Date(t));
        EXPECT_EQ(moving.size(), still.size());
        for (std::size_t i = 0; i < still.size(); ++i) {
            EXPECT_EQ(moving[i].x, still[i].x);
            EXPECT_EQ(moving[i].y, still[i].y);
            EXPECT_EQ(moving[i].diameter, still[i].diameter);
            EXPECT_LE(moving[i].opacity, 1.0);
            EXPECT_GE(still[i].y, 0);
            EXPECT_LE(still[i].y, 0.92 * H);
        }
    }
    const auto a = StarField::stars(W, H, Date(1.7e9)), b = StarField::stars(W, H, Date(1.7e9));
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].opacity, b[i].opacity);
    // Some star does change brightness with time.
    bool changed = false;
    for (std::size_t i = 0; i < a.size(); ++i)
        changed |= a[i].opacity != StarField::stars(W, H, Date(1.7e9 + 0.5))[i].opacity;
    EXPECT_TRUE(changed);
}

TEST(StarFieldTest, MeteorOnlyWhenAnimatedAndBrightEnough) {
    StarField field{0.9, true, Meteor{Date(100), {0.5, 0.5}, 0.4, 90, 0.8}};
    EXPECT_TRUE(field.drawsMeteor(Date(100.4)));
    EXPECT_FALSE(field.drawsMeteor(std::nullopt));
    field.opacity = 0.5;
    EXPECT_FALSE(field.drawsMeteor(Date(100.4)));
    field.opacity = 0.9;
    field.meteor.reset();
    EXPECT_FALSE(field.drawsMeteor(Date(100.4)));
}

TEST(MeteorTest, FlightHeadTailAndFade) {
    const Meteor m{Date(1000), {0.5, 0.5}, 0.5, 100, 0.5};
    const double W = 200, H = 100;
    EXPECT_FALSE(m.frame(W, H, Date(1000)));
    EXPECT_FALSE(m.frame(W, H, Date(999)));
    EXPECT_FALSE(m.frame(W, H, Date(1000.5)));
    EXPECT_FALSE(m.frame(W, H, Date(1001)));
    EXPECT_TRUE(m.frame(W, H, Date(1000.49)));

    const auto half = m.frame(W, H, Date(1000.25));
    ASSERT_TRUE(half);
    EXPECT_NEAR(half->travelled, 75, 1e-9);
    EXPECT_NEAR(half->fade, 1, 1e-12);
    EXPECT_NEAR(half->head.x, 100 + std::cos(0.5) * 75, 1e-9);
    EXPECT_NEAR(half->head.y, 50 + std::sin(0.5) * 75, 1e-9);
    EXPECT_NEAR(std::hypot(half->head.x - half->tail.x, half->head.y - half->tail.y), 45, 1e-9);

    // Early on the tail reaches back to the start.
    const auto early = m.frame(W, H, Date(1000.01));
    ASSERT_TRUE(early);
    EXPECT_NEAR(early->tail.x, 100, 1e-9);
    EXPECT_NEAR(early->tail.y, 50, 1e-9);
    EXPECT_LT(early->fade, 0.1);
}

TEST(MeteorTest, ChanceAndRanges) {
    const TimeZone berlin = *TimeZone::named("Europe/Berlin");
    const Date ordinary(1718920800);  // 2024-06-21 00:00 CEST, no shower
    const Date perseids = Calendar(berlin).date(2024, 8, 13);
    ASSERT_DOUBLE_EQ(MeteorShowers::shootingStarChance(ordinary, berlin), 0.08);
    const double peak = MeteorShowers::shootingStarChance(perseids, berlin);
    ASSERT_NEAR(peak, 0.58, 1e-9);

    std::mt19937_64 random(42);
    const int n = 20000;
    for (const auto& [date, p] : {std::pair{ordinary, 0.08}, std::pair{perseids, peak}}) {
        int hits = 0;
        for (int i = 0; i < n; ++i) hits += Meteor::maybe(date, berlin, false, random).has_value();
        EXPECT_NEAR(static_cast<double>(hits) / n, p, 0.015);
    }
    int left = 0;
    for (int i = 0; i < 2000; ++i) {
        const auto m = Meteor::maybe(ordinary, berlin, true, random);
        ASSERT_TRUE(m);
        const double delay = m->start - ordinary;
        ASSERT_GE(delay, 1.5);
        ASSERT_LE(delay, 6.0);
        ASSERT_GE(m->from.x, 0.3);
        ASSERT_LE(m->from.x, 0.75);
        ASSERT_GE(m->from.y, 0.44);
        ASSERT_LE(m->from.y, 0.6);
        const double a = m->angle > std::numbers::pi / 2 ? std::numbers::pi - m->angle : m->angle;
        ASSERT_GE(a, 0.3 - 1e-12);
        ASSERT_LE(a, 0.55 + 1e-12);
        left += m->angle > std::numbers::pi / 2;
        ASSERT_GE(m->length, 70);
        ASSERT_LE(m->length, 110);
        ASSERT_GE(m->duration, 0.6);
        ASSERT_LE(m->duration, 0.9);
    }
    EXPECT_GT(left, 800);
    EXPECT_LT(left, 1200);
}

double area(const std::vector<SkyPoint>& polygon) {
    double twice = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const auto& a = polygon[i];
        const auto& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::abs(twice) / 2;
}

TEST(MoonLitTest, LitRegionFollowsTheIllumination) {
    const double r = 10, disc = std::numbers::pi * r * r;
    const auto none = MoonLit::outline(0, 0, r, 0, 720);
    const auto negative = MoonLit::outline(0, 0, r, -0.3, 720);
    const auto half = MoonLit::outline(0, 0, r, 0.5, 720);
    const auto full = MoonLit::outline(0, 0, r, 1, 720);
    const auto more = MoonLit::outline(0, 0, r, 1.4, 720);
    EXPECT_NEAR(area(none), 0, disc * 0.01);
    EXPECT_NEAR(area(negative), 0, disc * 0.01);
    EXPECT_NEAR(area(half), disc / 2, disc * 0.01);
    for (const auto& p : half) EXPECT_GE(p.x, -1e-9);  // the right half only
    EXPECT_NEAR(area(full), disc, disc * 0.01);
    EXPECT_NEAR(area(more), disc, disc * 0.01);
    EXPECT_LT(area(MoonLit::outline(0, 0, r, 0.25, 720)), disc / 2);
    EXPECT_GT(area(MoonLit::outline(0, 0, r, 0.75, 720)), disc / 2);
}

TEST(MoonDiskTest, TintWarmsNearTheHorizonAndHoverRaisesTheGlow) {
    EXPECT_DOUBLE_EQ(MoonDisk::lowness(-3), 1);
    EXPECT_DOUBLE_EQ(MoonDisk::lowness(0), 1);
    EXPECT_DOUBLE_EQ(MoonDisk::lowness(6), 0.5);
    EXPECT_DOUBLE_EQ(MoonDisk::lowness(20), 0);
    const SkyColor low = MoonDisk::tint(0);
    EXPECT_NEAR(low.r, 0.98 + 0.75 * 0.02, 1e-12);
    EXPECT_NEAR(low.g, 0.96 + 0.75 * (0.80 - 0.96), 1e-12);
    EXPECT_NEAR(low.b, 0.90 + 0.75 * (0.58 - 0.90), 1e-12);
    EXPECT_EQ(MoonDisk::tint(12), MoonDisk::coolWhite);

    MoonDisk moon{MoonSpot{{0, 0}, 0, 0.8, 20, false}, 0.5, false, std::nullopt};
    EXPECT_DOUBLE_EQ(moon.glow(), 0.4);
    EXPECT_DOUBLE_EQ(moon.scale(), 1);
    moon.hovered = true;
    EXPECT_DOUBLE_EQ(moon.glow(), 0.56);
    EXPECT_DOUBLE_EQ(moon.scale(), 1.12);
    moon.hoverAmount = 0.5;  // halfway through the hover's spring
    EXPECT_DOUBLE_EQ(moon.scale(), 1.06);
    moon.night = 0;
    EXPECT_DOUBLE_EQ(moon.glow(), 0);
    EXPECT_DOUBLE_EQ(moon.litOpacity(), 0.6);
}

TEST(MoonGladeTest, FirstGlintAndStrength) {
    const MoonGlade glade{100, 0.8, false};
    const auto glints = glade.glints(112, std::nullopt);
    ASSERT_EQ(glints.size(), 44u);
    EXPECT_NEAR(glints[0].depth, 0.142503, 1e-6);
    EXPECT_NEAR(glints[0].spread, 3.567531, 1e-6);
    EXPECT_NEAR(glints[0].offset, -1.780235, 1e-6);
    EXPECT_NEAR(glints[0].y, 1.5 + 0.38 * 112 * 0.142503, 1e-5);

    const MoonGlade dark{100, 0, true};
    for (const auto& g : dark.glints(112, Date(1.7e9))) EXPECT_FALSE(g.visible);
    // The placement does not depend on the strength: every glint drew its six values.
    const auto dim = MoonGlade{100, 0.01, false}.glints(112, std::nullopt);
    for (std::size_t i = 0; i < glints.size(); ++i) EXPECT_EQ(dim[i].x, glints[i].x);
    bool someSkipped = false, someShown = false;
    for (std::size_t i = 0; i < dim.size(); ++i) {
        someSkipped |= !dim[i].visible;
        someShown |= glints[i].visible;
        EXPECT_EQ(dim[i].visible, dim[i].opacity > 0.015);
    }
    EXPECT_TRUE(someSkipped);
    EXPECT_TRUE(someShown);
}

TEST(SkyDebugTest, DebugDateMustMatchTheFormatExactly) {
    const TimeZone berlin = *TimeZone::named("Europe/Berlin");
    const auto parsed = SkyDebug::parseDate("2024-06-21T21:45", berlin);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, Date(1718999100));  // 19:45 UTC
    for (const char* bad : {"2024-06-21T21:45:00", "2024-06-21 21:45", "2024/06/21T21:45", "2024-06-21", "",
                            "2024-13-01T10:00", "2024-02-30T10:00", "2024-06-21T24:00", "2024-6-21T21:45"})
        EXPECT_FALSE(SkyDebug::parseDate(bad, berlin)) << bad;

    const Date now(1718990000);
    EXPECT_DOUBLE_EQ(SkyDebug::offsetFor("2024-06-21T21:45", now, berlin), 1718999100.0 - 1718990000.0);
    EXPECT_DOUBLE_EQ(SkyDebug::offsetFor("2024-06-21T21:45:30", now, berlin), 0);
    EXPECT_DOUBLE_EQ(SkyDebug::offsetFor(nullptr, now, berlin), 0);
}

TEST(SkyDebugTest, AlwaysMeteorOnlyForOne) {
    EXPECT_TRUE(SkyDebug::alwaysMeteorFor("1"));
    for (const char* other : {"true", "yes", "01", "1 ", ""}) EXPECT_FALSE(SkyDebug::alwaysMeteorFor(other)) << other;
    EXPECT_FALSE(SkyDebug::alwaysMeteorFor(nullptr));
}

TEST(SkyColorTest, MixIsLinearAndUnclamped) {
    const SkyColor a{0.2, 0.4, 0.6}, b{1, 0, 0.6};
    EXPECT_EQ(mix(a, b, 0), a);
    const SkyColor halfway = mix(a, b, 0.5);
    EXPECT_DOUBLE_EQ(halfway.r, 0.6);
    EXPECT_DOUBLE_EQ(halfway.g, 0.2);
    EXPECT_DOUBLE_EQ(halfway.b, 0.6);
    EXPECT_DOUBLE_EQ(mix(a, b, 2).r, 1.8);
}

}  // namespace
}  // namespace orvane
