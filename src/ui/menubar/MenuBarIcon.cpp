#include "ui/menubar/MenuBarIcon.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace orvane {

namespace {

constexpr double lineWidth = 1.4;
const QRectF disc(2.2, 2.2, 13.6, 13.6);
const QRectF ring = disc.adjusted(0.7, 0.7, -0.7, -0.7);

QPen glyphPen(double width) {
    QPen pen(Qt::black, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QImage transparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A transparency layer: what `paint` draws is composited as one piece at `alpha`, so
// clearing inside it never reaches what lies below.
template <class Paint>
void inLayer(QPainter& target, double alpha, Paint&& paint) {
    QImage layer = transparentImage(target.device()->width(), target.device()->height());
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setTransform(target.worldTransform());
        paint(painter);
    }
    target.save();
    target.resetTransform();
    target.setOpacity(alpha);
    target.setCompositionMode(QPainter::CompositionMode_SourceOver);
    target.drawImage(QPointF(0, 0), layer);
    target.restore();
}

void fillEllipse(QPainter& painter, const QRectF& rect) {
    QPainterPath path;
    path.addEllipse(rect);
    painter.fillPath(path, Qt::black);
}

void drawMoon(QPainter& painter, const MenuBarIcon::Glyph::Moon& moon) {
    const auto lit = MenuBarIcon::lit(moon.progress);
    inLayer(painter, 1.0, [&](QPainter& layer) {
        fillEllipse(layer, lit.disc);
        if (lit.shadow) {
            layer.setCompositionMode(QPainter::CompositionMode_Clear);
            fillEllipse(layer, *lit.shadow);
        }
    });
    if (moon.held > 0) {
        painter.save();
        painter.setOpacity(std::min(moon.held, 1.0));
        // A clear halo in the lower-left corner keeps the dot apart from the moon.
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        fillEllipse(painter, QRectF(0.6, 0.6, 6, 6));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        fillEllipse(painter, QRectF(2, 2, 3.2, 3.2));
        painter.restore();
    }
}

void drawPaused(QPainter& painter) {
    QPen pen = glyphPen(lineWidth);
    // Qt counts dash lengths in pen widths.
    pen.setDashPattern({2.4 / lineWidth, 1.9 / lineWidth});
    pen.setDashOffset(0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.addEllipse(ring);  // starts at 3 o'clock
    painter.drawPath(path);
}

void drawOff(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(glyphPen(lineWidth));
    painter.drawEllipse(ring);
    const QLineF slash(3.1, 3.1, 14.9, 14.9);
    // The wide clear stroke cuts a gap into the ring on both sides of the slash.
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(glyphPen(3.6));
    painter.drawLine(slash);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(glyphPen(lineWidth));
    painter.drawLine(slash);
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

int MenuBarIcon::phase(int kelvin) {
    const double warmth = std::clamp((6500.0 - kelvin) / 6000.0, 0.0, 1.0);
    return static_cast<int>(std::round(warmth * 8));  // std::round takes halves away from zero
}

MenuBarIcon::Glyph MenuBarIcon::glyph(const State& state) {
    return std::visit(
        Overloaded{
            [](const State::Phase& p) { return Glyph::moon(std::clamp(p.phase, 0, 8) / 8.0, p.held ? 1.0 : 0.0); },
            [](const State::Off&) { return Glyph::off(); }, [](const State::Paused&) { return Glyph::paused(); }},
        state.value);
}

std::vector<MenuBarIcon::Layer> MenuBarIcon::layers(const State& state) { return {{glyph(state), 1, 1}}; }

std::vector<MenuBarIcon::Layer> MenuBarIcon::layers(const Glyph& from, const Glyph& to, double t) {
    const auto* a = std::get_if<Glyph::Moon>(&from.value);
    const auto* b = std::get_if<Glyph::Moon>(&to.value);
    if (a && b)
        return {{Glyph::moon(a->progress + (b->progress - a->progress) * t, a->held + (b->held - a->held) * t), 1, 1}};
    // Cross-fade: the outgoing glyph shrinks to 75 % while fading, the incoming one grows
    // from 75 %; both are partly visible between t = 0.45 and 0.55.
    const double f = std::min(t / 0.55, 1.0);
    const double g = std::max((t - 0.45) / 0.55, 0.0);
    return {{from, 1 - f, 1 - 0.25 * f}, {to, g, 0.75 + 0.25 * g}};
}

MenuBarIcon::Lit MenuBarIcon::lit(double progress) {
    Lit result;
    result.fraction = progress > 0 ? 1 - 0.8 * std::min(progress, 1.0) : 1.0;
    const double shift = (1 - result.fraction) * 3.1;
    result.disc = disc.translated(-0.8 * shift, -0.6 * shift);
    if (result.fraction >= 1) return result;

    // The part of a disc left uncovered by an equal disc x diameters away grows with x;
    // find the x that leaves the lit fraction.
    double lo = 0, hi = 1;
    for (int step = 0; step < 24; ++step) {
        const double x = (lo + hi) / 2;
        const double uncovered = 1 - (2 / std::numbers::pi) * (std::acos(x) - x * std::sqrt(1 - x * x));
        (uncovered < result.fraction ? lo : hi) = x;
    }
    const double d = lo * disc.width();
    result.shadow = result.disc.translated(-0.8 * d, -0.6 * d);
    return result;
}

void MenuBarIcon::draw(const Glyph& glyph, QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    std::visit(
        Overloaded{[&](const Glyph::Moon& moon) { drawMoon(painter, moon); },
                   [&](const Glyph::Off&) { drawOff(painter); }, [&](const Glyph::Paused&) { drawPaused(painter); }},
        glyph.value);
    painter.restore();
}

QImage MenuBarIcon::image(const std::vector<Layer>& layers, double pixelsPerPoint) {
    const int pixels = std::max(1, static_cast<int>(std::lround(boxSize * pixelsPerPoint)));
    QImage image = transparentImage(pixels, pixels);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Box points are y-up with the origin at the lower left.
    painter.setTransform(QTransform(pixelsPerPoint, 0, 0, -pixelsPerPoint, 0, boxSize * pixelsPerPoint));
    const double centre = boxSize / 2;
    for (const auto& layer : layers) {
        if (layer.alpha <= 0.001) continue;
        painter.save();
        painter.translate(centre, centre);
        painter.scale(layer.scale, layer.scale);
        painter.translate(-centre, -centre);
        inLayer(painter, std::min(layer.alpha, 1.0), [&](QPainter& p) { draw(layer.glyph, p); });
        painter.restore();
    }
    return image;
}

QImage MenuBarIcon::image(const State& state, double pixelsPerPoint) { return image(layers(state), pixelsPerPoint); }

QImage MenuBarIcon::image(const Glyph& from, const Glyph& to, double t, double pixelsPerPoint) {
    return image(layers(from, to, t), pixelsPerPoint);
}

}  // namespace orvane
