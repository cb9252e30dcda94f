#pragma once
// The one object through which the program changes what the displays show. It keeps one
// slot per connected display, binding it to the back-end of the display's tint method
// (with fallback when a method cannot attach), turns the current tint state into each
// display's render request, drives the system Night Shift for the displays that use it,
// and keeps all of this true while displays come and go, settings change and other
// programs disturb what is shown. Main thread only.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/DisplaySettings.h"
#include "core/MethodHeuristic.h"
#include "core/OverlayPlan.h"
#include "core/TintState.h"
#include "engine/DisplayManager.h"
#include "engine/NightShift.h"
#include "engine/TintBackend.h"
#include "platform/Log.h"
#include "platform/OverlayWindows.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"

namespace orvane {

// What the owner's settings tell the engine, handed over as values. The engine holds them
// from construction on, so each display attaches once, with its own method.
struct EngineConfiguration {
    std::map<std::string, DisplaySettings> displays;  // by display key; absent: the defaults
    Calibration calibration;
    std::int64_t nightShiftFloor = 2700;
    double deepRedStrength = 0.6;
    platform::SharingType sharingType = platform::SharingType::readOnly;
    bool operator==(const EngineConfiguration&) const = default;
};

class TintEngine {
public:
    // One display's binding.
    struct Slot {
        DisplayInfo display;                         // as last attached or re-attached
        std::shared_ptr<TintBackend> backend;        // owned by the slot
        TintMethod method = TintMethod::overlay;     // in use, after any fallback
        TintMethod requested = TintMethod::overlay;  // what the method choice gave
        std::string whyNotRequested;                 // the requested method's attach error, when it fell back
    };

    using DdcAvailability = std::function<bool(const DisplayInfo&)>;
    using BackendFactory =
        std::function<std::shared_ptr<TintBackend>(TintMethod, const DisplayInfo&, const Calibration&)>;

    using Configuration = EngineConfiguration;

    static constexpr double repairInterval = 5.0;
    static constexpr double repairTolerance = 2.0;

    // Attaches every display of `platform` at once with the configuration's methods,
    // showing the untinted state; a factory given here makes those first back-ends too.
    explicit TintEngine(std::shared_ptr<platform::Platform> platform, Configuration configuration = {},
                        BackendFactory factory = nullptr);
    // Detaches nothing and restores nothing (owners call detachAll() first); the engine's
    // timers and observations end with it.
    ~TintEngine();
    TintEngine(const TintEngine&) = delete;
    TintEngine& operator=(const TintEngine&) = delete;

    // --- rendering -----------------------------------------------------------------------
    // Stores the state and dim floor, renders every slot with the transition's duration,
    // then updates Night Shift and the repair timer.
    void apply(const TintState& state, const Transition& transition, double dimFloor);
    // The method the display should use now (read afresh on every call).
    TintMethod method(const DisplayInfo& display);
    // The slot's method, else method(display).
    TintMethod activeMethod(const DisplayInfo& display);
    // The method really attached to the display; none when no method could attach.
    std::optional<TintMethod> attachedMethod(const DisplayInfo& display) const;
    // What this display can run now, read from the platform's ports.
    MethodFacts methodFacts(const DisplayInfo& display);
    // Mac rules where the machine's facts describe a Mac, display facts elsewhere.
    MethodRules methodRules() const;
    // What the display is asked to show with its active method; ignores `suppressed`.
    RenderRequest request(const DisplayInfo& display);
    // "<name> [built-in|external] → <method title>", one line per slot, then
    // "<name> [built-in|external] → Not tinted: <reason>" for each display no method could attach to.
    std::vector<std::string> describeBackends() const;
    // A method's title in this computer's words (the desktop's "Night Light" outside the Mac).
    std::string methodTitle(TintMethod method) const;
    // Why no method could attach to the display, in words for the user; absent while it has a slot.
    std::optional<std::string> untintedReason(const DisplayInfo& display) const;
    // Ends any probe, detaches every back-end, restores Night Shift and stops the repair timer.
    void detachAll();
    // The connection that carries every display is gone (the Wayland compositor went away):
    // each display lets its back-end go and is left untinted for `reason`, and the repair
    // timer stops.
    void displayServerLost(const std::string& reason);

    // --- configuration -------------------------------------------------------------------
    // Takes the owner's values: the sharing type, Night Shift floor and deep-red strength
    // as their setters do; when the per-display settings or the calibration differ from
    // the held ones, the calibration goes to the back-ends and reconfigure() follows.
    void configure(const Configuration& configuration);
    // The held settings of a display; the defaults for a display without an entry.
    DisplaySettings displaySettings(const DisplayInfo& display) const;
    const std::map<std::string, DisplaySettings>& displaySettings() const { return displaySettings_; }
    // Held for the next method choice and render; reconfigure() makes a method change take effect.
    void setDisplaySettings(std::map<std::string, DisplaySettings> displays);

    // --- upkeep --------------------------------------------------------------------------
    // Re-resolves every display's method, rebuilding the slots whose method changed.
    void reconfigure();
    // Detaches one display's back-end and attaches it anew, as the method choice and the
    // factory now say (an owner that installs its factory late rebuilds what it affects).
    void reattach(std::uint32_t displayId);
    // The periodic and after-wake check: relists the displays, reconfigures when a method
    // changed, lets every back-end repair what it shows and re-asserts Night Shift.
    void verifyAll(const std::string& reason);
    // Shows one candidate method on one display for the method check; the display's own
    // slot stays at identity, neither rendered nor repaired, until endProbe() renders it.
    void beginProbe(const DisplayInfo& display, TintMethod method, const TintState& state);
    void endProbe();
    bool isProbing() const { return probe_.has_value(); }

