#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include "ui/kit/RenderHarness.h"
#include "ui/kit/Symbols.h"

namespace orvane::kit {
namespace {

const std::vector<std::string> listed = {"flame",
                                         "flame.fill",
                                         "sun.max",
                                         "sun.max.fill",
                                         "sun.haze.fill",
                                         "sun.horizon",
                                         "sunset",
                                         "scope",
                                         "moon.fill",
                                         "moon.zzz.fill",
                                         "light.max",
                                         "lock.shield",
                                         "hand.raised.fill",
                                         "hand.raised.circle.fill",
                                         "hand.draw.fill",
                                         "exclamationmark.triangle.fill",
                                         "xmark",
                                         "checkmark",
                                         "location.fill",
                                         "clock.fill",
                                         "app.dashed",
                                         "nosign",
                                         "cpu",
                                         "chevron.down",
                                         "gearshape.fill",
                                         "power",
                                         "eye",
                                         "square.grid.3x3.square",
                                         "bed.double.fill"};

QImage drawn(const std::string& name, double size = 32) {
    QImage image(static_cast<int>(size), static_cast<int>(size), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Symbols::draw(p, name, QRectF(0, 0, size, size), Qt::black);
    return image;
}

int inkOf(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += qAlpha(image.pixel(x, y)) > 64;
    return ink;
}

TEST(KitSymbols, EveryListedNameHasItsOwnGlyph) {
    const QImage placeholder = drawn("no.such.symbol");
    EXPECT_GT(inkOf(placeholder), 20) << "an unknown name still draws something";
    std::map<std::string, QImage> images;
    for (const auto& name : listed) {
        EXPECT_TRUE(Symbols::has(name)) << name;
        const QImage image = drawn(name);
        EXPECT_GT(inkOf(image), 20) << name;
        EXPECT_NE(image, placeholder) << name;
        for (const auto& [other, seen] : images) EXPECT_NE(image, seen) << name << " looks like " << other;
        images.emplace(name, image);
    }
    EXPECT_FALSE(Symbols::has("no.such.symbol"));
}

TEST(KitSymbols, GlyphStaysInsideItsBoxAndWindowsCanAddTheirOwn) {
    for (const auto& name : listed) {
        const QRectF bounds = Symbols::path(name, QRectF(10, 20, 11.76, 11.76)).boundingRect();
        EXPECT_GE(bounds.left(), 10 - 0.01) << name;
        EXPECT_GE(bounds.top(), 20 - 0.01) << name;
        EXPECT_LE(bounds.right(), 21.76 + 0.01) << name;
        EXPECT_LE(bounds.bottom(), 31.76 + 0.01) << name;
    }
    Symbols::add("test.square", [](double) {
        QPainterPath p;
        p.addRect(4, 4, 16, 16);
        return p;
    });
    EXPECT_TRUE(Symbols::has("test.square"));
    EXPECT_EQ(Symbols::path("test.square", QRectF(0, 0, 48, 48)).boundingRect(), QRectF(8, 8, 32, 32));
}

// The catalogue as one sheet, to look at.
TEST(KitSymbols, RendersTheCatalogue) {
    const int cell = 56, columns = 7;
    const int rows = static_cast<int>((listed.size() + 1 + columns - 1) / columns);
    for (const bool dark : {false, true}) {
        QImage sheet(QSize(cell * columns, cell * rows) * 2, QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(2);
        sheet.fill(windowColor(dark ? Appearance::dark : Appearance::light));
        QPainter p(&sheet);
        std::vector<std::string> all = listed;
        all.push_back("no.such.symbol");
        for (std::size_t i = 0; i < all.size(); ++i) {
            const QPointF centre(cell * (static_cast<int>(i) % columns) + cell / 2.0,
                                 cell * (static_cast<int>(i) / columns) + cell / 2.0);
            Symbols::drawCentred(p, all[i], centre, 28, primaryText(dark ? Appearance::dark : Appearance::light));
        }
        p.end();
        EXPECT_FALSE(RenderHarness::save(sheet, dark ? "symbols-dark" : "symbols-light").isEmpty());
    }
}

}  // namespace
}  // namespace orvane::kit
