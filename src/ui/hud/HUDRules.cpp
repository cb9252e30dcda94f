#include "ui/hud/HUDRules.h"

#include <algorithm>
#include <cmath>

namespace orvane::HUDRules {

bool segmentLit(int index, double level) { return index * segmentStep < level; }

int litSegments(double level) {
    int lit = 0;
    for (int i = 0; i < segmentCount; ++i) lit += segmentLit(i, level);
    return lit;
}

double restProgress(Date now, Date startedAt, double seconds) {
    if (!(seconds > 0)) return 0;
    const double progress = 1 - (now - startedAt) / seconds;
    // A clock set back before the start must not overfill the ring.
    return std::isnan(progress) ? 0 : std::clamp(progress, 0.0, 1.0);
}

int remainingSeconds(double progress, double seconds) {
    const double left = std::ceil(progress * seconds);
    return std::isfinite(left) && left > 0 ? static_cast<int>(std::min(left, 1e9)) : 0;
}

std::string countdownText(int seconds) { return std::to_string(std::max(0, seconds)) + " s \u00b7 any key ends it"; }

}  // namespace orvane::HUDRules
