#include "ExpectedTrayGlyph.h"

#include <QImage>

#include "ui/menubar/MenuBarIcon.h"
#include "ui/menubar/QtTray.h"

namespace orvane::e2e {

std::vector<std::uint8_t> expectedOffGlyph(int pixels) {
    const QImage image =
        trayGlyph(MenuBarIcon::layers(MenuBarIcon::State::off()), pixels, true).convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(image.width() * image.height() * 4));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            for (const int c : {qAlpha(p), qRed(p), qGreen(p), qBlue(p)}) out.push_back(static_cast<std::uint8_t>(c));
        }
    return out;
}

}  // namespace orvane::e2e
