#include "ui/views/EveningLightRing.h"

#include <cmath>

#include <QPainter>

#include "ui/kit/Context.h"
#include "ui/views/EveningLook.h"
#include "ui/views/EveningRules.h"

namespace orvane {

EveningLightRing::EveningLightRing(double fraction, double lineWidth, QWidget* parent)
    : QWidget(parent), fraction_(fraction), lineWidth_(lineWidth), shown_(EveningRules::ringFraction(fraction)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    shown_.setOnChange([this] { update(); });
}

void EveningLightRing::setFraction(double fraction) {
    fraction_ = fraction;
    kit::contextOf(this).animator->animate(shown_, EveningRules::ringFraction(fraction), kit::Spring{0.6, 1.0});
}

void EveningLightRing::paint(QPainter& painter, const QRectF& box, double fraction, double lineWidth,
                             const QColor& ember) {
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
    paint(p, QRectF(rect()), shown_.value(), lineWidth_, EveningLook::colors(*this).ember);
}

}  // namespace orvane
