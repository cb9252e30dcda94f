#include "ui/settings/EveningLightRing.h"

#include <cmath>
#include <numbers>

#include <QPainter>

#include "ui/settings/EveningLook.h"
#include "ui/settings/EveningRules.h"

namespace orvane {

EveningLightRing::EveningLightRing(double fraction, double lineWidth, QWidget* parent)
    : QWidget(parent), fraction_(fraction), lineWidth_(lineWidth), shown_(EveningRules::ringFraction(fraction)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void EveningLightRing::setFraction(double fraction, platform::Scheduler* scheduler) {
    fraction_ = fraction;
    const double target = EveningRules::ringFraction(fraction);
    if (!scheduler || target == shown_) {
        animation_.cancel();
        shown_ = target;
        update();
        return;
    }
    // Critically damped spring, response 0.6 s: x(t) = (1 + ωt) e^(−ωt).
    const double from = shown_;
    auto elapsed = std::make_shared<double>(0);
    animation_ = scheduler->scheduleRepeating(1.0 / 60, 0, [this, from, target, elapsed] {
        *elapsed += 1.0 / 60;
        const double w = 2 * std::numbers::pi / 0.6, wt = w * *elapsed;
        const double x = (1 + wt) * std::exp(-wt);
        shown_ = target + (from - target) * x;
        if (x < 1e-3) {
            shown_ = target;
            animation_.cancel();
        }
        update();
    });
}

void EveningLightRing::paint(QPainter& painter, const QRectF& box, double fraction, double lineWidth, const QColor& ember) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = box.adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);
    QColor track = ember;
    track.setAlphaF(0.18f);
    painter.setPen(QPen(track, lineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);
    const double f = EveningRules::ringFraction(fraction);
    if (f > 0) {
        painter.setPen(QPen(ember, lineWidth, Qt::SolidLine, Qt::RoundCap));
        // Qt's angles run counter-clockwise from three o'clock in sixteenths of a degree.
        painter.drawArc(circle, 90 * 16, -static_cast<int>(std::lround(f * 360 * 16)));
    }
    painter.restore();
}

void EveningLightRing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, QRectF(rect()), shown_, lineWidth_, EveningLook::colors(*this).ember);
}

}  // namespace orvane
