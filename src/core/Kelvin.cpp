#include "core/Kelvin.h"

#include <cmath>

namespace orvane {

namespace {

// One lobe of the piecewise-Gaussian colour-matching fit: its width differs below and above the centre.
double lobe(double lambda, double mu, double sigmaBelow, double sigmaAbove) {
    const double t = (lambda - mu) / (lambda < mu ? sigmaBelow : sigmaAbove);
    return std::exp(-0.5 * t * t);
}

double xBar(double l) {
    return 1.056 * lobe(l, 599.8, 37.9, 31.0) + 0.362 * lobe(l, 442.0, 16.0, 26.7) - 0.065 * lobe(l, 501.1, 20.4, 26.2);
}
double yBar(double l) { return 0.821 * lobe(l, 568.8, 46.9, 40.5) + 0.286 * lobe(l, 530.9, 16.3, 31.1); }
double zBar(double l) { return 1.217 * lobe(l, 437.0, 11.8, 36.0) + 0.681 * lobe(l, 459.0, 26.0, 13.8); }

std::vector<Multiplier> buildTable() {
    constexpr int count = 121;
    std::vector<std::array<double, 3>> raw;
    raw.reserve(count);
    for (int i = 0; i < count; ++i) raw.push_back(Kelvin::linearRGB(500.0 + 50.0 * i));
    const auto white = raw.back();

    std::vector<Multiplier> table;
    table.reserve(count);
    for (const auto& c : raw) {
        const double r = c[0] / white[0], g = c[1] / white[1], b = c[2] / white[2];
        const double top = std::max({r, g, b});
        table.emplace_back(r / top, g / top, b / top);  // the constructor clamps, NaN to 0
    }

    // Below 800 K the fit loses meaning; run straight from pure red to the 800 K entry instead.
    const int blendEnd = static_cast<int>((Kelvin::pureRedBlendStart - Kelvin::minimum) / Kelvin::step);
    const Multiplier e = table[static_cast<std::size_t>(blendEnd)];
    for (int i = 0; i <= blendEnd; ++i) {
        const double t = static_cast<double>(i) / blendEnd;
        table[static_cast<std::size_t>(i)] = Multiplier(1 + (e.r - 1) * t, e.g * t, e.b * t);
    }
    table.back() = Multiplier::identity;
    return table;
}

}  // namespace

Json Multiplier::toJson() const { return Json{{"r", r}, {"g", g}, {"b", b}}; }

Multiplier Multiplier::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    Multiplier m;
    m.r = reader.number("r");
    m.g = reader.number("g");
    m.b = reader.number("b");
    return m;
}

std::int64_t Kelvin::snap(std::int64_t k) {
    const double steps = std::round(static_cast<double>(clamp(k)) / static_cast<double>(step));
    return clamp(static_cast<std::int64_t>(steps) * step);
}

std::array<double, 3> Kelvin::linearRGB(double kelvin) {
    constexpr double h = 6.62607015e-34, c = 299792458.0, k = 1.380649e-23;
    double X = 0, Y = 0, Z = 0;
    for (int nm = 380; nm <= 780; nm += 5) {
        const double lambda = nm * 1e-9;
        const double radiance = 2 * h * c * c / std::pow(lambda, 5) / (std::exp(h * c / (lambda * k * kelvin)) - 1);
        X += radiance * xBar(nm);
        Y += radiance * yBar(nm);
        Z += radiance * zBar(nm);
    }
    return {3.2406 * X - 1.5372 * Y - 0.4986 * Z, -0.9689 * X + 1.8758 * Y + 0.0415 * Z,
            0.0557 * X - 0.2040 * Y + 1.0570 * Z};
}

const std::vector<Multiplier>& Kelvin::table() {
    static const std::vector<Multiplier> built = buildTable();  // thread-safe one-time initialisation
    return built;
}

Multiplier Kelvin::multiplier(double kelvin) {
    const double p = kelvin >= static_cast<double>(minimum)
                         ? (std::min(kelvin, static_cast<double>(maximum)) - static_cast<double>(minimum)) /
                               static_cast<double>(step)
                         : 0.0;  // also NaN
    const auto& t = table();
    const auto i = static_cast<std::size_t>(std::floor(p));
    const std::size_t j = std::min<std::size_t>(i + 1, t.size() - 1);
    return Multiplier::lerp(t[i], t[j], p - static_cast<double>(i));
}

double SRGB::encode(double linear) {
    const double x = clamped01(linear);
    if (x >= 1) return 1;  // 1.055 - 0.055 misses 1 by a rounding step; white must stay white
    return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
}

double SRGB::decode(double encoded) {
    const double y = clamped01(encoded);
    return y <= 0.04045 ? y / 12.92 : std::pow((y + 0.055) / 1.055, 2.4);
}

}  // namespace orvane
