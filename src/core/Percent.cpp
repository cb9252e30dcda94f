#include "core/Percent.h"

#include <cmath>
#include <limits>

namespace orvane {
namespace {

constexpr double epsilon = 1e-9;

std::int64_t saturated(double whole) {
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double limit = 9223372036854775808.0;
    if (whole >= limit) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(whole);
}

std::int64_t percent(double fraction, double bias) {
    if (std::isnan(fraction)) return 0;
    const double magnitude = std::fabs(fraction);
    const std::int64_t whole = saturated(std::floor(magnitude * 100.0 + bias + epsilon));
    return fraction < 0 ? -whole : whole;
}

}  // namespace

std::int64_t percentTruncated(double fraction) { return percent(fraction, 0.0); }
std::int64_t percentRounded(double fraction) { return percent(fraction, 0.5); }

}  // namespace orvane
