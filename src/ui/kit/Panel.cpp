#include "ui/kit/Panel.h"

#include <algorithm>

#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include "platform/linux/X11Probe.h"
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
    // A Wayland compositor always blends its clients' windows.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) return true;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    const auto compositor = platform::linuxsys::sessionCompositorWatch();
    return compositor && compositor->running();
}

void shapeAsPanel(QWidget& window, bool compositing) {
    window.setAttribute(Qt::WA_TranslucentBackground, compositing);
    if (compositing) window.clearMask();
    else window.setMask(QRegion(panelShape(QSizeF(window.size())).toFillPolygon().toPolygon()));
}

}  // namespace orvane::kit
