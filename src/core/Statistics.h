#pragma once
// A small per-day account of the alerting light the screens gave in the evening and how warm
// they were, kept for the newest 60 days and stored as "statistics.json". Day keys come from
// the Gregorian calendar passed in, so they sort chronologically whatever the locale prefers.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/TintState.h"
#include "support/Date.h"
#include "support/Json.h"

namespace orvane {

struct DayStats {
    std::string day;         // "2026-03-14"
    double warmSeconds = 0;  // tinted, on the day itself
    // The evening that starts on this day, 18:00 to 05:59 of the next one:
    double eveningKelvinSeconds = 0;     // kelvin × tinted seconds
    double eveningSeconds = 0;           // tinted seconds
    double eveningMelanopicSeconds = 0;  // melanopic fraction × seconds, tinted or not
    double eveningScreenSeconds = 0;     // all seconds

    DayStats() = default;
    explicit DayStats(std::string key) : day(std::move(key)) {}

    const std::string& id() const { return day; }
    double warmHours() const { return warmSeconds / 3600; }
    std::optional<std::int64_t> averageEveningKelvin() const;
    // Absent under a minute of evening screen time.
    std::optional<double> eveningReduction() const;

    bool operator==(const DayStats&) const = default;

    Json toJson() const;
    static DayStats fromJson(const Json& json, const std::string& path = "");
};

struct Statistics {
    static constexpr std::size_t keptDays = 60;

    std::vector<DayStats> days;  // ascending by day

    static std::string dayKey(Date date, const Calendar& calendar);

    // One sample of the screen's state lasting `seconds`, ending at `at`.
    void record(const TintState& state, double melanopic, double seconds, Date at, const Calendar& calendar);
    // The evening in progress at `at`; absent in the daytime (06:00 to 17:59).
    std::optional<DayStats> tonight(Date at, const Calendar& calendar) const;
    // The `count` days up to the day of `ending`, oldest first, with empty entries for days without data.
    std::vector<DayStats> recent(int count, Date ending, const Calendar& calendar) const;
    std::optional<double> averageEveningReduction(int days, Date ending, const Calendar& calendar) const;
    std::optional<std::int64_t> averageEveningKelvin(int days, Date ending, const Calendar& calendar) const;

    bool operator==(const Statistics&) const = default;

    Json toJson() const;
    // Keeps the stored order.
    static Statistics fromJson(const Json& json, const std::string& path = "");

private:
    std::size_t index(const std::string& key);
};

}  // namespace orvane

template <>
struct std::hash<orvane::DayStats> {
    std::size_t operator()(const orvane::DayStats& d) const noexcept;
};
