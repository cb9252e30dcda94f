#pragma once
// The display pipeline's accessibility colour matrix, through the platform's
// ColorAdjustments port. Where the port is unavailable every operation fails softly:
// false, or the status -1 with nothing sent.
#include <cstdint>
#include <vector>

namespace orvane::platform {
class Platform;
}

namespace orvane {

class AXColorMatrix {
public:
    explicit AXColorMatrix(platform::Platform& platform) : platform_(&platform) {}

    // The pipeline takes colour adjustments on this machine now.
    bool isAvailable() const;
    // The system's own accessibility colour filter is switched on.
    bool userColorFilterEnabled() const;
    // -1 and nothing sent unless `matrix` holds exactly nine elements, or when the port is
    // unavailable; else the port's status.
    std::int32_t set(std::uint32_t display, const std::vector<float>& matrix) const;
    std::int32_t reset(std::uint32_t display) const;
    // Clears the adjustment of every online display, at most 32 of them.
    void resetAll() const;

private:
    platform::Platform* platform_;
};

}  // namespace orvane
