#pragma once
// What the settings window's root view shows, apart from the widgets: the status card's
// line and the About header's version line.
#include <cstdint>
#include <optional>
#include <string>

#include "app/Diagnostics.h"

namespace orvane {

class AppModel;
namespace platform {
class Platform;
}

namespace SettingsRootRules {

struct StatusLine {
    std::string text;                        // "Off", "2700K", "Daylight"
    std::optional<std::int64_t> warmKelvin;  // coloured as this kelvin; none: secondary
    bool operator==(const StatusLine&) const = default;
};
StatusLine statusLine(bool enabled, bool warming, std::int64_t modeKelvin);
StatusLine statusLine(const AppModel& model);

// "Version 2.1 (42) · Debian GNU/Linux 12 (bookworm) · Intel(R) Core(TM) i5"; an empty
// version reads "dev", an empty build "0".
std::string aboutLine(const Diagnostics::Build& build, const std::string& operatingSystem, const std::string& chip);
// With this build and what the platform reports.
std::string aboutLine(platform::Platform& platform);

}  // namespace SettingsRootRules
}  // namespace orvane
