#pragma once
// The glass look behind cards, buttons and notices. Linux has no blur material, so the
// surface is always the offscreen look: a white base, an optional tint and a hairline
// inside the edge.
#include <optional>

#include <QColor>
#include <QPainter>
#include <QPainterPath>

#include "ui/kit/Appearance.h"

namespace orvane::kit {

struct GlassLayers {
    QColor base;                 // white at 0.75 (light) or 0.085 (dark)
    std::optional<QColor> tint;  // laid over the base unchanged
    QColor edge;                 // 0.5 pt hairline inside the shape
};

GlassLayers glassLayers(Appearance appearance, std::optional<QColor> tint);

// Paints the three layers into the shape. `interactive` has no look of its own here; it is
// kept so callers state what the surface is for.
void glassSurface(QPainter& painter, const QPainterPath& shape, Appearance appearance,
                  std::optional<QColor> tint = std::nullopt, bool interactive = false);

// Neighbouring glass shapes blend only with a platform glass effect; without one, grouping
// changes nothing.
inline void glassGroup(double /*spacing*/) {}

}  // namespace orvane::kit
