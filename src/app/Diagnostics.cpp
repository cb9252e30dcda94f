#include "app/Diagnostics.h"

#include <cmath>
#include <cstdint>

#include "app/AppModel.h"
#include "core/CaseNames.h"
#include "core/DecimalText.h"
#include "core/Overloaded.h"
#include "engine/DisplayManager.h"
#include "engine/DisplayServices.h"
#include "engine/NightShift.h"
#include "platform/Platform.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION ""
#endif
#ifndef ORVANE_BUILD_NUMBER
#define ORVANE_BUILD_NUMBER ""
#endif

namespace orvane {

namespace {

const char* const multiplicationSign = "\xC3\x97";  // U+00D7
const char* const middleDot = " \xC2\xB7 ";         // U+00B7 between spaces

std::string boolText(bool value) { return value ? "true" : "false"; }

// A computed value to so many places, as people read it: 0.7999999999999999 is 0.8.
std::string roundedDecimal(double value, int places) {
    if (!std::isfinite(value)) return shortestDecimal(value);
    const double scale = std::pow(10.0, places);
    return shortestDecimal(std::round(value * scale) / scale + 0.0);
}

// Points truncated toward zero, as whole numbers.
std::string wholePoints(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 9e15) return "0";
    return std::to_string(static_cast<std::int64_t>(std::trunc(value)));
}

std::string quotedList(const std::vector<ExcludedApp>& apps) {
    std::string out = "[";
    for (std::size_t i = 0; i < apps.size(); ++i) out += (i ? ", \"" : "\"") + apps[i].bundleID + "\"";
    return out + "]";
}

std::string displayLine(const DisplayInfo& display, const Settings& settings, TintEngine& engine) {
    const DisplaySettings stored = settings.displaySettings(display.key);
    return "  - " + display.name + " [" + (display.isBuiltIn ? "built-in" : "external") + "] " +
           wholePoints(display.frame.width) + multiplicationSign + wholePoints(display.frame.height) + "@" +
           roundedDecimal(display.scale, 2) + "x key=" + display.key +
           " method=" + std::string(toString(stored.method)) +
           " check=" + (stored.methodCheckResult ? std::string(toString(*stored.methodCheckResult)) : "none") +
           " inUse=" + [&] {
               const auto attached = engine.attachedMethod(display);
               if (attached) return std::string(toString(*attached));
               const auto reason = engine.untintedReason(display);
               return std::string("none") + (reason ? " notTinted=\"" + *reason + "\"" : std::string());
           }();
}

}  // namespace

Diagnostics::Build Diagnostics::Build::current() { return {ORVANE_VERSION, ORVANE_BUILD_NUMBER}; }

Diagnostics::System Diagnostics::System::probe(platform::Platform& platform) {
    System system;
    system.operatingSystem = platform.systemInfo().osDisplayName();
    const SystemFacts info(platform);
    system.chip = info.chipDisplayName();
    system.model = info.modelIdentifier();
    system.displayServices = DisplayServices(platform).isAvailable();
    const NightShift nightShift(platform);
    system.nightShift = nightShift.isAvailable();
    system.nightLightDesktop = nightShift.desktopName();
    if (!system.nightLightDesktop.empty()) system.nightLightHeldElsewhere = nightShift.heldElsewhere();
    // A frame-buffer service that takes the dithering switch.
    const auto pipes = platform.dithering().services("IOMobileFramebufferAP");
    system.antiDither = pipes && !pipes->empty();
    system.ddc = platform.i2c().isAvailable();
    system.accessibility = platform.keyboard().isProcessTrusted();
    return system;
}

std::string Diagnostics::statusText(const TintStatus& status) {
    return std::visit(
        Overloaded{
            [](const TintStatus::DisabledUntil& s) { return "disabledUntil(" + iso8601(s.date) + ")"; },
            [](const TintStatus::ExcludedApp& s) { return "excludedApp(name: \"" + s.name + "\")"; },
            [](const TintStatus::PausedUntil& s) { return "pausedUntil(" + iso8601(s.date) + ")"; },
            [](const TintStatus::Following& s) { return "following(mode: " + std::string(toString(s.mode)) + ")"; },
            [](const TintStatus::Off&) { return std::string("off"); },
            [](const TintStatus::Revealing&) { return std::string("revealing"); },
            [](const TintStatus::SecurityPrompt&) { return std::string("securityPrompt"); },
            [](const TintStatus::Cozy&) { return std::string("cozy"); },
            [](const TintStatus::Manual&) { return std::string("manual"); },
        },
        status.value);
}

