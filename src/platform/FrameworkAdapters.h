#pragma once
// The framework images built over the platform's own facilities: the accessibility
// adjustment call and its four dictionary keys over ColorAdjustments, the brightness
// functions over Backlight, the Night Shift client class and the I2C functions.
#include <functional>
#include <memory>

#include "platform/Backlight.h"
#include "platform/ColorAdjustments.h"
#include "platform/Frameworks.h"
#include "platform/I2C.h"
#include "platform/NightShiftClient.h"

namespace orvane::platform {

namespace symbolName {
inline constexpr const char* setAccessibilityAdjustments = "SLSSetAccessibilityAdjustments";
inline constexpr const char* targetDisplay = "kSLSAccessibilityTargetDisplay";
inline constexpr const char* adjustmentMatrix = "kSLSAccessibilityAdjustmentMatrix";
inline constexpr const char* adjustmentScale = "kSLSAccessibilityAdjustmentScale";
inline constexpr const char* adjustmentOptions = "kSLSAccessibilityAdjustmentOptions";
inline constexpr const char* getBrightness = "DisplayServicesGetBrightness";
inline constexpr const char* getLinearBrightness = "DisplayServicesGetLinearBrightness";
inline constexpr const char* setBrightness = "DisplayServicesSetBrightness";
inline constexpr const char* setLinearBrightness = "DisplayServicesSetLinearBrightness";
inline constexpr const char* canChangeBrightness = "DisplayServicesCanChangeBrightness";
inline constexpr const char* blueLightClient = "CBBlueLightClient";
inline constexpr const char* avServiceCreateWithService = "IOAVServiceCreateWithService";
inline constexpr const char* avServiceReadI2C = "IOAVServiceReadI2C";
inline constexpr const char* avServiceWriteI2C = "IOAVServiceWriteI2C";
}  // namespace symbolName

// The values the four key constants hold (what the adjustment dictionary is keyed by).
namespace adjustmentKey {
inline constexpr const char* targetDisplay = "AccessibilityTargetDisplay";
inline constexpr const char* matrix = "AccessibilityAdjustmentMatrix";
inline constexpr const char* scale = "AccessibilityAdjustmentScale";
inline constexpr const char* options = "AccessibilityAdjustmentOptions";
}  // namespace adjustmentKey

// Applies one adjustment dictionary: the target display alone resets it; with a 36-byte
// matrix (nine native floats), scale and options it sets the matrix. Anything else is
// refused with status::illegalArgument.
std::int32_t applyAdjustmentDictionary(ColorAdjustments& adjustments, const Dictionary& dictionary);

std::shared_ptr<SymbolTable> makeAccessibilityImage(std::shared_ptr<ColorAdjustments> adjustments,
                                                    SymbolTable::Filter present = nullptr);
std::shared_ptr<SymbolTable> makeBrightnessImage(std::shared_ptr<Backlight> backlight,
                                                 SymbolTable::Filter present = nullptr);
std::shared_ptr<SymbolTable> makeNightShiftImage(std::function<std::shared_ptr<NightShiftClient>()> makeClient,
                                                 SymbolTable::Filter present = nullptr);
std::shared_ptr<SymbolTable> makeI2CImage(std::shared_ptr<I2C> i2c, SymbolTable::Filter present = nullptr);

}  // namespace orvane::platform
