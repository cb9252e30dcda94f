#pragma once
// The user's whole configuration as one value record, stored as "settings.json" through
// SettingsCodec. The record enforces no ranges; loading clamps them.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CaseNames.h"
#include "core/DisplaySettings.h"
#include "core/Presets.h"
#include "core/RestBreaks.h"
#include "core/ScheduleSettings.h"
#include "core/SunsetSettings.h"
#include "core/TintState.h"
#include "support/Json.h"

namespace orvane {

// The fade length of a change.
enum class Smoothing { instant, ms150, ms400 };
inline constexpr CaseNames<Smoothing, 3> smoothingNames{
    "Smoothing", {{{Smoothing::instant, "instant"}, {Smoothing::ms150, "ms150"}, {Smoothing::ms400, "ms400"}}}};
constexpr const auto& caseNames(Smoothing) { return smoothingNames; }
std::string_view title(Smoothing smoothing);
double duration(Smoothing smoothing);  // seconds

// What drives the tint.
enum class Mode { manual, sunset, schedule };
inline constexpr CaseNames<Mode, 3> modeNames{
    "Mode", {{{Mode::manual, "manual"}, {Mode::sunset, "sunset"}, {Mode::schedule, "schedule"}}}};
constexpr const auto& caseNames(Mode) { return modeNames; }
std::string_view title(Mode mode);

// What happens to a tint set by hand while an automatic mode runs.
enum class OverrideBehavior { keepUntilMorning, pauseUntilNextStep, pauseOneHour, switchToManual };
inline constexpr CaseNames<OverrideBehavior, 4> overrideBehaviorNames{
    "OverrideBehavior",
    {{{OverrideBehavior::keepUntilMorning, "keepUntilMorning"},
      {OverrideBehavior::pauseUntilNextStep, "pauseUntilNextStep"},
      {OverrideBehavior::pauseOneHour, "pauseOneHour"},
      {OverrideBehavior::switchToManual, "switchToManual"}}}};
constexpr const auto& caseNames(OverrideBehavior) { return overrideBehaviorNames; }
std::string_view title(OverrideBehavior behavior);
std::string_view detail(OverrideBehavior behavior);

struct Settings {
    static constexpr std::int64_t currentVersion = 3;

    std::int64_t version = currentVersion;
    bool enabled = true;
    std::int64_t manualKelvin = 3400;
    double manualDim = 1.0;
    double dimFloor = 0.05;
    RedStyle redStyle = RedStyle::readable;
    bool darkroom = false;
    Smoothing smoothing = Smoothing::ms150;
    bool hapticDetents = true;
    double deepRedStrength = 0.6;
    std::int64_t nightShiftFloorKelvin = 2700;
    std::vector<Preset> presets = Preset::builtIns();
    Mode mode = Mode::sunset;
    SunsetSettings sunset{};
    ScheduleSettings schedule{};
    OverrideBehavior overrideBehavior = OverrideBehavior::keepUntilMorning;
    std::map<std::string, DisplaySettings> displays{};  // by display key; absent: never configured
    SteadyBacklightSettings steadyBacklight{};
    BrightnessKeysMode brightnessKeys = BrightnessKeysMode::automatic;
    bool showBrightnessHUD = true;
    AntiDitheringScope antiDithering = AntiDitheringScope::off;
    bool pointerTint = false;
    std::int64_t pointerTintThreshold = 1500;
    bool nightShiftTipDismissed = false;
    RestBreakSettings restBreaks{};
    std::vector<ExcludedApp> excludedApps{};
    Smoothing exclusionFade = Smoothing::ms150;
    bool securityPromptAutoReveal = true;
    Shortcuts shortcuts{};
    bool revealTapToggles = false;
    std::int64_t warmthStepKelvin = 250;
    double dimStep = 0.05;
    bool launchAtLogin = true;
    bool showMenuBarIcon = true;
    bool showKelvinInMenuBar = false;
    bool hideTintFromScreenshots = false;
    bool sounds = true;
    bool statisticsEnabled = true;
    bool debugLogging = false;
    bool onboardingCompleted = false;
    Calibration calibration{};

    // The first preset with that id, else the built-in one, so a deleted built-in is still found.
    std::optional<Preset> preset(const std::string& id) const;
    // The display's entry, or the defaults when it has none; the map is not changed.
    DisplaySettings displaySettings(const std::string& displayKey) const;
    // Resets every built-in preset in place (keeping its hotkey); missing ones go to the front.
    void restoreBuiltInPresets();

    bool operator==(const Settings&) const = default;

    // Every one of the 41 keys is required: completing a partial document is the codec's job.
    Json toJson() const;
    static Settings fromJson(const Json& json, const std::string& path = "");
};

}  // namespace orvane
