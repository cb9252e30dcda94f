#pragma once
// The rules of the preset editor apart from its drawing: the maps of its sliders and
// steppers, its texts and choices, and the fixed icon list.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/TintState.h"

namespace orvane::PresetEditorRules {

// The section header, following the name as it is typed: Edit “name”.
std::string header(const std::string& name);

// The warmth slider runs warm to the right: 6500 K at 0, 500 K at 1.
double warmthPosition(std::int64_t kelvin);
// Snapped: trunc(v × 6000) of 3124 writes 6500 − 3124 = 3376, snapped to 3400.
std::int64_t kelvinAt(double position);
// The kelvin stepper: 500 to 6500 in steps of 50, every value snapped.
inline constexpr std::int64_t kelvinMin = 500, kelvinMax = 6500, kelvinStep = 50;
std::int64_t steppedKelvin(std::int64_t kelvin, int steps);
std::string kelvinText(std::int64_t kelvin);  // "1900K"

// The dim slider spans dims from 0.05 (at 0) to 1.0 (at 1).
double dimPosition(double dim);
double dimAt(double position);
// The dim stepper: a whole percentage, rounded, from 5 to 100 in steps of 5; written / 100.
inline constexpr std::int64_t dimPercentMin = 5, dimPercentMax = 100, dimPercentStep = 5;
std::int64_t dimPercent(double dim);
double steppedDim(double dim, int steps);
std::string dimText(double dim);  // "90%"

struct RedStyleChoice {
    const char* title;
    std::optional<RedStyle> value;
};
inline constexpr const char* redStyleTitle = "Red style at or below 1000K";
inline constexpr std::array<RedStyleChoice, 3> redStyleChoices{{
    {"Follow global", std::nullopt},
    {"Pure red", RedStyle::pure},
    {"Readable red", RedStyle::readable},
}};

// The icons offered: the built-ins' six in built-in order, the new preset's star, and more.
inline constexpr std::array<const char*, 12> icons{
    "sun.max",   "scope",           "sunset",    "flame",   "flame.fill",          "moon.fill",
    "star.fill", "bed.double.fill", "book.fill", "tv.fill", "gamecontroller.fill", "leaf.fill"};

}  // namespace orvane::PresetEditorRules
