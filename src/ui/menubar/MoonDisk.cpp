#include "ui/menubar/MoonDisk.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>

#include "ui/kit/PaintKit.h"
#include "ui/menubar/SkyQColor.h"
#include "ui/views/SeededGenerator.h"

namespace orvane {

namespace {

QPainterPath polygonPath(const std::vector<SkyPoint>& points) {
    QPainterPath path;
    if (points.empty()) return path;
    path.moveTo(points[0].x, points[0].y);
    for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i].x, points[i].y);
    path.closeSubpath();
    return path;
}

}  // namespace

double MoonDisk::lowness(double elevation) { return std::max(0.0, 1 - std::max(elevation, 0.0) / 12); }

SkyColor MoonDisk::tint(double elevation) { return mix(coolWhite, warm, 0.75 * lowness(elevation)); }

std::vector<SkyPoint> MoonLit::outline(double cx, double cy, double r, double illumination, int arcSteps) {
    const double k = illumination >= 0 ? 2 * std::min(illumination, 1.0) - 1 : -1;
    const double e = k * r;
    std::vector<SkyPoint> points;
    points.reserve(static_cast<std::size_t>(arcSteps) + 25);
    for (int i = 0; i <= arcSteps; ++i) {
        const double a = -std::numbers::pi / 2 + std::numbers::pi * i / arcSteps;
        points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    for (int i = 1; i <= 24; ++i) {
        const double theta = i * std::numbers::pi / 24;
        points.push_back({cx - e * std::sin(theta), cy + r * std::cos(theta)});
    }
    return points;
}

std::vector<Glint> MoonGlade::glints(double height, std::optional<Date> date) const {
    const double t = date ? referenceSeconds(date->secondsSince1970) : 0;
    SeededGenerator g(seed);
    std::vector<Glint> result;
    result.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double u1 = g.next(), u2 = g.next(), u3 = g.next(), u4 = g.next(), u5 = g.next(), u6 = g.next();
        Glint glint;
        glint.depth = std::pow(u1, 1.6);
        glint.spread = 2 + 11 * glint.depth;
        glint.offset = glint.spread * (2 * u2 - 1);
        double a = (1 - std::abs(glint.offset) / (1.6 * glint.spread)) * strength * (0.85 - 0.75 * glint.depth) *
                   (0.4 + 0.6 * u6);
        if (date) a *= std::max(0.0, 0.45 + 0.55 * std::sin(t * (1.2 + 3 * u4) + 2 * std::numbers::pi * u5));
        glint.opacity = std::min(a, 1.0);
        glint.visible = a > 0.015;
        glint.y = 1.5 + 0.38 * height * glint.depth;
        glint.length = 1.5 + (2 + 5 * glint.depth) * u3;
        glint.x = x + glint.offset - glint.length / 2;
        result.push_back(glint);
    }
    return result;
}

void MoonGlade::draw(QPainter& painter, double /*width*/, double height, Date date) const {
    const std::optional<Date> at = twinkle ? std::optional<Date>(date) : std::nullopt;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const Glint& g : glints(height, at)) {
        if (!g.visible) continue;
        painter.setBrush(QColor::fromRgbF(1, 1, 1, static_cast<float>(g.opacity)));
        // 0.9 points tall: the rounded ends of the dash are below a device pixel.
        painter.fillRect(QRectF(g.x, g.y, g.length, 0.9), painter.brush());
    }
    painter.restore();
}

void MoonDisk::draw(QPainter& painter) const {
    const double r = radius;
    const SkyColor c = tint(spot.elevation);
    const double g = glow();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(spot.point.x, spot.point.y);
    painter.scale(scale(), scale());
    painter.setPen(Qt::NoPen);

    // Halo: from 0.9 r to 4.5 r through three evenly spaced colours.
    QRadialGradient halo(QPointF(0, 0), 4.5 * r);
    const double inner = 0.9 / 4.5;
    halo.setColorAt(0, rgb(c, 0.3 * g));
    halo.setColorAt(inner, rgb(c, 0.3 * g));
    halo.setColorAt(inner + (1 - inner) / 2, rgb(c, 0.08 * g));
    halo.setColorAt(1, rgb(c, 0));
    painter.setBrush(halo);
    painter.drawEllipse(QPointF(0, 0), 4.5 * r, 4.5 * r);

    painter.setBrush(rgb(earthshine, 0.14 * night));
    painter.drawEllipse(QPointF(0, 0), r, r);

    // The lit part's mask, turned towards the sun.
    QTransform turn;
    turn.rotateRadians(spot.litAngle);
    const QPainterPath lit = turn.map(polygonPath(MoonLit::outline(0, 0, r, spot.illumination)));

    // The lit part casts a glow of its tint, radius 0.5 r: its blurred silhouette, kept
    // while the phase and the direction of the sun stay (hover frames only scale it). The
    // lit part is drawn at litOpacity, and so is what it casts.
    if (g > 0 && spot.illumination > 0) {
        struct Cached {
            double illumination = -1, angle = 0, ratio = 0;
            kit::PaintKit::ShadowMask mask;
        };
        static Cached cached;
        const double ratio = kit::PaintKit::maskRatio(painter) / scale();
        if (cached.illumination != spot.illumination || cached.angle != spot.litAngle || cached.ratio != ratio)
            cached = {spot.illumination, spot.litAngle, ratio, kit::PaintKit::shadowMask(lit, 0.5 * r, ratio)};
        kit::PaintKit::drawShadowMask(painter, cached.mask, rgb(c, std::min(1.0, 0.5 * g) * litOpacity()));
    }

    painter.save();
    painter.setClipPath(lit);
    painter.setOpacity(painter.opacity() * litOpacity());
    QRadialGradient face(QPointF(-r + 0.4 * 2 * r, -r + 0.38 * 2 * r), 1.3 * r);
    face.setColorAt(0, rgb(c));
    face.setColorAt(1, rgb(mix(c, grey, 0.35)));
    painter.setBrush(face);
    painter.drawEllipse(QPointF(0, 0), r, r);
    QPainterPath patches;
    patches.setFillRule(Qt::WindingFill);
    for (const auto& p : Maria::patches) patches.addEllipse(QRectF(r * p.x0, r * p.y0, r * p.w, r * p.h));
    if (spot.southern) patches = QTransform().rotate(180).map(patches);
    painter.setBrush(rgb(maria, 0.17));
    painter.drawPath(patches);
    painter.restore();
    painter.restore();
}

}  // namespace orvane
