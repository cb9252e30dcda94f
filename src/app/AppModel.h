#pragma once
// The one central model of the running program: the three documents, the live situation
// the resolver needs, the last decision and the display list. Every change that can alter
// the tint ends in recompute(), which asks the resolver and hands the answer to the
// engine; a one-shot tick keeps it current between events and books the evening
// statistics. The windows follow it through observe(): each property change is
// announced once, and only when the value really changed. The user's operations change
// the settings and the run-time state as one unit (change()): one save, one decision,
// and the announcements after it, when every property agrees. Main thread only.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Capabilities.h"
#include "app/FocusLook.h"
#include "app/FrontmostAppObserver.h"
#include "app/PreciseLocation.h"
#include "app/SettingsStore.h"
#include "core/Calendar.h"
#include "core/EveningPlan.h"
#include "core/Locations.h"
#include "core/Resolver.h"
#include "core/RuntimeState.h"
#include "core/Settings.h"
#include "core/Solar.h"
#include "core/Statistics.h"
#include "core/TintState.h"
#include "engine/DisplayManager.h"
#include "engine/TintEngine.h"
#include "platform/Log.h"
#include "platform/Observers.h"
#include "platform/Platform.h"

namespace orvane {

class AppModel : public std::enable_shared_from_this<AppModel> {
public:
    // The observable properties, as announced to subscribers.
    enum class Property {
        settings,
        runtime,
        statistics,
        revealHeld,
        frontmostBundleID,
        frontmostIsFullScreen,
        securityPromptVisible,
        restDim,
        resolution,
        location,
        displays,
        preciseCoordinates,
        hotkeysSuspended,
        lastMethodCheck,
        preciseLocationError,
        frontmostAppInfo,
        nightShiftActive,
        accessibilityNeeded,
        steadyBacklightActive,
        renderTonightReduction,
        refusedHotkeys,
        capabilities,
        damagedDocuments,
    };

    // What the model runs on besides the engine and the store.
    struct Environment {
        std::shared_ptr<platform::Platform> platform;  // clock, scheduler, workspace, displays; default: the engine's
        std::function<TimeZone()> systemTimeZone;      // default: currentSystemTimeZone
        std::shared_ptr<platform::LocationProvider> locationProvider;  // default: the platform's
        std::function<void(const std::string& name)> playSound;        // "Pop"; default: the platform's sounds
        std::function<bool(bool on)> setLaunchAtLogin;                 // default: nothing
        std::string bundleIdentifier{platform::bundleIdentifier};      // this app's own windows are never excluded
    };

    // The tick as last armed.
    struct TickTimer {
        TimeInterval interval = 0;
        TimeInterval tolerance = 0;
        bool operator==(const TickTimer&) const = default;
    };

    static constexpr const char* focusAppliedKey = "focusApplied";
    static constexpr double restBreakDim = 0.45;

    // Loads the documents, resolves the place, connects the engine and the platform's
    // events and makes the first decision with the wake transition.
    static std::shared_ptr<AppModel> create(std::shared_ptr<TintEngine> engine, std::shared_ptr<SettingsStore> store,
                                            Environment environment);
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    [[nodiscard]] Subscription observe(std::function<void(Property)> changed) {
        return changes_.subscribe(std::move(changed));
    }
    // The settings before and after each real change, told once the change is complete
    // (the resolution already follows it), so a view compares only the fields it shows.
    [[nodiscard]] Subscription observeSettings(
        std::function<void(const Settings& old, const Settings& current)> changed) {
        return settingsChanges_.subscribe(std::move(changed));
    }

    // One change as a unit: `edit` works on copies of the settings and the run-time state.
    // Afterwards each changed document goes to the store once, the place is re-resolved
    // and the engine reconfigured only when their inputs changed, recompute runs once,
    // and then the announcements go out. Setters called inside `edit` join the unit; a
    // copy that `edit` changed is assigned after them.
    using Edit = std::function<void(Settings& settings, RuntimeState& runtime)>;
    void change(const Edit& edit);

    // What the engine needs of the settings, as values.
    static TintEngine::Configuration engineConfiguration(const Settings& settings);

