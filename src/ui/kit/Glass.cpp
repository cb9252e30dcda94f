#include "ui/kit/Glass.h"

#include <QPen>

#include "ui/kit/PaintKit.h"

namespace orvane::kit {

GlassLayers glassLayers(Appearance appearance, std::optional<QColor> tint) {
    const bool dark = isDark(appearance);
    return {QColor::fromRgbF(1, 1, 1, dark ? 0.085f : 0.75f), tint,
            dark ? QColor::fromRgbF(1, 1, 1, 0.13f) : QColor::fromRgbF(0, 0, 0, 0.08f)};
}

void glassSurface(QPainter& painter, const QPainterPath& shape, Appearance appearance, std::optional<QColor> tint,
                  bool /*interactive*/) {
    const GlassLayers layers = glassLayers(appearance, tint);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, layers.base);
    if (layers.tint) painter.fillPath(shape, *layers.tint);
    // A 0.5 pt line whose outer edge lies on the shape's edge.
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.setPen(QPen(layers.edge, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.restore();
}

}  // namespace orvane::kit
