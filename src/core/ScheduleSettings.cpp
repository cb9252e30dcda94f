#include "core/ScheduleSettings.h"

namespace orvane {

Json StepAnchor::toJson() const {
    if (const auto* c = as<Clock>()) return json::makeCase("clock", Json{{"_0", c->time.toJson()}});
    const auto& sun = std::get<Sun>(value);
    return json::makeCase("sun", Json{{"_0", orvane::toJson(sun.event)}, {"offsetMinutes", sun.offsetMinutes}});
}

StepAnchor StepAnchor::fromJson(const Json& json, const std::string& path) {
    const auto c = json::readCase(json, path, {"clock", "sun"});
    if (c.name == "clock") return Clock{c.payload.get("_0", ClockTime::fromJson)};
    return Sun{c.payload.get("_0", enumFromJson<SunEvent>), c.payload.integer("offsetMinutes")};
}

Json WeekendMode::toJson() const {
    if (is<SameAsWeekdays>()) return json::makeCase("sameAsWeekdays");
    if (const auto* s = as<Shifted>()) return json::makeCase("shifted", Json{{"minutes", s->minutes}});
    return json::makeCase("separate");
}

WeekendMode WeekendMode::fromJson(const Json& json, const std::string& path) {
    const auto c = json::readCase(json, path, {"sameAsWeekdays", "shifted", "separate"});
    if (c.name == "sameAsWeekdays") return SameAsWeekdays{};
    if (c.name == "shifted") return Shifted{c.payload.integer("minutes")};
    return Separate{};
}

Json ScheduleStep::toJson() const {
    return Json{{"id", id}, {"anchor", anchor.toJson()}, {"target", target.toJson()}, {"rampMinutes", rampMinutes}};
}

ScheduleStep ScheduleStep::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    ScheduleStep step;
    step.id = r.string("id");
    step.anchor = r.get("anchor", StepAnchor::fromJson);
    step.target = r.get("target", TintTarget::fromJson);
    step.rampMinutes = r.integer("rampMinutes");
    return step;
}

const std::vector<ScheduleStep>& ScheduleSettings::defaultSteps() {
    static const std::vector<ScheduleStep> steps{
        {"default.evening", StepAnchor::Clock{ClockTime(1140)}, TintTarget::Preset{"builtin.evening"}, 60},
        {"default.candle", StepAnchor::Clock{ClockTime(1260)}, TintTarget::Preset{"builtin.candle"}, 60},
        {"default.midnight", StepAnchor::Clock{ClockTime(1350)}, TintTarget::Preset{"builtin.midnight"}, 90},
        {"default.daylight", StepAnchor::Clock{ClockTime(420)}, TintTarget::Preset{"builtin.daylight"}, 30},
    };
    return steps;
}

Json ScheduleSettings::toJson() const {
    return Json{{"weekdaySteps", json::encodeList(weekdaySteps)},
                {"weekendMode", weekendMode.toJson()},
                {"weekendSteps", json::encodeList(weekendSteps)}};
}

ScheduleSettings ScheduleSettings::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    ScheduleSettings s;
    s.weekdaySteps = r.get("weekdaySteps", json::decodeList<ScheduleStep>);
    s.weekendMode = r.get("weekendMode", WeekendMode::fromJson);
    s.weekendSteps = r.get("weekendSteps", json::decodeList<ScheduleStep>);
    return s;
}

}  // namespace orvane
