#pragma once
// The moon at its phase (halo, earthshine, the lit part with its maria) and its glade of
// glints on the sea.
#include <array>
#include <optional>
#include <vector>

#include "core/Date.h"
#include "ui/menubar/SkyGeometry.h"
#include "ui/menubar/SkyPoint.h"

class QPainter;

namespace orvane {

struct MoonDisk {
    MoonSpot spot;
    double night = 0;  // the palette's star visibility
    bool hovered = false;
    // How far the hover has sprung in, 0…1; absent: all the way when hovered.
    std::optional<double> hoverAmount;

    static constexpr double radius = 7;
    static constexpr SkyColor coolWhite{0.98, 0.96, 0.90};
    static constexpr SkyColor warm{1.0, 0.80, 0.58};
    static constexpr SkyColor grey{0.72, 0.70, 0.68};
    static constexpr SkyColor earthshine{0.62, 0.68, 0.80};
    static constexpr SkyColor maria{0.38, 0.36, 0.36};

    // 1 at or below the horizon, 0 from 12° up.
    static double lowness(double elevation);
    // The cool white moved towards the warm colour by 0.75 × lowness.
    static SkyColor tint(double elevation);
    // Halo and shadow strength.
    double hover() const { return hoverAmount ? *hoverAmount : hovered ? 1.0 : 0.0; }
    double glow() const { return (1 + 0.4 * hover()) * spot.illumination * night; }
    double scale() const { return 1 + 0.12 * hover(); }
    double litOpacity() const { return 0.6 + 0.4 * night; }

    // Centred on the spot's point.
    void draw(QPainter& painter) const;
};

namespace MoonLit {
// The lit region of the disc (cx, cy, r), lit limb on the right: the right half-circle from
// top to bottom in `arcSteps` steps, then back along the terminator's 24 points.
std::vector<SkyPoint> outline(double cx, double cy, double r, double illumination, int arcSteps = 48);
}  // namespace MoonLit

namespace Maria {
struct Patch {
    double x0, y0, w, h;
};
// Rectangles of the seven ellipses, in units of the radius from the centre.
inline constexpr std::array<Patch, 7> patches{{
    {-0.53, -0.58, 0.46, 0.40},
    {-0.03, -0.46, 0.30, 0.28},
    {0.10, -0.17, 0.36, 0.30},
    {0.50, -0.31, 0.20, 0.18},
    {-0.77, -0.29, 0.38, 0.62},
    {-0.27, 0.28, 0.30, 0.24},
    {0.35, 0.17, 0.22, 0.26},
}};
}  // namespace Maria

struct Glint {
    double depth = 0;
    double spread = 0;
    double offset = 0;
    double x = 0, y = 0;  // top-left of the dash
    double length = 0;
    double opacity = 0;
    bool visible = false;  // above the skip threshold
};

struct MoonGlade {
    double x = 0;
    double strength = 0;
    bool twinkle = false;

    static constexpr int count = 44;
    static constexpr unsigned seed = 0x600D;

    // Every one of the 44 glints, the skipped ones marked invisible.
    std::vector<Glint> glints(double height, std::optional<Date> date) const;
    void draw(QPainter& painter, double width, double height, Date date) const;
};

}  // namespace orvane
