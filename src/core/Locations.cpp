#include "core/Locations.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <fmt/format.h>

#include "core/BuiltInTables.h"
#include "core/Fold.h"

namespace orvane {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator, bool keepEmpty) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        const std::string_view piece = text.substr(start, end - start);
        if (keepEmpty || !piece.empty()) pieces.push_back(piece);
        start = end + 1;
    }
    return pieces;
}

// A finite decimal number filling the whole field; locale-free.
std::optional<double> parseDecimal(std::string_view field) {
    if (field.starts_with('+')) field.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long long> parseInteger(std::string_view field) {
    if (field.starts_with('+')) field.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, 10);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return value;
}

std::string cityNameOf(std::string_view identifier) {
    const auto pieces = split(identifier, '/', false);
    std::string name(pieces.empty() ? identifier : pieces.back());
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

// The tables' strings folded once, index for index, so a keystroke only folds the query.
struct FoldedZone {
    std::string identifier, comment, countryCode;
};
const std::vector<FoldedZone>& foldedZones() {
    static const std::vector<FoldedZone> folded = [] {
        std::vector<FoldedZone> out;
        for (const auto& e : TimeZones::all())
            out.push_back({fold(e.identifier), fold(e.comment), fold(e.countryCode)});
        return out;
    }();
    return folded;
}

struct FoldedCity {
    std::string name, asciiName;
};
const std::vector<FoldedCity>& foldedCities() {
    static const std::vector<FoldedCity> folded = [] {
        std::vector<FoldedCity> out;
        out.reserve(Cities::all().size());
        for (const auto& c : Cities::all()) out.push_back({fold(c.name), fold(c.asciiName)});
        return out;
    }();
    return folded;
}

// The table zones as the tz database knows them (absent where it does not).
const std::vector<std::optional<TimeZone>>& tableZones() {
    static const std::vector<std::optional<TimeZone>> zones = [] {
        std::vector<std::optional<TimeZone>> out;
        for (const auto& e : TimeZones::all()) out.push_back(TimeZone::named(e.identifier));
        return out;
    }();
    return zones;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

Location resolveTimeZone(const std::optional<std::string>& identifier, const TimeZone& systemTimeZone, Date now) {
    const std::string id = identifier.value_or(systemTimeZone.identifier());
    if (const auto entry = TimeZones::entry(id, now)) return {entry->latitude, entry->longitude, id, cityNameOf(id)};
    const TimeZone zone = TimeZone::named(id).value_or(systemTimeZone);
    // One degree of longitude per four minutes of offset, east positive.
    return {0, zone.secondsFromGMT(now) / 240.0, zone.identifier(), id};
}

}  // namespace

TimeZone Location::timeZone(const TimeZone& systemTimeZone) const {
    return TimeZone::named(timeZoneIdentifier).value_or(systemTimeZone);
}

std::string Location::display() const { return name + " \u00b7 " + timeZoneIdentifier; }

Json Location::toJson() const {
    Json json = Json::object();
    json["latitude"] = latitude;
    json["longitude"] = longitude;
    json["timeZoneIdentifier"] = timeZoneIdentifier;
    json["name"] = name;
    return json;
}

Location Location::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    return {reader.number("latitude"), reader.number("longitude"), reader.string("timeZoneIdentifier"),
            reader.string("name")};
}

Location Location::resolve(const LocationSource& source, const TimeZone& systemTimeZone,
                           const std::optional<LocationSource::Coordinates>& precise, Date now) {
    if (const auto* zone = source.as<LocationSource::TimeZone>())
        return resolveTimeZone(zone->identifier, systemTimeZone, now);

    if (const auto* city = source.as<LocationSource::City>()) {
        if (const auto found = Cities::city(city->id))
            return {found->latitude, found->longitude, found->timeZoneIdentifier, found->name};
        return resolveTimeZone(std::nullopt, systemTimeZone, now);
    }

    if (const auto* point = source.as<LocationSource::Coordinates>()) {
        if (const auto near = Cities::nearest(point->latitude, point->longitude))
            return {point->latitude, point->longitude, near->timeZoneIdentifier, near->name};
        return {point->latitude, point->longitude, systemTimeZone.identifier(),
                fmt::format("{:.2f}, {:.2f}", point->latitude, point->longitude)};
    }

    // Precise: the fix's coordinates with the computer's own zone, named after the nearest city.
    if (!precise) return resolveTimeZone(std::nullopt, systemTimeZone, now);
    const auto near = Cities::nearest(precise->latitude, precise->longitude);
    return {precise->latitude, precise->longitude, systemTimeZone.identifier(), near ? near->name : "Current location"};
}

