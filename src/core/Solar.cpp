#include "core/Solar.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr double pi = 3.141592653589793;
constexpr double rad(double degrees) { return degrees * pi / 180.0; }
constexpr double deg(double radians) { return radians * 180.0 / pi; }

// Beyond this the calendar's year range ends; such a date stands in for its own midnight.
bool calendarCanForm(Date date) {
    return std::isfinite(date.secondsSince1970) && std::abs(date.secondsSince1970) < 1e11;
}

// 00:00 UTC of the calendar day that `on` falls on in `zone`.
Date utcMidnightOfLocalDay(Date on, const TimeZone& zone) {
    if (!calendarCanForm(on)) return on;
    const DateComponents local = Calendar(zone).components(on);
    return Calendar(TimeZone::utc()).date(local.year, local.month, local.day);
}

}  // namespace

namespace Solar {

SolarParameters solarParameters(double julianDay) {
    const double t = (julianDay - 2451545.0) / 36525.0;
    const double l0 = std::fmod(280.46646 + t * (36000.76983 + 0.0003032 * t), 360.0);
    const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double c = std::sin(rad(m)) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                     std::sin(rad(2 * m)) * (0.019993 - 0.000101 * t) + std::sin(rad(3 * m)) * 0.000289;
    const double trueLongitude = l0 + c;
    const double omega = 125.04 - 1934.136 * t;
    const double lambda = trueLongitude - 0.00569 - 0.00478 * std::sin(rad(omega));
    const double epsilon0 = 23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - 0.001813 * t))) / 60.0) / 60.0;
    const double epsilon = epsilon0 + 0.00256 * std::cos(rad(omega));

    const double declination = deg(std::asin(std::sin(rad(epsilon)) * std::sin(rad(lambda))));
    const double y = std::pow(std::tan(rad(epsilon / 2)), 2);
    const double eq = y * std::sin(2 * rad(l0)) - 2 * e * std::sin(rad(m)) +
                      4 * e * y * std::sin(rad(m)) * std::cos(2 * rad(l0)) - 0.5 * y * y * std::sin(4 * rad(l0)) -
                      1.25 * e * e * std::sin(2 * rad(m));
    return {declination, 4 * deg(eq), lambda};
}

std::optional<double> hourAngle(double latitude, double declination, double zenith) {
    const double x = std::cos(rad(zenith)) / (std::cos(rad(latitude)) * std::cos(rad(declination))) -
                     std::tan(rad(latitude)) * std::tan(rad(declination));
    if (std::isnan(x) || std::abs(x) > 1) return std::nullopt;
    return deg(std::acos(x));
}

SunTimes times(Date on, double latitude, double longitude, const TimeZone& timeZone) {
    const Date midnight = utcMidnightOfLocalDay(on, timeZone);
    const SolarParameters p = solarParameters(julianDay(midnight + 43200));

    SunTimes result;
    result.solarNoon = midnight + (720 - 4 * longitude - p.equationOfTime) * 60;
    const auto pair = [&](double zenith, std::optional<Date>& morning, std::optional<Date>& evening) {
        if (const auto h = hourAngle(latitude, p.declination, zenith)) {
            morning = result.solarNoon - 4 * *h * 60;
            evening = result.solarNoon + 4 * *h * 60;
        }
    };
    pair(sunriseZenith, result.sunrise, result.sunset);
    pair(civilZenith, result.civilDawn, result.civilDusk);
    pair(nauticalZenith, result.nauticalDawn, result.nauticalDusk);
    return result;
}

SunPosition position(Date at, double latitude, double longitude) {
    const double t = at.secondsSince1970;
    const SolarParameters p = solarParameters(julianDay(at));
    const double tst = std::fmod(4 * longitude + p.equationOfTime + std::fmod(t, 86400.0) / 60.0, 1440.0);
    double ha = tst / 4 - 180;
    if (ha < -180) ha += 360;

    const double cosZenith = std::clamp(std::sin(rad(latitude)) * std::sin(rad(p.declination)) +
                                            std::cos(rad(latitude)) * std::cos(rad(p.declination)) * std::cos(rad(ha)),
                                        -1.0, 1.0);
    double elevation = 90 - deg(std::acos(cosZenith));
    if (elevation > -1) elevation += 1.02 / std::tan(rad(elevation + 10.3 / (elevation + 5.11))) / 60;

    const double azimuth =
        std::fmod(deg(std::atan2(std::sin(rad(ha)), std::cos(rad(ha)) * std::sin(rad(latitude)) -
                                                        std::tan(rad(p.declination)) * std::cos(rad(latitude)))) +
                      180,
                  360.0);
    return {elevation, azimuth};
}

}  // namespace Solar
}  // namespace orvane