    // Stored properties. Each setter stores and announces only a different value; those of
    // settings, runtime, reveal, front application, security prompt, rest dim, precise
    // coordinates and hotkey suspension then act as the model requires: at once, or at
    // the end of the unit of change they are called in.
    const Settings& settings() const { return settings_; }
    void setSettings(Settings settings);
    const RuntimeState& runtime() const { return runtime_; }
    void setRuntime(RuntimeState runtime);
    const Statistics& statistics() const { return statistics_; }
    void setStatistics(Statistics statistics);
    bool revealHeld() const { return revealHeld_; }
    void setRevealHeld(bool held);
    // The application in front, absent while none is or one of the program's own windows is.
    const std::optional<std::string>& frontmostBundleID() const { return frontmostBundleID_; }
    void setFrontmostBundleID(std::optional<std::string> bundleID);
    bool frontmostIsFullScreen() const { return frontmostIsFullScreen_; }
    void setFrontmostIsFullScreen(bool fullScreen);
    bool securityPromptVisible() const { return securityPromptVisible_; }
    void setSecurityPromptVisible(bool visible);
    const std::optional<double>& restDim() const { return restDim_; }
    void setRestDim(std::optional<double> dim);
    const Resolution& resolution() const { return resolution_; }
    const Location& location() const { return location_; }
    // The place's zone, the system's where the place names none.
    TimeZone placeZone() const { return location_.timeZone(systemZone()); }
    const std::vector<DisplayInfo>& displays() const { return displays_; }
    // What this computer can do now; announced as `capabilities` when it changes.
    const Capabilities& capabilities() const { return capabilities_; }
    // Reads the capabilities afresh (displays, compositor, ports); the model also does so
    // after display changes, a compositing manager's coming or going, and wake.
    void refreshCapabilities();
    const std::optional<LocationSource::Coordinates>& preciseCoordinates() const { return preciseCoordinates_; }
    // Acts on every assignment, equal or not.
    void setPreciseCoordinates(std::optional<LocationSource::Coordinates> coordinates);
    bool hotkeysSuspended() const { return hotkeysSuspended_; }
    void setHotkeysSuspended(bool suspended);
    // Per display key; an absent method: none worked.
    const std::map<std::string, std::optional<TintMethod>>& lastMethodCheck() const { return lastMethodCheck_; }
    void setLastMethodCheck(std::map<std::string, std::optional<TintMethod>> results);
    const std::optional<std::string>& preciseLocationError() const { return preciseLocationError_; }
    // The last application other than this one in front, for the views that offer to exclude
    // it; absent once no application is in front.
    const std::optional<FrontmostAppObserver::Info>& frontmostAppInfo() const { return frontmostAppInfo_; }
    // The stored documents found damaged at start, each already kept aside, until the user
    // has been told (dismissDamagedDocuments).
    const std::vector<SettingsStore::Damage>& damagedDocuments() const { return damagedDocuments_; }
    void dismissDamagedDocuments();
    bool nightShiftActive() const { return nightShiftActive_; }
    void setNightShiftActive(bool active);
    bool accessibilityNeeded() const { return accessibilityNeeded_; }
    void setAccessibilityNeeded(bool needed);
    bool steadyBacklightActive() const { return steadyBacklightActive_; }
    void setSteadyBacklightActive(bool active);
    const std::optional<double>& renderTonightReduction() const { return renderTonightReduction_; }
    void setRenderTonightReduction(std::optional<double> reduction);
    // The shortcuts the desktop refused at their last registration (another program holds
    // them), so their recorders can say so.
    const std::vector<Hotkey>& refusedHotkeys() const { return refusedHotkeys_; }
    void setRefusedHotkeys(std::vector<Hotkey> refused);

    TintEngine& engine() const { return *engine_; }
    const std::shared_ptr<platform::Platform>& platform() const { return environment_.platform; }
    SettingsStore& store() const { return *store_; }
    FrontmostAppObserver& frontmost() const { return *frontmost_; }
    PreciseLocation& preciseLocation() const { return *preciseLocation_; }

    // Hooks for the controllers and the delegate, each with any number of subscribers
    // (subscribe() returns the Subscription that ends it); the model keeps no results.
    Hook<AppModel, Settings, Settings> onSettingsChanged;  // (old, current) after every real change
    Hook<AppModel, Resolution> onResolutionChanged;        // after every recompute
    Hook<AppModel> onHotkeysChanged;                       // hotkeysSuspended changed
    Hook<AppModel> onTryRestBreak;                         // fired only by tryRestBreak()
    Hook<AppModel> onDisplaysChanged;                      // after a display change was taken in
    // Starts a rest break now (the comfort pane asks; the model itself never does).
    void tryRestBreak() const { onTryRestBreak.notify(); }

    // Derived values.
    TimeZone systemZone() const { return environment_.systemTimeZone(); }
    // The computer's calendar: the statistics' days are counted in it.
    Calendar systemCalendar() const { return Calendar(systemZone()); }
    Multiplier effectiveWhite(const TintState& state) const;
    // The display at the origin, else the first; none without displays.
    std::optional<DisplayInfo> primaryDisplay() const;
    // The method really attached to the primary display; none when it is not tinted.
    std::optional<TintMethod> primaryMethod() const;
    // Why nothing is tinted, when no display has a method attached (a compositor that lets
    // no program change the screen's colours); absent while any display is tinted.
    std::optional<std::string> notTintedReason() const;
    // What the desktop's night light reaches where it cannot reach the warmth applied now
    // (Capabilities::nightLightReach); empty where it can.
    std::string nightLightReach(const DisplayCapabilities* display = nullptr) const;
    // What white looks like on the primary display now: the identity while nothing warms
    // it (the tint is off, or no method could attach).
    Multiplier shownWhite() const;
    std::optional<double> tonightReduction() const;
    bool isWarming() const;
    std::string modeSubtitle() const;
    SunTimes sunTimesToday() const;
    ResolverInput input() const;

