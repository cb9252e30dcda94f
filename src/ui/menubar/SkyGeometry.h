#pragma once
// Altitude to height in the sky picture: one mapping for the sun, the moon and the path,
// so the three always agree.
#include <vector>

#include "core/Date.h"
#include "ui/menubar/SkyPoint.h"

namespace orvane {

struct SkyGeometry {
    double width = 0;
    double height = 0;  // without the extra sea
    double horizonFraction = 0.5;
    double peak = 30;  // degrees drawn at the 62-point line
    Date start;        // the card's time window, carried for the card
    double span = 86400;

    static constexpr double topMargin = 62;

    double horizonY() const { return height * horizonFraction; }
    double y(double altitude) const;
    // Like y() up to the peak; above it the moon rises at most 8 points further.
    double moonY(double altitude) const;
};

struct MoonSpot {
    SkyPoint point;
    double litAngle = 0;  // radians, y down, towards the sun
    double illumination = 0;
    double elevation = 0;
    bool southern = false;
    bool operator==(const MoonSpot&) const = default;
};

namespace ArcPath {
// The polyline of the sun's path across the full width. Fewer than two samples have no
// spacing to speak of and give no points.
std::vector<SkyPoint> points(const std::vector<double>& arc, const SkyGeometry& geometry);
}  // namespace ArcPath

}  // namespace orvane
