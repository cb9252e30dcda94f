// The menu-bar glyph: the phase of a kelvin value, the layers of a state and of a morph,
// the lit part of the moon, and pixel probes of the drawn glyphs at 20 px per point.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include <QImage>

#include "ui/menubar/MenuBarIcon.h"

namespace orvane {
namespace {

using Glyph = MenuBarIcon::Glyph;
using State = MenuBarIcon::State;
using Layer = MenuBarIcon::Layer;

constexpr double ppp = 20;  // pixels per point

// The alpha (0...255) at a point of the box, given y-up like the glyph's own points.
int alphaAt(const QImage& image, double x, double y) {
    const int px = static_cast<int>(std::floor(x * ppp));
    const int py = static_cast<int>(std::floor((MenuBarIcon::boxSize - y) * ppp));
    return qAlpha(image.pixel(px, py));
}

QImage glyphImage(const Glyph& glyph) { return MenuBarIcon::image({{glyph, 1, 1}}, ppp); }

long inkedPixels(const QImage& image) {
    long count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y));
    return count;  // in 1/255 of a pixel, so edges count by their coverage
}

TEST(MenuBarIconTest, PhaseOfKelvin) {
    const std::pair<int, int> table[] = {{6500, 0}, {7000, 0}, {6125, 1}, {3400, 4}, {2700, 5},
                                         {2000, 6}, {1000, 7}, {500, 8},  {0, 8},    {6126, 0}};
    for (const auto& [kelvin, phase] : table) EXPECT_EQ(MenuBarIcon::phase(kelvin), phase) << kelvin << " K";
}

TEST(MenuBarIconTest, StateBecomesGlyph) {
    EXPECT_EQ(MenuBarIcon::glyph(State::phase(4, true)), Glyph::moon(0.5, 1));
    EXPECT_EQ(MenuBarIcon::glyph(State::phase(0, false)), Glyph::moon(0, 0));
    EXPECT_EQ(MenuBarIcon::glyph(State::phase(12, false)), Glyph::moon(1, 0));
    EXPECT_EQ(MenuBarIcon::glyph(State::phase(-3, true)), Glyph::moon(0, 1));
    EXPECT_EQ(MenuBarIcon::glyph(State::off()), Glyph::off());
    EXPECT_EQ(MenuBarIcon::glyph(State::paused()), Glyph::paused());
    EXPECT_EQ(MenuBarIcon::layers(State::off()), (std::vector<Layer>{{Glyph::off(), 1, 1}}));
}

TEST(MenuBarIconTest, MorphBetweenMoonsIsOneInterpolatedMoon) {
    const auto layers = MenuBarIcon::layers(Glyph::moon(0, 0), Glyph::moon(1, 1), 0.5);
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0], (Layer{Glyph::moon(0.5, 0.5), 1, 1}));
    const auto quarter = MenuBarIcon::layers(Glyph::moon(0.25, 1), Glyph::moon(0.75, 0), 0.25);
    EXPECT_EQ(quarter, (std::vector<Layer>{{Glyph::moon(0.375, 0.75), 1, 1}}));
}

