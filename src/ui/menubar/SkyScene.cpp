#include "ui/menubar/SkyScene.h"

#include <algorithm>
#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>

#include "ui/kit/PaintKit.h"
#include "ui/menubar/MoonDisk.h"
#include "ui/menubar/SkyQColor.h"
#include "ui/menubar/StarField.h"

namespace orvane {

double SkyScene::moonlight() const {
    if (!moon) return 0;
    return moon->illumination * std::clamp((moon->elevation + 1) / 10, 0.0, 1.0);
}

std::optional<double> SkyScene::sunGlade() const {
    if (!(sun.elevation > -3 && sun.elevation < 25)) return std::nullopt;
    const double e = std::max(sun.elevation, 0.0);
    return std::max(palette.glowStrength, 0.2) * (1 - e / 25);
}

std::optional<double> SkyScene::moonGlade() const {
    if (!moon || !(moon->elevation < 45) || !(palette.stars > 0.2) || !(moon->illumination > 0.15)) return std::nullopt;
    return palette.stars * moon->illumination * (1 - std::max(moon->elevation, 0.0) / 60);
}

void SkyScene::draw(QPainter& painter, Date date, bool belowHorizon, unsigned parts) const {
    const double W = geometry.width, h = geometry.horizonY(), T = totalHeight(), S = seaHeight();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    // 1. Sky.
    if (!belowHorizon && (parts & sky)) {
        QLinearGradient skyFill(QPointF(W / 2, 0), QPointF(W / 2, T * geometry.horizonFraction));
        skyFill.setColorAt(0, rgb(palette.zenith));
        skyFill.setColorAt(1, rgb(palette.horizon));
        // Below the horizon the sea covers it.
        painter.fillRect(QRectF(0, 0, W, std::ceil(h + 1)), skyFill);
    }

    // 2. Stars, down to the horizon.
    if (const double o = starOpacity(); o > 0 && !belowHorizon && (parts & stars)) {
        painter.save();
        painter.setClipRect(QRectF(0, 0, W, h));
        StarField{o, twinkle, meteor}.draw(painter, QSizeF(W, h), date);
        painter.restore();
    }

    // 3. Horizon glow: a circle W across squeezed to 1.2 × 0.42 about the sun's foot.
    if (palette.glowStrength > 0 && (parts & still)) {
        painter.save();
        painter.translate(sunX, h);
        painter.scale(1.2, 0.42);
        QRadialGradient glow(QPointF(0, 0), W / 2);
        glow.setColorAt(0, rgb(palette.glow, 0.85 * palette.glowStrength));
        glow.setColorAt(0.5, rgb(palette.glow, 0.3 * palette.glowStrength));
        glow.setColorAt(1, rgb(palette.glow, 0));
        painter.setBrush(glow);
        painter.drawEllipse(QPointF(0, 0), W / 2, W / 2);
        painter.restore();
    }

    // 4. The sun's path, above the horizon only.
    if (const auto points = belowHorizon || !(parts & still) ? std::vector<SkyPoint>() : ArcPath::points(arc, geometry);
        !points.empty()) {
        QPainterPath path(QPointF(points[0].x, points[0].y));
        for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i].x, points[i].y);
        painter.save();
        painter.setClipRect(QRectF(0, 0, W, h));
        QPen pen(QColor::fromRgbF(1, 1, 1, 0.4f), 1, Qt::CustomDashLine, Qt::RoundCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        pen.setDashPattern({1.5, 3.5});  // in line widths, which are 1 here
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.restore();
    }

    // 5. Sun; 6. Moon. The sea drawn next hides what lies below the horizon.
    const double sunY = geometry.y(sun.elevation);
    if (drawsSun() && !belowHorizon && (parts & still)) SunDisk{palette.sun, 7}.draw(painter, sunX, sunY);
    if (moon && !belowHorizon && (parts & still))
        MoonDisk{*moon, palette.stars, moonHovered, moonHoverAmount}.draw(painter);

    // 7. Sea.
    if (parts & still) {
        QLinearGradient sea(QPointF(0, h), QPointF(0, T));
        sea.setColorAt(0, rgb(seaTop()));
        sea.setColorAt(1, rgb(palette.ground));
        painter.fillRect(QRectF(0, h, W, S), sea);
    }

    // 8. Sun glade: a soft ellipse 12 wide under the sun, blurred with radius 4, kept to the
    // sea. The blurred silhouette depends on the sea's height only and is kept; each drawing
    // colours it with the glade's gradient (the gradient barely changes across the blur).
    if (const auto k = sunGlade(); k && (parts & still)) {
        struct Cached {
            double height = -1, ratio = 0;
            kit::PaintKit::ShadowMask mask;
        };
        static Cached blurred;
        const double ratio = kit::PaintKit::maskRatio(painter);
        if (blurred.height != S || blurred.ratio != ratio)
            blurred = {S, ratio,
                       kit::PaintKit::shadowMask(kit::PaintKit::circle(QRectF(-6, 0, 12, 1.4 * S)), 4, ratio)};
        if (!blurred.mask.isNull()) {
            QImage coloured = blurred.mask.image;
            {
                QPainter tint(&coloured);
                tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                QLinearGradient fill(-blurred.mask.topLeft, -blurred.mask.topLeft + QPointF(0, 1.4 * S));
                fill.setColorAt(0, rgb(palette.sun, 0.45 * *k));
                fill.setColorAt(0.5, rgb(palette.glow, 0.12 * *k));
                fill.setColorAt(1, rgb(palette.glow, 0));
                tint.fillRect(QRectF(QPointF(0, 0), QSizeF(coloured.size()) / ratio), fill);
            }
            painter.save();
            painter.setClipRect(QRectF(0, h, W, S), Qt::IntersectClip);
            painter.drawImage(QPointF(sunX, h) + blurred.mask.topLeft, coloured);
            painter.restore();
        }
    }

    // 9. Moon glade.
    if (const auto strength = moonGlade(); strength && (parts & glade)) {
        painter.save();
        painter.translate(0, h);
        painter.setClipRect(QRectF(0, 0, W, S));
        MoonGlade{moon->point.x, *strength, twinkle}.draw(painter, W, S, date);
        painter.restore();
    }

    // 10. Horizon line; 11. the marks of sunrise and sunset.
    if (belowHorizon || !(parts & top)) {
        painter.restore();
        return;
    }
    painter.fillRect(QRectF(0, h, W, 0.5), QColor::fromRgbF(1, 1, 1, 0.22f));
    painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.55f));
    for (double x : marks) painter.drawRoundedRect(QRectF(x - 0.75, h - 3, 1.5, 6), 0.75, 0.75);
    painter.restore();
}

}  // namespace orvane
