#include "ui/settings/SettingsRootRules.h"

#include "app/AppModel.h"
#include "engine/DisplayManager.h"

namespace orvane::SettingsRootRules {

StatusLine statusLine(bool enabled, bool warming, std::int64_t modeKelvin) {
    if (!enabled) return {"Off", std::nullopt};
    if (warming) return {std::to_string(modeKelvin) + "K", modeKelvin};
    return {"Daylight", std::nullopt};
}

StatusLine statusLine(const AppModel& model) {
    return statusLine(model.settings().enabled, model.isWarming(), model.resolution().modeState.kelvin);
}

std::string aboutLine(const Diagnostics::Build& build, const std::string& operatingSystem, const std::string& chip) {
    const std::string version = build.version.empty() ? "dev" : build.version;
    // A build without a number (one from source) shows none.
    const bool numbered = !build.build.empty() && build.build != "0";
    return "Version " + version + (numbered ? " (" + build.build + ")" : std::string()) + " \u00B7 " + operatingSystem +
           " \u00B7 " + chip;
}

std::string aboutLine(platform::Platform& platform) {
    return aboutLine(Diagnostics::Build::current(), platform.systemInfo().osDisplayName(),
                     SystemFacts(platform).chipDisplayName());
}

}  // namespace orvane::SettingsRootRules
