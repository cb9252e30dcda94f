#pragma once
// The rules of the place picker apart from its drawing: the tabs, the texts, the header's
// times, reading typed coordinates, what the view opens on for a stored source, and which
// rows carry the checkmark.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/Calendar.h"
#include "core/LocationSource.h"
#include "core/Solar.h"
#include "support/Date.h"

namespace orvane::PlaceRules {

enum class Tab { timeZone, city, coordinates, precise };
inline constexpr std::array<Tab, 4> allTabs{Tab::timeZone, Tab::city, Tab::coordinates, Tab::precise};
const char* title(Tab tab);  // "Time zone", "City", "Coordinates", "Precise"

inline constexpr const char* zoneSearchPlaceholder = "Search time zones";
inline constexpr const char* citySearchPlaceholder = "Search cities";
inline constexpr const char* zoneCaption =
    "Coordinates come from the public-domain tzdata zone.tab (the zone's main city).";
inline constexpr const char* coordinatesCaption = "The time zone is taken from the nearest bundled city.";
inline constexpr const char* preciseText =
    "Uses the desktop's location service once and caches the result. The desktop may ask for permission the first "
    "time.";
inline constexpr const char* usePrecise = "Use precise location";
inline constexpr const char* use = "Use";
inline constexpr int zoneListLimit = 200;
inline constexpr int cityListLimit = 30;
inline constexpr double listHeight = 170;

// "Follow the computer's time zone (Europe/Berlin)"
std::string followText(const std::string& systemZone);
inline constexpr const char* followLabel = "Follow the computer's time zone";
bool followsSystemZone(const LocationSource& source);
// What the follow switch writes: no identifier when on, the computer's zone when off.
LocationSource followSource(bool on, const std::string& systemZone);

// "—" for an event that does not happen today, else "HH:mm" in the zone.
std::string time(const std::optional<Date>& at, const TimeZone& zone);
// "↑ 07:12 · ↓ 18:03 · dusk 18:35"
std::string sunTimesLine(const SunTimes& times, const TimeZone& zone);

// One coordinate as typed: every "," read as "."; at most one leading "+"; the whole text
// a finite decimal number (no spaces, no "nan", nothing out of the double's range).
std::optional<double> parseDegrees(std::string_view text);
// Both parsed, |latitude| ≤ 90 and |longitude| ≤ 180; else none (the view beeps).
std::optional<LocationSource::Coordinates> parseCoordinates(std::string_view latitude, std::string_view longitude);
// What is wrong with typed coordinates that parseCoordinates refuses, a sentence for each
// field at fault ("The latitude must lie between −90 and 90."); none when they can be used.
std::optional<std::string> coordinatesProblem(std::string_view latitude, std::string_view longitude);

// What the view opens on for the stored source; the field texts only for coordinates.
struct Opening {
    Tab tab = Tab::timeZone;
    std::optional<std::string> latitude, longitude;  // "%.4f"
};
Opening opening(const LocationSource& source, Tab current);

bool zoneChecked(const LocationSource& source, const std::string& identifier);
bool cityChecked(const LocationSource& source, const std::string& id);
// "52.520, 13.405"
std::string preciseLine(double latitude, double longitude);

}  // namespace orvane::PlaceRules
