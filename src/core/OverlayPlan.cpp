#include "core/OverlayPlan.h"

#include <algorithm>
#include <cmath>

#include "core/Kelvin.h"

namespace orvane {

OverlayPlan::OverlayPlan(std::optional<std::int64_t> ns, double r, double g, double b, double redOp, double dimOp)
    : nightShiftKelvin(ns), red(r), green(g), blue(b), redOpacity(clamped01(redOp)), dimOpacity(clamped01(dimOp)) {}

const OverlayPlan OverlayPlan::none{};

OverlayPlan OverlayPlan::make(std::int64_t kelvin, double dim, bool useNightShift, std::int64_t nightShiftFloor,
                              double deepRedStrength) {
    const std::int64_t k = Kelvin::clamp(kelvin);
    const std::int64_t floor = clamped<std::int64_t>(nightShiftFloor, 600, 5500);
    const double strength = clamped(deepRedStrength, 0.0, 0.95);

    std::optional<std::int64_t> nightShift;
    double x = 0;
    if (useNightShift && kelvin < nightShiftMaximum) {
        nightShift = std::max(k, floor);
        if (k < floor) x = static_cast<double>(floor - k) / static_cast<double>(floor - Kelvin::minimum);
    } else if (!useNightShift && kelvin < Kelvin::maximum) {
        x = static_cast<double>(Kelvin::maximum - k) / 6000.0;
    }
    const double redOpacity = strength * x * x * (3 - 2 * x);
    // A NaN dim means a fully dark layer; the clamp alone would read 1 - NaN as 0.
    const double dimOpacity = std::isnan(dim) ? 1.0 : 1 - dim;
    return OverlayPlan(nightShift, 1.0, 0.42 - 0.37 * x, 0.08 - 0.08 * x, redOpacity, dimOpacity);
}

OverlayPlan OverlayPlan::lerp(const OverlayPlan& a, const OverlayPlan& b, double t) {
    const double u = std::isnan(t) ? 1.0 : clamped01(t);
    const auto mix = [u](double from, double to) { return from + (to - from) * u; };
    return OverlayPlan(u < 1 ? a.nightShiftKelvin : b.nightShiftKelvin, mix(a.red, b.red), mix(a.green, b.green),
                       mix(a.blue, b.blue), mix(a.redOpacity, b.redOpacity), mix(a.dimOpacity, b.dimOpacity));
}

}  // namespace orvane
