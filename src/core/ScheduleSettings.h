#pragma once
// The fixed-schedule mode: steps that each ramp to a target from a clock time or a sun event.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/ClockTime.h"
#include "core/OneOf.h"
#include "core/SunsetSettings.h"
#include "core/TintState.h"
#include "support/Json.h"

namespace orvane {

// When a schedule step begins.
struct StepAnchor : OneOf<StepAnchor> {
    struct Clock {
        ClockTime time;  // "_0"
        bool operator==(const Clock&) const = default;
    };
    struct Sun {
        SunEvent event = SunEvent::sunset;  // "_0"
        std::int64_t offsetMinutes = 0;     // negative: before the event
        bool operator==(const Sun&) const = default;
    };

    std::variant<Clock, Sun> value = Clock{};

    StepAnchor() = default;
    template <class Case>
    requires std::is_constructible_v<decltype(value), Case> StepAnchor(Case c) : value(std::move(c)) {}

    bool operator==(const StepAnchor&) const = default;

    Json toJson() const;
    static StepAnchor fromJson(const Json& json, const std::string& path = "");
};

// Which steps the schedule uses on weekend days (1 Sunday and 7 Saturday).
struct WeekendMode : OneOf<WeekendMode> {
    struct SameAsWeekdays {
        bool operator==(const SameAsWeekdays&) const = default;
    };
    struct Shifted {
        std::int64_t minutes = 0;  // the weekday steps, moved by this much
        bool operator==(const Shifted&) const = default;
    };
    struct Separate {
        bool operator==(const Separate&) const = default;
    };

    std::variant<SameAsWeekdays, Shifted, Separate> value = SameAsWeekdays{};

    WeekendMode() = default;
    template <class Case>
    requires std::is_constructible_v<decltype(value), Case> WeekendMode(Case c) : value(std::move(c)) {}

    bool operator==(const WeekendMode&) const = default;

    Json toJson() const;
    static WeekendMode fromJson(const Json& json, const std::string& path = "");
};

struct ScheduleStep {
    std::string id;
    StepAnchor anchor;
    TintTarget target;
    std::int64_t rampMinutes = 0;  // never negative through the constructor; decoding keeps what is stored

    ScheduleStep() = default;
    ScheduleStep(std::string stepId, StepAnchor stepAnchor, TintTarget stepTarget, std::int64_t ramp)
        : id(std::move(stepId)),
          anchor(std::move(stepAnchor)),
          target(std::move(stepTarget)),
          rampMinutes(ramp > 0 ? ramp : 0) {}

    bool operator==(const ScheduleStep&) const = default;

    Json toJson() const;
    static ScheduleStep fromJson(const Json& json, const std::string& path = "");
};

struct ScheduleSettings {
    // Evening 19:00, candle 21:00, midnight 22:30 and, last, daylight 07:00.
    static const std::vector<ScheduleStep>& defaultSteps();

    std::vector<ScheduleStep> weekdaySteps = defaultSteps();
    WeekendMode weekendMode = WeekendMode::SameAsWeekdays{};
    std::vector<ScheduleStep> weekendSteps = defaultSteps();

    bool operator==(const ScheduleSettings&) const = default;

    Json toJson() const;
    static ScheduleSettings fromJson(const Json& json, const std::string& path = "");
};

}  // namespace orvane
