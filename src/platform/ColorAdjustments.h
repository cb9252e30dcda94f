#pragma once
// The display pipeline's accessibility colour adjustment: one 3x3 matrix per display,
// row-major, one row per output channel. Reached by the engine through the private
// framework registry (Frameworks.h), not directly.
#include <array>
#include <cstdint>
#include <optional>

namespace orvane::platform {

using Matrix3x3 = std::array<float, 9>;

class ColorAdjustments {
public:
    virtual ~ColorAdjustments() = default;
    // 0 on success, else a status.
    virtual std::int32_t set(std::uint32_t display, const Matrix3x3& matrix) = 0;
    virtual std::int32_t reset(std::uint32_t display) = 0;
    // The matrix in force, absent when the display shows none (or cannot say).
    virtual std::optional<Matrix3x3> current(std::uint32_t display) = 0;
};

}  // namespace orvane::platform