    // --- properties ----------------------------------------------------------------------
    const std::shared_ptr<platform::Platform>& platform() const { return platform_; }
    DisplayManager& displayManager() { return *displayManager_; }
    const std::vector<DisplayInfo>& displays() const { return displayManager_->displays(); }
    // Keyed by display id; the order carries no meaning.
    const std::map<std::uint32_t, Slot>& slots() const { return slots_; }

    // Installed by the owner; consulted at the next method choice or attach.
    DdcAvailability ddcAvailability = [](const DisplayInfo&) { return false; };
    // Null, or one that gives null: the default back-end.
    BackendFactory backendFactory;
    // Called after display changes have been handled.
    std::function<void()> onDisplaysChanged;
    // Called when a periodic or wake check changed how a display is tinted (a lost method
    // attached again, a retried display tinted, a method choice redone).
    std::function<void()> onAttachmentsChanged;

    // The default factory: overlay back-ends for automatic, nightShift, overlay and ddc;
    // the colour matrix and gamma back-ends for theirs, all on `platform`. The calibration
    // is not used.
    static std::shared_ptr<TintBackend> defaultBackend(const std::shared_ptr<platform::Platform>& platform,
                                                       TintMethod method, const DisplayInfo& display,
                                                       const Calibration& calibration);

    const Calibration& calibration() const { return calibration_; }
    // Always hands the calibration to the overlay back-ends and re-renders.
    void setCalibration(const Calibration& calibration);

    platform::SharingType sharingType() const { return sharingType_; }
    // Reaches every overlay slot's panel at once (not the probe's).
    void setSharingType(platform::SharingType type);

    NightShiftWarmth& nightShift() { return *nightShift_; }
    std::int64_t nightShiftFloor() const { return nightShiftFloor_; }
    // A different value re-renders and updates Night Shift.
    void setNightShiftFloor(std::int64_t kelvin);
    // An overlay can show beside the night light and carry the warmth below its floor
    // (an X session with a compositing manager).
    bool overlayJoinsNightLight() const;
    // The lowest kelvin the night light is asked for: the floor where the overlay carries
    // the rest, else the client's own lowest, as nothing else can add warmth.
    std::int64_t nightLightFloor() const;
    double deepRedStrength() const { return deepRedStrength_; }
    void setDeepRedStrength(double strength);

    bool suppressed() const { return suppressed_; }
    // True restores Night Shift at once; the next render shows no tint anywhere.
    void setSuppressed(bool suppressed);

    const TintState& currentState() const { return currentState_; }
    double dimFloor() const { return dimFloor_; }
    // The colour adjustment is available and no system colour filter is on; read afresh.
    bool matrixAvailable() const;
    bool hasRepairTimer() const { return watchdog_.active(); }

private:
    // A method kept from a display for now (the desktop's night light beside a gamma tint),
    // the method the display asked for, and why, for the log and for a display left untinted.
    struct Withheld {
        TintMethod method;
        TintMethod requested;
        std::string why;
        std::string untintedReason;
    };
    void attach(const DisplayInfo& display, const std::optional<Withheld>& withheld = std::nullopt);
    // The display's state: the current state with its offsets, or off when it is disabled.
    TintState displayState(const DisplayInfo& display);
    RenderRequest request(const DisplayInfo& display, TintMethod method);
    RenderRequest request(const TintState& state, TintMethod method);
    OverlayPlan plan(const TintState& state, TintMethod method);
    // Skips the slot of the display a probe shows on.
    void render(const Slot& slot, double duration);
    bool isProbed(const Slot& slot) const;
    void renderAll(double duration);
    void displaysChanged(const std::vector<DisplayInfo>& added, const std::vector<DisplayInfo>& removed,
                         const std::vector<DisplayInfo>& changed);
    void updateWatchdog();
    void updateNightShift();
    void applyCalibrationToBackends();
    // Every back-end is made here: the installed factory's, else the default one.
    std::shared_ptr<TintBackend> makeBackend(TintMethod method, const DisplayInfo& display) const;

    std::shared_ptr<platform::Platform> platform_;
    std::unique_ptr<DisplayManager> displayManager_;
    std::map<std::uint32_t, Slot> slots_;
    // Displays no method could attach to, with the reason and the facts it was tried with.
    struct Untinted {
        DisplayInfo display;
        std::string reason;
        MethodFacts facts;
        TintMethod requested = TintMethod::automatic;
    };
    std::map<std::uint32_t, Untinted> untinted_;
    // Each display's method, or why nothing tints it: what the check compares before and after.
    std::map<std::uint32_t, std::pair<std::optional<TintMethod>, std::string>> attachments() const;
    std::map<std::string, DisplaySettings> displaySettings_;
    Calibration calibration_;
    platform::SharingType sharingType_ = platform::SharingType::readOnly;
    std::unique_ptr<NightShiftWarmth> nightShift_;
    std::int64_t nightShiftFloor_ = 2700;
    double deepRedStrength_ = 0.6;
    std::optional<Slot> probe_;
    TintState currentState_ = TintState::off;
    double dimFloor_ = 0.05;
    platform::Handle watchdog_;
    std::vector<platform::Handle> observers_;
    platform::Log log_{"engine"};
    // The warmth last asked of a night light that cannot reach it, once it was said.
    std::optional<std::int64_t> nightLightShortOf_;
    bool suppressed_ = false;
    // The desktop's night light is held off while gamma or the matrix tints.
    bool nightLightYielded_ = false;
    // Displays that asked for the desktop's night light and run their next method meanwhile.
    std::vector<std::uint32_t> waitingForNightLight_;
};

}  // namespace orvane
