#include "core/Settings.h"

#include <algorithm>

namespace orvane {

std::string_view title(Smoothing smoothing) {
    switch (smoothing) {
        case Smoothing::instant:
            return "Instant";
        case Smoothing::ms150:
            return "150 ms";
        case Smoothing::ms400:
            return "400 ms";
    }
    return {};
}

double duration(Smoothing smoothing) {
    switch (smoothing) {
        case Smoothing::instant:
            return 0;
        case Smoothing::ms150:
            return 0.15;
        case Smoothing::ms400:
            return 0.4;
    }
    return 0;
}

std::string_view title(Mode mode) {
    switch (mode) {
        case Mode::manual:
            return "Manual";
        case Mode::sunset:
            return "Sunset";
        case Mode::schedule:
            return "Schedule";
    }
    return {};
}

std::string_view title(OverrideBehavior behavior) {
    switch (behavior) {
        case OverrideBehavior::keepUntilMorning:
            return "Keep until morning";
        case OverrideBehavior::pauseUntilNextStep:
            return "Keep until the next step";
        case OverrideBehavior::pauseOneHour:
            return "Keep for 1 hour";
        case OverrideBehavior::switchToManual:
            return "Switch to Manual";
    }
    return {};
}

std::string_view detail(OverrideBehavior behavior) {
    switch (behavior) {
        case OverrideBehavior::keepUntilMorning:
            return "A change in the evening stays until morning. A change during the day stays until the evening "
                   "begins.";
        case OverrideBehavior::pauseUntilNextStep:
            return "Your change stays until the evening moves on to its next step.";
        case OverrideBehavior::pauseOneHour:
            return "Your change stays for an hour.";
        case OverrideBehavior::switchToManual:
            return "Sunset and Schedule turn off. Your change stays until you change it again.";
    }
    return {};
}

namespace {

Json displaysToJson(const std::map<std::string, DisplaySettings>& displays) {
    Json object = Json::object();
    for (const auto& [key, display] : displays) object[key] = display.toJson();
    return object;
}

std::map<std::string, DisplaySettings> displaysFromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    std::map<std::string, DisplaySettings> displays;
    for (const auto& [key, value] : json.items())
        displays.emplace(key, DisplaySettings::fromJson(value, r.pathOf(key)));
    return displays;
}

}  // namespace

std::optional<Preset> Settings::preset(const std::string& id) const {
    const auto matches = [&](const Preset& p) { return p.id == id; };
    if (auto it = std::find_if(presets.begin(), presets.end(), matches); it != presets.end()) return *it;
    const auto& builtIns = Preset::builtIns();
    if (auto it = std::find_if(builtIns.begin(), builtIns.end(), matches); it != builtIns.end()) return *it;
    return std::nullopt;
}

DisplaySettings Settings::displaySettings(const std::string& displayKey) const {
    const auto it = displays.find(displayKey);
    return it != displays.end() ? it->second : DisplaySettings();
}

void Settings::restoreBuiltInPresets() {
    for (const auto& builtIn : Preset::builtIns()) {
        const auto it =
            std::find_if(presets.begin(), presets.end(), [&](const Preset& p) { return p.id == builtIn.id; });
        if (it == presets.end()) {
            presets.insert(presets.begin(), builtIn);
        } else {
            auto hotkey = it->hotkey;  // the user's key stays with the preset
            *it = builtIn;
            it->hotkey = std::move(hotkey);
        }
    }
}

