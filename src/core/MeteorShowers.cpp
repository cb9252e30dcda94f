#include "core/MeteorShowers.h"

#include <cmath>

namespace orvane::MeteorShowers {

std::optional<Active> active(Date date, const TimeZone& timeZone) {
    // Outside the calendar's years no peak can be formed.
    if (!std::isfinite(date.secondsSince1970) || std::abs(date.secondsSince1970) >= 1e11) return std::nullopt;
    const Calendar calendar(timeZone);
    const int year = calendar.components(date).year;

    std::optional<Active> best;
    for (const Shower& shower : all) {
        // The previous and next year's peaks cover nights around the new year.
        for (int y = year - 1; y <= year + 1; ++y) {
            const Date peak = calendar.date(y, shower.month, shower.day + 1);
            const double days = std::abs(date - peak) / 86400.0;
            const double strength = 1 - days / (shower.halfWidth + 0.5);
            if (strength > 0 && (!best || strength > best->strength)) best = Active{std::string(shower.name), strength};
        }
    }
    return best;
}

double shootingStarChance(Date date, const TimeZone& timeZone) {
    const auto shower = active(date, timeZone);
    return shower ? 0.08 + 0.5 * shower->strength : 0.08;
}

}  // namespace orvane::MeteorShowers
