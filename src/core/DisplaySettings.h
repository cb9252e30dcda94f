#pragma once
// What the settings hold for the displays, the comfort features, the global hotkeys and
// the calibration of the overlay back-ends.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CaseNames.h"
#include "core/Presets.h"
#include "support/Date.h"
#include "support/Json.h"

namespace orvane {

// How a display is tinted; `automatic` leaves the choice to the method heuristic.
enum class TintMethod { automatic, matrix, nightShift, overlay, gamma, ddc };
inline constexpr CaseNames<TintMethod, 6> tintMethodNames{"TintMethod",
                                                          {{{TintMethod::automatic, "automatic"},
                                                            {TintMethod::matrix, "matrix"},
                                                            {TintMethod::nightShift, "nightShift"},
                                                            {TintMethod::overlay, "overlay"},
                                                            {TintMethod::gamma, "gamma"},
                                                            {TintMethod::ddc, "ddc"}}}};
constexpr const auto& caseNames(TintMethod) { return tintMethodNames; }
std::string_view title(TintMethod method);
// The title as this computer's user knows it: outside the Mac the desktop's night light is
// "Night Light", and alone where no overlay can join it (overlays cannot be shown).
std::string methodTitle(TintMethod method, bool macWords, bool nightLightAlone);

// What the keyboard's brightness keys do.
enum class BrightnessKeysMode { systemBacklight, orvaneDim, automatic };
inline constexpr CaseNames<BrightnessKeysMode, 3> brightnessKeysModeNames{
    "BrightnessKeysMode",
    {{{BrightnessKeysMode::systemBacklight, "systemBacklight"},
      {BrightnessKeysMode::orvaneDim, "orvaneDim"},
      {BrightnessKeysMode::automatic, "automatic"}}}};
constexpr const auto& caseNames(BrightnessKeysMode) { return brightnessKeysModeNames; }
std::string_view title(BrightnessKeysMode mode);
// Never rejects a string: the earlier names of the own-dimming case still mean it, and
// any other name means `automatic`. Only a value that is not a string fails.
template <>
BrightnessKeysMode enumFromJson<BrightnessKeysMode>(const Json& value, const std::string& path);

// On which displays temporal dithering is turned off.
enum class AntiDitheringScope { off, externalOnly, allDisplays };
inline constexpr CaseNames<AntiDitheringScope, 3> antiDitheringScopeNames{
    "AntiDitheringScope",
    {{{AntiDitheringScope::off, "off"},
      {AntiDitheringScope::externalOnly, "externalOnly"},
      {AntiDitheringScope::allDisplays, "allDisplays"}}}};
constexpr const auto& caseNames(AntiDitheringScope) { return antiDitheringScopeNames; }
std::string_view title(AntiDitheringScope scope);

// How an overlay layer's colour is derived from channel gains.
enum class LayerColorMode { linear, encodedSRGB, rawSRGB };
inline constexpr CaseNames<LayerColorMode, 3> layerColorModeNames{"LayerColorMode",
                                                                  {{{LayerColorMode::linear, "linear"},
                                                                    {LayerColorMode::encodedSRGB, "encodedSRGB"},
                                                                    {LayerColorMode::rawSRGB, "rawSRGB"}}}};
constexpr const auto& caseNames(LayerColorMode) { return layerColorModeNames; }

// How the overlay back-ends draw readable red.
enum class ReadableRedStrategy { layers, panels };
inline constexpr CaseNames<ReadableRedStrategy, 2> readableRedStrategyNames{
    "ReadableRedStrategy", {{{ReadableRedStrategy::layers, "layers"}, {ReadableRedStrategy::panels, "panels"}}}};
constexpr const auto& caseNames(ReadableRedStrategy) { return readableRedStrategyNames; }

// One display's settings, kept under its display key.
struct DisplaySettings {
    bool enabled = true;
    TintMethod method = TintMethod::automatic;
    std::int64_t warmthOffsetKelvin = 0;
    double dimOffset = 0.0;
    std::optional<bool> antiDithering{};  // absent: follows Settings.antiDithering
    bool steadyBacklight = false;
    double backlightLevel = 0.6;
    std::optional<bool> ddcBrightness{};  // only a present true allows hardware tinting
    std::optional<TintMethod> methodCheckResult{};
    bool methodCheckRejectedMatrix = false;
    std::string lastKnownName;
    bool isBuiltIn = true;

