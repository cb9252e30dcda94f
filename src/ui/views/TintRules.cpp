#include "ui/views/TintRules.h"

#include <cmath>

#include "app/AppModel.h"
#include "core/Kelvin.h"
#include "core/Percent.h"
#include "core/ShortTime.h"

namespace orvane::kit::TintRules {

double warmthPosition(std::int64_t kelvin) { return (6500.0 - static_cast<double>(kelvin)) / 6000.0; }

std::int64_t kelvinAt(double position) {
    const double p = std::isnan(position) ? 0.0 : std::clamp(position, -1.0, 2.0);
    return Kelvin::snap(6500 - std::llround(p * 6000));
}

std::vector<double> presetDetents(const std::vector<Preset>& presets) {
    std::vector<double> detents;
    detents.reserve(presets.size());
    for (const auto& preset : presets) detents.push_back(warmthPosition(preset.kelvin));
    return detents;
}

double dimPosition(double dim, double floor) { return (dim - floor) / (1 - floor); }
double dimAt(double position, double floor) { return std::min(std::max(floor + position * (1 - floor), floor), 1.0); }

std::string kelvinText(std::int64_t kelvin) { return std::to_string(kelvin) + "K"; }
std::string dimText(double dim) { return std::to_string(percentRounded(dim)) + "%"; }

std::string modeName(Mode mode) { return std::string(title(mode)); }

std::string stateLine(bool enabled, const TintStatus& status, Mode mode, bool warming, Date now, const TimeZone& zone) {
    if (!enabled) return "Off";
    const std::string name = modeName(mode);
    if (const auto* d = std::get_if<TintStatus::DisabledUntil>(&status.value)) {
        if (d->date.timeIntervalSince(now) <= 604800)
            return "True color until " + ShortTime::of(Calendar(zone), d->date);
        return "True color while Focus is on";
    }
    if (const auto* e = std::get_if<TintStatus::ExcludedApp>(&status.value)) return "Not tinted in " + e->name;
    if (std::holds_alternative<TintStatus::PausedUntil>(status.value)) return "Manual hold · " + name;
    return (warming ? "Warming · " : "Daylight · ") + name;
}

TimeZone placeZone(const AppModel& model) { return model.placeZone(); }

std::string stateLine(const AppModel& model, Date now) {
    if (model.settings().enabled)
        if (const auto reason = model.notTintedReason()) return "Not tinted: " + *reason;
    return stateLine(model.settings().enabled, model.resolution().status, model.settings().mode, model.isWarming(), now,
                     placeZone(model));
}

}  // namespace orvane::kit::TintRules
