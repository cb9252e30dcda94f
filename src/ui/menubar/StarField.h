#pragma once
// The 56 stars, regenerated from fixed seeds on every drawing so they keep their places
// without storage; their twinkle is a function of the time of drawing alone.
#include <optional>
#include <vector>

#include "core/Date.h"
#include "ui/menubar/Meteor.h"

class QPainter;
class QSizeF;

namespace orvane {

struct Star {
    double x = 0, y = 0;  // top-left corner of its square
    double diameter = 0;
    double opacity = 0;
};

struct StarField {
    double opacity = 1;
    bool twinkle = false;
    std::optional<Meteor> meteor;

    static constexpr int count = 56;
    static constexpr unsigned placementSeed = 0x5EED;
    static constexpr unsigned twinkleSeed = 0x7A1E;

    // Without a date the stars stand still at their untwinkled brightness.
    static std::vector<Star> stars(double width, double height, std::optional<Date> date);
    // The meteor shows only while animated and with the field bright enough.
    bool drawsMeteor(std::optional<Date> date) const { return meteor && date && opacity > 0.5; }

    // `date` is the frame's moment when twinkling, else ignored.
    void draw(QPainter& painter, const QSizeF& size, Date date) const;
};

// The sun with its glow, `radius` the disc's radius; centred on `centre`.
struct SunDisk {
    SkyColor color;
    double radius = 7;
    void draw(QPainter& painter, double cx, double cy) const;
};

}  // namespace orvane
