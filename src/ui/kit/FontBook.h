#pragma once
// Every font of the kit: DejaVu Sans at the sizes of the text styles. Sizes are in points
// of the layout (logical pixels), so an image at device pixel ratio 2 looks the same on
// every machine, whatever its DPI setting.
#include <QFont>

namespace orvane::kit {

enum class TextStyle { title2, title3, body, callout, subheadline, caption, caption2 };

namespace FontBook {

inline constexpr const char* family = "DejaVu Sans";

double pointSize(TextStyle style);
// The text style's size at a weight.
QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
// Any size, as the system font at a size does.
QFont system(double points, QFont::Weight weight = QFont::Normal);
// DejaVu Sans Mono at a text style's size: key combinations.
QFont monospaced(TextStyle style);
QFont numeral();  // 44 semibold
QFont unit();     // 20 medium

}  // namespace FontBook
}  // namespace orvane::kit
