#pragma once
// A time of day in minutes after local midnight, with no calendar or zone of its own.
#include <compare>
#include <cstdint>
#include <functional>
#include <string>

#include "support/Json.h"

namespace orvane {

struct ClockTime {
    std::int64_t minutes = 0;  // 0...1439 when built through a constructor; decoding keeps what is stored

    constexpr ClockTime() = default;
    // Wraps into one day: -1 is 23:59, 1440 is 00:00.
    constexpr explicit ClockTime(std::int64_t totalMinutes) : minutes(normalised(totalMinutes)) {}
    constexpr ClockTime(std::int64_t hour, std::int64_t minute)
        // Reduced before multiplying so that huge arguments cannot overflow; same result otherwise.
        : minutes(normalised((hour % 24) * 60 + minute % 1440)) {}

    constexpr std::int64_t hour() const { return minutes / 60; }
    constexpr std::int64_t minute() const { return minutes - hour() * 60; }
    std::string display() const;  // "HH:mm"

    constexpr bool operator==(const ClockTime& other) const { return minutes == other.minutes; }
    constexpr auto operator<=>(const ClockTime& other) const { return minutes <=> other.minutes; }

    Json toJson() const;
    static ClockTime fromJson(const Json& json, const std::string& path = "");

private:
    static constexpr std::int64_t normalised(std::int64_t m) {
        const std::int64_t r = m % 1440;
        return r < 0 ? r + 1440 : r;
    }
};

}  // namespace orvane

template <>
struct std::hash<orvane::ClockTime> {
    std::size_t operator()(const orvane::ClockTime& t) const noexcept { return std::hash<std::int64_t>{}(t.minutes); }
};
