#include "core/LayerColorMapping.h"

#include <algorithm>
#include <cmath>

namespace orvane {

LayerColorMapping::Components LayerColorMapping::components(const Multiplier& g, LayerColorMode mode) {
    switch (mode) {
        case LayerColorMode::linear:
            return {g.r, g.g, g.b, true};
        case LayerColorMode::encodedSRGB:
            return {SRGB::encode(g.r), SRGB::encode(g.g), SRGB::encode(g.b), false};
        case LayerColorMode::rawSRGB:
            break;
    }
    return {g.r, g.g, g.b, false};
}

Multiplier LayerColorMapping::predictedEncodedWhite(const Multiplier& g, LayerColorMode) {
    return Multiplier(SRGB::encode(g.r), SRGB::encode(g.g), SRGB::encode(g.b));
}

Multiplier LayerColorMapping::measuredMultiplier(const Multiplier& before, const Multiplier& after) {
    const auto gain = [](double encodedBefore, double encodedAfter) {
        const double b = SRGB::decode(encodedBefore);
        const double a = SRGB::decode(encodedAfter);
        if (b < 0.002) return 1.0;  // too dark to measure
        return clamped01(a / b);
    };
    return Multiplier(gain(before.r, after.r), gain(before.g, after.g), gain(before.b, after.b));
}

double LayerColorMapping::error(const Multiplier& requested, const Multiplier& measured) {
    return std::max({std::fabs(requested.r - measured.r), std::fabs(requested.g - measured.g),
                     std::fabs(requested.b - measured.b)});
}

}  // namespace orvane
