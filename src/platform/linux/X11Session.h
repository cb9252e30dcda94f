#pragma once
// The X server as the display services see it: XRandR outputs as displays, CRTC gamma
// ramps as gamma tables, the "CTM" output property as the colour adjustment and the root
// window as the screenshot. Declared without X types so that nothing else sees Xlib.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ColorAdjustments.h"
#include "platform/Displays.h"
#include "platform/GammaTables.h"
#include "platform/Scheduler.h"
#include "platform/Screenshots.h"

namespace orvane::platform::linuxsys {

struct X11Facilities {
    std::string displayName;
    std::shared_ptr<Displays> displays;
    std::shared_ptr<GammaTables> gamma;
    std::shared_ptr<ColorAdjustments> colorAdjustments;
    std::shared_ptr<Screenshots> screenshots;
    // Whether any online output has a colour transformation matrix now.
    std::function<bool()> hasColorAdjustments;
};

// Null when no X display opens. `displayName` absent: $DISPLAY.
std::shared_ptr<X11Facilities> openX11(std::shared_ptr<Scheduler> scheduler,
                                       const std::optional<std::string>& displayName = std::nullopt);

// The S31.32 sign-magnitude encoding of the "CTM" property: 18 words, low word first.
std::vector<std::uint32_t> encodeCtm(const Matrix3x3& matrix);
Matrix3x3 decodeCtm(const std::vector<std::uint32_t>& words);

// An all-zero ramp (what a server without hardware reports) means identity.
GammaRamp rampFromX(const std::vector<std::uint16_t>& red, const std::vector<std::uint16_t>& green,
                    const std::vector<std::uint16_t>& blue);
std::vector<std::uint16_t> channelToX(const std::vector<float>& channel);

// eDP, LVDS and DSI connectors are the built-in panels.
bool isBuiltInConnector(const std::string& outputName);

}  // namespace orvane::platform::linuxsys
