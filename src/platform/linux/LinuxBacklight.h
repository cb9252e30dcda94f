#pragma once
// The built-in panel's backlight through /sys/class/backlight: the level is
// brightness / max_brightness of the preferred device (firmware, then platform, then raw
// interfaces). Writing needs permission on the brightness file; without it a set fails.
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Backlight.h"

namespace orvane::platform::linuxsys {

class LinuxBacklight final : public Backlight {
public:
    // `isBuiltIn` tells which display ids the panel backlight belongs to.
    LinuxBacklight(std::function<bool(std::uint32_t)> isBuiltIn, std::filesystem::path root = "/sys/class/backlight");

    // The device directory in use, absent when the machine has none.
    std::optional<std::filesystem::path> device() const;

    std::int32_t brightness(std::uint32_t display, float& level) override;
    std::int32_t linearBrightness(std::uint32_t display, float& level) override;
    std::int32_t setBrightness(std::uint32_t display, float level) override;
    std::int32_t setLinearBrightness(std::uint32_t display, float level) override;
    bool canChangeBrightness(std::uint32_t display) override;

private:
    std::optional<long> readNumber(const std::filesystem::path& file) const;

    std::function<bool(std::uint32_t)> isBuiltIn_;
    std::filesystem::path root_;
};

}  // namespace orvane::platform::linuxsys
