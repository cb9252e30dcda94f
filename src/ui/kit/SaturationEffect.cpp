#include "ui/kit/SaturationEffect.h"

#include <QPainter>

#include "ui/kit/PaintKit.h"

namespace orvane::kit {

void SaturationEffect::setLook(double saturation, double opacity) {
    if (saturation == saturation_ && opacity == opacity_) return;
    saturation_ = saturation;
    opacity_ = opacity;
    // Full colour needs no effect at all (and painting through one costs a pixmap).
    setEnabled(saturation_ < 1 || opacity_ < 1);
    update();
}

void SaturationEffect::draw(QPainter* painter) {
    QPoint offset;
    // Logical coordinates keep the device's pixel ratio in the pixmap and out of the offset.
    const QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
    if (source.isNull()) return;
    const QImage image = PaintKit::desaturated(source.toImage(), saturation_);
    painter->save();
    painter->setOpacity(painter->opacity() * opacity_);
    painter->drawImage(offset, image);
    painter->restore();
}

}  // namespace orvane::kit
