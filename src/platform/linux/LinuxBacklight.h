#pragma once
// The built-in panel's backlight through /sys/class/backlight: the level is
// brightness / max_brightness of the preferred device (firmware, then platform, then raw
// interfaces). Where the brightness file cannot be written, a set goes through the
// fallback given (logind's SetBrightness for the session), if any.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Backlight.h"

namespace orvane::platform::linuxsys {

class LinuxBacklight final : public Backlight {
public:
    // Sets the raw value of the named device some other way; true on success.
    using Fallback = std::function<bool(const std::string& device, std::uint32_t value)>;

    // `isBuiltIn` tells which display ids the panel backlight belongs to.
    LinuxBacklight(std::function<bool(std::uint32_t)> isBuiltIn, std::filesystem::path root = "/sys/class/backlight",
                   Fallback fallback = nullptr);

    // The device directory in use, absent when the machine has none.
    std::optional<std::filesystem::path> device() const;

    // There is a backlight device.
    bool isAvailable() override { return device().has_value(); }
    std::int32_t brightness(std::uint32_t display, float& level) override;
    std::int32_t linearBrightness(std::uint32_t display, float& level) override;
    std::int32_t setBrightness(std::uint32_t display, float level) override;
    std::int32_t setLinearBrightness(std::uint32_t display, float level) override;
    bool canChangeBrightness(std::uint32_t display) override;

private:
    std::optional<long> readNumber(const std::filesystem::path& file) const;

    std::function<bool(std::uint32_t)> isBuiltIn_;
    std::filesystem::path root_;
    Fallback fallback_;
};

// logind's SetBrightness("backlight", device, value) for the caller's session, on the
// system bus.
bool logindSetBrightness(const std::string& device, std::uint32_t value);

}  // namespace orvane::platform::linuxsys
