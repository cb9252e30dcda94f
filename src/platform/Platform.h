#pragma once
// The one handle on the operating-system stand-ins. `create` picks the implementation:
// ORVANE_PLATFORM=sim gives the simulated machine; unset, the Linux desktop when an X
// display opens and the simulated machine otherwise; the choice is logged. There is no
// global platform: whoever makes an engine, back-end or application object hands it the
// platform it runs on, so a scratch machine can run beside the real one.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/AppCatalog.h"
#include "platform/Backlight.h"
#include "platform/Clock.h"
#include "platform/ColorAdjustments.h"
#include "platform/Displays.h"
#include "platform/DistributedNotifications.h"
#include "platform/Dithering.h"
#include "platform/GammaTables.h"
#include "platform/I2C.h"
#include "platform/Keyboard.h"
#include "platform/LocationProvider.h"
#include "platform/LoginItems.h"
#include "platform/NightShiftClient.h"
#include "platform/OverlayWindows.h"
#include "platform/Preferences.h"
#include "platform/Scheduler.h"
#include "platform/Screenshots.h"
#include "platform/Sounds.h"
#include "platform/SystemInfo.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

namespace orvane::platform {

inline constexpr std::string_view bundleIdentifier = "app.orvane.Orvane";

// What the platform runs on: the clock, and the main thread's scheduler (null where
// nothing is asynchronous, such as a one-shot command line: display observations then do
// nothing and notifications are delivered inside post()).
struct Runtime {
    std::shared_ptr<Clock> clock = SystemClock::shared();
    std::shared_ptr<Scheduler> scheduler;
};

class Platform {
public:
    virtual ~Platform();

    // "sim" or "linux".
    virtual std::string_view name() const = 0;

    Clock& clock() const { return *runtime_.clock; }
    const std::shared_ptr<Clock>& clockShared() const { return runtime_.clock; }
    const std::shared_ptr<Scheduler>& scheduler() const { return runtime_.scheduler; }

    Displays& displays() { return *displays_; }
    GammaTables& gammaTables() { return *gamma_; }
    OverlayWindows& overlayWindows() { return *overlays_; }
    I2C& i2c() { return *i2c_; }
    Dithering& dithering() { return *dithering_; }
    Keyboard& keyboard() { return *keyboard_; }
    Workspace& workspace() { return *workspace_; }
    Preferences& preferences() { return *preferences_; }
    DistributedNotifications& notifications() { return *notifications_; }
    Screenshots& screenshots() { return *screenshots_; }
    SystemInfo& systemInfo() { return *systemInfo_; }
    LocationProvider& locationProvider() { return *location_; }
    const std::shared_ptr<LocationProvider>& locationProviderShared() const { return location_; }
    LoginItems& loginItems() { return *loginItems_; }
    ColorAdjustments& colorAdjustments() { return *colorAdjustments_; }
    Backlight& backlight() { return *backlight_; }
    AppCatalog& appCatalog() { return *appCatalog_; }
    Sounds& sounds() { return *sounds_; }
    // Whether the pointing device can tap back (haptic detents); a Linux desktop cannot.
    virtual bool hasHaptics() { return false; }
    // A new client of the system's Night Shift; null where the machine has none.
    std::shared_ptr<NightShiftClient> makeNightShiftClient() const {
        return nightShiftClients_ ? nightShiftClients_() : nullptr;
    }

    // The program's own domain and named suites.
    std::shared_ptr<UserDefaults> standardUserDefaults() { return userDefaults(std::string(bundleIdentifier)); }
    std::shared_ptr<UserDefaults> userDefaults(const std::string& domain);
    const std::filesystem::path& defaultsDirectory() const { return defaultsDirectory_; }

    // The program supplies windows that need a toolkit (the Qt adapters). Ignored where
    // no window of this program can lie over the screen (a Wayland session, whose
    // compositor places every window itself).
    void setOverlayWindows(std::shared_ptr<OverlayWindows> windows) {
        if (overlaysReachScreen_) overlays_ = std::move(windows);
    }
    virtual bool overlaysReachScreen() const { return overlaysReachScreen_; }
    // Whether the program is to supply the overlay windows (the toolkit's, through
    // setOverlayWindows): on a desktop where they reach the screen; the simulated machine
    // draws its own.
    virtual bool takesToolkitOverlays() const { return false; }

    // Called once, on the main loop, when the connection that carries the displays is lost
    // for good (the Wayland compositor went away), with why no display can be tinted now.
    virtual Handle observeDisplayServerLoss(std::function<void(const std::string& reason)>) { return {}; }

    static std::shared_ptr<Platform> create(Runtime runtime = {});

protected:
    Platform(Runtime runtime, std::filesystem::path defaultsDirectory);

    Runtime runtime_;
    std::filesystem::path defaultsDirectory_;
    std::shared_ptr<Displays> displays_;
    std::shared_ptr<GammaTables> gamma_;
    std::shared_ptr<OverlayWindows> overlays_;
    std::shared_ptr<I2C> i2c_;
    std::shared_ptr<Dithering> dithering_;
    std::shared_ptr<Keyboard> keyboard_;
    std::shared_ptr<Workspace> workspace_;
    std::shared_ptr<Preferences> preferences_;
    std::shared_ptr<DistributedNotifications> notifications_;
    std::shared_ptr<Screenshots> screenshots_;
    std::shared_ptr<SystemInfo> systemInfo_;
    std::shared_ptr<LocationProvider> location_;
    std::shared_ptr<LoginItems> loginItems_;
    std::shared_ptr<ColorAdjustments> colorAdjustments_;
    std::shared_ptr<Backlight> backlight_;
    std::shared_ptr<AppCatalog> appCatalog_ = std::make_shared<MissingAppCatalog>();
    std::shared_ptr<Sounds> sounds_ = std::make_shared<MissingSounds>();
    std::function<std::shared_ptr<NightShiftClient>()> nightShiftClients_;
    bool overlaysReachScreen_ = true;
};

// Environment helpers shared by the implementations.
// A switch counts as set only when its value is exactly "1".
bool environmentSwitch(const char* name);
std::optional<std::string> environmentValue(const char* name);
// $XDG_CONFIG_HOME, else $HOME/.config.
std::filesystem::path configHome();
// ORVANE_SIM_DIR, else $XDG_RUNTIME_DIR/orvane-sim, else /tmp/orvane-sim-<uid>.
std::filesystem::path simDirectory();

}  // namespace orvane::platform
