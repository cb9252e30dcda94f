#pragma once
// Where the place for sun times comes from. Held by the sunset settings and resolved into
// a Location by the place logic.
#include <optional>
#include <string>
#include <variant>

#include "core/OneOf.h"
#include "support/Json.h"

namespace orvane {

struct LocationSource : OneOf<LocationSource> {
    struct TimeZone {
        std::optional<std::string> identifier;  // absent: the computer's own zone
        bool operator==(const TimeZone&) const = default;
    };
    struct City {
        std::string id;
        bool operator==(const City&) const = default;
    };
    struct Coordinates {
        double latitude = 0;
        double longitude = 0;
        bool operator==(const Coordinates&) const = default;
    };
    struct Precise {
        bool operator==(const Precise&) const = default;
    };

    std::variant<TimeZone, City, Coordinates, Precise> value = TimeZone{};

    LocationSource() = default;
    template <class Case>
    requires std::is_constructible_v<decltype(value), Case> LocationSource(Case c) : value(std::move(c)) {}

    bool operator==(const LocationSource&) const = default;

    Json toJson() const;
    static LocationSource fromJson(const Json& json, const std::string& path = "");
};

}  // namespace orvane
