#pragma once
// The few colours, fonts and symbols the evening controls draw with, resolved for the
// widget's appearance.
#include <string>

#include <QColor>
#include <QFont>

class QPainter;
class QRectF;
class QWidget;

namespace orvane::EveningLook {

struct Colors {
    QColor primary, secondary, tertiary;
    QColor ember, emberText;
    QColor glass, glassPressed, hairline;
    bool dark = false;
};
Colors colors(const QWidget& widget);

struct Fonts {
    QFont caption, captionMedium, captionSemibold, subheadline, time;
};
Fonts fonts(const QFont& base);

// A named symbol in `box`; unknown names draw a small dot.
void drawSymbol(QPainter& painter, const std::string& name, const QRectF& box, const QColor& color);
// The swatch colour of an intensity's kelvin.
QColor swatch(std::int64_t kelvin, bool dark);

}  // namespace orvane::EveningLook
