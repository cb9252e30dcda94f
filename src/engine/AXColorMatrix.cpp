#include "engine/AXColorMatrix.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/Status.h"

namespace orvane {

bool AXColorMatrix::isAvailable() const { return platform_->colorAdjustments().isAvailable(); }

bool AXColorMatrix::userColorFilterEnabled() const {
    const auto value = platform_->preferences().copyAppValue("__Color__-MADisplayFilterCategoryEnabled",
                                                             "com.apple.mediaaccessibility");
    // Only a number (a Boolean counts as one) can switch it on; text or anything else cannot.
    return value && value->isNumber() && value->boolean().value_or(false);
}

std::int32_t AXColorMatrix::set(std::uint32_t display, const std::vector<float>& matrix) const {
    if (matrix.size() != 9 || !isAvailable()) return platform::status::missing;
    platform::Matrix3x3 elements{};
    std::copy(matrix.begin(), matrix.end(), elements.begin());
    return platform_->colorAdjustments().set(platform::ColorAdjustment::tint(display, elements));
}

std::int32_t AXColorMatrix::reset(std::uint32_t display) const {
    if (!isAvailable()) return platform::status::missing;
    return platform_->colorAdjustments().set(platform::ColorAdjustment::clear(display));
}

void AXColorMatrix::resetAll() const {
    for (std::uint32_t id : platform_->displays().onlineDisplays(32)) (void)reset(id);
}

}  // namespace orvane
