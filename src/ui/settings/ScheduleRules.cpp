#include "ui/settings/ScheduleRules.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "core/Kelvin.h"

namespace orvane {

std::string signedMinutesLabel(std::int64_t minutes) {
    return fmt::format("{}{} min", minutes >= 0 ? "+" : "", minutes);
}

std::string minutesLabel(std::int64_t minutes) { return fmt::format("{} min", minutes); }

namespace TargetRules {

std::vector<Row> rows(const std::vector<Preset>& presets) {
    std::vector<Row> out;
    out.reserve(presets.size() + 1);
    for (const auto& p : presets) out.push_back({p.id, fmt::format("{} \u00B7 {}K", p.name, p.kelvin)});
    out.push_back({customTag, "Custom\u2026"});
    return out;
}

std::string selection(const TintTarget& target) {
    if (const auto* preset = target.as<TintTarget::Preset>()) return preset->id;
    return customTag;
}

TintTarget selected(const TintTarget& current, const std::string& tag) {
    if (tag != customTag) return TintTarget::preset(tag);
    if (current.is<TintTarget::Custom>()) return current;
    return TintTarget::custom(fallbackKelvin, fallbackDim);
}

std::int64_t kelvinShown(const TintTarget& target) {
    const auto* custom = target.as<TintTarget::Custom>();
    return custom ? custom->kelvin : fallbackKelvin;
}

std::int64_t dimShown(const TintTarget& target) {
    const auto* custom = target.as<TintTarget::Custom>();
    return std::llround((custom ? custom->dim : fallbackDim) * 100);
}

TintTarget withKelvin(const TintTarget& current, std::int64_t kelvin) {
    const auto* custom = current.as<TintTarget::Custom>();
    return TintTarget::custom(Kelvin::snap(kelvin), custom ? custom->dim : fallbackDim);
}

TintTarget withDim(const TintTarget& current, double dim) {
    const auto* custom = current.as<TintTarget::Custom>();
    return TintTarget::custom(custom ? custom->kelvin : fallbackKelvin, dim);
}

std::string kelvinLabel(std::int64_t kelvin) { return fmt::format("{}K", kelvin); }

}  // namespace TargetRules

namespace SunsetRules {

const std::vector<SunEvent>& eveningEvents() {
    static const std::vector<SunEvent> events{SunEvent::sunset, SunEvent::civilDusk, SunEvent::nauticalDusk};
    return events;
}

std::string eventTitle(SunEvent event) { return std::string(title(event)); }

std::string daytimeLabel(std::int64_t kelvin) { return kelvin >= 6500 ? "Off" : TargetRules::kelvinLabel(kelvin); }

}  // namespace SunsetRules

namespace LateNightRules {

const std::vector<std::string>& kindTitles() {
    static const std::vector<std::string> titles{"At", "Event +"};
    return titles;
}

int kind(const LateNightAnchor& anchor) { return anchor.is<LateNightAnchor::EventPlusHours>() ? 1 : 0; }

LateNightAnchor seed(int kind) {
    if (kind == 1) return LateNightAnchor::EventPlusHours{3.0};
    return LateNightAnchor::Clock{ClockTime(1350)};
}

std::int64_t halfHoursShown(double hours) { return std::llround(hours * 2); }
double hoursStored(std::int64_t halfHours) { return static_cast<double>(halfHours) / 2; }
std::string hoursLabel(double hours) { return fmt::format("{:.1f} h", hours); }

}  // namespace LateNightRules

namespace MorningRules {

const std::vector<std::string>& kindTitles() {
    static const std::vector<std::string> titles{"Off at sunrise", "Off at fixed time", "Ramp out ending at sunrise",
                                                 "Ramp out ending at wake-up"};
    return titles;
}

int kind(const MorningBehavior& morning) { return static_cast<int>(morning.value.index()); }

MorningBehavior seed(int kind) {
    switch (kind) {
        case 1:
            return MorningBehavior::OffAtFixed{ClockTime(420)};
        case 2:
            return MorningBehavior::RampOut{30};
        case 3:
            return MorningBehavior::RampOutBy{ClockTime(420), 30};
        default:
            return MorningBehavior::OffAtSunrise{};
    }
}

}  // namespace MorningRules

namespace StepRules {

const std::vector<std::string>& anchorTitles() {
    static const std::vector<std::string> titles{"Clock", "Sun"};
    return titles;
}

int anchorKind(const StepAnchor& anchor) { return anchor.is<StepAnchor::Sun>() ? 1 : 0; }

StepAnchor anchorSeed(int kind) {
    if (kind == 1) return StepAnchor::Sun{SunEvent::sunset, 0};
    return StepAnchor::Clock{ClockTime(1200)};
}

std::string rampLabel(std::int64_t minutes) { return "ramp " + minutesLabel(minutes); }

}  // namespace StepRules

namespace StepsRules {

const std::vector<std::string>& weekendTitles() {
    static const std::vector<std::string> titles{"Same as weekdays", "Shifted", "Separate steps"};
    return titles;
}

int weekendKind(const WeekendMode& mode) { return static_cast<int>(mode.value.index()); }

ScheduleSettings withWeekendKind(ScheduleSettings schedule, int kind) {
    switch (kind) {
        case 1:
            schedule.weekendMode = WeekendMode::Shifted{60};
            break;
        case 2:
            schedule.weekendMode = WeekendMode::Separate{};
            if (schedule.weekendSteps.empty()) schedule.weekendSteps = schedule.weekdaySteps;
            break;
        default:
            schedule.weekendMode = WeekendMode::SameAsWeekdays{};
            break;
    }
    return schedule;
}

namespace {
std::vector<ScheduleStep>& list(ScheduleSettings& schedule, bool editingWeekend) {
    return editingWeekend ? schedule.weekendSteps : schedule.weekdaySteps;
}
}  // namespace

const std::vector<ScheduleStep>& steps(const ScheduleSettings& schedule, bool editingWeekend) {
    return editingWeekend ? schedule.weekendSteps : schedule.weekdaySteps;
}

ScheduleStep newStep(std::string id) {
    return ScheduleStep(std::move(id), StepAnchor::Clock{ClockTime(1200)}, TintTarget::preset("builtin.candle"), 30);
}

ScheduleSettings added(ScheduleSettings schedule, bool editingWeekend, ScheduleStep step) {
    auto& steps = list(schedule, editingWeekend);
    const auto* time = step.anchor.as<StepAnchor::Clock>();
    if (!time) {
        steps.push_back(std::move(step));
        return schedule;
    }
    // The list runs through the day from its first step ("19:00 … 07:00"), so times count
    // from the first clock time; a step of the sun has no fixed time and is passed over.
    std::int64_t start = 0;
    for (const auto& s : steps)
        if (const auto* c = s.anchor.as<StepAnchor::Clock>()) {
            start = c->time.minutes;
            break;
        }
    const auto sinceStart = [start](ClockTime t) { return ((t.minutes - start) % 1440 + 1440) % 1440; };
    const auto later = std::ranges::find_if(steps, [&](const ScheduleStep& s) {
        const auto* c = s.anchor.as<StepAnchor::Clock>();
        return c && sinceStart(c->time) > sinceStart(time->time);
    });
    steps.insert(later, std::move(step));
    return schedule;
}

ScheduleSettings reset(ScheduleSettings schedule, bool editingWeekend) {
    list(schedule, editingWeekend) = ScheduleSettings::defaultSteps();
    return schedule;
}

ScheduleSettings removed(ScheduleSettings schedule, bool editingWeekend, std::size_t position) {
    auto& steps = list(schedule, editingWeekend);
    if (position < steps.size()) steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(position));
    return schedule;
}

ScheduleSettings replaced(ScheduleSettings schedule, bool editingWeekend, std::size_t position,
                          const ScheduleStep& step) {
    auto& steps = list(schedule, editingWeekend);
    if (position < steps.size()) steps[position] = step;
    return schedule;
}

bool keepsWeekendEditing(const WeekendMode& mode, bool editingWeekend) {
    return editingWeekend && mode.is<WeekendMode::Separate>();
}

}  // namespace StepsRules

namespace SchedulePaneRules {

Visibility visibility(Mode mode, bool fineTune) {
    return {mode == Mode::sunset, mode == Mode::sunset && fineTune, mode == Mode::schedule};
}

bool fineTuneOnShow(Mode mode, bool followsEveningPlan) { return mode == Mode::sunset && !followsEveningPlan; }

}  // namespace SchedulePaneRules

}  // namespace orvane
