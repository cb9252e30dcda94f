#pragma once
// The backlight of built-in displays, levels as fractions 0...1. The engine calls it
// directly; where the machine has no backlight it says it is unavailable.
#include <cstdint>

namespace orvane::platform {

class Backlight {
public:
    virtual ~Backlight() = default;
    virtual bool isAvailable() = 0;
    // 0 on success (and `level` set), else a status; status::missing from a linear
    // operation means this backlight has none, so the plain one stands in.
    virtual std::int32_t brightness(std::uint32_t display, float& level) = 0;
    virtual std::int32_t linearBrightness(std::uint32_t display, float& level) = 0;
    virtual std::int32_t setBrightness(std::uint32_t display, float level) = 0;
    virtual std::int32_t setLinearBrightness(std::uint32_t display, float level) = 0;
    virtual bool canChangeBrightness(std::uint32_t display) = 0;
};

}  // namespace orvane::platform
