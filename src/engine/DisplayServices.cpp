#include "engine/DisplayServices.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/Status.h"

namespace orvane {

namespace {

float unitLevel(float level) { return std::clamp(level != level ? 0.0f : level, 0.0f, 1.0f); }

std::optional<float> level(std::int32_t status, float read) {
    if (status != platform::status::success || !(read >= 0)) return std::nullopt;
    return read;
}

}  // namespace

bool DisplayServices::isAvailable() const { return platform_->backlight().isAvailable(); }

std::optional<float> DisplayServices::getBrightness(std::uint32_t display) const {
    if (!isAvailable()) return std::nullopt;
    float read = -1.0f;
    const std::int32_t status = platform_->backlight().brightness(display, read);
    return level(status, read);
}

std::optional<float> DisplayServices::getLinearBrightness(std::uint32_t display) const {
    if (!isAvailable()) return std::nullopt;
    float read = -1.0f;
    const std::int32_t status = platform_->backlight().linearBrightness(display, read);
    if (auto linear = level(status, read)) return linear;
    return getBrightness(display);
}

bool DisplayServices::setBrightness(std::uint32_t display, float level) const {
    return isAvailable() &&
           platform_->backlight().setBrightness(display, unitLevel(level)) == platform::status::success;
}

bool DisplayServices::setLinearBrightness(std::uint32_t display, float level) const {
    if (!isAvailable()) return false;
    const std::int32_t status = platform_->backlight().setLinearBrightness(display, unitLevel(level));
    // A failure is not retried with the plain set; only a backlight without the linear one uses it.
    if (status != platform::status::missing) return status == platform::status::success;
    return setBrightness(display, level);
}

bool DisplayServices::canChangeBrightness(std::uint32_t display) const {
    return isAvailable() && platform_->backlight().canChangeBrightness(display);
}

}  // namespace orvane
