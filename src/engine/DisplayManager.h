#pragma once
// Every connected display as a value with a key that names it across reconnections and
// restarts, the list of displays with a report of what changed, and the machine facts
// the method choice, diagnostics and self-test read.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Log.h"
#include "platform/Platform.h"

namespace orvane {

struct DisplayInfo {
    std::uint32_t id = 0;  // valid only while the display is connected
    std::string key;       // what settings and records are filed under
    std::string name;
    bool isBuiltIn = false;
    platform::Rect frame;  // global points
    double scale = 1;

    DisplayInfo() = default;
    DisplayInfo(std::uint32_t id_, std::string key_, std::string name_, bool isBuiltIn_, platform::Rect frame_,
                double scale_)
        : id(id_), key(std::move(key_)), name(std::move(name_)), isBuiltIn(isBuiltIn_), frame(frame_), scale(scale_) {}

    // Absent for a screen whose description carries no display number.
    static std::optional<DisplayInfo> fromScreen(const platform::Screen& screen, platform::Platform& platform);

    // "uuid:" + the display's UUID; else, when its vendor or model number is non-zero,
    // "vms:" + vendor-model-serial; else "id:" + the id.
    static std::string stableKey(std::uint32_t id, platform::Displays& displays);

    // Frames compare as rectangles (standardised), the scale exactly.
    bool operator==(const DisplayInfo& o) const {
        return id == o.id && key == o.key && name == o.name && isBuiltIn == o.isBuiltIn &&
               frame.standardized() == o.frame.standardized() && scale == o.scale;
    }
};

class DisplayManager {
public:
    using ChangeHandler =
        std::function<void(const std::vector<DisplayInfo>& added, const std::vector<DisplayInfo>& removed,
                           const std::vector<DisplayInfo>& changed)>;

    // Lists the displays of `platform` at once and follows its reconfigurations.
    explicit DisplayManager(std::shared_ptr<platform::Platform> platform);
    DisplayManager(const DisplayManager&) = delete;
    DisplayManager& operator=(const DisplayManager&) = delete;

    const std::vector<DisplayInfo>& displays() const { return displays_; }
    // Set by the owner; called only by a refresh that finds a difference.
    ChangeHandler onChange;

    static std::vector<DisplayInfo> currentDisplays(platform::Platform& platform);

    // Relists, keeps the new list and reports added, removed and changed displays.
    void refresh();

private:
    std::shared_ptr<platform::Platform> platform_;
    std::vector<DisplayInfo> displays_;
    platform::Handle observer_;
    platform::Log log_{"displays"};
};

// The platform's system values as reports and windows show them: cleaned, with the chip and
// model read from their names and the version as three numbers.
class SystemFacts {
public:
    explicit SystemFacts(platform::Platform& platform) : platform_(&platform) {}

    // The named value, cut at its first NUL, invalid UTF-8 repaired, blanks trimmed.
    std::optional<std::string> sysctlString(const std::string& name) const;
    std::optional<std::string> chipBrand() const;
    std::string chipDisplayName() const;  // "Unknown chip" without a brand
    std::optional<std::string> modelIdentifier() const;
    platform::OSVersion osVersion() const;
    std::string osVersionString() const;  // always three numbers, "26.0.0"

private:
    platform::Platform* platform_;
};

// The repair used for system values: each ill-formed sequence becomes U+FFFD.
std::string repairUtf8(std::string_view bytes);

}  // namespace orvane

template <>
struct std::hash<orvane::DisplayInfo> {
    std::size_t operator()(const orvane::DisplayInfo& d) const noexcept;
};
