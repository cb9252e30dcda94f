#pragma once
// The kit's colours, fonts and symbols as the evening controls use them, resolved for the
// appearance of the widget they draw in.
#include <cstdint>
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
    bool dark = false;
};
Colors colors(const QWidget& widget);

struct Fonts {
    QFont caption, captionMedium, captionSemibold, caption2Bold, subheadline, time;
};
Fonts fonts();

// The swatch colour of an intensity's kelvin.
QColor swatch(std::int64_t kelvin, bool dark);

}  // namespace orvane::EveningLook
