#include "ui/menubar/StarField.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include <QImage>
#include <QPainter>
#include <QRadialGradient>
#include <QSizeF>

#include "ui/kit/PaintKit.h"
#include "ui/menubar/SkyQColor.h"
#include "ui/views/SeededGenerator.h"

namespace orvane {

std::vector<Star> StarField::stars(double width, double height, std::optional<Date> date) {
    const double t = date ? referenceSeconds(date->secondsSince1970) : 0;
    SeededGenerator placement(placementSeed);
    SeededGenerator twinkle(twinkleSeed);
    std::vector<Star> result;
    result.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double u1 = placement.next(), u2 = placement.next(), u3 = placement.next(), u4 = placement.next();
        const double w1 = twinkle.next(), w2 = twinkle.next(), w3 = twinkle.next();
        Star s;
        s.x = width * u1;
        s.y = height * 0.92 * u2;
        s.diameter = 2 * (0.4 + 0.8 * u3);
        double a = (0.35 + 0.65 * u4) * (1 - 0.6 * s.y / height);
        if (date)
            a = std::min(a * (1 + (0.12 + 0.4 * w3) * std::sin(t * (0.6 + 1.9 * w1) + 2 * std::numbers::pi * w2)), 1.0);
        s.opacity = a;
        result.push_back(s);
    }
    return result;
}

namespace {
// One antialiased white disc, scaled down to each star: far cheaper per frame than turning
// 56 ellipses into paths.
const QImage& starSprite() {
    static const QImage sprite = [] {
        QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(0, 0, 32, 32));
        return image;
    }();
    return sprite;
}
}  // namespace

void StarField::draw(QPainter& painter, const QSizeF& size, Date date) const {
    if (opacity <= 0) return;
    const std::optional<Date> at = twinkle ? std::optional<Date>(date) : std::nullopt;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double field = painter.opacity() * std::min(opacity, 1.0);
    for (const Star& s : stars(size.width(), size.height(), at)) {
        painter.setOpacity(field * std::clamp(s.opacity, 0.0, 1.0));
        painter.drawImage(QRectF(s.x, s.y, s.diameter, s.diameter), starSprite());
    }
    painter.setOpacity(field);
    if (drawsMeteor(at)) meteor->draw(painter, size, *at);
    painter.restore();
}

void SunDisk::draw(QPainter& painter, double cx, double cy) const {
    const double r = radius;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Glow: the gradient runs from 0.9 r to 5 r through three evenly spaced colours.
    QRadialGradient glow(QPointF(cx, cy), 5 * r);
    const double inner = 0.9 / 5;
    glow.setColorAt(inner, rgb(color, 0.55));
    glow.setColorAt(inner + (1 - inner) / 2, rgb(color, 0.16));
    glow.setColorAt(1, rgb(color, 0));
    glow.setColorAt(0, rgb(color, 0.55));
    painter.setBrush(glow);
    painter.drawEllipse(QPointF(cx, cy), 5 * r, 5 * r);
    // The disc's shadow in its own colour, radius 0.6 r: the disc's blurred silhouette,
    // made once per size and pixel ratio.
    static std::map<std::pair<double, double>, kit::PaintKit::ShadowMask> masks;
    const double ratio = kit::PaintKit::maskRatio(painter);
    auto it = masks.find({r, ratio});
    if (it == masks.end()) {
        if (masks.size() > 8) masks.clear();
        it = masks
                 .emplace(std::pair(r, ratio), kit::PaintKit::shadowMask(
                                                   kit::PaintKit::circle(QRectF(-r, -r, 2 * r, 2 * r)), 0.6 * r, ratio))
                 .first;
    }
    kit::PaintKit::drawShadowMask(painter, it->second, rgb(color, 0.8), QPointF(cx, cy));
    QRadialGradient disc(QPointF(cx, cy), r);
    disc.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.95f));
    disc.setColorAt(1, rgb(color));
    painter.setBrush(disc);
    painter.drawEllipse(QPointF(cx, cy), r, r);
    painter.restore();
}

}  // namespace orvane
