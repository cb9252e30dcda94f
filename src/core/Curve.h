#pragma once
// The warmth curve: keyframes of yesterday, today and tomorrow in the place's zone, each
// moving the tint towards its target over a ramp; and the builder that makes one from the
// sunset plan or the schedule. Rebuilt for every decision, never stored.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/Calendar.h"
#include "core/ClockTime.h"
#include "core/Locations.h"
#include "core/Settings.h"
#include "core/TintState.h"
#include "support/Date.h"

namespace orvane {

struct Keyframe {
    Date time;
    TintState target;
    double ramp = 0;  // seconds from `time`; 0: the target holds at `time`
    std::string label;
    bool isDay = false;  // ends the night (a morning keyframe or a day-level step)

    Keyframe() = default;
    // A negative or NaN ramp becomes 0.
    Keyframe(Date at, TintState targetState, double rampSeconds, std::string name, bool day)
        : time(at), target(targetState), ramp(rampSeconds >= 0 ? rampSeconds : 0), label(std::move(name)), isDay(day) {}

    Date end() const { return time + ramp; }

    bool operator==(const Keyframe&) const = default;
};

struct WarmthCurve {
    std::vector<Keyframe> keyframes;  // ascending by time; equal times keep their given order

    WarmthCurve() = default;
    explicit WarmthCurve(std::vector<Keyframe> frames);

    TintState state(Date at) const;
    bool isRamping(Date at) const;
    // The last keyframe that has begun at `at`.
    std::optional<Keyframe> current(Date at) const;
    std::optional<Keyframe> nextKeyframe(Date after) const;
    bool isNight(Date at) const;
    std::optional<Keyframe> nextMorning(Date after) const;
    std::optional<Keyframe> nextEvening(Date after) const;
    // The end of a running ramp or the next keyframe, whichever comes first.
    std::optional<Date> nextChange(Date after) const;
    // `count` states from `from` to `from + span` inclusive; a negative count gives none.
    std::vector<TintState> samples(Date from, int count, double span) const;

    bool operator==(const WarmthCurve&) const = default;
};

namespace CurveBuilder {

// The first instant of the day of `on` in `tz` whose wall clock reads the time; a time skipped
// by a daylight-saving change gives the end of the gap, a repeated one its first occurrence.
Date clockDate(ClockTime time, Date on, const TimeZone& tz);
// Starts of yesterday, today and tomorrow.
std::vector<Date> days(Date around, const TimeZone& tz);

// `systemTimeZone` stands in when the location's zone identifier names no zone.
std::optional<WarmthCurve> curve(const Settings& settings, const Location& location, Date around,
                                 const TimeZone& systemTimeZone = TimeZone::utc());
WarmthCurve sunsetCurve(const Settings& settings, const Location& location, Date around,
                        const TimeZone& systemTimeZone = TimeZone::utc());
WarmthCurve scheduleCurve(const Settings& settings, const Location& location, Date around,
                          const TimeZone& systemTimeZone = TimeZone::utc());

}  // namespace CurveBuilder

// Feeds the four fields of a tint state, so that records holding one can hash it.
std::size_t hashValue(const TintState& state);

}  // namespace orvane

template <>
struct std::hash<orvane::Keyframe> {
    std::size_t operator()(const orvane::Keyframe& k) const noexcept;
};

template <>
struct std::hash<orvane::WarmthCurve> {
    std::size_t operator()(const orvane::WarmthCurve& c) const noexcept;
};
