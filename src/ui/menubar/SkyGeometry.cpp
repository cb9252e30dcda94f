#include "ui/menubar/SkyGeometry.h"

#include <algorithm>
#include <cmath>

namespace orvane {

double SkyGeometry::y(double altitude) const {
    const double h = horizonY();
    if (altitude >= 0) return h - (h - topMargin) * std::pow(altitude / peak, 0.8);
    return h + std::min(altitude / -60.0, 1.0) * (height - h);
}

double SkyGeometry::moonY(double altitude) const {
    if (altitude <= peak) return y(altitude);
    return y(peak) - 8 * std::min((altitude - peak) / std::max(90 - peak, 1.0), 1.0);
}

std::vector<SkyPoint> ArcPath::points(const std::vector<double>& arc, const SkyGeometry& geometry) {
    std::vector<SkyPoint> result;
    const std::size_t n = arc.size();
    if (n < 2) return result;
    result.reserve(n);
    result.push_back({0, geometry.y(arc[0])});
    for (std::size_t i = 1; i < n; ++i)
        result.push_back({geometry.width * static_cast<double>(i) / static_cast<double>(n - 1), geometry.y(arc[i])});
    return result;
}

}  // namespace orvane
