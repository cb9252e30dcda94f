#pragma once
// Plain points and colours for the sky card's rules, so they can be tested without Qt.
#include "core/Sky.h"

namespace orvane {

struct SkyPoint {
    double x = 0;
    double y = 0;
    bool operator==(const SkyPoint&) const = default;
};

using SkyColor = SkyPalette::RGB;

// Channel by channel a + t × (b − a), opaque; t is not clamped.
constexpr SkyColor mix(const SkyColor& a, const SkyColor& b, double t) {
    return {a.r + t * (b.r - a.r), a.g + t * (b.g - a.g), a.b + t * (b.b - a.b)};
}

// Seconds since 2001-01-01 00:00 UTC, the clock the twinkles run on.
constexpr double referenceSeconds(double secondsSince1970) { return secondsSince1970 - 978307200.0; }

}  // namespace orvane
