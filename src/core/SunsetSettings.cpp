#include "core/SunsetSettings.h"

namespace orvane {

std::string_view title(SunEvent event) {
    switch (event) {
        case SunEvent::sunrise:
            return "Sunrise";
        case SunEvent::sunset:
            return "Sunset";
        case SunEvent::civilDusk:
            return "Civil dusk";
        case SunEvent::civilDawn:
            return "Civil dawn";
        case SunEvent::nauticalDusk:
            return "Nautical dusk";
        case SunEvent::nauticalDawn:
            return "Nautical dawn";
    }
    return {};
}

Json LateNightAnchor::toJson() const {
    if (const auto* c = as<Clock>()) return json::makeCase("clock", Json{{"_0", c->time.toJson()}});
    return json::makeCase("eventPlusHours", Json{{"_0", std::get<EventPlusHours>(value).hours}});
}

LateNightAnchor LateNightAnchor::fromJson(const Json& json, const std::string& path) {
    const auto c = json::readCase(json, path, {"clock", "eventPlusHours"});
    if (c.name == "clock") return Clock{c.payload.get("_0", ClockTime::fromJson)};
    return EventPlusHours{c.payload.number("_0")};
}

Json MorningBehavior::toJson() const {
    return std::visit(
        [](const auto& c) -> Json {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, OffAtSunrise>) return json::makeCase("offAtSunrise");
            else if constexpr (std::is_same_v<T, OffAtFixed>)
                return json::makeCase("offAtFixed", Json{{"_0", c.time.toJson()}});
            else if constexpr (std::is_same_v<T, RampOut>)
                return json::makeCase("rampOut", Json{{"minutes", c.minutes}});
            else return json::makeCase("rampOutBy", Json{{"_0", c.time.toJson()}, {"minutes", c.minutes}});
        },
        value);
}

MorningBehavior MorningBehavior::fromJson(const Json& json, const std::string& path) {
    const auto c = json::readCase(json, path, {"offAtSunrise", "offAtFixed", "rampOut", "rampOutBy"});
    if (c.name == "offAtSunrise") return OffAtSunrise{};
    if (c.name == "offAtFixed") return OffAtFixed{c.payload.get("_0", ClockTime::fromJson)};
    if (c.name == "rampOut") return RampOut{c.payload.integer("minutes")};
    return RampOutBy{c.payload.get("_0", ClockTime::fromJson), c.payload.integer("minutes")};
}

Json SunsetSettings::toJson() const {
    Json object{
        {"locationSource", locationSource.toJson()},
        {"eveningEvent", orvane::toJson(eveningEvent)},
        {"startOffsetMinutes", startOffsetMinutes},
        {"eveningRampMinutes", eveningRampMinutes},
        {"eveningTarget", eveningTarget.toJson()},
        {"lateNightEnabled", lateNightEnabled},
        {"lateNightAnchor", lateNightAnchor.toJson()},
        {"lateNightTarget", lateNightTarget.toJson()},
        {"lateNightRampMinutes", lateNightRampMinutes},
        {"morning", morning.toJson()},
        {"daytimeKelvin", daytimeKelvin},
        {"polarEvening", polarEvening.toJson()},
        {"polarMorning", polarMorning.toJson()},
    };
    json::putOptional(object, "cachedPreciseLatitude", cachedPreciseLatitude);
    json::putOptional(object, "cachedPreciseLongitude", cachedPreciseLongitude);
    return object;
}

SunsetSettings SunsetSettings::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    SunsetSettings s;
    s.locationSource = r.get("locationSource", LocationSource::fromJson);
    s.eveningEvent = r.get("eveningEvent", enumFromJson<SunEvent>);
    s.startOffsetMinutes = r.integer("startOffsetMinutes");
    s.eveningRampMinutes = r.integer("eveningRampMinutes");
    s.eveningTarget = r.get("eveningTarget", TintTarget::fromJson);
    s.lateNightEnabled = r.boolean("lateNightEnabled");
    s.lateNightAnchor = r.get("lateNightAnchor", LateNightAnchor::fromJson);
    s.lateNightTarget = r.get("lateNightTarget", TintTarget::fromJson);
    s.lateNightRampMinutes = r.integer("lateNightRampMinutes");
    s.morning = r.get("morning", MorningBehavior::fromJson);
    s.daytimeKelvin = r.integer("daytimeKelvin");
    s.polarEvening = r.get("polarEvening", ClockTime::fromJson);
    s.polarMorning = r.get("polarMorning", ClockTime::fromJson);
    s.cachedPreciseLatitude = r.optNumber("cachedPreciseLatitude");
    s.cachedPreciseLongitude = r.optNumber("cachedPreciseLongitude");
    return s;
}

}  // namespace orvane