Json Settings::toJson() const {
    return Json{
        {"version", version},
        {"enabled", enabled},
        {"manualKelvin", manualKelvin},
        {"manualDim", manualDim},
        {"dimFloor", dimFloor},
        {"redStyle", orvane::toJson(redStyle)},
        {"darkroom", darkroom},
        {"smoothing", orvane::toJson(smoothing)},
        {"hapticDetents", hapticDetents},
        {"deepRedStrength", deepRedStrength},
        {"nightShiftFloorKelvin", nightShiftFloorKelvin},
        {"presets", json::encodeList(presets)},
        {"mode", orvane::toJson(mode)},
        {"sunset", sunset.toJson()},
        {"schedule", schedule.toJson()},
        {"overrideBehavior", orvane::toJson(overrideBehavior)},
        {"displays", displaysToJson(displays)},
        {"steadyBacklight", steadyBacklight.toJson()},
        {"brightnessKeys", orvane::toJson(brightnessKeys)},
        {"showBrightnessHUD", showBrightnessHUD},
        {"antiDithering", orvane::toJson(antiDithering)},
        {"pointerTint", pointerTint},
        {"pointerTintThreshold", pointerTintThreshold},
        {"nightShiftTipDismissed", nightShiftTipDismissed},
        {"restBreaks", restBreaks.toJson()},
        {"excludedApps", json::encodeList(excludedApps)},
        {"exclusionFade", orvane::toJson(exclusionFade)},
        {"securityPromptAutoReveal", securityPromptAutoReveal},
        {"shortcuts", shortcuts.toJson()},
        {"revealTapToggles", revealTapToggles},
        {"warmthStepKelvin", warmthStepKelvin},
        {"dimStep", dimStep},
        {"launchAtLogin", launchAtLogin},
        {"showMenuBarIcon", showMenuBarIcon},
        {"showKelvinInMenuBar", showKelvinInMenuBar},
        {"hideTintFromScreenshots", hideTintFromScreenshots},
        {"sounds", sounds},
        {"statisticsEnabled", statisticsEnabled},
        {"debugLogging", debugLogging},
        {"onboardingCompleted", onboardingCompleted},
        {"calibration", calibration.toJson()},
    };
}

Settings Settings::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader r(json, path);
    Settings s;
    s.version = r.integer("version");
    s.enabled = r.boolean("enabled");
    s.manualKelvin = r.integer("manualKelvin");
    s.manualDim = r.number("manualDim");
    s.dimFloor = r.number("dimFloor");
    s.redStyle = r.get("redStyle", enumFromJson<RedStyle>);
    s.darkroom = r.boolean("darkroom");
    s.smoothing = r.get("smoothing", enumFromJson<Smoothing>);
    s.hapticDetents = r.boolean("hapticDetents");
    s.deepRedStrength = r.number("deepRedStrength");
    s.nightShiftFloorKelvin = r.integer("nightShiftFloorKelvin");
    s.presets = r.get("presets", json::decodeList<Preset>);
    s.mode = r.get("mode", enumFromJson<Mode>);
    s.sunset = r.get("sunset", SunsetSettings::fromJson);
    s.schedule = r.get("schedule", ScheduleSettings::fromJson);
    s.overrideBehavior = r.get("overrideBehavior", enumFromJson<OverrideBehavior>);
    s.displays = r.get("displays", displaysFromJson);
    s.steadyBacklight = r.get("steadyBacklight", SteadyBacklightSettings::fromJson);
    s.brightnessKeys = r.get("brightnessKeys", enumFromJson<BrightnessKeysMode>);
    s.showBrightnessHUD = r.boolean("showBrightnessHUD");
    s.antiDithering = r.get("antiDithering", enumFromJson<AntiDitheringScope>);
    s.pointerTint = r.boolean("pointerTint");
    s.pointerTintThreshold = r.integer("pointerTintThreshold");
    s.nightShiftTipDismissed = r.boolean("nightShiftTipDismissed");
    s.restBreaks = r.get("restBreaks", RestBreakSettings::fromJson);
    s.excludedApps = r.get("excludedApps", json::decodeList<ExcludedApp>);
    s.exclusionFade = r.get("exclusionFade", enumFromJson<Smoothing>);
    s.securityPromptAutoReveal = r.boolean("securityPromptAutoReveal");
    s.shortcuts = r.get("shortcuts", Shortcuts::fromJson);
    s.revealTapToggles = r.boolean("revealTapToggles");
    s.warmthStepKelvin = r.integer("warmthStepKelvin");
    s.dimStep = r.number("dimStep");
    s.launchAtLogin = r.boolean("launchAtLogin");
    s.showMenuBarIcon = r.boolean("showMenuBarIcon");
    s.showKelvinInMenuBar = r.boolean("showKelvinInMenuBar");
    s.hideTintFromScreenshots = r.boolean("hideTintFromScreenshots");
    s.sounds = r.boolean("sounds");
    s.statisticsEnabled = r.boolean("statisticsEnabled");
    s.debugLogging = r.boolean("debugLogging");
    s.onboardingCompleted = r.boolean("onboardingCompleted");
    s.calibration = r.get("calibration", Calibration::fromJson);
    return s;
}

}  // namespace orvane
