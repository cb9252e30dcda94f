#pragma once
// The display pipeline's accessibility colour adjustment: one 3x3 matrix per display,
// row-major, one row per output channel. The engine calls it directly; where the machine
// has no such pipeline the port says it is unavailable.
#include <array>
#include <cstdint>
#include <optional>

namespace orvane::platform {

using Matrix3x3 = std::array<float, 9>;

// What one adjustment call carries: with a matrix (and the scale 1.0 and options 0 that go
// with it) it tints the display; without one it takes the display's adjustment off.
struct ColorAdjustment {
    std::uint32_t display = 0;
    std::optional<Matrix3x3> matrix;
    float scale = 1.0f;
    std::int64_t options = 0;

    static ColorAdjustment tint(std::uint32_t display, const Matrix3x3& matrix) { return {display, matrix}; }
    static ColorAdjustment clear(std::uint32_t display) { return {display, std::nullopt}; }
    bool enabled() const { return matrix.has_value(); }
    // A matrix holding NaN is never sent.
    bool isWellFormed() const {
        if (matrix)
            for (float f : *matrix)
                if (f != f) return false;
        return true;
    }
    bool operator==(const ColorAdjustment&) const = default;
};

class ColorAdjustments {
public:
    virtual ~ColorAdjustments() = default;
    // Whether the pipeline takes adjustments now.
    virtual bool isAvailable() = 0;
    // Whether this display's output takes an adjustment (a driver may offer one per output).
    virtual bool isAvailableFor(std::uint32_t /*display*/) { return isAvailable(); }
    // 0 on success, else a status; an adjustment that is not well formed is refused.
    virtual std::int32_t set(const ColorAdjustment& adjustment) = 0;
    // The matrix in force, absent when the display shows none (or cannot say).
    virtual std::optional<Matrix3x3> current(std::uint32_t display) = 0;
};

}  // namespace orvane::platform
