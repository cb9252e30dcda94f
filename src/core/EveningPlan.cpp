#include "core/EveningPlan.h"

#include "core/Hash.h"

namespace orvane {

std::string_view title(EveningIntensity intensity) {
    switch (intensity) {
        case EveningIntensity::gentle:
            return "Gentle";
        case EveningIntensity::warm:
            return "Warm";
        case EveningIntensity::deepRed:
            return "Deep red";
    }
    return {};
}

Preset::BuiltIn eveningPreset(EveningIntensity intensity) {
    return intensity == EveningIntensity::deepRed ? Preset::BuiltIn::candle : Preset::BuiltIn::evening;
}

Preset::BuiltIn nightPreset(EveningIntensity intensity) {
    switch (intensity) {
        case EveningIntensity::gentle:
            return Preset::BuiltIn::candle;
        case EveningIntensity::warm:
            return Preset::BuiltIn::ember;
        case EveningIntensity::deepRed:
            return Preset::BuiltIn::midnight;
    }
    return Preset::BuiltIn::ember;
}

ClockTime EveningPlan::nightStart() const {
    // Reduced first so that a stored out-of-range bedtime cannot overflow.
    return ClockTime(bedtime.minutes % 1440 - deepestBeforeBedMinutes - nightRampMinutes);
}

void EveningPlan::apply(SunsetSettings& s) const {
    s.eveningEvent = SunEvent::sunset;
    s.startOffsetMinutes = -30;
    s.eveningRampMinutes = 60;
    s.eveningTarget = TintTarget::preset(id(eveningPreset(intensity)));
    s.lateNightEnabled = true;
    s.lateNightAnchor = LateNightAnchor::Clock{nightStart()};
    s.lateNightTarget = TintTarget::preset(id(nightPreset(intensity)));
    s.lateNightRampMinutes = nightRampMinutes;
    s.morning = MorningBehavior::RampOutBy{wake, morningRampMinutes};
    s.daytimeKelvin = 6500;
}

std::optional<EveningPlan> EveningPlan::matching(const SunsetSettings& settings) {
    const auto* anchor = settings.lateNightAnchor.as<LateNightAnchor::Clock>();
    const auto* morning = settings.morning.as<MorningBehavior::RampOutBy>();
    if (!anchor || !morning) return std::nullopt;
    const ClockTime bedtime(anchor->time.minutes % 1440 + deepestBeforeBedMinutes + nightRampMinutes);
    for (const EveningIntensity intensity : allCases<EveningIntensity>()) {
        const EveningPlan plan{bedtime, morning->time, intensity};
        SunsetSettings copy = settings;
        plan.apply(copy);
        if (copy == settings) return plan;
    }
    return std::nullopt;
}

Json EveningPlan::toJson() const {
    return Json{{"bedtime", bedtime.toJson()}, {"wake", wake.toJson()}, {"intensity", orvane::toJson(intensity)}};
}

EveningPlan EveningPlan::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    EveningPlan plan;
    plan.bedtime = reader.get("bedtime", ClockTime::fromJson);
    plan.wake = reader.get("wake", ClockTime::fromJson);
    plan.intensity = reader.get("intensity", enumFromJson<EveningIntensity>);
    return plan;
}

}  // namespace orvane

std::size_t std::hash<orvane::EveningPlan>::operator()(const orvane::EveningPlan& p) const noexcept {
    return orvane::hashValues(p.bedtime.minutes, p.wake.minutes, std::string(orvane::toString(p.intensity)));
}
