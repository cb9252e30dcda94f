#include "core/DisplayOffsets.h"

#include <algorithm>
#include <cmath>

namespace orvane {

TintState applyingDisplayOffsets(const TintState& state, const DisplaySettings& display, double dimFloor) {
    if (state == TintState::off) return state;
    TintState out = state;
    const std::int64_t o = display.warmthOffsetKelvin;
    if (state.kelvin < Kelvin::maximum || o < 0) out.kelvin = Kelvin::clamp(state.kelvin + o);

    const double d = display.dimOffset;
    if (!(state.dim >= 0.999 && d >= 0)) {
        const double sum = state.dim + d;
        out.dim = std::isnan(sum) ? dimFloor : std::min(std::max(sum, dimFloor), 1.0);
    }
    return out;
}

}  // namespace orvane
