#pragma once
// The rules of the Shortcuts pane apart from its drawing: its recorder rows by section, the
// two step settings with their stepper maps, and its texts as Linux words them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/DisplaySettings.h"

namespace orvane::ShortcutsPaneRules {

struct ShortcutRow {
    const char* label;
    std::optional<Hotkey> Shortcuts::*field;
};

inline constexpr const char* globalTitle = "Global";
inline constexpr std::array<ShortcutRow, 3> globalRows{{
    {"Reveal true color", &Shortcuts::reveal},
    {"Toggle Orvane", &Shortcuts::toggle},
    {"Open popover", &Shortcuts::openPopover},
}};
inline constexpr const char* revealBehaviorTitle = "Reveal behavior";
struct RevealChoice {
    const char* title;
    bool tapToggles;
};
inline constexpr std::array<RevealChoice, 2> revealChoices{{{"Hold", false}, {"Tap toggles", true}}};
inline constexpr const char* globalCaption = "Click a field and press a combination. Esc cancels, Backspace clears.";

inline constexpr const char* warmthAndDimTitle = "Warmth and dim";
inline constexpr std::array<ShortcutRow, 2> warmthRows{
    {{"Warmer", &Shortcuts::warmer}, {"Cooler", &Shortcuts::cooler}}};
inline constexpr std::array<ShortcutRow, 2> dimRows{
    {{"Dimmer", &Shortcuts::dimmer}, {"Brighter", &Shortcuts::brighter}}};
inline constexpr const char* warmthStepTitle = "Warmth step";
inline constexpr const char* dimStepTitle = "Dim step";

inline constexpr const char* presetsAndModesTitle = "Presets and modes";
inline constexpr std::array<ShortcutRow, 3> presetsAndModesRows{{
    {"Next preset", &Shortcuts::nextPreset},
    {"Wind down", &Shortcuts::cozy},
    {"Disable for 1 hour", &Shortcuts::disableOneHour},
}};

inline constexpr const char* desktopTitle = "Desktop and scripts";
inline constexpr const char* desktopText =
    "Wind Down, True Color, Follow My Evening and On or Off are actions of Orvane in your application launcher; "
    "scripts can run orvane --wind-down, --true-color, --follow-evening or --toggle.";

inline constexpr const char* alwaysOnTitle = "Always on";
inline constexpr const char* emergencyTitle = "Emergency reset";
inline constexpr const char* emergencySubtitle = "No tint, dim 100 %. Cannot be changed.";
inline std::string emergencyText() { return Shortcuts::emergencyReset.display(); }

// The warmth step: 50 to 2000 K in steps of 50, written unchanged, shown "250K".
inline constexpr std::int64_t warmthStepMin = 50, warmthStepMax = 2000, warmthStepStep = 50;
std::int64_t steppedWarmthStep(std::int64_t kelvin, int steps);
std::string warmthStepText(std::int64_t kelvin);

// The dim step as a whole percentage, rounded (0.055 shows 6%), from 1 to 50; written / 100.
inline constexpr std::int64_t dimStepMin = 1, dimStepMax = 50;
std::int64_t dimStepPercent(double dimStep);
double steppedDimStep(double dimStep, int steps);
std::string dimStepText(double dimStep);

}  // namespace orvane::ShortcutsPaneRules
