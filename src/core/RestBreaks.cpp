#include "core/RestBreaks.h"

#include "core/Kelvin.h"

namespace orvane {

Json RestBreakSettings::toJson() const {
    return Json{{"enabled", enabled}, {"everyMinutes", everyMinutes}, {"seconds", seconds}};
}

RestBreakSettings RestBreakSettings::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    RestBreakSettings s;
    s.enabled = r.boolean("enabled");
    s.everyMinutes = r.integer("everyMinutes");
    s.seconds = r.integer("seconds");
    return s;
}

bool RestBreakTimer::sample(double elapsed, double idle, bool blocked, double every) {
    if (idle >= naturalBreak) {
        activeSeconds = 0;
        return false;
    }
    // A long gap between samples (the machine slept) must not count as hours of use.
    if (idle < activeIdleLimit) activeSeconds += clamped(elapsed, 0.0, 120.0);
    if (blocked) {
        unblocked_ = 0;
        return false;
    }
    unblocked_ += elapsed > 0 ? elapsed : 0;
    return activeSeconds >= every && unblocked_ >= graceAfterBlocked;
}

}  // namespace orvane
