#include "core/Sky.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvane {

namespace {

using RGB = SkyPalette::RGB;

struct Stop {
    double elevation;
    RGB zenith, horizon, ground;
};

constexpr std::array<Stop, 8> stops{{
    {-18, {0.016, 0.022, 0.06}, {0.04, 0.05, 0.11}, {0.01, 0.014, 0.03}},
    {-12, {0.03, 0.05, 0.14}, {0.11, 0.11, 0.23}, {0.018, 0.026, 0.052}},
    {-6, {0.09, 0.15, 0.34}, {0.56, 0.36, 0.42}, {0.05, 0.058, 0.105}},
    {-2, {0.18, 0.28, 0.53}, {0.96, 0.5, 0.3}, {0.12, 0.095, 0.135}},
    {1, {0.27, 0.41, 0.67}, {1.0, 0.6, 0.3}, {0.19, 0.15, 0.17}},
    {5, {0.31, 0.51, 0.79}, {1.0, 0.78, 0.5}, {0.15, 0.215, 0.3}},
    {12, {0.27, 0.54, 0.87}, {0.8, 0.86, 0.93}, {0.11, 0.27, 0.41}},
    {35, {0.19, 0.46, 0.88}, {0.7, 0.83, 0.96}, {0.085, 0.29, 0.46}},
}};

RGB mix(const RGB& a, const RGB& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Zenith, horizon and ground colours between the two stops around the elevation.
Stop interpolate(double elevation) {
    if (elevation <= stops.front().elevation) return stops.front();
    if (elevation >= stops.back().elevation) return stops.back();
    const auto upper =
        std::find_if(stops.begin(), stops.end(), [&](const Stop& s) { return s.elevation >= elevation; });
    const auto lower = upper - 1;
    const double t = (elevation - lower->elevation) / (upper->elevation - lower->elevation);
    return {elevation, mix(lower->zenith, upper->zenith, t), mix(lower->horizon, upper->horizon, t),
            mix(lower->ground, upper->ground, t)};
}

std::vector<double> elevations(const std::vector<SunPosition>& positions) {
    std::vector<double> out;
    out.reserve(positions.size());
    for (const auto& p : positions) out.push_back(p.elevation);
    return out;
}

// Signed difference brought into [−180, 180].
double wrapped(double value) {
    double d = std::fmod(value, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

}  // namespace

namespace Sky {

SkyPalette palette(double elevation) {
    const double e = std::isnan(elevation) ? -90.0 : elevation;
    const Stop colours = interpolate(e);

    SkyPalette p;
    p.zenith = colours.zenith;
    p.horizon = colours.horizon;
    p.ground = colours.ground;

    if (e < 0) {
        p.glow = {0.98, 0.38, 0.22};
    } else {
        const double t = std::min(e / 12, 1.0);
        p.glow = {1.0, 0.62 + 0.18 * t, 0.34 + 0.21 * t};
    }
    p.glowStrength = std::max(e < 0 ? 1 + e / 9 : 1 - e / 14, 0.0);

    if (e < 2) {
        p.sun = {1.0, 0.62, 0.34};
    } else if (e < 14) {
        const double t = (e - 2) / 12;
        p.sun = {1.0, 0.62 + 0.18 * t, 0.34 + 0.21 * t};
    } else {
        const double t = std::min((e - 14) / 20, 1.0);
        p.sun = {1.0, 0.8 + 0.18 * t, 0.55 + 0.37 * t};
    }
    p.stars = std::clamp((-5 - e) * 0.125, 0.0, 1.0);
    return p;
}

Date startOfDay(Date date, const TimeZone& timeZone) {
    // Outside the calendar's years the date stands for its own day.
    if (!std::isfinite(date.secondsSince1970) || std::abs(date.secondsSince1970) >= 1e11) return date;
    return Calendar(timeZone).startOfDay(date);
}

std::vector<double> dayArc(Date on, double latitude, double longitude, const TimeZone& timeZone, int count) {
    return arc(startOfDay(on, timeZone), 86400, latitude, longitude, count);
}

std::vector<double> arc(Date from, TimeInterval span, double latitude, double longitude, int count) {
    return elevations(path(from, span, latitude, longitude, count));
}

std::vector<SunPosition> path(Date from, TimeInterval span, double latitude, double longitude, int count) {
    std::vector<SunPosition> samples;
    if (count <= 0) return samples;
    samples.reserve(static_cast<std::size_t>(count));
    if (count == 1) {
        samples.push_back(Solar::position(from, latitude, longitude));
        return samples;
    }
    for (int i = 0; i < count; ++i)
        samples.push_back(Solar::position(from + span * i / (count - 1), latitude, longitude));
    return samples;
}

std::optional<double> fraction(double azimuth, const std::vector<double>& along, double tolerance) {
    const std::size_t n = along.size();
    if (n < 2) return std::nullopt;
    const double last = static_cast<double>(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double d0 = wrapped(along[i] - azimuth);
        const double d1 = wrapped(along[i + 1] - azimuth);
        if (d0 == 0) return static_cast<double>(i) / last;
        // A jump through the opposite direction is not a crossing.
        if ((d0 < 0) != (d1 < 0) && std::abs(d0 - d1) < 180) return (static_cast<double>(i) + d0 / (d0 - d1)) / last;
    }
    const double e0 = std::abs(wrapped(along.front() - azimuth));
    const double e1 = std::abs(wrapped(along.back() - azimuth));
    if (std::min(e0, e1) <= tolerance) return e0 < e1 ? 0.0 : 1.0;
    return std::nullopt;
}

}  // namespace Sky
}  // namespace orvane
