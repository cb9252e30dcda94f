#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include "Contrast.h"

#include <cmath>

#include "ui/kit/Appearance.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/RenderHarness.h"
#include "ui/kit/Tokens.h"

namespace orvane::kit {
namespace {

using testing::contrast;

void expectRgb(const Rgb& actual, Rgb expected, const char* what) {
    EXPECT_NEAR(actual.r, expected.r, 1e-3) << what;
    EXPECT_NEAR(actual.g, expected.g, 1e-3) << what;
    EXPECT_NEAR(actual.b, expected.b, 1e-3) << what;
}

// A prominent button's label, as drawn, against its ember fill: the pixel of the label that
// stands out most reaches 4.5:1 in both appearances.
TEST(KitTokens, LabelsOnEmberReadInBothAppearances) {
    for (const auto appearance : {Appearance::light, Appearance::dark}) {
        const QColor ember = Tokens::ember().resolve(appearance);
        EXPECT_GE(contrast(Tokens::onEmber().resolve(appearance), ember), 4.5);
        SystemButton done(QStringLiteral("Done"), true);
        done.setLarge(true);
        const QImage image = RenderHarness::render(done, appearance);
        RenderHarness::save(image, isDark(appearance) ? "button-prominent-dark" : "button-prominent-light");
        double best = 0;
        // Along the middle row, inside the fill (clear of the rounded ends and what lies outside).
        const int y = image.height() / 2;
        for (int x = image.height(); x < image.width() - image.height(); ++x)
            best = std::max(best, contrast(image.pixelColor(x, y), ember));
        EXPECT_GE(best, 4.5) << (isDark(appearance) ? "dark" : "light");
    }
}

TEST(KitTokens, WarmColourAtTheEnds) {
    expectRgb(Tokens::warmColor(6500).dark, {1, 1, 1}, "6500 dark");
    expectRgb(Tokens::warmColor(6500).light, {0.80, 0.52, 0.40}, "6500 light");
    expectRgb(Tokens::warmColor(500).dark, {1, 0.18, 0.12}, "500 dark");
    expectRgb(Tokens::warmColor(500).light, {0.80, 0, 0}, "500 light");
}

TEST(KitTokens, CurveStopsInterpolateAndClamp) {
    const Rgb day{0.1, 0.2, 0.3};
    expectRgb(Tokens::curveStops(6500, day), day, "6500");
    expectRgb(Tokens::curveStops(9000, day), day, "above");
    expectRgb(Tokens::curveStops(5000, day), {0.97, 0.90, 0.76}, "5000");
    expectRgb(Tokens::curveStops(4200, day), {0.965, 0.81, 0.605}, "4200");
    expectRgb(Tokens::curveStops(1900, day), {0.90, 0.48, 0.25}, "1900");
    expectRgb(Tokens::curveStops(500, day), {0.62, 0.15, 0.11}, "500");
    expectRgb(Tokens::curveStops(0, day), {0.62, 0.15, 0.11}, "below");
    // Halfway between the day colour and the first stop.
    expectRgb(Tokens::curveStops(5750, day), {(0.1 + 0.97) / 2, (0.2 + 0.90) / 2, (0.3 + 0.76) / 2}, "5750");
}

TEST(KitTokens, CurveColourDiffersOnlyAtDaylight) {
    expectRgb(Tokens::curveColor(6500).light, {0.92, 0.91, 0.89}, "light day");
    expectRgb(Tokens::curveColor(6500).dark, {0.30, 0.29, 0.28}, "dark day");
    EXPECT_EQ(Tokens::curveColor(5000).light, Tokens::curveColor(5000).dark);
    EXPECT_EQ(Tokens::curveColor(800).light, Tokens::curveColor(800).dark);
}

TEST(KitTokens, GlassTintOpacityFollowsWarmth) {
    EXPECT_FALSE(Tokens::glassTint(6500));
    EXPECT_FALSE(Tokens::glassTint(9000));
    ASSERT_TRUE(Tokens::glassTint(500));
    EXPECT_NEAR(Tokens::glassTint(500)->opacity, 0.30, 1e-12);
    EXPECT_NEAR(Tokens::glassTint(0)->opacity, 0.30, 1e-12);
    EXPECT_NEAR(Tokens::glassTint(6499)->opacity, 0.14 + 0.16 / 6000, 1e-12);
    EXPECT_EQ(Tokens::glassTint(3400)->light, Tokens::curveColor(3400).light);
}

TEST(KitTokens, DynamicColourResolvesByAppearance) {
    const DynamicColor c{{0.1, 0.2, 0.3}, {0.7, 0.8, 0.9}, 0.5};
    EXPECT_NEAR(c.resolve(Appearance::dark).redF(), 0.7, 1e-3);
    EXPECT_NEAR(c.resolve(Appearance::light).redF(), 0.1, 1e-3);
    EXPECT_NEAR(c.resolve(static_cast<Appearance>(7)).redF(), 0.1, 1e-3);  // anything else is light
    EXPECT_NEAR(c.resolve(Appearance::dark).alphaF(), 0.5, 1e-3);
    EXPECT_EQ(Tokens::emberDeep().light, Tokens::emberDeep().dark);
}

TEST(KitTokens, TextAndWindowColours) {
    EXPECT_NEAR(primaryText(Appearance::light).alphaF(), 0.85, 1e-3);
    EXPECT_EQ(primaryText(Appearance::dark).red(), 255);
    EXPECT_NEAR(secondaryText(Appearance::light).alphaF(), 0.5, 1e-3);
    EXPECT_NEAR(secondaryText(Appearance::dark).alphaF(), 0.55, 1e-3);
    EXPECT_NEAR(windowColor(Appearance::light).redF(), 0.93, 2e-3);
    EXPECT_NEAR(windowColor(Appearance::dark).blueF(), 0.18, 2e-3);
}

TEST(KitTokens, PortalColourSchemeThenPaletteLightness) {
    QPalette darkPalette;
    darkPalette.setColor(QPalette::Window, QColor(30, 30, 30));
    QPalette lightPalette;
    lightPalette.setColor(QPalette::Window, QColor(240, 240, 240));
    EXPECT_EQ(appearanceFor(1u, lightPalette), Appearance::dark);
    EXPECT_EQ(appearanceFor(2u, darkPalette), Appearance::light);
    EXPECT_EQ(appearanceFor(0u, darkPalette), Appearance::dark);
    EXPECT_EQ(appearanceFor(std::nullopt, lightPalette), Appearance::light);
    EXPECT_EQ(appearanceFor(9u, darkPalette), Appearance::dark);
}

TEST(KitTokens, BrandVersionAndChangelog) {
    EXPECT_EQ(Brand::versionOr(""), "dev");
    EXPECT_EQ(Brand::versionOr("1.2.3"), "1.2.3");
    EXPECT_FALSE(Brand::version().empty());
    EXPECT_EQ(Brand::updatesURLFor("orvane.example"), "https://orvane.example/changelog/");
    EXPECT_EQ(Brand::updatesURL().rfind("https://", 0), 0u);
    EXPECT_TRUE(Brand::updatesURL().ends_with("/changelog/"));
}

TEST(KitTokens, FontBookSizes) {
    const std::pair<TextStyle, int> sizes[] = {
        {TextStyle::title2, 17},      {TextStyle::title3, 15},  {TextStyle::body, 13},    {TextStyle::callout, 12},
        {TextStyle::subheadline, 11}, {TextStyle::caption, 10}, {TextStyle::caption2, 10}};
    for (const auto& [style, size] : sizes) EXPECT_EQ(FontBook::font(style).pixelSize(), size);
    EXPECT_EQ(Tokens::numeralFont().pixelSize(), 44);
    EXPECT_EQ(Tokens::numeralFont().weight(), QFont::DemiBold);
    EXPECT_EQ(Tokens::numeralUnitFont().pixelSize(), 20);
    EXPECT_EQ(Tokens::numeralUnitFont().weight(), QFont::Medium);
    EXPECT_EQ(Tokens::titleFont().pixelSize(), 15);
    EXPECT_EQ(Tokens::labelFont().weight(), QFont::DemiBold);
    EXPECT_EQ(QFontInfo(FontBook::font(TextStyle::body)).family(), QStringLiteral("DejaVu Sans"));
}

}  // namespace
}  // namespace orvane::kit
