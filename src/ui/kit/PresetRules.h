#pragma once
// Which presets the preset row shows, which one is current, and their texts.
#include <string>
#include <vector>

#include "core/Presets.h"
#include "core/TintState.h"

namespace orvane::kit::PresetRules {

// Every stored preset in order, except the built-in daylight one.
std::vector<Preset> shown(const std::vector<Preset>& presets);
// On, the same kelvin as the mode, and a dim less than 0.01 away.
bool isCurrent(const Preset& preset, bool enabled, const TintState& modeState);
// "2700K · 80%", the percentage truncated.
std::string helpText(const Preset& preset);
// "Candle, 1900 kelvin".
std::string accessibleLabel(const Preset& preset);
// Seven or more scroll sideways instead of sharing the width.
inline bool scrolls(std::size_t shownCount) { return shownCount >= 7; }

}  // namespace orvane::kit::PresetRules
