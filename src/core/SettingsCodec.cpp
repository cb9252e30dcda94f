#include "core/SettingsCodec.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

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

// The document as decoding reads it: migrated and laid over the defaults (`base`).
Json prepared(const Json& base, std::string_view data) {
    const Json input = json::parse(data);
    if (!input.is_object() && !input.is_array())
        throw JsonError(JsonError::Kind::parse,
                        "The given data was not valid JSON. JSON text did not start with array or object.");
    Json merged = SettingsCodec::deepMerge(base, SettingsCodec::migrate(input));
    // The stored version has done its work in migrate and is replaced below; a hand-edited
    // one of the wrong type ("2") must not make the whole document unreadable.
    if (merged.is_object()) merged["version"] = Settings::currentVersion;
    return merged;
}

Settings finished(Settings settings, SettingsAdjustments* adjustments = nullptr) {
    settings.version = Settings::currentVersion;
    return SettingsCodec::sanitize(std::move(settings), adjustments);
}

// The decoder's reason for refusing a whole document, none when it takes it.
std::optional<std::string> refusal(const Json& document) {
    try {
        Settings::fromJson(document);
        return std::nullopt;
    } catch (const JsonError& e) {
        return e.description();
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
}

// The whole document with `candidate` at the place being looked at and the defaults
// everywhere else, so each value is judged on its own.
using Within = std::function<Json(Json candidate)>;

std::string childPath(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

// `value`, refused at its place, with each part the decoder refuses on its own replaced by
// `base`'s (or left out where `base` has none). A value whose parts all pass but not
// together, or that has no parts, goes back to `base` whole.
Json repaired(const Json& value, const Json& base, const std::string& path, const Within& within,
              std::vector<SettingsCodec::Salvaged::Reset>& reset) {
    const auto whole = [&] {
        reset.push_back({path, refusal(within(value)).value_or("")});
        return base;
    };
    const std::size_t before = reset.size();
    const auto together = [&](Json result) {
        if (!refusal(within(result))) return result;
        reset.resize(before);
        return whole();
    };
    const bool otherCase = isCaseObject(base) && isCaseObject(value) && base.begin().key() != value.begin().key();
    if (value.is_object() && base.is_object() && !otherCase) {
        Json result = value;
        for (const auto& [key, part] : value.items()) {
            const auto known = base.find(key);
            if (known != base.end() && *known == part) continue;
            const auto placed = [&, key = key](Json candidate) {
                Json around = base;
                around[key] = std::move(candidate);
                return within(std::move(around));
            };
            const auto error = refusal(placed(part));
            if (!error) continue;
            if (known != base.end()) {
                result[key] = repaired(part, *known, childPath(path, key), placed, reset);
            } else {
                result.erase(key);
                reset.push_back({childPath(path, key), *error});
            }
        }
        return together(std::move(result));
    }
    if (value.is_array() && base.is_array()) {
        Json result = Json::array();
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (const auto error = refusal(within(Json::array({value[i]}))))
                reset.push_back({path + "[" + std::to_string(i) + "]", *error});
            else result.push_back(value[i]);
        }
        return together(std::move(result));
    }
    return whole();
}

}  // namespace

std::string SettingsCodec::encode(const Settings& settings) { return json::encodePretty(settings.toJson()); }

Settings SettingsCodec::decode(std::string_view data, SettingsAdjustments* adjustments) {
    const Json base = json::parse(encode(Settings()));
    return finished(Settings::fromJson(prepared(base, data)), adjustments);
}

SettingsCodec::Salvaged SettingsCodec::salvage(std::string_view data) {
    const Json base = json::parse(encode(Settings()));
    const Json merged = prepared(base, data);
    Salvaged out;
    if (!merged.is_object() || !refusal(merged)) {
        out.settings = finished(Settings::fromJson(merged));
        return out;
    }
    const Json result = repaired(
        merged, base, "", [](Json candidate) { return candidate; }, out.reset);
    // Values that pass one by one but not together: the document is unreadable as a whole.
    if (out.reset.size() == 1 && out.reset.front().path.empty()) Settings::fromJson(merged);
    out.settings = finished(Settings::fromJson(result));
    return out;
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
