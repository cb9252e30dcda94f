#include "core/Lunar.h"

#include <algorithm>
#include <cmath>

#include "core/Solar.h"

namespace orvane {

namespace {

constexpr double pi = 3.141592653589793;
constexpr double rad(double degrees) { return degrees * pi / 180.0; }
constexpr double deg(double radians) { return radians * 180.0 / pi; }
double sind(double degrees) { return std::sin(rad(degrees)); }
double cosd(double degrees) { return std::cos(rad(degrees)); }

constexpr double earthRadius = 6378.14;    // km, equatorial
constexpr double sunDistance = 149597870;  // km, held fixed

}  // namespace

std::string MoonPosition::phaseName() const {
    // One day either side of a principal phase still counts as that phase.
    constexpr double w = 1 / Lunar::synodicMonth;
    const auto near = [&](double p) {
        return std::abs(age - p) < w || std::abs(age - p - 1) < w || std::abs(age - p + 1) < w;
    };
    if (near(0)) return "New moon";
    if (near(0.25)) return "First quarter";
    if (near(0.5)) return "Full moon";
    if (near(0.75)) return "Last quarter";
    if (age < 0.25) return "Waxing crescent";
    if (age < 0.5) return "Waxing gibbous";
    if (age < 0.75) return "Waning gibbous";
    return "Waning crescent";
}

namespace Lunar {

MoonPosition position(Date at, double latitude, double longitude) {
    const double jd = Solar::julianDay(at);
    const double t = (jd - 2451545.0) / 36525.0;

    const double d = 297.8501921 + 445267.1114034 * t;
    const double m = 357.5291092 + 35999.0502909 * t;
    const double mp = 134.9633964 + 477198.8675055 * t;
    const double f = 93.2720950 + 483202.0175233 * t;
    const double lp = 218.3164477 + 481267.88123421 * t;

    const double lambda = lp + 6.288774 * sind(mp) + 1.274027 * sind(2 * d - mp) + 0.658314 * sind(2 * d) +
                          0.213618 * sind(2 * mp) - 0.185116 * sind(m) - 0.114332 * sind(2 * f) +
                          0.058793 * sind(2 * d - 2 * mp) + 0.057066 * sind(2 * d - m - mp) +
                          0.053322 * sind(2 * d + mp) + 0.045758 * sind(2 * d - m) - 0.040923 * sind(m - mp) -
                          0.034720 * sind(d) - 0.030383 * sind(m + mp);
    const double beta = 5.128122 * sind(f) + 0.280602 * sind(mp + f) + 0.277693 * sind(mp - f) +
                        0.173237 * sind(2 * d - f) + 0.055413 * sind(2 * d - mp + f) + 0.046271 * sind(2 * d - mp - f) +
                        0.032573 * sind(2 * d + f);
    const double distance = 385000.56 - 20905.355 * cosd(mp) - 3699.111 * cosd(2 * d - mp) - 2955.968 * cosd(2 * d) -
                            569.925 * cosd(2 * mp);

    const double epsilon = 23.4392911 - 0.0130042 * t;
    const double alpha =
        deg(std::atan2(sind(lambda) * cosd(epsilon) - std::tan(rad(beta)) * sind(epsilon), cosd(lambda)));
    const double delta = deg(std::asin(sind(beta) * cosd(epsilon) + cosd(beta) * sind(epsilon) * sind(lambda)));

    const double hourAngle =
        280.46061837 + 360.98564736629 * (jd - 2451545.0) + 0.000387933 * t * t + longitude - alpha;
    const double h = deg(std::asin(
        std::clamp(sind(latitude) * sind(delta) + cosd(latitude) * cosd(delta) * cosd(hourAngle), -1.0, 1.0)));
    const double parallax = deg(std::asin(earthRadius / distance));
    double elevation = h - parallax * cosd(h);
    if (elevation > -1) elevation += 1.02 / std::tan(rad(elevation + 10.3 / (elevation + 5.11))) / 60;

    const double az =
        deg(std::atan2(sind(hourAngle), cosd(hourAngle) * sind(latitude) - std::tan(rad(delta)) * cosd(latitude))) +
        180;
    const double azimuth = std::fmod(std::fmod(az, 360.0) + 360.0, 360.0);

    const double sunLongitude = Solar::solarParameters(jd).apparentLongitude;
    const double psi = deg(std::acos(std::clamp(cosd(beta) * cosd(lambda - sunLongitude), -1.0, 1.0)));
    const double phaseAngle = std::atan2(sunDistance * sind(psi), distance - sunDistance * cosd(psi));
    const double illumination = (1 + std::cos(phaseAngle)) / 2;

    double age = std::fmod(lambda - sunLongitude, 360.0) / 360.0;
    if (age < 0) age += 1;

    return {elevation, azimuth, illumination, age};
}

}  // namespace Lunar
}  // namespace orvane
