#include "engine/PrivateAPI.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/FrameworkAdapters.h"
#include "platform/Platform.h"
#include "platform/Status.h"

namespace orvane {

namespace {

namespace sym = platform::symbolName;

float unitLevel(float level) { return std::clamp(level != level ? 0.0f : level, 0.0f, 1.0f); }

}  // namespace

std::shared_ptr<platform::FrameworkImage> PrivateFramework::handle(std::string_view path) const {
    return platform_->frameworks().handle(path);
}

// --- the colour adjustment -------------------------------------------------------------

std::optional<AXColorMatrix::Keys> AXColorMatrix::keys(const std::shared_ptr<platform::FrameworkImage>& image) {
    const auto* display = PrivateFramework::symbol<std::string>(image, sym::targetDisplay);
    const auto* matrix = PrivateFramework::symbol<std::string>(image, sym::adjustmentMatrix);
    const auto* scale = PrivateFramework::symbol<std::string>(image, sym::adjustmentScale);
    const auto* options = PrivateFramework::symbol<std::string>(image, sym::adjustmentOptions);
    if (!display || !matrix || !scale || !options) return std::nullopt;
    return Keys{*display, *matrix, *scale, *options};
}

platform::Dictionary AXColorMatrix::matrixDictionary(const Keys& k, std::uint32_t display,
                                                     const std::vector<float>& m) {
    platform::Bytes bytes(m.size() * sizeof(float));
    std::memcpy(bytes.data(), m.data(), bytes.size());  // native byte order, element order kept
    return {{k.display, platform::Value(std::int64_t{display})},
            {k.matrix, platform::Value(std::move(bytes))},
            {k.scale, platform::Value(1.0f)},
            {k.options, platform::Value(std::int64_t{0})}};
}

platform::Dictionary AXColorMatrix::resetDictionary(const Keys& k, std::uint32_t display) {
    return {{k.display, platform::Value(std::int64_t{display})}};
}

std::int32_t AXColorMatrix::send(const std::shared_ptr<platform::FrameworkImage>& image,
                                 const platform::Dictionary& d) {
    const auto* function = PrivateFramework::symbol<platform::symbol::SetAccessibilityAdjustments>(
        image, sym::setAccessibilityAdjustments);
    if (!function || !*function) return platform::status::missing;
    return (*function)(d);
}

bool AXColorMatrix::isAvailable() const {
    const auto image = frameworks_.handle(PrivateFramework::skyLightPath);
    return image &&
           PrivateFramework::symbol<platform::symbol::SetAccessibilityAdjustments>(image,
                                                                                   sym::setAccessibilityAdjustments) &&
           keys(image);
}

bool AXColorMatrix::userColorFilterEnabled() const {
    const auto value = platform_->preferences().copyAppValue("__Color__-MADisplayFilterCategoryEnabled",
                                                             "com.apple.mediaaccessibility");
    // Only a number (a Boolean counts as one) can switch it on; text or anything else cannot.
    return value && value->isNumber() && value->boolean().value_or(false);
}

std::int32_t AXColorMatrix::set(std::uint32_t display, const std::vector<float>& matrix) const {
    if (matrix.size() != 9) return platform::status::missing;
    const auto image = frameworks_.handle(PrivateFramework::skyLightPath);
    const auto k = keys(image);
    if (!image || !k) return platform::status::missing;
    return send(image, matrixDictionary(*k, display, matrix));
}

std::int32_t AXColorMatrix::reset(std::uint32_t display) const {
    const auto image = frameworks_.handle(PrivateFramework::skyLightPath);
    const auto k = keys(image);
    if (!image || !k) return platform::status::missing;
    return send(image, resetDictionary(*k, display));
}

void AXColorMatrix::resetAll() const {
    const auto ids = platform_->displays().onlineDisplays(32);
    for (std::uint32_t id : ids) {
        const auto image = frameworks_.handle(PrivateFramework::skyLightPath);
        const auto k = keys(image);
        if (!image || !k) continue;
        (void)send(image, resetDictionary(*k, id));
    }
}

// --- the backlight ---------------------------------------------------------------------

bool DisplayServices::isAvailable() const {
    const auto image = frameworks_.handle(PrivateFramework::displayServicesPath);
    return image && PrivateFramework::symbol<platform::symbol::GetBrightness>(image, sym::getBrightness);
}

std::optional<float> DisplayServices::read(std::string_view name, std::uint32_t display) const {
    const auto image = frameworks_.handle(PrivateFramework::displayServicesPath);
    const auto* get = PrivateFramework::symbol<platform::symbol::GetBrightness>(image, name);
    if (!get || !*get) return std::nullopt;
    float level = -1.0f;
    if ((*get)(display, &level) != 0 || !(level >= 0)) return std::nullopt;
    return level;
}

const platform::symbol::SetBrightness* DisplayServices::setter(std::string_view name) const {
    const auto image = frameworks_.handle(PrivateFramework::displayServicesPath);
    const auto* set = PrivateFramework::symbol<platform::symbol::SetBrightness>(image, name);
    return set && *set ? set : nullptr;
}

std::optional<float> DisplayServices::getBrightness(std::uint32_t display) const {
    return read(sym::getBrightness, display);
}

std::optional<float> DisplayServices::getLinearBrightness(std::uint32_t display) const {
    if (auto level = read(sym::getLinearBrightness, display)) return level;
    return getBrightness(display);
}

bool DisplayServices::setBrightness(std::uint32_t display, float level) const {
    const auto* set = setter(sym::setBrightness);
    return set && (*set)(display, unitLevel(level)) == 0;
}

bool DisplayServices::setLinearBrightness(std::uint32_t display, float level) const {
    if (const auto* linear = setter(sym::setLinearBrightness)) return (*linear)(display, unitLevel(level)) == 0;
    return setBrightness(display, level);
}

bool DisplayServices::canChangeBrightness(std::uint32_t display) const {
    const auto image = frameworks_.handle(PrivateFramework::displayServicesPath);
    const auto* can = PrivateFramework::symbol<platform::symbol::CanChangeBrightness>(image, sym::canChangeBrightness);
    return can && *can && (*can)(display);
}

}  // namespace orvane
