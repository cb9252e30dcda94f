// Pictures of the glyph states and the application icon for looking at, under the
// renders folder: the glyphs at 20 px per point black on white and, recoloured as a panel
// would show them, white on dark; the icon at 1024 px alone and on both window colours.
#include <gtest/gtest.h>

#include <QPainter>

#include "ui/kit/RenderHarness.h"
#include "ui/menubar/MenuBarIcon.h"
#include "ui/views/AppIconRenderer.h"

namespace orvane {
namespace {

using Glyph = MenuBarIcon::Glyph;
using State = MenuBarIcon::State;

// The nine phases, a held phase, off, paused, and morphs at t = 0.5 (off to paused, a
// moon to off, the full moon to the held crescent).
std::vector<QImage> glyphStates(double pixelsPerPoint) {
    std::vector<QImage> images;
    for (int phase = 0; phase <= 8; ++phase)
        images.push_back(MenuBarIcon::image(State::phase(phase, false), pixelsPerPoint));
    images.push_back(MenuBarIcon::image(State::phase(3, true), pixelsPerPoint));
    images.push_back(MenuBarIcon::image(State::off(), pixelsPerPoint));
    images.push_back(MenuBarIcon::image(State::paused(), pixelsPerPoint));
    images.push_back(MenuBarIcon::image(Glyph::off(), Glyph::paused(), 0.5, pixelsPerPoint));
    images.push_back(MenuBarIcon::image(Glyph::moon(0.25, 0), Glyph::off(), 0.5, pixelsPerPoint));
    images.push_back(MenuBarIcon::image(Glyph::moon(0, 0), Glyph::moon(1, 1), 0.5, pixelsPerPoint));
    return images;
}

QImage sheet(const std::vector<QImage>& glyphs, const QColor& background, std::optional<QColor> ink) {
    const int side = glyphs.front().width(), gap = side / 6;
    QImage out(int(glyphs.size()) * (side + gap) + gap, side + 2 * gap, QImage::Format_ARGB32_Premultiplied);
    out.fill(background);
    QPainter painter(&out);
    int x = gap;
    for (QImage glyph : glyphs) {
        if (ink) {
            QPainter recolour(&glyph);
            recolour.setCompositionMode(QPainter::CompositionMode_SourceIn);
            recolour.fillRect(glyph.rect(), *ink);
        }
        painter.drawImage(x, gap, glyph);
        x += side + gap;
    }
    return out;
}

TEST(IconRenderTest, SavesTheGlyphStatesAndTheIcon) {
    namespace harness = kit::RenderHarness;
    const auto glyphs = glyphStates(20);
    EXPECT_FALSE(harness::save(sheet(glyphs, Qt::white, std::nullopt), "menubar-glyphs-light").isEmpty());
    EXPECT_FALSE(harness::save(sheet(glyphs, QColor(43, 43, 46), Qt::white), "menubar-glyphs-dark").isEmpty());
    // As drawn for the tray: black on transparent.
    EXPECT_FALSE(harness::save(sheet(glyphs, Qt::transparent, std::nullopt), "menubar-glyphs").isEmpty());

    const QImage icon = AppIconRenderer::image(1024);
    EXPECT_FALSE(harness::save(icon, "app-icon-1024").isEmpty());
    for (const auto& [name, window] : {std::pair{"light", QColor::fromRgbF(0.93f, 0.93f, 0.93f)},
                                       std::pair{"dark", QColor::fromRgbF(0.17f, 0.17f, 0.18f)}}) {
        QImage shown(1024, 1024, QImage::Format_ARGB32_Premultiplied);
        shown.fill(window);
        QPainter(&shown).drawImage(0, 0, icon);
        EXPECT_FALSE(harness::save(shown, QString("app-icon-1024-") + name).isEmpty());
    }
    // The small sizes of the set as drawn, and each blown up four times without smoothing.
    QImage sizes(4 * (16 + 32 + 64 + 128) + 5 * 16, 4 * 128 + 160, QImage::Format_ARGB32_Premultiplied);
    sizes.fill(QColor::fromRgbF(0.93f, 0.93f, 0.93f));
    {
        QPainter painter(&sizes);
        int x = 16;
        for (int pixels : {16, 32, 64, 128}) {
            const QImage small = AppIconRenderer::image(pixels);
            painter.drawImage(x, 16, small);
            painter.drawImage(QRect(x, 160, 4 * pixels, 4 * pixels), small);
            x += 4 * pixels + 16;
        }
    }
    EXPECT_FALSE(harness::save(sizes, "app-icon-small-sizes").isEmpty());
}

}  // namespace
}  // namespace orvane
