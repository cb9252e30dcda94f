#include "app/Capabilities.h"

#include <algorithm>

#include "engine/AntiDither.h"
#include "engine/LaunchAtLogin.h"
#include "engine/PointerTint.h"
#include "engine/TintEngine.h"

namespace orvane {

namespace {

bool tinted(const DisplayCapabilities& d) { return d.attachedMethod.has_value(); }

// Some display is tinted and every tinted one by the desktop's night light with no overlay.
bool leftToNightLight(const Capabilities& c) {
    return c.nightLightAlone && std::any_of(c.displays.begin(), c.displays.end(), tinted) &&
           std::all_of(c.displays.begin(), c.displays.end(), [](const DisplayCapabilities& d) {
               return !tinted(d) || d.attachedMethod == TintMethod::nightShift;
           });
}

}  // namespace

Availability DisplayCapabilities::method(TintMethod m) const {
    if (m == TintMethod::automatic) return Availability::yes();
    // A Mac's rules offer every method and let the fallback chain decide.
    if (rules == MethodRules::macHardware) return Availability::yes();
    const std::string why = MethodHeuristic::whyNot(m, facts);
    return why.empty() ? Availability::yes() : Availability::no(why);
}

const DisplayCapabilities* Capabilities::display(const std::string& key) const {
    const auto it = std::find_if(displays.begin(), displays.end(), [&](const auto& d) { return d.key == key; });
    return it != displays.end() ? &*it : nullptr;
}

const DisplayCapabilities* Capabilities::display(std::uint32_t id) const {
    const auto it = std::find_if(displays.begin(), displays.end(), [&](const auto& d) { return d.id == id; });
    return it != displays.end() ? &*it : nullptr;
}

Capabilities Capabilities::read(TintEngine& engine) {
    platform::Platform& platform = *engine.platform();
    Capabilities c;
    const MethodRules rules = engine.methodRules();
    const bool canDither = AntiDither::isAvailable(platform.dithering());
    c.antiDithering = Availability::when(canDither, notAvailableOnThisComputer);
    c.macWords = platform.systemInfo().describesMac();
    c.nightLightName = c.macWords ? "Night Shift" : "Night Light";
    c.nightLightAlone = !platform.overlaysReachScreen();
    c.overlayJoinsNightLight = engine.overlayJoinsNightLight();
    c.nightLightLowest = engine.nightShift().lowestKelvin();
    for (const auto& display : std::vector<DisplayInfo>(engine.displays())) {
        DisplayCapabilities d;
        d.id = display.id;
        d.key = display.key;
        d.name = display.name;
        d.isBuiltIn = display.isBuiltIn;
        d.rules = rules;
        d.facts = engine.methodFacts(display);
        // The automatic rule as it stands for a display without a method-check result.
        DisplaySettings automatic = engine.displaySettings(display);
        automatic.method = TintMethod::automatic;
        automatic.methodCheckResult.reset();
        automatic.methodCheckRejectedMatrix = false;
        const SystemFacts system(platform);
        const TintMethod picked = MethodHeuristic::resolve(automatic, rules, system.chipBrand(),
                                                           system.osVersion().major, !display.isBuiltIn, d.facts);
        if (d.method(picked)) d.automaticMethod = picked;
        d.antiDithering = c.antiDithering;
        d.attachedMethod = engine.attachedMethod(display);
        if (d.attachedMethod) d.attachedTitle = c.methodTitle(*d.attachedMethod);
        d.notTintedReason = engine.untintedReason(display).value_or("");
        c.displays.push_back(std::move(d));
    }
    c.steadyBacklight =
        Availability::when(platform.backlight().isAvailable(), "No backlight control on this computer.");
    c.backlightFlickers = dimsByPulseWidth(SystemFacts(platform).modelIdentifier());
    c.pointerTint = Availability::when(PointerTint::isAvailable(platform), notAvailableOnThisComputer);
    c.loginItems = Availability::when(LaunchAtLogin::isAvailable(platform.loginItems()), notAvailableOnThisComputer);
    c.sounds = Availability::when(platform.sounds().isAvailable(), notAvailableOnThisComputer);
    c.haptics = Availability::when(platform.hasHaptics(), notAvailableOnThisComputer);
    c.hideFromCaptures =
        Availability::when(platform.overlayWindows().canHideFromCaptures(), notAvailableOnThisComputer);
    c.trayTitle = Availability::when(c.macWords, "The panel's tray shows the icon alone, with no text beside it.");
    c.openURLs =
        Availability::when(platform.workspace().canOpenURLs(), "Nothing on this computer opens web addresses.");
    c.openSettingsPages = Availability::when(platform.workspace().canOpenSettingsPages(), notAvailableOnThisComputer);
    c.checkForUpdates =
        Availability::when(platform.systemInfo().describesMac(), updatesReason(platform.systemInfo().executablePath()));
    c.nightShift =
        Availability::when(engine.nightShift().isAvailable(), "This desktop has no night light Orvane can drive.");
    c.globalShortcuts = Availability::when(platform.keyboard().canRegisterGlobalShortcuts(), noGlobalShortcutsReason);
    c.frontmostApplication =
        Availability::when(platform.workspace().canTellFrontmostApplication(), noFrontmostApplicationReason);
    c.compositor =
        Availability::when(platform.overlayWindows().canShowTranslucent(),
                           c.nightLightAlone ? "Overlays cannot show on Wayland." : "Needs a compositing manager.");
    return c;
}

std::string Capabilities::updatesReason(const std::optional<std::string>& executablePath) {
    const bool packaged =
        !executablePath || (executablePath->rfind("/usr/", 0) == 0 && executablePath->rfind("/usr/local/", 0) != 0);
    if (packaged) return "The package manager keeps Orvane up to date.";
    return "Orvane was installed from source: to update it, build the newer source and install it again.";
}

bool Capabilities::dimsByPulseWidth(const std::optional<std::string>& modelIdentifier) {
    if (!modelIdentifier) return false;
    return modelIdentifier->rfind("MacBookPro", 0) == 0 || modelIdentifier->rfind("Mac1", 0) == 0;
}

Availability Capabilities::tinting() const {
    if (!displays.empty() && std::none_of(displays.begin(), displays.end(), tinted))
        return Availability::no("Not tinted: " + displays.front().notTintedReason);
    return Availability::yes();
}

Availability Capabilities::layerEffects() const {
    // Nothing to dim or fold red with: no display is tinted, or every tinted one is left
    // to the desktop's night light alone.
    if (Availability tints = tinting(); !tints) return tints;
    return dimming();
}

Availability Capabilities::readableRed() const {
    if (Availability layers = layerEffects(); !layers) return layers;
    if (displays.empty()) return Availability::yes();
    // Ramps, the night light and a display's own controls scale each channel on its own;
    // only a colour matrix or an overlay mixes them.
    const auto folds = [](const DisplayCapabilities& d) {
        return d.attachedMethod == TintMethod::matrix || d.attachedMethod == TintMethod::overlay;
    };
    if (std::any_of(displays.begin(), displays.end(), folds)) return Availability::yes();
    const auto first = std::find_if(displays.begin(), displays.end(), tinted);
    const TintMethod method = first != displays.end() ? *first->attachedMethod : TintMethod::gamma;
    const char* what = method == TintMethod::nightShift ? "the desktop's night light"
                       : method == TintMethod::ddc      ? "the display's own color controls"
                                                        : "gamma ramps alone";
    return Availability::no(std::string("Needs a color matrix or an overlay; ") + what +
                            " cannot fold colors into red.");
}

Availability Capabilities::dimming() const {
    return Availability::when(!leftToNightLight(*this), "Not available with the desktop's night light.");
}

bool Capabilities::nightLightFloorApplies() const {
    return overlayJoinsNightLight && std::any_of(displays.begin(), displays.end(), [](const DisplayCapabilities& d) {
               return d.attachedMethod == TintMethod::nightShift;
           });
}

std::string Capabilities::nightLightReach(std::int64_t kelvin, const DisplayCapabilities* display) const {
    if (overlayJoinsNightLight || !nightLightLowest || kelvin >= *nightLightLowest) return {};
    const auto byNightLight = [](const DisplayCapabilities& d) { return d.attachedMethod == TintMethod::nightShift; };
    if (display ? !byNightLight(*display) : std::none_of(displays.begin(), displays.end(), byNightLight)) return {};
    return nightLightName + " reaches " + std::to_string(*nightLightLowest) + "K at the warmest";
}

std::string Capabilities::methodTitle(TintMethod method) const {
    return orvane::methodTitle(method, macWords, nightLightAlone);
}

const platform::CatalogApp* InstalledApplications::find(const std::string& id) const {
    const auto it = std::find_if(known.begin(), known.end(), [&](const auto& app) { return app.id == id; });
    return it != known.end() ? &*it : nullptr;
}

InstalledApplications InstalledApplications::read(platform::AppCatalog& catalog) {
    InstalledApplications apps;
    const auto remember = [&](const platform::CatalogApp& app) {
        if (!apps.find(app.id)) apps.known.push_back(app);
    };
    apps.listed = catalog.applications();
    if (apps.listed)
        for (const auto& app : *apps.listed) remember(app);
    if (const auto own = catalog.suggestions()) {
        for (const auto& app : *own) {
            apps.suggestions.push_back({app.id, app.name, false});
            remember(app);
        }
    } else {
        for (const auto& suggestion : ExcludedApp::suggestions()) {
            const platform::CatalogApp* known = apps.find(suggestion.bundleID);
            const auto installed = known ? std::optional(*known) : catalog.application(suggestion.bundleID);
            if (!installed) continue;
            apps.suggestions.push_back(suggestion);
            remember(*installed);
        }
    }
    return apps;
}

std::shared_ptr<const InstalledApplications> Capabilities::readApplications(platform::Platform& platform) {
    return std::make_shared<const InstalledApplications>(InstalledApplications::read(platform.appCatalog()));
}

}  // namespace orvane
