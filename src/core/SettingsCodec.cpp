#include "core/SettingsCodec.h"

#include <algorithm>
#include <cmath>

#include "core/Kelvin.h"

namespace orvane {

namespace {

// Integral numbers only ("2", 2.5 and true are no version); a document without one is version 1.
double storedVersion(const Json& object) {
    const auto it = object.find("version");
    if (it == object.end() || !it->is_number()) return 1;
    const double v = it->get<double>();
    return std::trunc(v) == v ? v : 1;
}

// The sunset values that version 1 wrote as its defaults.
Json versionOneSunset() {
    SunsetSettings old;
    old.lateNightAnchor = LateNightAnchor::Clock{ClockTime(1350)};
    old.lateNightTarget = TintTarget::preset("builtin.midnight");
    old.morning = MorningBehavior::RampOut{30};
    return json::parse(json::encodeCompact(old.toJson()));
}

// Clamps `value` into range, telling `adjustments` (where given) when that changed it.
template <class T>
void clampInto(T& value, std::type_identity_t<T> lower, std::type_identity_t<T> upper, const std::string& key,
               SettingsAdjustments* adjustments) {
    const T kept = clamped(value, lower, upper);
    if (adjustments && !(kept == value)) adjustments->push_back({key, value, kept});  // NaN too
    value = kept;
}

// The one-key object of an enumeration with payload: {"caseName": {...}}.
bool isCaseObject(const Json& value) { return value.is_object() && value.size() == 1 && value.begin()->is_object(); }

}  // namespace

std::string SettingsCodec::encode(const Settings& settings) { return json::encodePretty(settings.toJson()); }

Settings SettingsCodec::decode(std::string_view data, SettingsAdjustments* adjustments) {
    const Json base = json::parse(encode(Settings()));
    const Json input = json::parse(data);
    if (!input.is_object() && !input.is_array())
        throw JsonError(JsonError::Kind::parse,
                        "The given data was not valid JSON. JSON text did not start with array or object.");
    Json merged = deepMerge(base, migrate(input));
    // The stored version has done its work in migrate and is replaced below; a hand-edited
    // one of the wrong type ("2") must not make the whole document unreadable.
    if (merged.is_object()) merged["version"] = Settings::currentVersion;
    Settings settings = Settings::fromJson(merged);
    settings.version = Settings::currentVersion;
    return sanitize(std::move(settings), adjustments);
}

Json SettingsCodec::migrate(Json object) {
    if (!object.is_object()) return object;
    const double version = storedVersion(object);
    if (version >= 3) return object;

    if (version < 2) {
        const auto sunset = object.find("sunset");
        if (sunset != object.end() && sunset->is_object()) {
            Json stored = *sunset;
            try {
                const Json old = versionOneSunset();
                // Only values the user never changed fall back; a chosen one stays.
                for (const char* key : {"lateNightAnchor", "lateNightTarget", "morning"}) {
                    const auto it = stored.find(key);
                    if (it != stored.end() && *it == old.at(key)) stored.erase(key);
                }
            } catch (const std::exception&) {
                // Without the old defaults nothing can be told apart; keep what is stored.
            }
            *sunset = std::move(stored);
        }
    }
    const auto behaviour = object.find("overrideBehavior");
    if (behaviour != object.end() && *behaviour == "pauseUntilNextStep") object.erase(behaviour);
    return object;
}

Json SettingsCodec::deepMerge(const Json& base, const Json& overlay) {
    if (!base.is_object() || !overlay.is_object()) return overlay;
    // Merging two different cases would leave two case keys, which no decoder accepts.
    if (isCaseObject(base) && isCaseObject(overlay) && base.begin().key() != overlay.begin().key()) return overlay;
    Json::object_t result;
    for (const auto& [key, value] : base.items()) {
        const auto it = overlay.find(key);
        result.emplace(key, it != overlay.end() ? deepMerge(value, *it) : value);
    }
    for (const auto& [key, value] : overlay.items()) result.emplace(key, value);  // keys the base lacks
    return result;
}

Settings SettingsCodec::sanitize(Settings s, SettingsAdjustments* adjustments) {
    clampInto(s.manualKelvin, 500, 6500, "manualKelvin", adjustments);
    clampInto(s.manualDim, 0.0, 1.0, "manualDim", adjustments);
    clampInto(s.dimFloor, 0.01, 0.3, "dimFloor", adjustments);
    clampInto(s.deepRedStrength, 0.2, 0.9, "deepRedStrength", adjustments);
    clampInto(s.nightShiftFloorKelvin, 1000, 3400, "nightShiftFloorKelvin", adjustments);
    clampInto(s.warmthStepKelvin, 50, 2000, "warmthStepKelvin", adjustments);
    clampInto(s.dimStep, 0.01, 0.5, "dimStep", adjustments);
    clampInto(s.pointerTintThreshold, 500, 6500, "pointerTintThreshold", adjustments);

    for (const auto& builtIn : Preset::builtIns()) {
        const bool present = std::ranges::any_of(s.presets, [&](const Preset& p) { return p.id == builtIn.id; });
        if (!present) s.presets.push_back(builtIn);
    }
    for (auto& [key, display] : s.displays) {
        const std::string at = "displays." + key + ".";
        clampInto(display.warmthOffsetKelvin, -1500, 1500, at + "warmthOffsetKelvin", adjustments);
        clampInto(display.dimOffset, -0.5, 0.5, at + "dimOffset", adjustments);
        clampInto(display.backlightLevel, 0.1, 1.0, at + "backlightLevel", adjustments);
    }
    clampInto(s.steadyBacklight.level, 0.1, 1.0, "steadyBacklight.level", adjustments);
    clampInto(s.restBreaks.everyMinutes, 10, 90, "restBreaks.everyMinutes", adjustments);
    clampInto(s.restBreaks.seconds, 10, 60, "restBreaks.seconds", adjustments);
    return s;
}

}  // namespace orvane
