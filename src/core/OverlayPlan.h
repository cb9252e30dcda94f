#pragma once
// What the overlay and Night Shift methods do for one tint: the Night Shift warmth to ask
// for, and the colour and opacity of the red layer and the black dim layer above it.
#include <cstdint>
#include <optional>

namespace orvane {

struct OverlayPlan {
    std::optional<std::int64_t> nightShiftKelvin;  // absent: Night Shift off
    double red = 1.0;
    double green = 0.3;
    double blue = 0.0;
    double redOpacity = 0;
    double dimOpacity = 0;

    OverlayPlan() = default;
    // Keeps the colour as given; both opacities to 0...1 (NaN to 0).
    OverlayPlan(std::optional<std::int64_t> nightShiftKelvin, double red, double green, double blue, double redOpacity,
                double dimOpacity);

    static const OverlayPlan none;
    static constexpr std::int64_t nightShiftMaximum = 6000;

    bool hasOverlay() const { return redOpacity > 0.001 || dimOpacity > 0.001; }

    static OverlayPlan make(std::int64_t kelvin, double dim, bool useNightShift, std::int64_t nightShiftFloor,
                            double deepRedStrength);
    // A NaN t counts as 1 (unlike the other interpolations, which read it as 0).
    static OverlayPlan lerp(const OverlayPlan& a, const OverlayPlan& b, double t);

    bool operator==(const OverlayPlan&) const = default;
};

}  // namespace orvane
