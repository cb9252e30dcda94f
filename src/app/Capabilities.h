#pragma once
// What this computer can do, in one value: per display, which tint methods can run and
// what the automatic rule picks; per machine, steady backlight, anti-dithering, pointer
// tint, login items, sounds, haptics, hiding windows from captures, opening addresses and
// settings pages, updating itself, and the installed applications. Read from the
// platform's ports (through the engine for the displays); the model keeps the current one
// and announces a change, and panes ask it instead of the engine or the platform. A thing
// that cannot work carries the reason people read beside its disabled control.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/DisplaySettings.h"
#include "core/MethodHeuristic.h"
#include "platform/AppCatalog.h"

namespace orvane {

class TintEngine;
namespace platform {
class Platform;
}

// Whether something works here; when it does not, why (a sentence for people).
struct Availability {
    bool available = false;
    std::string reason;

    static Availability yes() { return {true, {}}; }
    static Availability no(std::string reason) { return {false, std::move(reason)}; }
    static Availability when(bool available, std::string reason) { return available ? yes() : no(std::move(reason)); }
    explicit operator bool() const { return available; }
    bool operator==(const Availability&) const = default;
};

// The installed applications as the exclusions show them: read from the catalogue once,
// and again only when its folders change, so that no pane reads desktop entries on every
// settings change.
struct InstalledApplications {
    // What to suggest excluding, in order: the catalogue's own suggestions, else those of
    // the fixed list that are installed.
    std::vector<ExcludedApp> suggestions;
    // What a chooser lists by name; none where the catalogue cannot list its applications
    // and a chooser of application files stands in.
    std::optional<std::vector<platform::CatalogApp>> listed;
    // Every application read, for names and icons.
    std::vector<platform::CatalogApp> known;

    // The application with this identifier among those read; null when it is not known.
    const platform::CatalogApp* find(const std::string& id) const;
    static InstalledApplications read(platform::AppCatalog& catalog);
    bool operator==(const InstalledApplications&) const = default;
};

// The caption of a control whose capability this computer lacks.
inline constexpr const char* notAvailableOnThisComputer = "Not available on this computer.";
inline constexpr const char* noGlobalShortcutsReason = "Global shortcuts are not available on this desktop.";
inline constexpr const char* noFrontmostApplicationReason =
    "This desktop does not tell programs which app is in front, so exclusions cannot work here.";

struct DisplayCapabilities {
    std::uint32_t id = 0;
    std::string key;  // the display's settings key
    std::string name;
    bool isBuiltIn = false;
    MethodRules rules = MethodRules::displayFacts;
    MethodFacts facts;
    // What the automatic rule (without a method-check result) picks now; none when
    // nothing can tint the display.
    std::optional<TintMethod> automaticMethod;
    Availability antiDithering;
    // The method really attached now; none with the reason when no method could attach.
    std::optional<TintMethod> attachedMethod;
    std::string attachedTitle;  // its title in this computer's words
    std::string notTintedReason;

    // Whether `method` can run on this display; automatic always can.
    Availability method(TintMethod method) const;
    bool operator==(const DisplayCapabilities&) const = default;
};

struct Capabilities {
    std::vector<DisplayCapabilities> displays;
    Availability steadyBacklight;
    // The built-in backlight is dimmed by pulse-width modulation at every level, so a
    // steady backlight lessens flicker at low brightness without ending it.
    bool backlightFlickers = false;
    Availability antiDithering;  // on some display
    Availability pointerTint;
    Availability loginItems;
    Availability sounds;
    Availability haptics;
    Availability hideFromCaptures;
    // Text beside the status icon: a Mac's menu bar shows it; a Linux tray (the X11 tray
    // or a StatusNotifierItem host through the toolkit) shows the icon alone.
    Availability trayTitle;
    Availability openURLs;
    Availability openSettingsPages;
    // The program checks for its own updates; elsewhere the reason says what updates it.
    Availability checkForUpdates;
    Availability nightShift;  // the desktop's night light has a client
    // The night light as people here call it: the desktop's "Night Light" on Linux, the
    // simulated Mac's "Night Shift".
    std::string nightLightName = "Night Shift";
    bool macWords = true;  // the simulated Mac keeps its own words
    // No overlay can be shown (a Wayland session), so the night light tints alone.
    bool nightLightAlone = false;
    // An overlay shows beside the night light and adds the warmth below its floor (an X
    // session with a compositing manager); elsewhere the night light carries all of it.
    bool overlayJoinsNightLight = false;
    // The lowest temperature the desktop's night light takes; none where it names no range.
    std::optional<std::int64_t> nightLightLowest;

    // Shortcuts that work while another application is in front.
    Availability globalShortcuts;
    // The desktop tells which application is in front: what exclusions and the "this
    // app" tile need.
    Availability frontmostApplication;
    Availability compositor;  // translucent windows can show
    // The installed applications, read once and shared by every copy of the value; null
    // until they are read.
    std::shared_ptr<const InstalledApplications> applications;

    // The display with this settings key, or with this id; null when it is not connected.
    const DisplayCapabilities* display(const std::string& key) const;
    const DisplayCapabilities* display(std::uint32_t id) const;
    // A method's title in this computer's words.
    std::string methodTitle(TintMethod method) const;
    // Whether something tints the screen: not where every display is left untinted (the
    // reason is the first one's).
    Availability tinting() const;
    // Dimming below the backlight and readable red need a display that is tinted, and not
    // by the desktop's night light alone. Read from the displays' attached methods, so it
    // follows them when only those are refreshed.
    Availability layerEffects() const;
    // Readable red folds blue and green into red, which a colour matrix or an overlay can
    // and gamma ramps, the night light and DDC cannot: only where some tinted display has
    // one of the two.
    Availability readableRed() const;
    // The brightness slider and the dim keys: nothing dims a screen left to the desktop's
    // night light alone, so they cannot work where every tinted display is.
    Availability dimming() const;
    // The night-light floor changes something only where a display is tinted by the night
    // light with the overlay beside it.
    bool nightLightFloorApplies() const;
    // Asked for `kelvin` below the range of a night light that tints alone, what it reaches,
    // for people ("Night Light reaches 1000K at the warmest"); empty where it reaches the
    // warmth asked for or no display (`display`, where given) is tinted by it alone.
    std::string nightLightReach(std::int64_t kelvin, const DisplayCapabilities* display = nullptr) const;
    // Why the program does not check for its own updates off the Mac, from where its file
    // lies: a package under /usr is updated by the package manager; an install from source
    // (in the home folder, under /usr/local or a build folder) is rebuilt to be updated.
    static std::string updatesReason(const std::optional<std::string>& executablePath);
    // Whether the machine of this model identifier (sysctl's hw.model, the DMI product
    // name on Linux) dims its backlight by pulse-width modulation at every level.
    static bool dimsByPulseWidth(const std::optional<std::string>& modelIdentifier);

    // Reads everything but the applications from the engine's displays and the platform's
    // ports (the DDC answer through the engine's installed check).
    static Capabilities read(TintEngine& engine);
    // The platform's catalogue read now, for `applications`.
    static std::shared_ptr<const InstalledApplications> readApplications(platform::Platform& platform);

    // Equal apart from the applications, which are compared by identity.
    bool operator==(const Capabilities&) const = default;
};

}  // namespace orvane
