#pragma once
// Colours of the sky picture for a sun elevation, and the sun's elevation and position
// sampled along a span of time for the sky card's arc.
#include <optional>
#include <vector>

#include "core/Calendar.h"
#include "core/Hash.h"
#include "core/Solar.h"
#include "support/Date.h"

namespace orvane {

struct SkyPalette {
    struct RGB {
        double r = 0, g = 0, b = 0;  // 0..1
        bool operator==(const RGB&) const = default;
    };

    RGB zenith;
    RGB horizon;
    RGB glow;
    double glowStrength = 0;  // opacity 0..1
    RGB sun;
    double stars = 0;  // opacity 0..1
    RGB ground;

    bool operator==(const SkyPalette&) const = default;
};

namespace Sky {

// A NaN elevation gives the night palette.
SkyPalette palette(double elevation);
Date startOfDay(Date date, const TimeZone& timeZone);
// `count` samples from the start of the day, 86400 s apart in total (also on a day with a
// daylight-saving change). A count of 1 gives the start alone; 0 or less nothing.
std::vector<double> dayArc(Date on, double latitude, double longitude, const TimeZone& timeZone, int count);
// `count` samples from `from` to `from + span`, both ends included.
std::vector<double> arc(Date from, TimeInterval span, double latitude, double longitude, int count);
std::vector<SunPosition> path(Date from, TimeInterval span, double latitude, double longitude, int count);
// Where along the sampled azimuths (0 first sample, 1 last) the azimuth is crossed; an end
// within `tolerance` degrees counts when nothing is crossed.
std::optional<double> fraction(double azimuth, const std::vector<double>& along, double tolerance);

}  // namespace Sky
}  // namespace orvane

template <>
struct std::hash<orvane::SkyPalette::RGB> {
    std::size_t operator()(const orvane::SkyPalette::RGB& c) const { return orvane::hashValues(c.r, c.g, c.b); }
};

template <>
struct std::hash<orvane::SkyPalette> {
    std::size_t operator()(const orvane::SkyPalette& p) const {
        return orvane::hashValues(p.zenith, p.horizon, p.glow, p.glowStrength, p.sun, p.stars, p.ground);
    }
};
