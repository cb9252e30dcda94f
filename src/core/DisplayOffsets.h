#pragma once
// A display's own warmth and dim offsets on top of the shared tint.
#include "core/DisplaySettings.h"
#include "core/TintState.h"

namespace orvane {

// Offsets never tint an untinted screen; the dim never goes below `dimFloor`.
TintState applyingDisplayOffsets(const TintState& state, const DisplaySettings& display, double dimFloor);

}  // namespace orvane
