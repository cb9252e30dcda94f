#pragma once
// The colour-matrix form of a tint: channel gains on the diagonal, and for readable red
// at very low temperatures some green and blue brightness mixed into red so text stays legible.
#include <array>
#include <cstdint>
#include <initializer_list>

#include "core/Kelvin.h"
#include "core/TintState.h"

namespace orvane {

struct ColorMatrix {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row-major; row i is output channel i

    constexpr ColorMatrix() = default;
    constexpr explicit ColorMatrix(const std::array<double, 9>& entries) : m(entries) {}

    static const ColorMatrix identity;
    struct Weights {
        double r, g, b;
    };
    static constexpr Weights readableWeights{0.3, 0.45, 0.25};
    static constexpr std::int64_t readableStartKelvin = 1500;
    static constexpr std::int64_t readableFullKelvin = 800;

    static ColorMatrix diagonal(const Multiplier& g);
    bool isIdentity() const;
    Multiplier white() const;  // row sums, clamped
    std::array<double, 3> applied(const std::array<double, 3>& rgb) const;

    static ColorMatrix lerp(const ColorMatrix& a, const ColorMatrix& b, double t);
    static double readableAmount(std::int64_t kelvin, RedStyle redStyle);
    static ColorMatrix make(const Multiplier& multiplier, double readable);
    static ColorMatrix make(const TintState& state);

    bool operator==(const ColorMatrix&) const = default;
};

inline constexpr ColorMatrix ColorMatrix::identity{};

}  // namespace orvane
