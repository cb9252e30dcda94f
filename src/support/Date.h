#pragma once
// Instants and durations. An instant is seconds since 1970-01-01T00:00:00Z as a double,
// so it orders, subtracts and survives a JSON round trip like the stored dates do.
#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

using TimeInterval = double;  // seconds

struct Date {
    double secondsSince1970 = 0;

    constexpr Date() = default;
    constexpr explicit Date(double seconds) : secondsSince1970(seconds) {}

    // 4001-01-01T00:00:00Z: "until further notice".
    static constexpr Date distantFuture() { return Date(64092211200.0); }

    constexpr TimeInterval timeIntervalSince(Date other) const { return secondsSince1970 - other.secondsSince1970; }
    constexpr Date addingTimeInterval(TimeInterval dt) const { return Date(secondsSince1970 + dt); }

    constexpr auto operator<=>(const Date&) const = default;
    constexpr Date operator+(TimeInterval dt) const { return addingTimeInterval(dt); }
    constexpr Date operator-(TimeInterval dt) const { return addingTimeInterval(-dt); }
    constexpr TimeInterval operator-(Date other) const { return timeIntervalSince(other); }
    constexpr Date& operator+=(TimeInterval dt) {
        secondsSince1970 += dt;
        return *this;
    }
    constexpr Date& operator-=(TimeInterval dt) {
        secondsSince1970 -= dt;
        return *this;
    }
};

// "2026-01-31T21:00:00Z": UTC, whole seconds (fractions are dropped toward the past).
std::string iso8601(Date date);

// Reads "YYYY-MM-DDTHH:MM:SS" with optional fractional seconds and a "Z" or ±HH:MM / ±HHMM
// offset. Absent for anything else, including out-of-range fields.
std::optional<Date> parseIso8601(std::string_view text);

}  // namespace orvane
