#pragma once
// Colour temperature to linear channel gains, plus the small numeric vocabulary that the
// colour maths shares: clamps, the sRGB transfer curves and the `Multiplier` value.
#include <algorithm>
#include <array>
#include <concepts>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "support/Json.h"

namespace orvane {

// NaN goes to the lower bound (comparisons with NaN are false, hence the explicit test).
constexpr double clamped(double value, double lower, double upper) {
    if (value != value) return lower;
    return std::min(std::max(value, lower), upper);
}
constexpr double clamped01(double value) { return clamped(value, 0.0, 1.0); }
// The bounds follow the value's type, so clamped(int64, 500, 6500) never falls to the double form.
template <std::integral T>
constexpr T clamped(T value, std::type_identity_t<T> lower, std::type_identity_t<T> upper) {
    return std::min(std::max(value, lower), upper);
}

// Three linear-light channel gains, each 0...1.
struct Multiplier {
    double r = 1;
    double g = 1;
    double b = 1;

    // The identity gains, which leave the screen unchanged.
    constexpr Multiplier() = default;
    constexpr Multiplier(double red, double green, double blue)
        : r(clamped01(red)), g(clamped01(green)), b(clamped01(blue)) {}

    static const Multiplier identity;

    static constexpr Multiplier lerp(const Multiplier& from, const Multiplier& to, double t) {
        const double u = clamped01(t);
        return Multiplier(from.r + (to.r - from.r) * u, from.g + (to.g - from.g) * u, from.b + (to.b - from.b) * u);
    }
    constexpr Multiplier scaled(double s) const { return Multiplier(r * s, g * s, b * s); }
    constexpr Multiplier multiplied(const Multiplier& other) const {
        return Multiplier(r * other.r, g * other.g, b * other.b);
    }
    constexpr bool isIdentity() const {
        const auto near1 = [](double x) { return (x > 1 ? x - 1 : 1 - x) < 1e-6; };
        return near1(r) && near1(g) && near1(b);
    }
    constexpr double maxComponent() const { return std::max({r, g, b}); }

    constexpr bool operator==(const Multiplier&) const = default;

    Json toJson() const;
    // Stores what is read, without clamping.
    static Multiplier fromJson(const Json& json, const std::string& path = "");
};

inline constexpr Multiplier Multiplier::identity{1, 1, 1};

struct Kelvin {
    Kelvin() = delete;

    static constexpr std::int64_t minimum = 500;
    static constexpr std::int64_t maximum = 6500;
    static constexpr std::int64_t step = 50;
    static constexpr std::int64_t redStyleThreshold = 1000;
    static constexpr std::int64_t pureRedBlendStart = 800;

    static constexpr std::int64_t clamp(std::int64_t k) { return std::min(std::max(k, minimum), maximum); }
    // To the nearest 50 K, halves away from zero.
    static std::int64_t snap(std::int64_t k);

    // Unnormalised linear sRGB of a black body; may be negative or large.
    static std::array<double, 3> linearRGB(double kelvin);

    // 121 entries, 500 K to 6500 K in steps of 50; built once, on first use.
    static const std::vector<Multiplier>& table();

    static Multiplier multiplier(double kelvin);
    template <std::integral I>
    static Multiplier multiplier(I kelvin) {
        return multiplier(static_cast<double>(kelvin));
    }
};

// The IEC 61966-2-1 transfer curves.
struct SRGB {
    SRGB() = delete;
    static double encode(double linear);
    static double decode(double encoded);
};

}  // namespace orvane
