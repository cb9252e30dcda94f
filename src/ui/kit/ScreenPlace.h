#pragma once
// Where popups and windows go on a screen: always inside the screen's available area (the
// area less panels and docks), so no part of them opens under a panel or past an edge.
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace orvane::kit {

// The top-left corner for a popup of `size` hanging from `anchor` (both global): below it,
// `gap` away, where it fits in `available`; else above it where that fits; else on the side
// with more room. Either way it is kept `margin` inside `available`, and centred on the
// anchor as far as that allows.
QPoint popupOrigin(const QRect& anchor, QSize size, const QRect& available, int gap = 4, int margin = 8);

// `frame` moved as little as possible to lie inside `available`; a frame larger than the
// area keeps its top-left corner at the area's.
QRect keptInside(QRect frame, const QRect& available);

// The available area of the screen that holds `point` (global), else of the primary screen;
// empty without any screen.
QRect availableAreaAt(QPoint point);

// Centres the top-level `window` on the available area of the screen at `point` and keeps
// it inside that area.
void centreInAvailableArea(QWidget& window, QPoint point);

}  // namespace orvane::kit
