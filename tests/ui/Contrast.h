#pragma once
// WCAG contrast of drawn colours, for the tests that judge legibility on pixels.
#include <algorithm>
#include <cmath>

#include <QColor>

namespace orvane::testing {

// Relative luminance of an sRGB colour (its alpha is not looked at).
inline double luminance(const QColor& c) {
    const auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// From 1 (the same) to 21 (black on white).
inline double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace orvane::testing
