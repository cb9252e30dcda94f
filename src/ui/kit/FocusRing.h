#pragma once
// The ring a kit control draws while it holds the keyboard focus, so Tab shows where it is
// in either appearance. Text fields draw theirs with their surface.
#include <QColor>
#include <QPainterPath>

#include "ui/kit/Appearance.h"

class QPainter;
class QWidget;

namespace orvane::kit {

constexpr double focusRingWidth = 2;

// The accent colour, strong enough to read on the window and on glass in both appearances.
QColor focusRingColour(Appearance appearance);

// Strokes the ring along `centreLine` (half its width falls each side of it).
void paintFocusRing(QPainter& painter, const QPainterPath& centreLine, const QColor& colour);

// Whether `control` shows its ring: it holds the focus and the focus last moved by keyboard
// in its window (Tab, the arrows), as a window's first control takes the focus on its own.
bool showsFocusRing(const QWidget& control);

// Buttons that take the focus from the keyboard only, as the kit's controls do: a click does
// not leave a ring behind.
void takeFocusFromKeyboard(QWidget& control);

}  // namespace orvane::kit
