#pragma once
// The private frameworks the engine binds at run time, by path and symbol name. Instead
// of opening a system library, a lookup asks this registry, which the active platform
// fills with the facilities it has; a framework or symbol the platform lacks is simply
// not there, and the binding code takes its fallback path as it would on a machine
// without that framework.
//
// A symbol is a std::any holding either a function object of the type named below or, for
// a constant, a std::string. Binding with the wrong type finds nothing.
#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/Value.h"

namespace orvane::platform {

class I2CChannel;
class NightShiftClient;

namespace frameworkPath {
inline constexpr std::string_view skyLight = "/System/Library/PrivateFrameworks/SkyLight.framework/SkyLight";
inline constexpr std::string_view displayServices =
    "/System/Library/PrivateFrameworks/DisplayServices.framework/DisplayServices";
inline constexpr std::string_view coreBrightness =
    "/System/Library/PrivateFrameworks/CoreBrightness.framework/CoreBrightness";
inline constexpr std::string_view ioKit = "/System/Library/Frameworks/IOKit.framework/IOKit";
}  // namespace frameworkPath

// The signatures of the bound functions.
namespace symbol {
using SetAccessibilityAdjustments = std::function<std::int32_t(const Dictionary& adjustments)>;
using GetBrightness = std::function<std::int32_t(std::uint32_t display, float* level)>;
using SetBrightness = std::function<std::int32_t(std::uint32_t display, float level)>;
using CanChangeBrightness = std::function<bool(std::uint32_t display)>;
// A class symbol: makes a new client (null when it cannot be made).
using BlueLightClientClass = std::function<std::shared_ptr<NightShiftClient>()>;
using AVServiceCreateWithService = std::function<std::shared_ptr<I2CChannel>(std::uint64_t registryEntry)>;
using AVServiceReadI2C = std::function<std::int32_t(I2CChannel& service, std::uint32_t chipAddress,
                                                    std::uint32_t offset, std::uint8_t* buffer, std::uint32_t length)>;
using AVServiceWriteI2C =
    std::function<std::int32_t(I2CChannel& service, std::uint32_t chipAddress, std::uint32_t dataAddress,
                               std::uint8_t* buffer, std::uint32_t length)>;
}  // namespace symbol

class FrameworkImage {
public:
    virtual ~FrameworkImage() = default;
    // Null when the image has no such symbol.
    virtual const std::any* symbol(std::string_view name) const = 0;
};

// An image made of named symbols; an optional filter can hide symbols at lookup time
// (the simulated machine scripts missing symbols that way).
class SymbolTable final : public FrameworkImage {
public:
    using Filter = std::function<bool(std::string_view name)>;
    explicit SymbolTable(Filter present = nullptr) : present_(std::move(present)) {}

    void add(std::string name, std::any value) { symbols_[std::move(name)] = std::move(value); }
    const std::any* symbol(std::string_view name) const override;

private:
    Filter present_;
    std::map<std::string, std::any, std::less<>> symbols_;
};

class FrameworkRegistry {
public:
    // A loader gives the image to open at a path at the moment it is opened (null: the
    // framework is missing now), so the platform can decide late.
    using Loader = std::function<std::shared_ptr<FrameworkImage>()>;

    void add(std::string path, Loader loader);
    void add(std::string path, std::shared_ptr<FrameworkImage> image);
    void remove(const std::string& path);
    // The opened image, or null when there is no framework at that path.
    std::shared_ptr<FrameworkImage> open(std::string_view path) const;
    // Like open, but an image that opened once is kept and handed out again (a loaded
    // library is never closed); a failed open is tried again next time.
    std::shared_ptr<FrameworkImage> handle(std::string_view path);

private:
    mutable std::mutex mutex_;
    std::map<std::string, Loader, std::less<>> loaders_;
    std::mutex openedMutex_;
    std::map<std::string, std::shared_ptr<FrameworkImage>, std::less<>> opened_;
};

// Binds a symbol of an image: null when the image is null, has no such symbol or the
// symbol has another type.
template <class T>
const T* bindSymbol(const std::shared_ptr<FrameworkImage>& image, std::string_view name) {
    if (!image) return nullptr;
    const std::any* found = image->symbol(name);
    return found ? std::any_cast<T>(found) : nullptr;
}

}  // namespace orvane::platform
