#pragma once
// Points and rectangles in global screen points. Unless a name says otherwise the space
// is the one display frames use: origin at the bottom-left corner of the main display,
// y growing upward.
#include <algorithm>

namespace orvane::platform {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return std::min(x, x + width); }
    double maxX() const { return std::max(x, x + width); }
    double minY() const { return std::min(y, y + height); }
    double maxY() const { return std::max(y, y + height); }
    bool isEmpty() const { return width == 0 || height == 0; }
    // Positive width and height, same area.
    Rect standardized() const { return {minX(), minY(), maxX() - minX(), maxY() - minY()}; }
    // Half-open, as the system's containment test: the far edges are outside.
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool intersects(const Rect& o) const {
        return minX() < o.maxX() && o.minX() < maxX() && minY() < o.maxY() && o.minY() < maxY();
    }
    bool operator==(const Rect&) const = default;
};

}  // namespace orvane::platform
