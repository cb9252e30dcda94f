#include "ui/settings/ShortcutsPaneRules.h"

#include <algorithm>

#include "core/Percent.h"

namespace orvane::ShortcutsPaneRules {

std::int64_t steppedWarmthStep(std::int64_t kelvin, int steps) {
    return std::clamp(kelvin + steps * warmthStepStep, warmthStepMin, warmthStepMax);
}

std::string warmthStepText(std::int64_t kelvin) { return std::to_string(kelvin) + "K"; }

std::int64_t dimStepPercent(double dimStep) { return percentRounded(dimStep); }

double steppedDimStep(double dimStep, int steps) {
    return static_cast<double>(std::clamp(dimStepPercent(dimStep) + steps, dimStepMin, dimStepMax)) / 100.0;
}

std::string dimStepText(double dimStep) { return std::to_string(dimStepPercent(dimStep)) + "%"; }

}  // namespace orvane::ShortcutsPaneRules
