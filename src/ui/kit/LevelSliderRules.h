#pragma once
// The level slider's arithmetic: where the fill ends, where a detent dot sits, what a drag
// at a point writes, what the accessibility adjustments do and say. The widget only paints
// and forwards input.
#include <optional>
#include <string>
#include <vector>

namespace orvane::kit::LevelSliderRules {

// Clamped to 0...1; NaN reads 0.
double clamped(double value);
// The fill grows from a circle of the slider's height to the whole width.
double fillWidth(double width, double height, double value);
// A detent dot's radius; its diameter is 3.
inline constexpr double detentRadius = 1.5;
// Centre of a detent's dot: where the fill's trailing edge lies at that value, but never
// nearer to the track's trailing end than the dot's diameter, so that a dot at the end
// (500 K on the warmth slider) lies whole inside the capsule instead of half beyond it.
double detentCentre(double width, double height, double detent);

struct DragStep {
    double value;                      // what the owner is handed
    std::optional<double> lastDetent;  // the detent a tick was last played for
    bool tick = false;                 // play the haptic tick now
};
// A drag (or click) at horizontal position x. The first detent within 0.02 (strictly) wins;
// a tick plays once on entering a detent's window with haptics on.
DragStep drag(double x, double width, double height, const std::vector<double>& detents, bool haptics,
              std::optional<double> lastDetent);

double increment(double value);  // + 0.05, at most 1
double decrement(double value);  // − 0.05, at least 0
// "N percent", truncated.
std::string accessibleValue(double value);

}  // namespace orvane::kit::LevelSliderRules
