#pragma once
// The display list and each display's identity, as the window server reports them.
// A display id is valid only while the display is connected.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Scheduler.h"

namespace orvane::platform {

// One entry of the screen list. `displayNumber` is absent for a screen whose
// description carries no display number.
struct Screen {
    std::optional<std::uint32_t> displayNumber;
    std::string localizedName;
    Rect frame;  // global points, bottom-left origin
    double backingScaleFactor = 1;
    bool operator==(const Screen&) const = default;
};

class Displays {
public:
    virtual ~Displays() = default;

    // The screens in the system's order; the main screen first.
    virtual std::vector<Screen> screens() = 0;
    // The ids of the online displays, at most `maxDisplays` of them, in the system's order.
    virtual std::vector<std::uint32_t> onlineDisplays(std::uint32_t maxDisplays) = 0;
    virtual std::optional<std::uint32_t> mainDisplay() = 0;

    // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" in upper-case hexadecimal, or absent.
    virtual std::optional<std::string> uuid(std::uint32_t display) = 0;
    // 0 when unknown.
    virtual std::uint32_t vendorNumber(std::uint32_t display) = 0;
    virtual std::uint32_t modelNumber(std::uint32_t display) = 0;
    virtual std::uint32_t serialNumber(std::uint32_t display) = 0;
    virtual bool isBuiltin(std::uint32_t display) = 0;
    virtual bool isAsleep(std::uint32_t display) = 0;

    // Called on the main thread after the display arrangement changed (a display added,
    // removed, moved or its resolution changed). The handle ends the observation.
    virtual Handle observeReconfiguration(std::function<void()> changed) = 0;
};

}  // namespace orvane::platform
