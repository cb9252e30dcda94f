#include "ui/kit/FontBook.h"

namespace orvane::kit::FontBook {

double pointSize(TextStyle style) {
    switch (style) {
        case TextStyle::title2:
            return 17;
        case TextStyle::title3:
            return 15;
        case TextStyle::body:
            return 13;
        case TextStyle::callout:
            return 12;
        case TextStyle::subheadline:
            return 11;
        case TextStyle::caption:
            return 10;
        case TextStyle::caption2:
            return 10;
    }
    return 13;
}

QFont system(double points, QFont::Weight weight) {
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif);
    // A pixel size keeps one point to one layout pixel whatever the screen's DPI.
    font.setPixelSize(qMax(1, qRound(points)));
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont font(TextStyle style, QFont::Weight weight) { return system(pointSize(style), weight); }
QFont monospaced(TextStyle style) {
    QFont font = FontBook::font(style);
    font.setFamily(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    return font;
}
QFont numeral() { return system(44, QFont::DemiBold); }
QFont unit() { return system(20, QFont::Medium); }

}  // namespace orvane::kit::FontBook
