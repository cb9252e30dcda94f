#include "ui/kit/Panel.h"

#include <algorithm>

#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include "platform/linux/X11Probe.h"
#include "platform/wayland/WaylandSession.h"
#include "ui/kit/PaintKit.h"

namespace orvane::kit {

QPainterPath panelShape(const QSizeF& size) {
    return PaintKit::roundedRect(QRectF(QPointF(0, 0), size), panelCornerRadius);
}

void paintPanel(QPainter& painter, const QSizeF& size, Appearance appearance, double pixelRatio) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(panelShape(size), windowColor(appearance));
    const double line = 1.0 / std::max(1.0, pixelRatio);
    painter.setPen(QPen(separatorColor(appearance), line));
    painter.setBrush(Qt::NoBrush);
    const QRectF box = QRectF(QPointF(0, 0), size).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    painter.drawPath(PaintKit::roundedRect(box, panelCornerRadius - line / 2));
    painter.restore();
}

bool compositingManagerRunning() {
    // The session says where the windows live, as it does for the rest of the program: a
    // Wayland compositor blends every window, XWayland's too. On X it is the server's
    // compositing manager, asked only where the toolkit's windows are X windows.
    if (platform::waylandsys::isWaylandSession()) return true;
    if (!windowsAreX11()) return false;
    const auto compositor = platform::linuxsys::sessionCompositorWatch();
    return compositor && compositor->running();
}

bool windowsAreX11() { return qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>(); }

void shapeAsPanel(QWidget& window, bool compositing) {
    window.setAttribute(Qt::WA_TranslucentBackground, compositing);
    if (compositing) window.clearMask();
    else window.setMask(QRegion(panelShape(QSizeF(window.size())).toFillPolygon().toPolygon()));
}

}  // namespace orvane::kit
