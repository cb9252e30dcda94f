#include "ui/kit/Spring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane::kit {

Spring::Motion Spring::motion(double d0, double v0, double t) const {
    if (t <= 0) return {d0, v0};
    const double w = 2 * std::numbers::pi / std::max(response, 1e-6);
    const double z = std::max(dampingFraction, 0.0);
    if (std::abs(z - 1.0) < 1e-9) {
        const double e = std::exp(-w * t);
        const double b = v0 + w * d0;
        return {e * (d0 + b * t), e * (b - w * (d0 + b * t))};
    }
    if (z < 1.0) {
        const double wd = w * std::sqrt(1 - z * z);
        const double e = std::exp(-z * w * t);
        const double b = (v0 + z * w * d0) / wd;
        const double c = std::cos(wd * t), s = std::sin(wd * t);
        const double d = e * (d0 * c + b * s);
        const double v = -z * w * d + e * (-d0 * wd * s + b * wd * c);
        return {d, v};
    }
    const double root = w * std::sqrt(z * z - 1);
    const double r1 = -z * w + root, r2 = -z * w - root;
    const double c2 = (v0 - r1 * d0) / (r2 - r1);
    const double c1 = d0 - c2;
    const double e1 = std::exp(r1 * t), e2 = std::exp(r2 * t);
    return {c1 * e1 + c2 * e2, c1 * r1 * e1 + c2 * r2 * e2};
}

}  // namespace orvane::kit
