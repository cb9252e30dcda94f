#pragma once
// Sun times for a day and the sun's place in the sky for a moment, from the NOAA solar
// calculator's low-precision equations. An event the sun does not reach that day is absent.
#include <optional>
#include <type_traits>

#include "core/Calendar.h"
#include "core/Hash.h"
#include "support/Date.h"

namespace orvane {

struct SunTimes {
    std::optional<Date> sunrise;  // upper limb on the horizon, zenith 90.833°
    std::optional<Date> sunset;
    std::optional<Date> civilDawn;  // centre 6° below the horizon
    std::optional<Date> civilDusk;
    std::optional<Date> nauticalDawn;  // centre 12° below the horizon
    std::optional<Date> nauticalDusk;
    Date solarNoon;

    // The sun neither rises nor sets that day; twilight is not looked at.
    bool isPolar() const { return !sunrise || !sunset; }

    // The field named like the event. A template so that this header needs no settings
    // header: any enumeration with the six sun-event cases (SunEvent) will do.
    template <class Event>
    requires std::is_enum_v<Event> std::optional<Date> time(Event event)
    const {
        switch (event) {
            case Event::sunrise:
                return sunrise;
            case Event::sunset:
                return sunset;
            case Event::civilDawn:
                return civilDawn;
            case Event::civilDusk:
                return civilDusk;
            case Event::nauticalDawn:
                return nauticalDawn;
            case Event::nauticalDusk:
                return nauticalDusk;
        }
        return std::nullopt;
    }

    bool operator==(const SunTimes&) const = default;
};

struct SunPosition {
    double elevation = 0;  // degrees above the horizon, refraction included
    double azimuth = 0;    // degrees clockwise from north, 0 ≤ azimuth < 360
    bool operator==(const SunPosition&) const = default;
};

struct SolarParameters {
    double declination = 0;        // degrees
    double equationOfTime = 0;     // minutes
    double apparentLongitude = 0;  // degrees, not reduced to 0..360
};

namespace Solar {

inline constexpr double sunriseZenith = 90.833;
inline constexpr double civilZenith = 96.0;
inline constexpr double nauticalZenith = 102.0;

SolarParameters solarParameters(double julianDay);
// Degrees in 0..180; absent when the sun never reaches that zenith angle.
std::optional<double> hourAngle(double latitude, double declination, double zenith);
// The calendar day of `on` in `timeZone`; one pass at 12:00 UTC of that day.
SunTimes times(Date on, double latitude, double longitude, const TimeZone& timeZone);
SunPosition position(Date at, double latitude, double longitude);

// Julian day of an instant.
inline double julianDay(Date date) { return date.secondsSince1970 / 86400.0 + 2440587.5; }

}  // namespace Solar
}  // namespace orvane

template <>
struct std::hash<orvane::SunTimes> {
    std::size_t operator()(const orvane::SunTimes& t) const {
        std::size_t seed = 0;
        // Presence flag, then the date when present, field by field.
        for (const auto* field :
             {&t.sunrise, &t.sunset, &t.civilDawn, &t.civilDusk, &t.nauticalDawn, &t.nauticalDusk}) {
            orvane::hashCombine(seed, field->has_value() ? 1 : 0);
            if (*field) orvane::hashCombine(seed, std::hash<double>{}((*field)->secondsSince1970));
        }
        orvane::hashCombine(seed, std::hash<double>{}(t.solarNoon.secondsSince1970));
        return seed;
    }
};

template <>
struct std::hash<orvane::SunPosition> {
    std::size_t operator()(const orvane::SunPosition& p) const { return orvane::hashValues(p.elevation, p.azimuth); }
};
