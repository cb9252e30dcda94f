#include "core/DisplaySettings.h"

#include <array>
#include <utility>

namespace orvane {

std::string_view title(TintMethod method) {
    switch (method) {
        case TintMethod::automatic:
            return "Automatic";
        case TintMethod::matrix:
            return "Color matrix";
        case TintMethod::nightShift:
            return "Night Shift + overlay";
        case TintMethod::overlay:
            return "Overlay tint";
        case TintMethod::gamma:
            return "Gamma table";
        case TintMethod::ddc:
            return "Hardware (DDC)";
    }
    return {};
}

std::string methodTitle(TintMethod method, bool macWords, bool nightLightAlone) {
    if (method != TintMethod::nightShift) return std::string(title(method));
    const std::string name = macWords ? "Night Shift" : "Night Light";
    return nightLightAlone ? name : name + " + overlay";
}

std::string_view title(BrightnessKeysMode mode) {
    switch (mode) {
        case BrightnessKeysMode::systemBacklight:
            return "System backlight";
        case BrightnessKeysMode::orvaneDim:
            return "Orvane dim";
        case BrightnessKeysMode::automatic:
            return "Automatic";
    }
    return {};
}

template <>
BrightnessKeysMode enumFromJson<BrightnessKeysMode>(const Json& value, const std::string& path) {
    const std::string name = json::asString(value, path);
    if (name == "tessomarDim" || name == "quorrelDim" || name == "orvaneDim") return BrightnessKeysMode::orvaneDim;
    if (name == "systemBacklight") return BrightnessKeysMode::systemBacklight;
    return BrightnessKeysMode::automatic;
}

std::string_view title(AntiDitheringScope scope) {
    switch (scope) {
        case AntiDitheringScope::off:
            return "Off";
        case AntiDitheringScope::externalOnly:
            return "External displays only";
        case AntiDitheringScope::allDisplays:
            return "All displays";
    }
    return {};
}

Json DisplaySettings::toJson() const {
    Json object{
        {"enabled", enabled},
        {"method", orvane::toJson(method)},
        {"warmthOffsetKelvin", warmthOffsetKelvin},
        {"dimOffset", dimOffset},
        {"steadyBacklight", steadyBacklight},
        {"backlightLevel", backlightLevel},
        {"methodCheckRejectedMatrix", methodCheckRejectedMatrix},
        {"lastKnownName", lastKnownName},
        {"isBuiltIn", isBuiltIn},
    };
    json::putOptional(object, "antiDithering", antiDithering);
    json::putOptional(object, "ddcBrightness", ddcBrightness);
    json::putOptional(object, "methodCheckResult", methodCheckResult, [](TintMethod m) { return orvane::toJson(m); });
    return object;
}

DisplaySettings DisplaySettings::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    DisplaySettings d;
    d.enabled = r.boolean("enabled");
    d.method = r.get("method", enumFromJson<TintMethod>);
    d.warmthOffsetKelvin = r.integer("warmthOffsetKelvin");
    d.dimOffset = r.number("dimOffset");
    d.antiDithering = r.optBoolean("antiDithering");
    d.steadyBacklight = r.boolean("steadyBacklight");
    d.backlightLevel = r.number("backlightLevel");
    d.ddcBrightness = r.optBoolean("ddcBrightness");
    d.methodCheckResult = r.opt("methodCheckResult", enumFromJson<TintMethod>);
    d.methodCheckRejectedMatrix = r.boolean("methodCheckRejectedMatrix");
    d.lastKnownName = r.string("lastKnownName");
    d.isBuiltIn = r.boolean("isBuiltIn");
    return d;
}

Json SteadyBacklightSettings::toJson() const {
    return Json{{"enabled", enabled}, {"level", level}, {"tipShown", tipShown}};
}

SteadyBacklightSettings SteadyBacklightSettings::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    SteadyBacklightSettings s;
    s.enabled = r.boolean("enabled");
    s.level = r.number("level");
    s.tipShown = r.boolean("tipShown");
    return s;
}

const std::vector<ExcludedApp>& ExcludedApp::suggestions() {
    static const std::vector<ExcludedApp> apps{
        {"com.adobe.Photoshop", "Photoshop", false},    {"com.adobe.Lightroom", "Lightroom", false},
        {"com.apple.FinalCut", "Final Cut Pro", false}, {"com.seriflabs.affinityphoto2", "Affinity Photo", false},
        {"com.figma.Desktop", "Figma", false},
    };
    return apps;
}

Json ExcludedApp::toJson() const {
    return Json{{"bundleID", bundleID}, {"name", name}, {"onlyWhenFullScreen", onlyWhenFullScreen}};
}

ExcludedApp ExcludedApp::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    ExcludedApp app;
    app.bundleID = r.string("bundleID");
    app.name = r.string("name");
    app.onlyWhenFullScreen = r.boolean("onlyWhenFullScreen");
    return app;
}

namespace {

using HotkeyField = std::optional<Hotkey> Shortcuts::*;
constexpr std::array<std::pair<const char*, HotkeyField>, 10> shortcutFields{{
    {"reveal", &Shortcuts::reveal},
    {"toggle", &Shortcuts::toggle},
    {"warmer", &Shortcuts::warmer},
    {"cooler", &Shortcuts::cooler},
    {"dimmer", &Shortcuts::dimmer},
    {"brighter", &Shortcuts::brighter},
    {"nextPreset", &Shortcuts::nextPreset},
    {"cozy", &Shortcuts::cozy},
    {"disableOneHour", &Shortcuts::disableOneHour},
    {"openPopover", &Shortcuts::openPopover},
}};

}  // namespace

Json Shortcuts::toJson() const {
    static const Shortcuts defaults;
    Json object = Json::object();
    for (const auto& [key, field] : shortcutFields) {
        if (const auto& hotkey = this->*field) object[key] = hotkey->toJson();
        else if (defaults.*field) object[key] = nullptr;
    }
    return object;
}

Shortcuts Shortcuts::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    Shortcuts s;
    for (const auto& [key, field] : shortcutFields) s.*field = r.opt(key, Hotkey::fromJson);
    return s;
}

Json Calibration::toJson() const {
    Json object{
        {"layerColorMode", orvane::toJson(layerColorMode)},
        {"readableRedStrategy", orvane::toJson(readableRedStrategy)},
        {"darkroomVerified", darkroomVerified},
        {"readableRedVerified", readableRedVerified},
    };
    json::putOptional(object, "lastSelfTestPassed", lastSelfTestPassed);
    json::putOptional(object, "lastSelfTestDate", lastSelfTestDate, json::encodeDate);
    return object;
}

Calibration Calibration::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    Calibration c;
    c.layerColorMode = r.get("layerColorMode", enumFromJson<LayerColorMode>);
    c.readableRedStrategy = r.get("readableRedStrategy", enumFromJson<ReadableRedStrategy>);
    c.darkroomVerified = r.boolean("darkroomVerified");
    c.readableRedVerified = r.boolean("readableRedVerified");
    c.lastSelfTestPassed = r.optBoolean("lastSelfTestPassed");
    c.lastSelfTestDate = r.optDate("lastSelfTestDate");
    return c;
}

}  // namespace orvane
