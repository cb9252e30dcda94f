#pragma once
// Channel gains to the colour an overlay layer is given, in the way calibration found right,
// and measured screen colours back to gains for the self-test.
#include "core/DisplaySettings.h"
#include "core/Kelvin.h"

namespace orvane {

struct LayerColorMapping {
    LayerColorMapping() = delete;

    struct Components {
        double r = 0;
        double g = 0;
        double b = 0;
        bool linearSpace = false;  // linear-light values for a linear colour space, else sRGB-encoded
        bool operator==(const Components&) const = default;
    };

    static constexpr double tolerance = 0.02;

    static Components components(const Multiplier& gains, LayerColorMode mode);
    static Multiplier predictedEncodedWhite(const Multiplier& gains, LayerColorMode mode);
    static Multiplier measuredMultiplier(const Multiplier& beforeEncoded, const Multiplier& afterEncoded);
    static double error(const Multiplier& requested, const Multiplier& measured);
};

}  // namespace orvane
