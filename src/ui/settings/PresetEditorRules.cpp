#include "ui/settings/PresetEditorRules.h"

#include <algorithm>
#include <cmath>

#include "core/Kelvin.h"
#include "core/Percent.h"

namespace orvane::PresetEditorRules {

std::string header(const std::string& name) { return "Edit \u201c" + name + "\u201d"; }

double warmthPosition(std::int64_t kelvin) { return (6500.0 - static_cast<double>(kelvin)) / 6000.0; }

std::int64_t kelvinAt(double position) {
    const double v = std::clamp(std::isfinite(position) ? position : 0.0, 0.0, 1.0);
    return Kelvin::snap(6500 - static_cast<std::int64_t>(std::trunc(v * 6000)));
}

std::int64_t steppedKelvin(std::int64_t kelvin, int steps) {
    return Kelvin::snap(std::clamp(kelvin + steps * kelvinStep, kelvinMin, kelvinMax));
}

std::string kelvinText(std::int64_t kelvin) { return std::to_string(kelvin) + "K"; }

double dimPosition(double dim) { return (dim - 0.05) / 0.95; }

double dimAt(double position) {
    const double v = std::clamp(std::isfinite(position) ? position : 0.0, 0.0, 1.0);
    return v * 0.95 + 0.05;
}

std::int64_t dimPercent(double dim) { return percentRounded(dim); }

double steppedDim(double dim, int steps) {
    const auto n = std::clamp(dimPercent(dim) + steps * dimPercentStep, dimPercentMin, dimPercentMax);
    return static_cast<double>(n) / 100.0;
}

std::string dimText(double dim) { return std::to_string(dimPercent(dim)) + "%"; }

}  // namespace orvane::PresetEditorRules
