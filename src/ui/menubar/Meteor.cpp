#include "ui/menubar/Meteor.h"

#include <cmath>
#include <limits>
#include <numbers>

#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QSizeF>

#include "core/MeteorShowers.h"

namespace orvane {
namespace {

// Uniform over the closed range, both ends included.
double closed(std::mt19937_64& random, double a, double b) {
    return std::uniform_real_distribution<double>(a,
                                                  std::nextafter(b, std::numeric_limits<double>::infinity()))(random);
}

}  // namespace

std::optional<Meteor> Meteor::maybe(Date at, const TimeZone& timeZone, bool always, std::mt19937_64& random) {
    if (!always) {
        const double r = std::generate_canonical<double, 53>(random);
        if (r >= MeteorShowers::shootingStarChance(at, timeZone)) return std::nullopt;
    }
    Meteor m;
    const double a = closed(random, 0.3, 0.55);
    m.start = at + closed(random, 1.5, 6.0);
    const double fx = closed(random, 0.3, 0.75);
    const double fy = closed(random, 0.44, 0.6);
    m.from = {fx, fy};
    m.angle = (random() & 1) ? std::numbers::pi - a : a;
    m.length = closed(random, 70, 110);
    m.duration = closed(random, 0.6, 0.9);
    return m;
}

std::optional<Meteor::Frame> Meteor::frame(double width, double height, Date now) const {
    const double p = now.timeIntervalSince(start) / duration;
    if (!(p > 0 && p < 1)) return std::nullopt;
    Frame f;
    f.progress = p;
    f.travelled = length * (1 - (1 - p) * (1 - p));
    const double c = std::cos(angle), s = std::sin(angle);
    f.head = {from.x * width + c * f.travelled, from.y * height + s * f.travelled};
    const double tail = std::min(0.45 * length, f.travelled);
    f.tail = {f.head.x - c * tail, f.head.y - s * tail};
    f.fade = std::sin(std::numbers::pi * p);
    return f;
}

void Meteor::draw(QPainter& painter, const QSizeF& size, Date now) const {
    const auto f = frame(size.width(), size.height(), now);
    if (!f) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF head(f->head.x, f->head.y), tail(f->tail.x, f->tail.y);
    QLinearGradient streak(tail, head);
    streak.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0));
    streak.setColorAt(1, QColor::fromRgbF(1, 1, 1, static_cast<float>(0.85 * f->fade)));
    QPen pen(QBrush(streak), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawLine(tail, head);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, static_cast<float>(f->fade)));
    painter.drawEllipse(QRectF(head.x() - 1.1, head.y() - 1.1, 2.2, 2.2));
    painter.restore();
}

}  // namespace orvane
