#include "ui/menubar/SkyDay.h"

#include <algorithm>
#include <cmath>

namespace orvane {

double SkyWindow::fraction(Date moment) const {
    const double t = moment.timeIntervalSince(start) / span;
    if (!(t >= 0)) return 0;
    return std::min(t, 1.0);
}

Date SkyWindow::moment(double x, double width) const {
    double c = width > 0 ? x / width : 0;
    if (!(c >= 0)) c = 0;
    return start + span * std::min(c, 1.0);
}

SkyWindow SkyWindow::make(const SunTimes& times, Date dayStart, const std::optional<EveningPlan>& plan) {
    if (!times.sunrise || !times.sunset) return {dayStart, 86400};
    const Date start = std::max(*times.sunrise - 7200, dayStart);
    const double b = plan ? static_cast<double>(plan->bedtime.minutes) * 60 : 82800;
    Date bed = dayStart + b;
    if (bed < *times.sunset) bed += 86400;
    const Date end = std::max(bed + 3600, *times.sunset + 14400);
    return {start, std::min(end - start, 86400.0)};
}

SkyDay SkyDay::make(const Location& place, const TimeZone& zone, const std::optional<EveningPlan>& plan, Date now,
                    Date shown, double width, double height) {
    SkyDay d;
    d.zone = zone;
    d.times = Solar::times(now, place.latitude, place.longitude, zone);
    const Date dayStart = Calendar(zone).startOfDay(now);
    d.window = SkyWindow::make(d.times, dayStart, plan);
    d.sun = Solar::position(shown, place.latitude, place.longitude);
    d.path = Sky::path(d.window.start, d.window.span, place.latitude, place.longitude, samples);
    d.arc.reserve(d.path.size());
    for (const auto& p : d.path) d.arc.push_back(p.elevation);
    d.moon = Lunar::position(shown, place.latitude, place.longitude);

    d.peak = d.arc.empty() ? 30 : *std::max_element(d.arc.begin(), d.arc.end());
    d.peak = std::max(d.peak, 12.0);
    d.geometry = SkyGeometry{width, height - extraSea, 0.5, d.peak, d.window.start, d.window.span};
    d.sunX = width * d.window.fraction(shown);
    d.sunY = d.geometry.y(d.sun.elevation);

    if (d.moon.elevation > -1) {
        std::vector<double> azimuths;
        azimuths.reserve(d.path.size());
        for (const auto& p : d.path) azimuths.push_back(p.azimuth);
        if (const auto f = Sky::fraction(d.moon.azimuth, azimuths, 60)) {
            MoonSpot spot;
            spot.point.x = std::clamp(width * *f, 18.0, std::max(18.0, width - 18));
            spot.point.y = d.geometry.moonY(d.moon.elevation);
            spot.litAngle = std::atan2(d.sunY - spot.point.y, d.sunX - spot.point.x);
            spot.illumination = d.moon.illumination;
            spot.elevation = d.moon.elevation;
            spot.southern = place.latitude < 0;
            d.moonSpot = spot;
        }
    }
    d.palette = Sky::palette(d.sun.elevation);
    for (const auto& event : {d.times.sunrise, d.times.sunset})
        if (event) d.marks.push_back(width * d.window.fraction(*event));
    return d;
}

bool SkyCard::nearMoon(const std::optional<MoonSpot>& spot, double x, double y) {
    return spot && std::hypot(x - spot->point.x, y - spot->point.y) < 16;
}

}  // namespace orvane
