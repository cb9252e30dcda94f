#pragma once
// Places, moments and keyframes shared by the curve, resolver and manual-hold tests.
#include <string>

#include "core/Calendar.h"
#include "core/Curve.h"
#include "core/Locations.h"
#include "core/Solar.h"

namespace orvane::testing {

inline TimeZone zone(const char* identifier) { return *TimeZone::named(identifier); }

inline Date wall(const char* identifier, int year, int month, int day, int hour, int minute = 0, int second = 0) {
    return Calendar(zone(identifier)).date(year, month, day, hour, minute, second);
}

// A place in `identifier`'s zone whose sunset on the day of `day` falls exactly at the given
// local time: sunset moves 4 minutes earlier for every degree east.
inline Location placeWithSunset(const char* identifier, Date day, int hour, int minute, int second = 0,
                                double latitude = 45) {
    const TimeZone tz = zone(identifier);
    const Calendar calendar(tz);
    const DateComponents c = calendar.components(day);
    const Date wanted = calendar.date(c.year, c.month, c.day, hour, minute, second);
    const SunTimes atZero = Solar::times(day, latitude, 0, tz);
    return Location{latitude, (*atZero.sunset - wanted) / 240.0, identifier, "Testville"};
}

inline TintState tint(std::int64_t kelvin, double dim = 1.0) {
    return TintState(kelvin, dim, RedStyle::readable, false);
}

inline Keyframe night(Date at, std::int64_t kelvin, double rampSeconds = 0, double dim = 1.0) {
    return Keyframe(at, tint(kelvin, dim), rampSeconds, "Night", false);
}
inline Keyframe morning(Date at, double rampSeconds = 0, std::int64_t kelvin = 6500) {
    return Keyframe(at, tint(kelvin), rampSeconds, "Morning", true);
}

}  // namespace orvane::testing
