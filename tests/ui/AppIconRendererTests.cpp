// The application icon: probes of the tile, its shadow, the moon and its glow at 1024 px;
// and the icon set on disk, with its failures.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include <QImage>

#include "SimFixture.h"
#include "ui/views/AppIconRenderer.h"

namespace orvane {
namespace {

// A pixel with straight alpha, channels 0...1; y-up points of the icon (size × size).
struct Probe {
    double r, g, b, a;
};
Probe at(const QImage& image, double x, double y) {
    const QColor colour = image.pixelColor(int(x), int(image.height() - 1 - y));
    return {colour.redF(), colour.greenF(), colour.blueF(), colour.alphaF()};
}

TEST(AppIconRendererTest, IconHasItsTileShadowMoonAndGlow) {
    constexpr double s = 1024;
    const QImage icon = AppIconRenderer::image(int(s));
    ASSERT_EQ(icon.size(), QSize(1024, 1024));
    ASSERT_EQ(icon.format(), QImage::Format_ARGB32_Premultiplied);
    const double r = 0.245 * s;
    const QPointF m(s / 2 + 0.044 * s, s / 2 + 0.034 * s), o(s / 2 - 0.044 * s, s / 2 - 0.034 * s);

    // Outside the tile: clear at the sides, the soft shadow just below the bottom edge.
    EXPECT_EQ(at(icon, 20, 512).a, 0);
    EXPECT_EQ(at(icon, 512, 1010).a, 0);
    const auto shadow = at(icon, 512, 0.098 * s - 8);
    EXPECT_GT(shadow.a, 0.05);
    EXPECT_LT(shadow.a, 0.40);
    EXPECT_LT(shadow.r, 0.05);
    EXPECT_EQ(at(icon, 512, 0.098 * s - 80).a, 0);
    // The tile's background lightens towards the top.
    const auto low = at(icon, 0.16 * s, 0.2 * s), high = at(icon, 0.16 * s, 0.8 * s);
    EXPECT_EQ(low.a, 1);
    EXPECT_NEAR(low.r, 0.24, 0.04);
    EXPECT_GT(high.r, low.r + 0.03);
    EXPECT_LT(high.r, 0.40);
    // The rounded corner is cut off: outside the corner radius of the tile, but inside T.
    EXPECT_LT(at(icon, 0.098 * s + 4, 0.098 * s + 4).a, 0.2);

    // The lit crescent, upper right of the moon: bright and warm.
    const auto lit = at(icon, m.x() + 0.8 * r * 0.7071, m.y() + 0.8 * r * 0.7071);
    EXPECT_GT(lit.r, 0.95);
    EXPECT_GT(lit.r - lit.b, 0.3);
    // The shadow disc: dark red, lighter towards its lower-left focus than at its edge.
    const auto dark = at(icon, o.x(), o.y());
    EXPECT_LT(dark.r, 0.6);
    EXPECT_GT(dark.r, dark.g + 0.1);
    // The glow: an orange halo just outside the moon, nothing beyond 1.42 r.
    const auto glow = at(icon, m.x() + 1.1 * r * 0.7071, m.y() + 1.1 * r * 0.7071);
    const auto beyond = at(icon, m.x() + 1.5 * r * 0.7071, m.y() + 1.5 * r * 0.7071);
    EXPECT_GT(glow.r - glow.b, beyond.r - beyond.b + 0.06);
    EXPECT_NEAR(beyond.r - beyond.b, 0.01, 0.02);
}

TEST(AppIconRendererTest, IconDrawsAtEverySizeOfTheSet) {
    for (const auto& row : AppIconRenderer::iconset) {
        const QImage icon = AppIconRenderer::image(row.pixels);
        ASSERT_EQ(icon.size(), QSize(row.pixels, row.pixels)) << row.name;
        EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0) << row.name;
        EXPECT_EQ(icon.pixelColor(row.pixels / 2, row.pixels / 2).alpha(), 255) << row.name;
    }
}

// --- the icon set on disk -----------------------------------------------------------

std::set<std::string> filesIn(const std::filesystem::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) names.insert(entry.path().filename());
    return names;
}

