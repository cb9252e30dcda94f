#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "ui/kit/FontBook.h"
#include "ui/kit/NotificationCenter.h"
#include "ui/kit/PaintKit.h"

namespace orvane::kit {
namespace {

QImage canvas(double ratio) {
    QImage image(QSize(200, 200) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

int alphaAt(const QImage& image, double x, double y) {
    const double r = image.devicePixelRatio();
    return qAlpha(image.pixel(static_cast<int>(x * r), static_cast<int>(y * r)));
}

// A Gaussian edge: at one sigma outside a wide shape's edge about 16 % of the colour is left.
TEST(KitPaint, ShadowBlursWithHalfTheRadiusAsSigma) {
    for (const double ratio : {1.0, 2.0}) {
        QImage image = canvas(ratio);
        {
            QPainter p(&image);
            PaintKit::drawShadow(p, PaintKit::roundedRect(QRectF(50, 50, 100, 100), 0), Qt::black, 8, QPointF(0, 0));
        }
        const double edge = 150;
        EXPECT_NEAR(alphaAt(image, 100, 100), 255, 2) << ratio;
        EXPECT_NEAR(alphaAt(image, edge, 100) / 255.0, 0.5, 0.08) << ratio;
        EXPECT_NEAR(alphaAt(image, edge + 4, 100) / 255.0, 0.1587, 0.04) << ratio;
        EXPECT_LT(alphaAt(image, edge + 14, 100), 2) << ratio;
    }
}

TEST(KitPaint, ShadowFollowsOffsetAndColour) {
    QImage image = canvas(2);
    {
        QPainter p(&image);
        PaintKit::drawShadow(p, PaintKit::circle(QRectF(80, 80, 40, 40)), QColor(255, 0, 0, 128), 2, QPointF(0, 30));
    }
    EXPECT_EQ(alphaAt(image, 100, 100), 0) << "the shape itself is not drawn, only its shadow below";
    EXPECT_NEAR(alphaAt(image, 100, 130), 128, 2);
    EXPECT_GT(qRed(image.pixel(200, 260)), 100);
    EXPECT_EQ(qGreen(image.pixel(200, 260)), 0);
}

// A text's shadow is put together from per-character silhouettes; it must come out as the
// blurred silhouette of the whole text would, in its colour's opacity and at its offset.
TEST(KitPaint, TextShadowIsTheWholeTextBlurred) {
    const QFont font = FontBook::font(TextStyle::title2, QFont::DemiBold);
    const QString text = QStringLiteral("9:45 PM · 2700K");
    QImage pieces = canvas(2), whole = canvas(2);
    const QColor shadow = QColor::fromRgbF(0, 0, 0, 0.3f);
    {
        QPainter p(&pieces);
        p.setFont(font);
        PaintKit::drawTextShadow(p, QPointF(20, 100), text, shadow, 2, QPointF(0, 0.5));
    }
    {
        QPainter p(&whole);
        QPainterPath outline;
        outline.addText(QPointF(20, 100), font, text);
        PaintKit::drawShadow(p, outline, shadow, 2, QPointF(0, 0.5));
    }
    int peak = 0, worst = 0;
    double total = 0;
    for (int y = 0; y < pieces.height(); ++y)
        for (int x = 0; x < pieces.width(); ++x) {
            const int a = qAlpha(pieces.pixel(x, y)), b = qAlpha(whole.pixel(x, y));
            peak = std::max(peak, a);
            worst = std::max(worst, std::abs(a - b));
            total += std::abs(a - b);
        }
    EXPECT_NEAR(peak, 0.3 * 255, 8) << "the shadow's colour sets its strength";
    EXPECT_LE(worst, 12);
    EXPECT_LT(total / (pieces.width() * pieces.height()), 0.2);
    EXPECT_EQ(alphaAt(pieces, 20, 70), 0) << "nothing far above the text";
    EXPECT_GT(alphaAt(pieces, 20 + QFontMetricsF(font).horizontalAdvance("9") / 2, 100.9), 0)
        << "the shadow spreads below the baseline";
}

// A mask made once draws the same shadow as the shape itself, in any colour, wherever it goes.
TEST(KitPaint, ShadowMaskIsMadeOnceAndDrawnAnywhere) {
    const QPainterPath disc = PaintKit::circle(QRectF(-7, -7, 14, 14));
    const PaintKit::ShadowMask mask = PaintKit::shadowMask(disc, 4.2, 2);
    ASSERT_FALSE(mask.isNull());
    EXPECT_EQ(mask.image.devicePixelRatio(), 2);
    QImage fromMask = canvas(2), direct = canvas(2);
    {
        QPainter p(&fromMask);
        PaintKit::drawShadowMask(p, mask, QColor(250, 200, 40, 204), QPointF(60, 80));
        PaintKit::drawShadowMask(p, mask, QColor(250, 200, 40, 204), QPointF(140, 80));
    }
    {
        QPainter p(&direct);
        PaintKit::drawShadow(p, disc.translated(60, 80), QColor(250, 200, 40, 204), 4.2);
        PaintKit::drawShadow(p, disc.translated(140, 80), QColor(250, 200, 40, 204), 4.2);
    }
    for (const QPointF at : {QPointF(60, 80), QPointF(69, 80), QPointF(140, 88), QPointF(100, 80)}) {
        const QColor a = fromMask.pixelColor((at * 2).toPoint()), b = direct.pixelColor((at * 2).toPoint());
        EXPECT_NEAR(a.alpha(), b.alpha(), 3) << at.x() << "," << at.y();
        EXPECT_NEAR(a.red(), b.red(), 3);
    }
    EXPECT_GT(alphaAt(fromMask, 60, 80), 150);
    EXPECT_EQ(alphaAt(fromMask, 100, 80), 0);
}

TEST(KitPaint, LinearGradientStopsAtItsBand) {
    QImage image = canvas(1);
    {
        QPainter p(&image);
        QPainterPath all;
        all.addRect(0, 0, 200, 200);
        PaintKit::fillLinearBand(p, all, QPointF(50, 0), QPointF(150, 0), {{0, Qt::red}, {1, Qt::blue}});
    }
    EXPECT_EQ(alphaAt(image, 40, 100), 0);
    EXPECT_EQ(alphaAt(image, 160, 100), 0);
    EXPECT_EQ(alphaAt(image, 100, 100), 255);
    EXPECT_GT(qRed(image.pixel(55, 10)), 200);
    EXPECT_GT(qBlue(image.pixel(145, 190)), 200);
}

TEST(KitPaint, RadialGradientStaysInItsAnnulus) {
    QImage image = canvas(1);
    {
        QPainter p(&image);
        QPainterPath all;
        all.addRect(0, 0, 200, 200);
        PaintKit::fillRadialAnnulus(p, all, QPointF(100, 100), 20, 40, {{0, Qt::white}, {1, Qt::black}});
    }
    EXPECT_EQ(alphaAt(image, 100, 100), 0);
    EXPECT_EQ(alphaAt(image, 130, 100), 255);
    EXPECT_EQ(alphaAt(image, 150, 100), 0);
    // The stops run from the inner to the outer radius.
    EXPECT_GT(qRed(image.pixel(122, 100)), 220);
    EXPECT_LT(qRed(image.pixel(100, 139)), 40);
}

TEST(KitPaint, DesaturationKeepsLuminanceAndAlpha) {
    const QColor grey = PaintKit::desaturate(QColor::fromRgbF(1, 0, 0, 0.5), 0);
    EXPECT_NEAR(grey.redF(), 0.2126, 2e-3);
    EXPECT_NEAR(grey.greenF(), 0.2126, 2e-3);
    EXPECT_NEAR(grey.alphaF(), 0.5, 2e-3);
    EXPECT_EQ(PaintKit::desaturate(QColor(10, 200, 30), 1), QColor(10, 200, 30));

    QImage image(2, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, qRgba(0, 255, 0, 255));
    image.setPixel(1, 0, qRgba(0, 0, 100, 100));
    const QImage out = PaintKit::desaturated(image, 0);
    EXPECT_EQ(qRed(out.pixel(0, 0)), qGreen(out.pixel(0, 0)));
    EXPECT_NEAR(qRed(out.pixel(0, 0)), 182, 1);
    EXPECT_EQ(qAlpha(out.pixel(1, 0)), 100);
}

TEST(KitNotifications, DeliversByNameWithItsObjectUntilTheHandleGoes) {
    NotificationCenter center;
    std::vector<NotificationCenter::Object> panes;
    int shows = 0;
    auto paneHandle = center.observe(Notifications::openSettingsPane, [&](const auto& o) { panes.push_back(o); });
    {
        auto showHandle = center.observe(Notifications::popoverWillShow, [&](const auto&) { ++shows; });
        center.post(Notifications::openSettingsPane, std::string("presets"));
        center.post(Notifications::popoverWillShow);
        center.post(Notifications::popoverDidClose);
    }
    center.post(Notifications::popoverWillShow);
    ASSERT_EQ(panes.size(), 1u);
    EXPECT_EQ(panes[0], std::optional<std::string>("presets"));
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(Notifications::openSettings, "app.orvane.openSettings");
    EXPECT_EQ(Notifications::runMethodCheck, "app.orvane.runMethodCheck");
    EXPECT_EQ(Notifications::popoverDidClose, "app.orvane.popoverDidClose");
}

}  // namespace
}  // namespace orvane::kit

#include "ui/kit/Glass.h"

namespace orvane::kit {
namespace {

TEST(KitGlass, WhiteBaseOptionalTintAndHairline) {
    const GlassLayers light = glassLayers(Appearance::light, std::nullopt);
    EXPECT_NEAR(light.base.alphaF(), 0.75, 2e-3);
    EXPECT_EQ(light.base.red(), 255);
    EXPECT_FALSE(light.tint);
    EXPECT_NEAR(light.edge.alphaF(), 0.08, 2e-3);
    EXPECT_EQ(light.edge.red(), 0);
    const GlassLayers dark = glassLayers(Appearance::dark, QColor(255, 0, 0, 60));
    EXPECT_NEAR(dark.base.alphaF(), 0.085, 2e-3);
    EXPECT_NEAR(dark.edge.alphaF(), 0.13, 2e-3);
    EXPECT_EQ(dark.edge.red(), 255);
    ASSERT_TRUE(dark.tint);
    EXPECT_EQ(dark.tint->alpha(), 60);

    // Painted: the base inside, the hairline inside the edge, nothing outside.
    QImage image = canvas(2);
    {
        QPainter p(&image);
        glassSurface(p, PaintKit::roundedRect(QRectF(20, 20, 160, 160), 20), Appearance::light);
    }
    EXPECT_NEAR(alphaAt(image, 100, 100), 191, 2);
    EXPECT_GT(alphaAt(image, 100, 20.1), alphaAt(image, 100, 100)) << "the hairline darkens the edge";
    EXPECT_EQ(alphaAt(image, 100, 19.6), 0);
}

}  // namespace
}  // namespace orvane::kit

#include <QFileInfo>
#include <QWidget>

#include "ui/kit/Context.h"
#include "ui/kit/RenderHarness.h"

namespace orvane::kit {
namespace {

// Paints the widget's appearance as its one colour.
class AppearanceSwatch final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(QRect(10, 10, 20, 20), isDark(appearanceOf(this)) ? Qt::white : Qt::black);
    }
};

TEST(KitRenderHarness, DoubleResolutionInTheAskedAppearanceOverTheWindowColour) {
    AppearanceSwatch swatch;
    const QImage dark = RenderHarness::render(swatch, Appearance::dark, QSize(100, 50));
    EXPECT_EQ(dark.size(), QSize(200, 100));
    EXPECT_DOUBLE_EQ(dark.devicePixelRatio(), 2.0);
    EXPECT_EQ(dark.pixelColor(1, 1).rgb(), windowColor(Appearance::dark).rgb());
    EXPECT_EQ(dark.pixelColor(40, 40).rgb(), QColor(Qt::white).rgb());
    const QImage light = RenderHarness::render(swatch, Appearance::light, QSize(100, 50));
    EXPECT_EQ(light.pixelColor(40, 40).rgb(), QColor(Qt::black).rgb());
    EXPECT_FALSE(swatch.isVisible()) << "left as it was found";
    const QString path = RenderHarness::save(light, "harness-check");
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_TRUE(path.startsWith(RenderHarness::rendersDirectory()));
}

}  // namespace
}  // namespace orvane::kit

namespace orvane::kit {
namespace {

TEST(KitContext, NearestContextWinsAndTheDefaultFollowsTheDesktop) {
    QWidget window;
    QWidget inner(&window);
    QWidget leaf(&inner);
    EXPECT_EQ(appearanceOf(&leaf), defaultContext().appearance);
    Context dark;
    dark.appearance = Appearance::dark;
    setContext(window, dark);
    EXPECT_EQ(appearanceOf(&leaf), Appearance::dark);
    EXPECT_TRUE(contextOf(&leaf).animator) << "missing members come from the default";
    EXPECT_TRUE(contextOf(&leaf).now);
    setContext(inner, dark.withAppearance(Appearance::light));
    EXPECT_EQ(appearanceOf(&leaf), Appearance::light);

    QWidget loose;
    const Appearance before = defaultContext().appearance;
    applyAppearance(Appearance::dark);
    EXPECT_EQ(appearanceOf(&loose), Appearance::dark);
    EXPECT_EQ(appearanceOf(&leaf), Appearance::light) << "a window's own context stays";
    applyAppearance(before);
}

}  // namespace
}  // namespace orvane::kit
