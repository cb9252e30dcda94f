#include "ui/settings/EveningLook.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace orvane::EveningLook {

Colors colors(const QWidget& widget) {
    Colors c;
    c.dark = widget.palette().color(QPalette::Window).lightnessF() < 0.5;
    const auto rgb = [](double r, double g, double b, double a = 1) {
        return QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), static_cast<float>(a));
    };
    if (c.dark) {
        c.primary = rgb(1, 1, 1, 0.92);
        c.secondary = rgb(1, 1, 1, 0.62);
        c.tertiary = rgb(1, 1, 1, 0.38);
        c.ember = rgb(0.98, 0.52, 0.27);
        c.emberText = rgb(1.00, 0.68, 0.45);
        c.glass = rgb(1, 1, 1, 0.12);
        c.glassPressed = rgb(1, 1, 1, 0.2);
        c.hairline = rgb(1, 1, 1, 0.18);
    } else {
        c.primary = rgb(0, 0, 0, 0.85);
        c.secondary = rgb(0, 0, 0, 0.55);
        c.tertiary = rgb(0, 0, 0, 0.3);
        c.ember = rgb(0.80, 0.33, 0.15);
        c.emberText = rgb(0.66, 0.24, 0.10);
        c.glass = rgb(1, 1, 1, 0.62);
        c.glassPressed = rgb(1, 1, 1, 0.45);
        c.hairline = rgb(0, 0, 0, 0.12);
    }
    return c;
}

Fonts fonts(const QFont& base) {
    Fonts f;
    f.caption = base;
    f.caption.setPixelSize(10);
    f.captionMedium = f.caption;
    f.captionMedium.setWeight(QFont::Medium);
    f.captionSemibold = f.caption;
    f.captionSemibold.setWeight(QFont::DemiBold);
    f.subheadline = base;
    f.subheadline.setPixelSize(11);
    f.time = f.subheadline;
    f.time.setWeight(QFont::DemiBold);
    return f;
}

void drawSymbol(QPainter& painter, const std::string& name, const QRectF& box, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    if (name == "bed.double.fill") {
        // Headboard, mattress with two pillows, two legs.
        const double x = box.x(), y = box.y(), w = box.width(), h = box.height();
        QPainterPath bed;
        bed.addRoundedRect(QRectF(x, y + 0.15 * h, 0.12 * w, 0.75 * h), 0.5, 0.5);
        bed.addRoundedRect(QRectF(x, y + 0.55 * h, w, 0.22 * h), 0.8, 0.8);
        bed.addRoundedRect(QRectF(x + 0.88 * w, y + 0.45 * h, 0.12 * w, 0.45 * h), 0.5, 0.5);
        bed.addRoundedRect(QRectF(x + 0.17 * w, y + 0.36 * h, 0.3 * w, 0.16 * h), 1, 1);
        bed.addRoundedRect(QRectF(x + 0.52 * w, y + 0.36 * h, 0.3 * w, 0.16 * h), 1, 1);
        painter.drawPath(bed);
    } else {
        painter.drawEllipse(box.center(), box.width() / 4, box.height() / 4);
    }
    painter.restore();
}

QColor swatch(std::int64_t kelvin, bool dark) {
    struct Stop {
        double k, r, g, b;
    };
    const Stop day = dark ? Stop{6500, 0.30, 0.29, 0.28} : Stop{6500, 0.92, 0.91, 0.89};
    const Stop stops[] = {day, {5000, 0.97, 0.90, 0.76}, {3400, 0.96, 0.72, 0.45}, {1900, 0.90, 0.48, 0.25},
                          {1200, 0.80, 0.32, 0.17}, {500, 0.62, 0.15, 0.11}};
    const double k = std::clamp(static_cast<double>(kelvin), 500.0, 6500.0);
    if (k >= 6500) return QColor::fromRgbF(static_cast<float>(day.r), static_cast<float>(day.g), static_cast<float>(day.b));
    for (std::size_t i = 1; i < 6; ++i) {
        if (k < stops[i].k) continue;
        const Stop& u = stops[i - 1];
        const Stop& l = stops[i];
        const double t = (u.k - k) / (u.k - l.k);
        return QColor::fromRgbF(static_cast<float>(u.r + (l.r - u.r) * t), static_cast<float>(u.g + (l.g - u.g) * t),
                                static_cast<float>(u.b + (l.b - u.b) * t));
    }
    return QColor::fromRgbF(0.62f, 0.15f, 0.11f);
}

}  // namespace orvane::EveningLook