    bool operator==(const DisplaySettings&) const = default;

    Json toJson() const;
    static DisplaySettings fromJson(const Json& json, const std::string& path = "");
};

// The backlight is pinned and dimming is done in colour.
struct SteadyBacklightSettings {
    bool enabled = false;
    double level = 0.6;
    bool tipShown = false;

    bool operator==(const SteadyBacklightSettings&) const = default;

    Json toJson() const;
    static SteadyBacklightSettings fromJson(const Json& json, const std::string& path = "");
};

// An application in front of which the tint is lifted.
struct ExcludedApp {
    std::string bundleID;  // compared exactly and case-sensitively
    std::string name;
    bool onlyWhenFullScreen = false;

    const std::string& id() const { return bundleID; }
    // Whether the entry names the application known by `id` whose windows report
    // `windowClass`: entries stored under the window class stay valid.
    bool matches(const std::string& id, const std::optional<std::string>& windowClass) const {
        return bundleID == id || (windowClass && bundleID == *windowClass);
    }

    static const std::vector<ExcludedApp>& suggestions();

    bool operator==(const ExcludedApp&) const = default;

    Json toJson() const;
    static ExcludedApp fromJson(const Json& json, const std::string& path = "");
};

// The ten global hotkeys; an absent one means the action has none.
struct Shortcuts {
    std::optional<Hotkey> reveal = Hotkey{Hotkey::keyT, Hotkey::Modifiers{3}};
    std::optional<Hotkey> toggle = Hotkey{Hotkey::keyB, Hotkey::Modifiers{7}};
    std::optional<Hotkey> warmer = Hotkey{Hotkey::keyRight, Hotkey::Modifiers{7}};
    std::optional<Hotkey> cooler = Hotkey{Hotkey::keyLeft, Hotkey::Modifiers{7}};
    std::optional<Hotkey> dimmer = Hotkey{Hotkey::keyDown, Hotkey::Modifiers{7}};
    std::optional<Hotkey> brighter = Hotkey{Hotkey::keyUp, Hotkey::Modifiers{7}};
    std::optional<Hotkey> nextPreset = Hotkey{Hotkey::keyP, Hotkey::Modifiers{7}};
    std::optional<Hotkey> cozy{};
    std::optional<Hotkey> disableOneHour{};
    std::optional<Hotkey> openPopover{};

    // Fixed, never stored, cannot be cleared: control + option + command + delete.
    static const Hotkey emergencyReset;

    bool operator==(const Shortcuts&) const = default;

    // A hotkey that has a default but was cleared is written as null, so that the merge over
    // the defaults cannot bring it back; absent hotkeys without a default are left out.
    Json toJson() const;
    static Shortcuts fromJson(const Json& json, const std::string& path = "");
};

inline constexpr Hotkey Shortcuts::emergencyReset{Hotkey::keyDelete, Hotkey::Modifiers{7}};

// How overlay colours are mapped and readable red is drawn, and the last self-test's result.
struct Calibration {
    LayerColorMode layerColorMode = LayerColorMode::linear;
    ReadableRedStrategy readableRedStrategy = ReadableRedStrategy::layers;
    bool darkroomVerified = false;
    bool readableRedVerified = false;
    std::optional<bool> lastSelfTestPassed{};
    std::optional<Date> lastSelfTestDate{};

    bool operator==(const Calibration&) const = default;

    Json toJson() const;
    static Calibration fromJson(const Json& json, const std::string& path = "");
};

}  // namespace orvane