    // Decides and applies. With a transition the engine is always called; without, only
    // when the target or the status changed.
    void recompute(std::optional<Transition> transition = std::nullopt);
    std::optional<TickTimer> tickTimer() const { return tickTimer_; }

    // The user's operations.
    void setEnabled(bool on);
    void setWarmth(std::int64_t kelvin, std::optional<double> dim);
    void dimmer();
    void brighter();
    void nextPreset();
    void setCozy(bool on);
    void emergencyReset();
    void setMode(Mode mode);
    std::optional<EveningPlan> eveningPlan() const;
    void setEveningPlan(const EveningPlan& plan);
    void disable(std::optional<Date> until);
    void disableUntilSunrise();
    void disableUntilTomorrow();
    void followEvening();
    void applyFocus(std::optional<FocusLook> look);
    std::string trueColorUntilText(Date date) const;
    void setLaunchAtLogin(bool on);
    void toggleExclusion(const std::string& bundleID, const std::string& name);
    void requestPreciseLocation();
    void openDisplaysSettings();
    void openAccessibilitySettings();
    void openPointerSettings();

    // The computer's zone changed (also noticed by the tick on its own).
    void systemTimeZoneDidChange();

    // The model's clock.
    Date now() const;
    // The system sound "Pop" through the sound hook, when `settings.sounds` is on.
    void playPop();

private:
    // What a unit of change collected; acted on when its outermost scope ends.
    struct Unit {
        int depth = 0;
        std::optional<Settings> settingsBefore;
        std::optional<RuntimeState> runtimeBefore;
        bool relocate = false;
        bool recompute = false;
        std::optional<Transition> transition;
        std::vector<Property> announced;
        bool resolutionChanged = false;
        bool hotkeysChanged = false;
    };
    class Batch;

    AppModel(std::shared_ptr<TintEngine> engine, std::shared_ptr<SettingsStore> store, Environment environment);
    void start();
    bool inUnit() const { return unit_.depth > 0; }
    void commit();
    void announce(Property property);
    void recomputeSoon(std::optional<Transition> transition);
    void resolutionDidChange();

    Location resolveLocation() const;
    void relocate();
    void rememberDisplayNames();
    void displaysDidChange();
    // The cheap part of the capabilities: which method each display really has after the
    // engine took new settings.
    void refreshAttachedMethods();
    void frontmostDidChange(const std::optional<FrontmostAppObserver::Info>& info);
    void switchOn();
    void applyToEngine(const TintState& state, Transition transition);
    void scheduleTick();
    void tick();
    void scheduleDayChange();
    void setResolution(Resolution resolution);
    void setLocation(Location location);
    void setPreciseLocationError(std::optional<std::string> error);
    void setFrontmostAppInfo(std::optional<FrontmostAppObserver::Info> info);
    template <class T>
    bool assign(T& field, T value, Property property);

    Environment environment_;
    std::shared_ptr<TintEngine> engine_;
    std::shared_ptr<SettingsStore> store_;
    platform::Log log_{"model"};

    Settings settings_;
    RuntimeState runtime_;
    Statistics statistics_;
    bool revealHeld_ = false;
    std::optional<std::string> frontmostBundleID_;
    bool frontmostIsFullScreen_ = false;
    bool securityPromptVisible_ = false;
    std::optional<double> restDim_;
    Resolution resolution_;
    Location location_;
    std::vector<DisplayInfo> displays_;
    std::optional<LocationSource::Coordinates> preciseCoordinates_;
    bool hotkeysSuspended_ = false;
    std::map<std::string, std::optional<TintMethod>> lastMethodCheck_;
    std::optional<std::string> preciseLocationError_;
    std::optional<FrontmostAppObserver::Info> frontmostAppInfo_;
    std::vector<SettingsStore::Damage> damagedDocuments_;
    bool nightShiftActive_ = false;
    bool accessibilityNeeded_ = false;
    bool steadyBacklightActive_ = false;
    std::optional<double> renderTonightReduction_;
    std::vector<Hotkey> refusedHotkeys_;

    std::unique_ptr<PreciseLocation> preciseLocation_;
    std::unique_ptr<FrontmostAppObserver> frontmost_;
    std::optional<double> appliedDimFloor_;  // what the engine last received
    std::unique_ptr<platform::Timer> tick_;  // made once, re-armed at each scheduleTick
    std::optional<TickTimer> tickTimer_;
    Date lastTick_;
    std::string lastSystemZone_;
    platform::Handle dayChangeHandle_;
    Capabilities capabilities_;
    platform::Handle translucencyWatch_;
    std::optional<platform::Handle> applicationsWatch_;
    std::vector<platform::Handle> observers_;
    Observers<Property> changes_;
    Observers<Settings, Settings> settingsChanges_;
    Unit unit_;
};

}  // namespace orvane
