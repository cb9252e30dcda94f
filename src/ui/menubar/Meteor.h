#pragma once
// One shooting star: whether a popover opening gets one, its random course, and where its
// head, tail and fade are at a moment.
#include <optional>
#include <random>

#include "core/Calendar.h"
#include "core/Date.h"
#include "ui/menubar/SkyPoint.h"

class QPainter;
class QSizeF;

namespace orvane {

struct Meteor {
    Date start;
    SkyPoint from;        // unit coordinates of the star field
    double angle = 0;     // radians, y down
    double length = 0;    // points
    double duration = 0;  // seconds

    bool operator==(const Meteor&) const = default;

    // Unless `always`, a star only with the night's chance (higher during a shower).
    static std::optional<Meteor> maybe(Date at, const TimeZone& timeZone, bool always, std::mt19937_64& random);

    struct Frame {
        double progress = 0;   // p, 0 < p < 1
        double travelled = 0;  // s, points
        SkyPoint head;
        SkyPoint tail;
        double fade = 0;  // 0 at both ends, 1 halfway
    };
    // Absent outside the flight.
    std::optional<Frame> frame(double width, double height, Date now) const;

    void draw(QPainter& painter, const QSizeF& size, Date now) const;
};

}  // namespace orvane
