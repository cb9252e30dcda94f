#pragma once
// Checks that a floating window's content paints the popover's panel: clear outside the
// rounded corners, a hairline edge unlike the fill, and the window colour inside.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QWidget>

#include "ui/kit/Panel.h"
#include "ui/kit/RenderHarness.h"

namespace orvane::testing {

inline void expectPanelLook(QWidget& content, kit::Appearance appearance, const char* what) {
    SCOPED_TRACE(what);
    kit::RenderHarness::render(content, appearance, content.size());  // laid out and settled
    const double ratio = kit::RenderHarness::devicePixelRatio;
    QImage image(content.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        content.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    const int w = image.width(), h = image.height();
    // Without a compositing manager the window is cut to the shape; with one the corners
    // are left clear.
    const QRegion mask = content.window()->mask();
    for (const QPoint corner : {QPoint(1, 1), QPoint(w - 2, 1), QPoint(1, h - 2), QPoint(w - 2, h - 2)}) {
        if (!mask.isEmpty())
            EXPECT_FALSE(mask.contains(content.mapTo(content.window(), corner / ratio))) << "masked corner";
        else EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << "a rounded corner at " << corner.x() << ", " << corner.y();
    }
    const QColor fill = kit::windowColor(appearance);
    // One device pixel in from each straight side: the edge, not the fill.
    for (const QPoint edge : {QPoint(w / 2, 0), QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, h - 1)}) {
        const QColor c = image.pixelColor(edge);
        EXPECT_EQ(c.alpha(), 255) << "edge at " << edge.x() << ", " << edge.y();
        EXPECT_GT(
            std::abs(c.red() - fill.red()) + std::abs(c.green() - fill.green()) + std::abs(c.blue() - fill.blue()), 6)
            << "edge at " << edge.x() << ", " << edge.y();
    }
    const QColor inside = image.pixelColor(2 * static_cast<int>(kit::panelCornerRadius), 3);
    EXPECT_EQ(inside.rgb(), fill.rgb()) << "the window colour inside the edge";
}

}  // namespace orvane::testing
