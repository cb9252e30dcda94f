#pragma once
// The built-in display's backlight, through the platform's Backlight port. Levels are
// fractions 0...1. Where the port is unavailable, levels are absent and sets fail.
#include <cstdint>
#include <optional>

namespace orvane::platform {
class Platform;
}

namespace orvane {

class DisplayServices {
public:
    explicit DisplayServices(platform::Platform& platform) : platform_(&platform) {}

    bool isAvailable() const;
    // Absent when unavailable, on a non-zero status or a negative level.
    std::optional<float> getBrightness(std::uint32_t display) const;
    // Falls back to getBrightness when the linear read fails.
    std::optional<float> getLinearBrightness(std::uint32_t display) const;
    // The level clamped to 0...1; true exactly when the status is 0.
    bool setBrightness(std::uint32_t display, float level) const;
    // Uses the plain set only when the backlight has no linear one.
    bool setLinearBrightness(std::uint32_t display, float level) const;
    bool canChangeBrightness(std::uint32_t display) const;

private:
    platform::Platform* platform_;
};

}  // namespace orvane
