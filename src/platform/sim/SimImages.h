#pragma once
// What the simulated screens show: the composed windows (what a screenshot sees) and the
// scan-out through each display's colour matrix and gamma table (what the user sees).
#include "platform/Geometry.h"
#include "platform/Screenshots.h"
#include "platform/sim/SimState.h"

namespace orvane::platform::sim {

struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

// The colours of the simulated screen.
inline constexpr Rgb desktopColor{0.5, 0.5, 0.5};
inline constexpr Rgb menuBarColor{0.93, 0.93, 0.93};
inline constexpr double menuBarHeight = 30;

// What the windows show at a global point (bottom-left origin): the desktop, the menu-bar
// strip, then every visible, capturable window of a live owner, blended source-over in
// encoded sRGB. Black outside every display.
Rgb screenColor(const SimState& state, Point global);
// What the display shows the user there: the screen colour through the display's
// colour matrix, then its gamma table.
Rgb scanOutColor(const SimState& state, Point global);
// `rect` in top-left-origin points; `scale` pixels per point.
Image renderImage(const SimState& state, const Rect& rect, double scale, bool scanOut);

}  // namespace orvane::platform::sim