TEST(IconsetTest, WritesTheTenFilesIntoNewParentsAndOverwritesThem) {
    const auto directory = testing::freshDirectory("iconset") / "a" / "b" / "c";
    ASSERT_FALSE(AppIconRenderer::renderIconset(directory));
    std::set<std::string> expected;
    for (const auto& row : AppIconRenderer::iconset) {
        const std::string name = "icon_" + std::string(row.name) + ".png";
        expected.insert(name);
        const QImage written(QString::fromStdString((directory / name).string()));
        EXPECT_EQ(written.size(), QSize(row.pixels, row.pixels)) << name;
        EXPECT_TRUE(written.hasAlphaChannel()) << name;
    }
    EXPECT_EQ(filesIn(directory), expected);
    EXPECT_EQ(std::filesystem::status(directory / "icon_16x16.png").permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::others_read);

    std::ofstream(directory / "icon_32x32.png") << "stale";
    ASSERT_FALSE(AppIconRenderer::renderIconset(directory));
    EXPECT_EQ(QImage(QString::fromStdString((directory / "icon_32x32.png").string())).size(), QSize(32, 32));
    EXPECT_EQ(filesIn(directory), expected);  // no temporary files left behind
}

TEST(IconsetTest, EncoderFailureStopsTheRunWithStatusOne) {
    const auto directory = testing::freshDirectory("iconset");
    int calls = 0;
    const auto failOnThird = [&](const QImage& image) -> std::optional<QByteArray> {
        if (++calls == 3) return std::nullopt;
        return AppIconRenderer::encodePng(image);
    };
    ::testing::internal::CaptureStderr();
    const int status = AppIconRenderer::renderIconsetCommand(directory, failOnThird);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(errors, "render-icon failed: cannot encode " + (directory / "icon_32x32.png").string() + " as PNG\n");
    EXPECT_EQ(filesIn(directory), (std::set<std::string>{"icon_16x16.png", "icon_16x16@2x.png"}));
    EXPECT_EQ(calls, 3);
}

TEST(IconsetTest, BitmapThatCannotBeMadeFailsLikeAWrite) {
    const auto directory = testing::freshDirectory("iconset");
    const auto noBitmapAt64 = [](int pixels) { return pixels == 64 ? QImage() : AppIconRenderer::image(pixels); };
    ::testing::internal::CaptureStderr();
    const int status = AppIconRenderer::renderIconsetCommand(directory, AppIconRenderer::encodePng, noBitmapAt64);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "render-icon failed: cannot write " +
                                                            (directory / "icon_32x32@2x.png").string() +
                                                            ": cannot make a bitmap of 64x64 pixels\n");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(filesIn(directory), (std::set<std::string>{"icon_16x16.png", "icon_16x16@2x.png", "icon_32x32.png"}));
}

TEST(IconsetTest, FailuresNameTheirPathAndReason) {
    const auto root = testing::freshDirectory("iconset");
    std::ofstream(root / "plain") << "x";
    // Taken by a directory: the rename fails for root as well.
    std::filesystem::create_directories(root / "taken" / "icon_16x16.png");
    struct Case {
        std::filesystem::path directory;
        std::string error;
    };
    const Case cases[] = {
        {"", "no directory given"},
        {root / "plain" / "icons", "cannot create " + (root / "plain" / "icons").string() + ": Not a directory"},
        {root / "plain", "cannot create " + (root / "plain").string() + ": Not a directory"},
        {root / "taken", "cannot write " + (root / "taken" / "icon_16x16.png").string() + ": Is a directory"},
    };
    for (const auto& c : cases) {
        const auto error = AppIconRenderer::renderIconset(c.directory);
        ASSERT_TRUE(error) << c.directory;
        EXPECT_EQ(error->description(), c.error);
    }
    EXPECT_EQ(filesIn(root / "taken"), std::set<std::string>{"icon_16x16.png"});
}

TEST(IconsetTest, SuccessWritesNothingToStandardError) {
    const auto directory = testing::freshDirectory("iconset");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(AppIconRenderer::renderIconsetCommand(directory), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace orvane
