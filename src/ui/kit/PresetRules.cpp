#include "ui/kit/PresetRules.h"

#include <cmath>

#include "core/Percent.h"

namespace orvane::kit::PresetRules {

std::vector<Preset> shown(const std::vector<Preset>& presets) {
    const std::string daylight = id(Preset::BuiltIn::daylight);
    std::vector<Preset> out;
    for (const auto& preset : presets)
        if (preset.id != daylight) out.push_back(preset);
    return out;
}

bool isCurrent(const Preset& preset, bool enabled, const TintState& modeState) {
    // Dims a written hundredth apart differ by 0.00999... or 0.0100...1 in binary; both are
    // a hundredth, and neither is current.
    return enabled && preset.kelvin == modeState.kelvin && std::abs(preset.dim - modeState.dim) < 0.01 - 1e-9;
}

std::string helpText(const Preset& preset) {
    return std::to_string(preset.kelvin) + "K · " + std::to_string(percentTruncated(preset.dim)) + "%";
}

std::string accessibleLabel(const Preset& preset) {
    return preset.name + ", " + std::to_string(preset.kelvin) + " kelvin";
}

}  // namespace orvane::kit::PresetRules
