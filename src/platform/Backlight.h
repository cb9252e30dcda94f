#pragma once
// The backlight of built-in displays, levels as fractions 0...1. Reached by the engine
// through the private framework registry (Frameworks.h).
#include <cstdint>

namespace orvane::platform {

class Backlight {
public:
    virtual ~Backlight() = default;
    // 0 on success (and `level` set), else a status.
    virtual std::int32_t brightness(std::uint32_t display, float& level) = 0;
    virtual std::int32_t linearBrightness(std::uint32_t display, float& level) = 0;
    virtual std::int32_t setBrightness(std::uint32_t display, float level) = 0;
    virtual std::int32_t setLinearBrightness(std::uint32_t display, float level) = 0;
    virtual bool canChangeBrightness(std::uint32_t display) = 0;
};

}  // namespace orvane::platform
