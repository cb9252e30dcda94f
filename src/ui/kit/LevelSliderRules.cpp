#include "ui/kit/LevelSliderRules.h"

#include <algorithm>
#include <cmath>

#include "core/Percent.h"

namespace orvane::kit::LevelSliderRules {

double clamped(double value) {
    const double low = std::isnan(value) ? 0.0 : std::max(value, 0.0);
    return std::min(low, 1.0);
}

double fillWidth(double width, double height, double value) { return height + (width - height) * clamped(value); }

double detentCentre(double width, double height, double detent) {
    return std::min(height + detent * (width - height), width - 2 * detentRadius);
}

DragStep drag(double x, double width, double height, const std::vector<double>& detents, bool haptics,
              std::optional<double> lastDetent) {
    const double v = clamped((x - height) / (width - height));
    for (const double d : detents) {
        if (std::abs(d - v) < 0.02) {
            DragStep step{d, lastDetent, false};
            if (haptics && lastDetent != d) {
                step.tick = true;
                step.lastDetent = d;
            }
            return step;
        }
    }
    return {v, std::nullopt, false};
}

// A NaN value adjusts from 0, as it draws.
double increment(double value) { return std::min((std::isnan(value) ? 0.0 : value) + 0.05, 1.0); }
double decrement(double value) { return std::max((std::isnan(value) ? 0.0 : value) - 0.05, 0.0); }

std::string accessibleValue(double value) { return std::to_string(percentTruncated(value)) + " percent"; }

}  // namespace orvane::kit::LevelSliderRules
