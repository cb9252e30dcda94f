#pragma once
// The kit's one source of colours, fonts and brand facts. Every colour that stands for a
// colour temperature comes from warmColor, curveColor or glassTint; no view makes its own.
#include <cstdint>
#include <optional>
#include <string>

#include <QColor>
#include <QFont>

#include "ui/kit/Appearance.h"

namespace orvane::kit {

// An sRGB colour with components in 0...1.
struct Rgb {
    double r = 0, g = 0, b = 0;
    QColor toQColor(double opacity = 1.0) const;
    bool operator==(const Rgb&) const = default;
};

// A colour with a light and a dark variant, resolved when drawn; any appearance that is not
// dark takes the light one.
struct DynamicColor {
    Rgb light;
    Rgb dark;
    double opacity = 1.0;

    static DynamicColor plain(Rgb both) { return {both, both, 1.0}; }
    Rgb rgb(Appearance appearance) const { return isDark(appearance) ? dark : light; }
    QColor resolve(Appearance appearance) const { return rgb(appearance).toQColor(opacity); }
    DynamicColor withOpacity(double o) const { return {light, dark, o}; }
    bool operator==(const DynamicColor&) const = default;
};

namespace Tokens {

DynamicColor ember();
DynamicColor emberText();
DynamicColor warmRed();
DynamicColor emberDeep();  // the same in both appearances
// Label text and symbols on a control filled with ember: 4.5:1 or better in both appearances.
DynamicColor onEmber();

QFont numeralFont();      // 44 semibold
QFont numeralUnitFont();  // 20 medium
QFont titleFont();        // title 3, semibold
QFont labelFont();        // caption, semibold
QFont valueFont();        // subheadline, medium (DejaVu's digits are tabular already)

// A kelvin drawn in its own colour as a legible interface colour.
DynamicColor warmColor(std::int64_t kelvin);
// The warmth curve's colour at a kelvin, its 6500 K end being the given day colour.
Rgb curveStops(std::int64_t kelvin, Rgb day);
inline constexpr Rgb lightDay{0.92, 0.91, 0.89};
inline constexpr Rgb darkDay{0.30, 0.29, 0.28};
// Slider fills, preset icons and swatches, warmth charts.
DynamicColor curveColor(std::int64_t kelvin);
// A glass tint for the current warmth; none at 6500 K and above.
std::optional<DynamicColor> glassTint(std::int64_t kelvin);

// (6500 - K) / 6000: 0 at daylight, 1 at 500 K.
double warmthFraction(std::int64_t kelvin);

}  // namespace Tokens

namespace Brand {

// The project version the program was built with; "dev" when there is none.
std::string version();
std::string versionOr(const std::string& configured);
// The changelog page: https://<host>/changelog/.
const std::string& updatesURL();
std::string updatesURLFor(const std::string& host);

}  // namespace Brand

namespace GlassStyle {

// On only while the screenshot mode renders (kit/OffscreenRender.h). Linux has no blur
// material, so glass draws its offscreen look either way; the switch is kept for callers
// that want to know they render for an image.
bool offscreenRender();

}  // namespace GlassStyle

}  // namespace orvane::kit
