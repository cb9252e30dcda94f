#include "ui/views/PlaceRules.h"

#include <charconv>
#include <cmath>

#include <fmt/format.h>

#include "core/ShortTime.h"

namespace orvane::PlaceRules {

const char* title(Tab tab) {
    switch (tab) {
        case Tab::timeZone:
            return "Time zone";
        case Tab::city:
            return "City";
        case Tab::coordinates:
            return "Coordinates";
        case Tab::precise:
            return "Precise";
    }
    return "Time zone";
}

std::string followText(const std::string& systemZone) { return std::string(followLabel) + " (" + systemZone + ")"; }

bool followsSystemZone(const LocationSource& source) {
    const auto* zone = source.as<LocationSource::TimeZone>();
    return zone && !zone->identifier;
}

LocationSource followSource(bool on, const std::string& systemZone) {
    if (on) return LocationSource::TimeZone{};
    return LocationSource::TimeZone{systemZone};
}

std::string time(const std::optional<Date>& at, const TimeZone& zone) {
    if (!at) return "—";
    return ShortTime::of(Calendar(zone), *at);
}

std::string sunTimesLine(const SunTimes& times, const TimeZone& zone) {
    return "↑ " + time(times.sunrise, zone) + " · ↓ " + time(times.sunset, zone) + " · dusk " +
           time(times.civilDusk, zone);
}

std::optional<double> parseDegrees(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == ',') c = '.';
    std::string_view digits = s;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    // from_chars takes a "-" of its own; a second sign ("+-1", "++1") is not a number.
    if (digits.empty() || digits.front() == '+' || (s.front() == '+' && digits.front() == '-')) return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<LocationSource::Coordinates> parseCoordinates(std::string_view latitude, std::string_view longitude) {
    const auto lat = parseDegrees(latitude);
    const auto lon = parseDegrees(longitude);
    if (!lat || !lon || std::abs(*lat) > 90 || std::abs(*lon) > 180) return std::nullopt;
    return LocationSource::Coordinates{*lat, *lon};
}

namespace {
// One field's sentence, empty when it can be used.
std::string degreesProblem(std::string_view text, const char* name, const char* example, double limit,
                           const char* range) {
    if (text.empty()) return std::string("Enter a ") + name + " (like " + example + ").";
    const auto value = parseDegrees(text);
    if (!value) return std::string("The ") + name + " is not a number (like " + example + ").";
    if (std::abs(*value) > limit) return std::string("The ") + name + " must lie between " + range + ".";
    return {};
}
}  // namespace

std::optional<std::string> coordinatesProblem(std::string_view latitude, std::string_view longitude) {
    const std::string lat = degreesProblem(latitude, "latitude", "52.52", 90, "\u221290 and 90");
    const std::string lon = degreesProblem(longitude, "longitude", "13.40", 180, "\u2212180 and 180");
    if (lat.empty() && lon.empty()) return std::nullopt;
    if (lat.empty() || lon.empty()) return lat + lon;
    return lat + " " + lon;
}

Opening opening(const LocationSource& source, Tab current) {
    Opening out{current, std::nullopt, std::nullopt};
    if (const auto* c = source.as<LocationSource::Coordinates>()) {
        out.tab = Tab::coordinates;
        out.latitude = fmt::format("{:.4f}", c->latitude);
        out.longitude = fmt::format("{:.4f}", c->longitude);
    } else if (source.is<LocationSource::City>()) {
        out.tab = Tab::city;
    } else if (source.is<LocationSource::Precise>()) {
        out.tab = Tab::precise;
    }
    return out;
}

bool zoneChecked(const LocationSource& source, const std::string& identifier) {
    const auto* zone = source.as<LocationSource::TimeZone>();
    return zone && zone->identifier && *zone->identifier == identifier;
}

bool cityChecked(const LocationSource& source, const std::string& id) {
    const auto* city = source.as<LocationSource::City>();
    return city && city->id == id;
}

std::string preciseLine(double latitude, double longitude) {
    return fmt::format("{:.3f}, {:.3f}", latitude, longitude);
}

}  // namespace orvane::PlaceRules
