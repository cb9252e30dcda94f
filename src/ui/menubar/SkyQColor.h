#pragma once
// The sky's plain colours as Qt colours for the painters; channels outside 0...1 are held to it.
#include <algorithm>

#include <QColor>

#include "ui/menubar/SkyPoint.h"

namespace orvane {

inline QColor rgb(const SkyColor& c, double alpha = 1) {
    return QColor::fromRgbF(
        static_cast<float>(std::clamp(c.r, 0.0, 1.0)), static_cast<float>(std::clamp(c.g, 0.0, 1.0)),
        static_cast<float>(std::clamp(c.b, 0.0, 1.0)), static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
}

}  // namespace orvane