TEST(MenuBarIconTest, CrossFadeShrinksTheOutgoingAndGrowsTheIncomingGlyph) {
    struct Case {
        double t;
        double alphaA, scaleA, alphaB, scaleB;
    };
    const Case cases[] = {
        {0, 1, 1, 0, 0.75},
        {0.5, 1.0 / 11, 17.0 / 22, 1.0 / 11, 17.0 / 22},
        {0.55, 0, 0.75, 0.1 / 0.55, 0.75 + 0.025 / 0.55},
        {1, 0, 0.75, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        const auto layers = MenuBarIcon::layers(Glyph::off(), Glyph::paused(), c.t);
        ASSERT_EQ(layers.size(), 2u);
        EXPECT_EQ(layers[0].glyph, Glyph::off());
        EXPECT_EQ(layers[1].glyph, Glyph::paused());
        EXPECT_NEAR(layers[0].alpha, c.alphaA, 1e-12);
        EXPECT_NEAR(layers[0].scale, c.scaleA, 1e-12);
        EXPECT_NEAR(layers[1].alpha, c.alphaB, 1e-12);
        EXPECT_NEAR(layers[1].scale, c.scaleB, 1e-12);
    }
    // A moon and a ring cross-fade too.
    EXPECT_EQ(MenuBarIcon::layers(Glyph::moon(0.5, 0), Glyph::off(), 0.3).size(), 2u);
}

TEST(MenuBarIconTest, LitPartShrinksToAFifthMovedDownLeft) {
    const auto full = MenuBarIcon::lit(0);
    EXPECT_EQ(full.fraction, 1);
    EXPECT_EQ(full.disc, QRectF(2.2, 2.2, 13.6, 13.6));
    EXPECT_FALSE(full.shadow);

    const auto thinnest = MenuBarIcon::lit(1);
    EXPECT_NEAR(thinnest.fraction, 0.2, 1e-12);
    EXPECT_NEAR(thinnest.disc.x(), 2.2 - 1.984, 1e-9);
    EXPECT_NEAR(thinnest.disc.y(), 2.2 - 1.488, 1e-9);
    ASSERT_TRUE(thinnest.shadow);
    // The shadow disc sits further down-left along the same direction (0.8, 0.6).
    const QPointF away = thinnest.disc.center() - thinnest.shadow->center();
    EXPECT_NEAR(away.x() * 0.6, away.y() * 0.8, 1e-9);
    // The uncovered part of two equal discs d apart leaves the lit fraction.
    const double x = std::hypot(away.x(), away.y()) / 13.6;
    const double uncovered = 1 - (2 / std::numbers::pi) * (std::acos(x) - x * std::sqrt(1 - x * x));
    EXPECT_NEAR(uncovered, 0.2, 1e-6);

    EXPECT_EQ(MenuBarIcon::lit(1.7).disc, thinnest.disc);
    EXPECT_EQ(MenuBarIcon::lit(-1).fraction, 1);
}

TEST(MenuBarIconTest, ImageIsTheBoxInBlackOnTransparent) {
    for (double scale : {1.0, 2.0, 20.0}) {
        const QImage image = MenuBarIcon::image(State::phase(3, true), scale);
        EXPECT_EQ(image.size(), QSize(int(18 * scale), int(18 * scale)));
        EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    }
    const QImage image = MenuBarIcon::image(State::phase(3, true), ppp);
    EXPECT_EQ(alphaAt(image, 0.2, 17.8), 0);  // corners are clear
    EXPECT_EQ(alphaAt(image, 17.8, 0.2), 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_EQ(qRed(p) | qGreen(p) | qBlue(p), 0) << x << "," << y;
        }
}

TEST(MenuBarIconTest, MoonPhasesDrawTheirLitPart) {
    const QImage full = MenuBarIcon::image(State::phase(0, false), ppp);
    const QImage thinnest = MenuBarIcon::image(State::phase(8, false), ppp);
    // Full disc: its centre and the inside of its lower-left edge are inked.
    EXPECT_EQ(alphaAt(full, 9, 9), 255);
    EXPECT_EQ(alphaAt(full, 5, 5), 255);
    // One fifth of the disc's area is left.
    EXPECT_NEAR(double(inkedPixels(thinnest)) / double(inkedPixels(full)), 0.2, 0.01);
    // The crescent faces upper right and reaches the edges of the moved disc: right at
    // 15.8 - 1.984, top at 15.8 - 1.488.
    int right = -1, top = thinnest.height();
    for (int y = 0; y < thinnest.height(); ++y)
        for (int x = 0; x < thinnest.width(); ++x)
            if (qAlpha(thinnest.pixel(x, y)) > 127) {
                right = std::max(right, x);
                top = std::min(top, y);
            }
    EXPECT_NEAR((right + 1) / ppp, 15.8 - 1.984, 0.1);
    EXPECT_NEAR(18 - top / ppp, 15.8 - 1.488, 0.1);
    EXPECT_EQ(alphaAt(thinnest, 7, 7), 0);  // the shadowed lower left
    EXPECT_EQ(alphaAt(thinnest, 11.8, 11.1), 255);
}

TEST(MenuBarIconTest, HoldBadgeChangesOnlyTheLowerLeftCircle) {
    const QImage held = glyphImage(Glyph::moon(0.5, 1));
    const QImage free = glyphImage(Glyph::moon(0.5, 0));
    int differing = 0;
    for (int y = 0; y < held.height(); ++y)
        for (int x = 0; x < held.width(); ++x) {
            if (held.pixel(x, y) == free.pixel(x, y)) continue;
            ++differing;
            // Pixel centre in y-up points, against the circle (0.6, 0.6, 6, 6).
            const double px = (x + 0.5) / ppp, py = 18 - (y + 0.5) / ppp;
            ASSERT_LE(std::hypot(px - 3.6, py - 3.6), 3.0 + 1 / ppp) << x << "," << y;
        }
    EXPECT_GT(differing, 0);
}

TEST(MenuBarIconTest, HoldBadgeClearsAHaloAroundItsDot) {
    const QImage held = MenuBarIcon::image(State::phase(0, true), ppp);
    const QImage free = MenuBarIcon::image(State::phase(0, false), ppp);
    const double r = 2.3 / std::numbers::sqrt2;  // between the dot (1.6) and the halo (3)
    EXPECT_EQ(alphaAt(free, 3.6 + r, 3.6 + r), 255);
    EXPECT_EQ(alphaAt(held, 3.6 + r, 3.6 + r), 0);
    EXPECT_EQ(alphaAt(held, 3.6, 3.6), 255);
    EXPECT_EQ(alphaAt(free, 3.6, 3.6), 0);  // outside the full disc
    // Half a hold: a half-cleared halo and a half-strong dot.
    const QImage half = glyphImage(Glyph::moon(0, 0.5));
    EXPECT_NEAR(alphaAt(half, 3.6 + r, 3.6 + r), 128, 2);
    EXPECT_NEAR(alphaAt(half, 3.6, 3.6), 128, 2);
}

TEST(MenuBarIconTest, OffRingIsCutWhereTheSlashCrossesIt) {
    const QImage off = MenuBarIcon::image(State::off(), ppp);
    const auto onRing = [&](double degrees) {
        const double a = degrees * std::numbers::pi / 180;
        return alphaAt(off, 9 + 6.1 * std::cos(a), 9 + 6.1 * std::sin(a));
    };
    // Either side of the slash at both crossings (45° and 225°): the clear gap ...
    for (double degrees : {45 + 11.8, 45 - 11.8, 225 + 11.8, 225 - 11.8}) EXPECT_EQ(onRing(degrees), 0) << degrees;
    // ... the ring beside it, and the slash itself.
    for (double degrees : {75.0, 15.0, 255.0, 195.0, 135.0, 315.0}) EXPECT_EQ(onRing(degrees), 255) << degrees;
    EXPECT_EQ(alphaAt(off, 9, 9), 255);
    EXPECT_EQ(alphaAt(off, 4.69, 4.69), 255);
    EXPECT_EQ(alphaAt(off, 9, 11), 0);  // inside the ring, off the slash
}

TEST(MenuBarIconTest, PausedRingIsDashed) {
    const QImage paused = MenuBarIcon::image(State::paused(), ppp);
    // Walk the ring's centre line and count the inked runs: 2.4 pt dashes with 1.9 pt gaps
    // make nine on its 38.3 pt.
    int runs = 0;
    bool previous = false, first = false;
    for (int step = 0; step < 3600; ++step) {
        const double a = step * 2 * std::numbers::pi / 3600;
        const bool inked = alphaAt(paused, 9 + 6.1 * std::cos(a), 9 + 6.1 * std::sin(a)) > 127;
        if (step == 0) first = inked;
        if (inked && !previous) ++runs;
        previous = inked;
    }
    if (first && previous) --runs;  // a run across 3 o'clock counts once
    EXPECT_GE(runs, 8);
    EXPECT_LE(runs, 9);
    EXPECT_EQ(alphaAt(paused, 15.1, 9.05), 255);  // a dash starts at 3 o'clock
    EXPECT_EQ(alphaAt(paused, 9, 9), 0);
}

TEST(MenuBarIconTest, MorphImagesMatchTheirEndsAndTheInterpolatedMoon) {
    const auto same = [](const QImage& a, const QImage& b) { return a == b; };
    EXPECT_TRUE(same(MenuBarIcon::image(Glyph::off(), Glyph::paused(), 0, ppp), MenuBarIcon::image(State::off(), ppp)));
    EXPECT_TRUE(
        same(MenuBarIcon::image(Glyph::off(), Glyph::paused(), 1, ppp), MenuBarIcon::image(State::paused(), ppp)));
    EXPECT_TRUE(
        same(MenuBarIcon::image(Glyph::moon(0, 0), Glyph::moon(1, 1), 0.5, ppp), glyphImage(Glyph::moon(0.5, 0.5))));
    // Halfway between off and paused both glyphs are faint and shrunk: nothing near the
    // full-size ring, a little ink on the shrunk one.
    const QImage half = MenuBarIcon::image(Glyph::off(), Glyph::paused(), 0.5, ppp);
    EXPECT_EQ(alphaAt(half, 15.1, 9), 0);
    const double shrunk = 9 + 6.1 * 17 / 22;
    EXPECT_NEAR(alphaAt(half, shrunk, 9), 255.0 * (1 - (1 - 1.0 / 11) * (1 - 1.0 / 11)), 3);
}

}  // namespace
}  // namespace orvane
