#pragma once
// Places for sun times: the resolved Location, the built-in zone and city tables with
// their searches, and the resolution of the user's location setting. The tables are
// parsed once, on first use; the moment and the system zone are always arguments.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Calendar.h"
#include "core/Hash.h"
#include "core/LocationSource.h"
#include "support/Date.h"
#include "support/Json.h"

namespace orvane {

struct Location {
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
    std::string timeZoneIdentifier;
    std::string name;

    // The zone named by the identifier, or the system's zone when it names none.
    TimeZone timeZone(const TimeZone& systemTimeZone) const;
    // "Berlin · Europe/Berlin"
    std::string display() const;

    bool operator==(const Location&) const = default;

    Json toJson() const;
    static Location fromJson(const Json& json, const std::string& path = "");

    // `precise` is the last fix from the location service, if any; `now` fixes the
    // zone offsets that the zone fallbacks compare.
    static Location resolve(const LocationSource& source, const TimeZone& systemTimeZone,
                            const std::optional<LocationSource::Coordinates>& precise, Date now);
};

struct TimeZoneEntry {
    std::string identifier;
    double latitude = 0;
    double longitude = 0;
    std::string countryCode;
    std::string comment;  // may be empty

    // Last piece of the identifier with "_" as spaces: "Buenos Aires".
    std::string cityName() const;

    bool operator==(const TimeZoneEntry&) const = default;
};

struct City {
    std::string id;  // GeoNames id in decimal
    std::string name;
    std::string asciiName;
    std::string countryCode;
    double latitude = 0;
    double longitude = 0;
    std::string timeZoneIdentifier;
    long long population = 0;

    // "Zürich, CH"
    std::string display() const;

    bool operator==(const City&) const = default;
};

namespace TimeZones {

// Lines of identifier, latitude, longitude, country code[, comment]; malformed lines are skipped.
std::vector<TimeZoneEntry> parse(std::string_view table);
const std::vector<TimeZoneEntry>& all();
// Exact identifier first; else, for a zone the tz database knows, the first entry whose
// zone has the same offset at `now`.
std::optional<TimeZoneEntry> entry(std::string_view identifier, Date now);
// By identifier, comment or exact country code; everything for an empty query.
std::vector<TimeZoneEntry> search(std::string_view query);

}  // namespace TimeZones

namespace Cities {

inline constexpr std::string_view attribution = "City data © GeoNames, CC BY 4.0.";

// Lines of the eight city fields; malformed lines are skipped.
std::vector<City> parse(std::string_view table);
const std::vector<City>& all();
std::optional<City> city(std::string_view id);
// Names beginning with the query first, larger population first; nothing for an empty query.
std::vector<City> search(std::string_view query, int limit);
// Flat-map distance; longitudes are not wrapped at ±180°, so a place across the date
// line is never picked (its zone would be a day off).
std::optional<City> nearest(double latitude, double longitude);
std::optional<City> nearest(double latitude, double longitude, const std::vector<City>& table);

}  // namespace Cities
}  // namespace orvane

template <>
struct std::hash<orvane::Location> {
    std::size_t operator()(const orvane::Location& l) const {
        return orvane::hashValues(l.latitude, l.longitude, l.timeZoneIdentifier, l.name);
    }
};

template <>
struct std::hash<orvane::TimeZoneEntry> {
    std::size_t operator()(const orvane::TimeZoneEntry& e) const {
        return orvane::hashValues(e.identifier, e.latitude, e.longitude, e.countryCode, e.comment);
    }
};

template <>
struct std::hash<orvane::City> {
    std::size_t operator()(const orvane::City& c) const {
        return orvane::hashValues(c.id, c.name, c.asciiName, c.countryCode, c.latitude, c.longitude,
                                  c.timeZoneIdentifier, c.population);
    }
};
