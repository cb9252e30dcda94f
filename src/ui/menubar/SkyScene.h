#pragma once
// The sky picture: eleven layers from the values the card computes. No state, no input.
#include <optional>
#include <vector>

#include "core/Sky.h"
#include "core/Solar.h"
#include "ui/menubar/Meteor.h"
#include "ui/menubar/SkyGeometry.h"

class QPainter;

namespace orvane {

struct SkyScene {
    SkyPalette palette;
    SunPosition sun;
    double sunX = 0;
    std::vector<double> arc;
    SkyGeometry geometry;
    std::vector<double> marks;
    double extraSea = 44;
    std::optional<MoonSpot> moon;
    bool moonHovered = false;
    std::optional<double> moonHoverAmount;  // the hover's spring, 0…1, while it moves
    bool twinkle = false;
    std::optional<Meteor> meteor;

    double totalHeight() const { return geometry.height + extraSea; }
    double seaHeight() const { return totalHeight() - geometry.horizonY(); }
    // 0 at 1° below the horizon up to the full illumination at 9° above.
    double moonlight() const;
    double starOpacity() const { return (1 - 0.4 * moonlight()) * palette.stars; }
    bool drawsSun() const { return sun.elevation > -1; }
    // The sun glade's strength k, absent outside −3° < elevation < 25°.
    std::optional<double> sunGlade() const;
    // The moon glade's strength, absent when the moon is high, faint or the sky bright.
    std::optional<double> moonGlade() const;
    SkyColor seaTop() const { return mix(palette.horizon, palette.ground, 0.62); }

    // The layers in groups, so the still ones can be kept between twinkle frames: the sky
    // (1), the stars with the meteor (2), the still middle from the glow to the sun glade
    // (3 to 8), the moon glade (9) and the horizon line with the marks (10, 11).
    enum Part : unsigned { sky = 1, stars = 2, still = 4, glade = 8, top = 16, all = 31 };

    // Into (0, 0, width, totalHeight); `date` drives the twinkle and the meteor. `belowHorizon`
    // draws only the layers that reach under the horizon line (glow, sea and glades), for
    // a strip of the sea drawn on its own.
    void draw(QPainter& painter, Date date, bool belowHorizon = false, unsigned parts = all) const;
};

}  // namespace orvane
