#pragma once
// Bindings to the private display facilities: the accessibility colour adjustment of the
// display pipeline and the built-in backlight. Each binding is made for one platform and
// looks frameworks up by path in that platform's registry, their symbols by name at every
// call; a missing framework, function or key turns into absent, false or the status -1,
// never an error.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Frameworks.h"
#include "platform/Value.h"

namespace orvane::platform {
class Platform;
}

namespace orvane {

class PrivateFramework {
public:
    explicit PrivateFramework(platform::Platform& platform) : platform_(&platform) {}

    static constexpr std::string_view skyLightPath = platform::frameworkPath::skyLight;
    static constexpr std::string_view displayServicesPath = platform::frameworkPath::displayServices;
    static constexpr std::string_view coreBrightnessPath = platform::frameworkPath::coreBrightness;
    static constexpr std::string_view ioKitPath = platform::frameworkPath::ioKit;

    // The opened framework, cached per path once it opened; null (and nothing cached, so
    // the next call tries again) when there is none. Safe from any thread.
    std::shared_ptr<platform::FrameworkImage> handle(std::string_view path) const;

    // Binds a symbol of an opened framework afresh (function objects are not cached).
    template <class T>
    static const T* symbol(const std::shared_ptr<platform::FrameworkImage>& image, std::string_view name) {
        return platform::bindSymbol<T>(image, name);
    }

private:
    platform::Platform* platform_;
};

class AXColorMatrix {
public:
    explicit AXColorMatrix(platform::Platform& platform) : platform_(&platform), frameworks_(platform) {}

    // The adjustment function and its four dictionary keys can be bound.
    bool isAvailable() const;
    // The system's own accessibility colour filter is switched on.
    bool userColorFilterEnabled() const;
    // -1 and nothing sent unless `matrix` holds exactly nine elements, or when the
    // binding fails; else the function's status.
    std::int32_t set(std::uint32_t display, const std::vector<float>& matrix) const;
    std::int32_t reset(std::uint32_t display) const;
    // Clears the adjustment of every online display, at most 32 of them.
    void resetAll() const;

    struct Keys {
        std::string display;
        std::string matrix;
        std::string scale;
        std::string options;
    };
    // The dictionaries sent: the full one for a matrix, the one with the target alone to reset.
    static platform::Dictionary matrixDictionary(const Keys& keys, std::uint32_t display,
                                                 const std::vector<float>& matrix);
    static platform::Dictionary resetDictionary(const Keys& keys, std::uint32_t display);

private:
    static std::optional<Keys> keys(const std::shared_ptr<platform::FrameworkImage>& image);
    static std::int32_t send(const std::shared_ptr<platform::FrameworkImage>& image, const platform::Dictionary& d);

    platform::Platform* platform_;
    PrivateFramework frameworks_;
};

class DisplayServices {
public:
    explicit DisplayServices(platform::Platform& platform) : frameworks_(platform) {}

    bool isAvailable() const;
    // Absent when unbound, on a non-zero status or a negative level.
    std::optional<float> getBrightness(std::uint32_t display) const;
    // Falls back to getBrightness when the linear function is unbound or fails.
    std::optional<float> getLinearBrightness(std::uint32_t display) const;
    // The level clamped to 0...1; true exactly when the status is 0.
    bool setBrightness(std::uint32_t display, float level) const;
    // Uses the plain function only when the linear one is unbound.
    bool setLinearBrightness(std::uint32_t display, float level) const;
    bool canChangeBrightness(std::uint32_t display) const;

private:
    std::optional<float> read(std::string_view name, std::uint32_t display) const;
    const platform::symbol::SetBrightness* setter(std::string_view name) const;

    PrivateFramework frameworks_;
};

}  // namespace orvane
