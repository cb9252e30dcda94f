#pragma once
// The overlays' ground: the glass surface over the window colour, so a panel looks solid
// where no compositing manager blends it with what lies below.
#include <QPainter>
#include <QPainterPath>

#include "ui/kit/Appearance.h"
#include "ui/kit/Glass.h"
#include "ui/kit/PaintKit.h"

namespace orvane::hud {

inline void paintPanelSurface(QPainter& painter, const QRectF& rect, double cornerRadius, kit::Appearance appearance) {
    const QPainterPath shape = kit::PaintKit::roundedRect(rect, cornerRadius);
    painter.fillPath(shape, kit::windowColor(appearance));
    kit::glassSurface(painter, shape, appearance);
}

}  // namespace orvane::hud
