#include "ui/render/ShotSheets.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/RenderHarness.h"

namespace orvane {
namespace {

constexpr int padding = 12;
constexpr int spacing = 6;
constexpr int smallIcon = 18;
constexpr int largeIcon = 54;
constexpr int rowSpacing = 10;
constexpr int columns = 9;
constexpr int sheetWidth = 760;

// A template glyph in one colour: the glyph's coverage, filled with `ink`.
QImage inked(QImage glyph, const QColor& ink) {
    QPainter p(&glyph);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(glyph.rect(), ink);
    return glyph;
}

// Drawn from the vector glyph at the target's own pixel size, so the stretch stays sharp.
double pixelsPerPoint(int points) { return kit::RenderHarness::devicePixelRatio * points / MenuBarIcon::boxSize; }

QRectF column(const QWidget& sheet, int index, double top, double side) {
    const double share = static_cast<double>(sheet.width()) / columns;
    return {share * index + (share - side) / 2, top, side, side};
}

double progressOf(int kelvin) { return std::clamp(MenuBarIcon::phase(kelvin) / 8.0, 0.0, 1.0); }

}  // namespace

std::array<IconSheet::Item, 9> IconSheet::items() {
    using State = MenuBarIcon::State;
    return {{{"Off", State::off()},
             {"Not now", State::paused()},
             {"Daylight", State::phase(0, false)},
             {"5000K", State::phase(MenuBarIcon::phase(5000), false)},
             {"3400K", State::phase(MenuBarIcon::phase(3400), false)},
             {"1900K", State::phase(MenuBarIcon::phase(1900), false)},
             {"1200K", State::phase(MenuBarIcon::phase(1200), false)},
             {"500K", State::phase(MenuBarIcon::phase(500), false)},
             {"Held", State::phase(MenuBarIcon::phase(500), true)}}};
}

IconSheet::IconSheet(QWidget* parent) : QWidget(parent) {}

int IconSheet::bandHeight() const {
    const QFontMetrics label(kit::FontBook::font(kit::TextStyle::caption2));
    return padding + smallIcon + spacing + largeIcon + spacing + label.height() + padding;
}

QSize IconSheet::sizeHint() const { return {sheetWidth, 2 * bandHeight()}; }

void IconSheet::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QFont font = kit::FontBook::font(kit::TextStyle::caption2);
    p.setFont(font);
    const int band = bandHeight();
    const int labelHeight = QFontMetrics(font).height();
    const auto all = items();
    for (const bool dark : {false, true}) {
        const double top = dark ? band : 0;
        const double white = dark ? darkBandWhite : lightBandWhite;
        p.fillRect(QRectF(0, top, width(), band), QColor::fromRgbF(white, white, white));
        const QColor ink = dark ? Qt::white : Qt::black;
        for (int i = 0; i < columns; ++i) {
            const Item& item = all[static_cast<std::size_t>(i)];
            p.setOpacity(std::string_view(item.label) == "Off" ? 0.5 : 1.0);
            const QRectF small = column(*this, i, top + padding, smallIcon);
            p.drawImage(small, inked(MenuBarIcon::image(item.state, pixelsPerPoint(smallIcon)), ink));
            const QRectF large = column(*this, i, small.bottom() + spacing, largeIcon);
            p.drawImage(large, inked(MenuBarIcon::image(item.state, pixelsPerPoint(largeIcon)), ink));
            p.setOpacity(0.7);
            p.setPen(ink);
            const double share = static_cast<double>(width()) / columns;
            p.drawText(QRectF(share * i, large.bottom() + spacing, share, labelHeight), Qt::AlignCenter,
                       QString::fromUtf8(item.label));
        }
        p.setOpacity(1);
    }
}

std::array<std::pair<MenuBarIcon::Glyph, MenuBarIcon::Glyph>, 2> MorphSheet::pairs() {
    using Glyph = MenuBarIcon::Glyph;
    return {{{Glyph::moon(progressOf(3400), 0), Glyph::moon(progressOf(1200), 1)},
             {Glyph::off(), Glyph::moon(progressOf(3400), 0)}}};
}

double MorphSheet::step(int index) {
    const double p = index / 8.0;
    return p * p * (3 - 2 * p);
}

MorphSheet::MorphSheet(QWidget* parent) : QWidget(parent) {}

QSize MorphSheet::sizeHint() const { return {sheetWidth, padding + 2 * largeIcon + rowSpacing + padding}; }

void MorphSheet::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QColor ink = kit::primaryText(kit::appearanceOf(this));
    double top = padding;
    for (const auto& [from, to] : pairs()) {
        for (int i = 0; i < columns; ++i)
            p.drawImage(column(*this, i, top, largeIcon),
                        inked(MenuBarIcon::image(from, to, step(i), pixelsPerPoint(largeIcon)), ink));
        top += largeIcon + rowSpacing;
    }
}

}  // namespace orvane