std::string TimeZoneEntry::cityName() const { return cityNameOf(identifier); }

std::string City::display() const { return name + ", " + countryCode; }

namespace TimeZones {

std::vector<TimeZoneEntry> parse(std::string_view table) {
    std::vector<TimeZoneEntry> entries;
    for (const std::string_view line : split(table, '\n', false)) {
        const auto f = split(line, '\t', true);
        if (f.size() < 4) continue;
        const auto latitude = parseDecimal(f[1]);
        const auto longitude = parseDecimal(f[2]);
        if (!latitude || !longitude) continue;
        entries.push_back({std::string(f[0]), *latitude, *longitude, std::string(f[3]),
                           f.size() > 4 ? std::string(f[4]) : std::string()});
    }
    return entries;
}

const std::vector<TimeZoneEntry>& all() {
    static const std::vector<TimeZoneEntry> entries = parse(data::zones);
    return entries;
}

std::optional<TimeZoneEntry> entry(std::string_view identifier, Date now) {
    const auto& entries = all();
    for (const auto& e : entries)
        if (e.identifier == identifier) return e;
    const auto zone = TimeZone::named(identifier);
    if (!zone) return std::nullopt;
    const int offset = zone->secondsFromGMT(now);
    const auto& zones = tableZones();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (zones[i] && zones[i]->secondsFromGMT(now) == offset) return entries[i];
    return std::nullopt;
}

std::vector<TimeZoneEntry> search(std::string_view query) {
    const std::string q = fold(query);
    if (q.empty()) return all();
    const auto& folded = foldedZones();
    std::vector<TimeZoneEntry> found;
    for (std::size_t i = 0; i < folded.size(); ++i)
        if (contains(folded[i].identifier, q) || contains(folded[i].comment, q) || folded[i].countryCode == q)
            found.push_back(all()[i]);
    return found;
}

}  // namespace TimeZones

namespace Cities {

std::vector<City> parse(std::string_view table) {
    std::vector<City> cities;
    for (const std::string_view line : split(table, '\n', false)) {
        const auto f = split(line, '\t', true);
        if (f.size() < 8) continue;
        const auto latitude = parseDecimal(f[4]);
        const auto longitude = parseDecimal(f[5]);
        const auto population = parseInteger(f[7]);
        if (!latitude || !longitude || !population) continue;
        cities.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2]), std::string(f[3]), *latitude,
                          *longitude, std::string(f[6]), *population});
    }
    return cities;
}

const std::vector<City>& all() {
    static const std::vector<City> cities = parse(data::cities);
    return cities;
}

std::optional<City> city(std::string_view id) {
    for (const auto& c : all())
        if (c.id == id) return c;
    return std::nullopt;
}

std::vector<City> search(std::string_view query, int limit) {
    const std::string q = fold(query);
    if (q.empty() || limit <= 0) return {};
    const auto& cities = all();
    const auto& folded = foldedCities();
    struct Hit {
        std::size_t index;
        bool prefix;
    };
    std::vector<Hit> hits;
    for (std::size_t i = 0; i < folded.size(); ++i)
        if (contains(folded[i].name, q) || contains(folded[i].asciiName, q))
            hits.push_back({i, folded[i].name.starts_with(q)});
    std::stable_sort(hits.begin(), hits.end(), [&](const Hit& a, const Hit& b) {
        if (a.prefix != b.prefix) return a.prefix;
        return cities[a.index].population > cities[b.index].population;
    });
    std::vector<City> result;
    const std::size_t count = std::min(hits.size(), static_cast<std::size_t>(limit));
    result.reserve(count);
    for (std::size_t i = 0; i < count; ++i) result.push_back(cities[hits[i].index]);
    return result;
}

std::optional<City> nearest(double latitude, double longitude) { return nearest(latitude, longitude, all()); }

std::optional<City> nearest(double latitude, double longitude, const std::vector<City>& table) {
    constexpr double pi = 3.141592653589793;
    const double scale = std::cos(latitude * pi / 180.0);
    const City* best = nullptr;
    double bestDistance = 0;
    for (const auto& c : table) {
        const double dx = scale * (c.longitude - longitude);
        const double dy = c.latitude - latitude;
        const double d = dx * dx + dy * dy;
        if (!best || d < bestDistance) {
            best = &c;
            bestDistance = d;
        }
    }
    if (!best) return std::nullopt;
    return *best;
}

}  // namespace Cities
}  // namespace orvane
