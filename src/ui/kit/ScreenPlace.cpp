#include "ui/kit/ScreenPlace.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace orvane::kit {

QPoint popupOrigin(const QRect& anchor, QSize size, const QRect& available, int gap, int margin) {
    const QRect inner = available.adjusted(margin, margin, -margin, -margin);
    const int roomBelow = inner.bottom() + 1 - (anchor.bottom() + 1 + gap);
    const int roomAbove = anchor.top() - gap - inner.top();
    const bool below = roomBelow >= size.height() || (roomAbove < size.height() && roomBelow >= roomAbove);
    int x = anchor.x() + anchor.width() / 2 - size.width() / 2;
    int y = below ? anchor.bottom() + 1 + gap : anchor.top() - gap - size.height();
    x = std::clamp(x, inner.left(), std::max(inner.left(), inner.right() + 1 - size.width()));
    y = std::clamp(y, inner.top(), std::max(inner.top(), inner.bottom() + 1 - size.height()));
    return {x, y};
}

QRect keptInside(QRect frame, const QRect& available) {
    if (available.isEmpty()) return frame;
    const int x =
        std::clamp(frame.x(), available.left(), std::max(available.left(), available.right() + 1 - frame.width()));
    const int y =
        std::clamp(frame.y(), available.top(), std::max(available.top(), available.bottom() + 1 - frame.height()));
    frame.moveTopLeft(QPoint(x, y));
    return frame;
}

QRect availableAreaAt(QPoint point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void centreInAvailableArea(QWidget& window, QPoint point) {
    const QRect area = availableAreaAt(point);
    if (area.isEmpty()) return;
    // The frame the window manager adds is not known before mapping; the content is placed.
    QRect frame(QPoint(), window.size());
    frame.moveCenter(area.center());
    window.move(keptInside(frame, area).topLeft());
}

}  // namespace orvane::kit
