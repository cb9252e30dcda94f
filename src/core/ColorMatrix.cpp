#include "core/ColorMatrix.h"

#include <cmath>

namespace orvane {

ColorMatrix ColorMatrix::diagonal(const Multiplier& g) { return ColorMatrix({g.r, 0, 0, 0, g.g, 0, 0, 0, g.b}); }

bool ColorMatrix::isIdentity() const {
    for (std::size_t i = 0; i < 9; ++i)
        if (!(std::fabs(m[i] - identity.m[i]) < 1e-6)) return false;
    return true;
}

Multiplier ColorMatrix::white() const { return Multiplier(m[0] + m[1] + m[2], m[3] + m[4] + m[5], m[6] + m[7] + m[8]); }

std::array<double, 3> ColorMatrix::applied(const std::array<double, 3>& rgb) const {
    std::array<double, 3> out{};
    for (std::size_t i = 0; i < 3; ++i) out[i] = m[3 * i] * rgb[0] + m[3 * i + 1] * rgb[1] + m[3 * i + 2] * rgb[2];
    return out;
}

ColorMatrix ColorMatrix::lerp(const ColorMatrix& a, const ColorMatrix& b, double t) {
    const double u = clamped01(t);
    ColorMatrix out;
    for (std::size_t i = 0; i < 9; ++i) out.m[i] = a.m[i] + u * (b.m[i] - a.m[i]);
    return out;
}

double ColorMatrix::readableAmount(std::int64_t kelvin, RedStyle redStyle) {
    if (redStyle != RedStyle::readable || kelvin >= readableStartKelvin) return 0;
    const double x = clamped01(static_cast<double>(readableStartKelvin - kelvin) /
                               static_cast<double>(readableStartKelvin - readableFullKelvin));
    return x * x * (3 - 2 * x);
}

ColorMatrix ColorMatrix::make(const Multiplier& g, double readable) {
    const double a = clamped01(readable);
    const auto [wr, wg, wb] = readableWeights;
    const double keep = 1 - a;
    return ColorMatrix({g.r * (keep + wr * a), g.r * wg * a, g.r * wb * a,  //
                        g.g * wr * a, g.g * (keep + wg * a), g.g * wb * a,  //
                        g.b * wr * a, g.b * wg * a, g.b * (keep + wb * a)});
}

ColorMatrix ColorMatrix::make(const TintState& s) {
    if (s.kelvin >= Kelvin::maximum && s.dim >= 0.999 && !s.darkroom) return identity;
    const Multiplier k = Kelvin::multiplier(s.kelvin);
    const Multiplier g(k.r * s.dim, k.g * s.dim, k.b * s.dim);  // clamps, NaN to 0
    return make(g, readableAmount(s.kelvin, s.redStyle));
}

}  // namespace orvane
