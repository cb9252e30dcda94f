#pragma once
// The moon's place in the sky, lit fraction and age, from a shortened form of the
// ELP-based series (the leading terms only): good to a fraction of a degree, plenty for
// the sky card and the menu-bar moon.
#include <string>

#include "core/Hash.h"
#include "support/Date.h"

namespace orvane {

struct MoonPosition {
    double elevation = 0;     // degrees above the horizon, parallax and refraction included
    double azimuth = 0;       // degrees clockwise from north, 0 ≤ azimuth < 360
    double illumination = 0;  // lit fraction 0..1
    double age = 0;           // fraction of the synodic month, 0 new, 0.5 full, < 1

    bool waxing() const { return age < 0.5; }
    std::string phaseName() const;

    bool operator==(const MoonPosition&) const = default;
};

namespace Lunar {

inline constexpr double synodicMonth = 29.530588;  // days

MoonPosition position(Date at, double latitude, double longitude);

}  // namespace Lunar
}  // namespace orvane

template <>
struct std::hash<orvane::MoonPosition> {
    std::size_t operator()(const orvane::MoonPosition& m) const {
        return orvane::hashValues(m.elevation, m.azimuth, m.illumination, m.age);
    }
};