std::string Diagnostics::text(const AppModel& model, const Build& build, const System& system) {
    const Settings& settings = model.settings();
    const Resolution& resolution = model.resolution();
    const Calibration& calibration = settings.calibration;
    std::vector<std::string> lines;

    // A build without a number (one from source) has none to show.
    const bool numbered = !build.build.empty() && build.build != "0";
    lines.push_back("Orvane " + (build.version.empty() ? std::string("dev") : build.version) +
                    (numbered ? " (" + build.build + ")" : std::string()));
    // What is not known is left out rather than shown as a placeholder.
    std::string machine;
    for (const std::string& part : {system.operatingSystem, system.chip, system.model.value_or("")})
        if (!part.empty()) machine += (machine.empty() ? "" : middleDot) + part;
    lines.push_back(machine);
    lines.push_back("Displays:");
    for (const auto& display : model.displays()) lines.push_back(displayLine(display, settings, model.engine()));

    std::string backends;
    for (const auto& line : model.engine().describeBackends()) backends += (backends.empty() ? "" : "; ") + line;
    lines.push_back("Backends: " + backends);

    lines.push_back("State: enabled=" + boolText(settings.enabled) + " mode=" + std::string(toString(settings.mode)) +
                    " status=" + statusText(resolution.status) + " target=" + std::to_string(resolution.target.kelvin) +
                    "K dim=" + roundedDecimal(resolution.target.dim, 3));

    const Location& location = model.location();
    lines.push_back("Location: " + location.display() + " (" + roundedDecimal(location.latitude, 4) + ", " +
                    roundedDecimal(location.longitude, 4) + ")");

    const std::string selfTest =
        !calibration.lastSelfTestPassed ? "never" : (*calibration.lastSelfTestPassed ? "PASS" : "FAIL");
    lines.push_back("Calibration: layerColorMode=" + std::string(toString(calibration.layerColorMode)) +
                    " readableRed=" + std::string(toString(calibration.readableRedStrategy)) +
                    " lastSelfTest=" + selfTest + " " +
                    (calibration.lastSelfTestDate ? iso8601(*calibration.lastSelfTestDate) : std::string()));

    lines.push_back("Platform services: backlight(sysfs)=" + boolText(system.displayServices) +
                    " nightLight=" + boolText(system.nightShift) + " dithering=" + boolText(system.antiDither) +
                    " DDC(i2c-dev)=" + boolText(system.ddc) + " globalShortcuts=" + boolText(system.accessibility));
    if (!system.nightLightDesktop.empty()) {
        std::string kept;
        for (const auto& key : system.nightLightKeptUserChanges) kept += (kept.empty() ? "" : ", ") + key;
        lines.push_back(
            "Night Light: " + system.nightLightDesktop + "'s own" +
            (system.nightLightHeldElsewhere.empty() ? std::string() : ", " + system.nightLightHeldElsewhere) +
            (kept.empty() ? std::string()
                          : "; changed in the desktop's settings while Orvane drove it (" + kept +
                                "), the desktop's value kept for when Orvane quits"));
    }
    if (const std::string reach = model.nightLightReach(); !reach.empty())
        lines.push_back(reach + "; asked for " + std::to_string(resolution.target.kelvin) + "K");

    lines.push_back("Comfort: steadyBacklight=" + boolText(settings.steadyBacklight.enabled) +
                    " keys=" + std::string(toString(settings.brightnessKeys)) + " antiDither=" +
                    std::string(toString(settings.antiDithering)) + " pointerTint=" + boolText(settings.pointerTint) +
                    " exclusions=" + quotedList(settings.excludedApps));

    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

std::string Diagnostics::text(const AppModel& model) {
    System system = System::probe(*model.platform());
    system.nightLightKeptUserChanges = model.engine().nightShift().keptUserChanges();
    return text(model, Build::current(), system);
}

}  // namespace orvane
