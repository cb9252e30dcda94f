#include "ui/views/AppIconRenderer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QRadialGradient>

#include "ui/kit/PaintKit.h"

namespace orvane {

namespace {

namespace paint = kit::PaintKit;

QColor rgba(double r, double g, double b, double a) {
    return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), static_cast<float>(a));
}

QPainterPath circle(const QPointF& centre, double radius) {
    return paint::circle(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius));
}

// The icon's geometry is set out y-up from the lower-left corner; the kit paints y-down, so
// every point goes through `at` and every vertical offset changes sign.
struct Canvas {
    double s;
    QPointF at(double x, double y) const { return {x, s - y}; }
};

void fillMoonGradient(QPainter& painter, const Canvas& canvas, const QPointF& m, double r) {
    // m is y-up here; padded both ways (extended before the start and after the end).
    QLinearGradient gradient(canvas.at(m.x() - 0.25 * r, m.y() + r), canvas.at(m.x() + 0.75 * r, m.y() - 0.75 * r));
    gradient.setStops({{0, rgba(1, 0.98, 0.93, 1)},
                       {0.30, rgba(1, 0.83, 0.55, 1)},
                       {0.62, rgba(1, 0.55, 0.18, 1)},
                       {1, rgba(0.86, 0.20, 0.09, 1)}});
    painter.fillRect(QRectF(0, 0, canvas.s, canvas.s), gradient);
}

void drawIcon(QPainter& painter, double s) {
    const Canvas canvas{s};
    const QRectF bounds(0, 0, s, s);

    // 1. The tile.
    const QRectF tile = bounds.adjusted(0.098 * s, 0.098 * s, -0.098 * s, -0.098 * s);
    const QPainterPath tilePath = paint::roundedRect(tile, 0.185 * s);

    // 2. The tile on its drop shadow.
    paint::drawShadow(painter, tilePath, rgba(0, 0, 0, 0.40), 0.03 * s, QPointF(0, 0.012 * s));
    painter.fillPath(tilePath, rgba(0.20, 0.19, 0.19, 1));

    // 3. Everything up to the gloss stays on the tile.
    painter.save();
    painter.setClipPath(tilePath, Qt::IntersectClip);

    // 4. Background, lighter at the top.
    paint::fillLinearBand(painter, tilePath, tile.topLeft(), tile.bottomLeft(),
                          {{0, rgba(0.31, 0.30, 0.30, 1)}, {1, rgba(0.19, 0.18, 0.18, 1)}});

    // 5. The moon up right of the centre, the disc that shadows it down left (y-up).
    const double r = 0.245 * s;
    const QPointF m(s / 2 + 0.044 * s, s / 2 + 0.034 * s);
    const QPointF o(s / 2 - 0.044 * s, s / 2 - 0.034 * s);
    const QPointF moonCentre = canvas.at(m.x(), m.y()), shadowCentre = canvas.at(o.x(), o.y());
    const QPainterPath moon = circle(moonCentre, r), shadowDisc = circle(shadowCentre, r);

    // 6. Glow: a halo ring just outside the moon.
    paint::fillRadialAnnulus(
        painter, tilePath, moonCentre, 0.98 * r, 1.42 * r,
        {{0, rgba(1, 0.86, 0.70, 0.42)}, {0.45, rgba(1, 0.60, 0.30, 0.12)}, {1, rgba(1, 0.50, 0.20, 0)}});

    // 7. Moon.
    painter.save();
    painter.setClipPath(moon, Qt::IntersectClip);
    fillMoonGradient(painter, canvas, m, r);
    painter.restore();

    // 8. Shadow disc, casting a little shadow down right onto the moon.
    paint::drawShadow(painter, shadowDisc, rgba(0.08, 0, 0, 0.55), 0.022 * s, QPointF(0.004 * s, 0.008 * s));
    painter.fillPath(shadowDisc, rgba(0.16, 0.05, 0.05, 1));

    // 9 to 11, inside the shadow disc.
    painter.save();
    painter.setClipPath(shadowDisc, Qt::IntersectClip);
    {
        // From a point low in the disc out to a circle around it, padded after the end:
        // Qt's focal form of a two-circle gradient.
        QRadialGradient gradient(shadowCentre, 1.25 * r, canvas.at(o.x() - 0.15 * r, o.y() - 0.55 * r), 0);
        gradient.setStops(
            {{0, rgba(0.72, 0.11, 0.07, 1)}, {0.5, rgba(0.38, 0.05, 0.05, 1)}, {1, rgba(0.15, 0.03, 0.04, 1)}});
        painter.fillRect(bounds, gradient);
    }
    // 10. Earthshine: the moon's light, faintly, where the two discs overlap.
    painter.save();
    painter.setClipPath(moon, Qt::IntersectClip);
    painter.setOpacity(0.09);
    fillMoonGradient(painter, canvas, m, r);
    painter.restore();
    // 11. Sheen on the disc's upper part.
    paint::fillLinearBand(painter, shadowDisc, canvas.at(o.x(), o.y() + r), canvas.at(o.x(), o.y() + 0.1 * r),
                          {{0, rgba(1, 1, 1, 0.12)}, {1, rgba(1, 1, 1, 0)}});
    painter.restore();

    // 12. Rim: a hairline just inside the disc's edge, brightest up right.
    {
        QPainterPathStroker stroker;
        stroker.setWidth(0.005 * s);
        const QPainterPath rim = stroker.createStroke(circle(shadowCentre, r - 0.002 * s));
        paint::fillLinearBand(
            painter, rim, canvas.at(o.x() + 0.7 * r, o.y() + 0.7 * r), canvas.at(o.x() - 0.7 * r, o.y() - 0.7 * r),
            {{0, rgba(1, 0.78, 0.60, 0.70)}, {0.55, rgba(1, 0.60, 0.45, 0.18)}, {1, rgba(1, 0.50, 0.40, 0.30)}});
    }

    // 13. Gloss over the top of the tile.
    paint::fillLinearBand(painter, tilePath, tile.topLeft(), tile.topLeft() + QPointF(0, 0.4 * tile.height()),
                          {{0, rgba(1, 1, 1, 0.10)}, {1, rgba(1, 1, 1, 0)}});
    painter.restore();

    // 14. Edge.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(rgba(1, 1, 1, 0.16), 0.005 * s));
    painter.drawPath(tilePath);
}

}  // namespace

QIcon AppIconRenderer::windowIcon() {
    QIcon icon;
    for (const int pixels : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage drawn = image(pixels);
        if (!drawn.isNull()) icon.addPixmap(QPixmap::fromImage(drawn));
    }
    return icon;
}

QImage AppIconRenderer::image(int pixels) {
    QImage icon(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    if (icon.isNull()) return icon;
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    drawIcon(painter, pixels);
    return icon;
}

}  // namespace orvane
