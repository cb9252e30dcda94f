#pragma once
// The popover's panel for other floating windows (the method check, the place chooser): a
// rounded shape in the window colour with a hairline edge. The content paints the panel;
// the window around it is see-through where a compositing manager blends the corners away,
// and cut to the shape with a mask where none does (an ARGB window would show them black).
#include <functional>

#include <QPainterPath>
#include <QSizeF>

#include "ui/kit/Appearance.h"

class QPainter;
class QWidget;

namespace orvane::kit {

constexpr double panelCornerRadius = 12;

QPainterPath panelShape(const QSizeF& size);

// Fills the panel and draws its edge, `pixelRatio` device pixels to the point (the edge is
// one device pixel).
void paintPanel(QPainter& painter, const QSizeF& size, Appearance appearance, double pixelRatio);

// Whether windows are blended now: on Wayland always, on X11 with a compositing manager.
bool compositingManagerRunning();

// Whether the toolkit's windows are X windows (an X session, or XWayland), so that X's
// own answers (modifier state, keyboard grabs, window ids) mean something.
bool windowsAreX11();

// Makes the top-level `window` show only the panel's shape: see-through with
// `compositing`, else masked to the shape at its current size. Call again after a resize.
void shapeAsPanel(QWidget& window, bool compositing);

}  // namespace orvane::kit
