#pragma once
// The comfort features beside the tint: the built-in display's steady backlight, the
// brightness keys (dimming with the tint, or a monitor's own brightness over DDC, with the
// brightness overlay), lifting the tint while a security prompt is up, anti-dithering,
// the red pointer late in the evening and the watch on the system's Night Shift. It also
// binds the engine to the monitors that answer over DDC: which displays may use DDC, and
// a back-end factory that gives each such display its own monitor's service.
//
// Settings changes become starts and stops of the services; the controller subscribes to
// the model's hooks itself and, being made right after the model, is told first. At quit
// the delegate stops the services through the accessors here. Main thread only.
#include <memory>
#include <optional>
#include <vector>

#include "app/AppModel.h"
#include "app/BrightnessHUD.h"
#include "app/Panels.h"
#include "core/Settings.h"
#include "engine/BrightnessKeys.h"
#include "engine/DDCLibrary.h"
#include "engine/DDCService.h"
#include "engine/PointerTint.h"
#include "engine/SecurityPrompt.h"
#include "engine/SteadyBacklight.h"
#include "platform/Log.h"

namespace orvane {

class ComfortController : public std::enable_shared_from_this<ComfortController> {
public:
    // Dithering switched off by a run, as {"builtIn": Bool, "external": Bool}: it outlives
    // the process, so a crashed run's groups are switched back on at the next launch.
    static constexpr const char* antiDitherDirtyKey = "antiDither.dirty";
    static constexpr TimeInterval nightShiftInterval = 60;
    static constexpr TimeInterval nightShiftTolerance = 10;

    struct Environment {
        std::shared_ptr<DDCLibrary> ddcLibrary;            // default: over the model's platform
        std::shared_ptr<platform::UserDefaults> defaults;  // default: the standard domain
    };

    // Runs the construction steps: leftovers of a crashed run put back (backlight, monitor
    // gains, dithering), the DDC services found, the engine hooks and the model hooks
    // installed, the first alignment with the settings, and the Night Shift poll.
    static std::shared_ptr<ComfortController> create(std::shared_ptr<AppModel> model, app::Panels& panels,
                                                     Environment environment = {});
    ComfortController(const ComfortController&) = delete;
    ComfortController& operator=(const ComfortController&) = delete;

    // Brings the services in line with the settings; `old` is absent on the first call.
    void apply(const std::optional<Settings>& old, const Settings& now);
    // Sets dithering per display group from the settings. Under ORVANE_NO_HARDWARE=1 it
    // switches nothing and keeps what it knows.
    void applyAntiDither();
    // The quit's part: switches the groups this run turned off back on and drops the record.
    void restoreAntiDither();

    SteadyBacklight& backlight() { return *backlight_; }
    BrightnessKeys& keys() { return *keys_; }
    SecurityPromptDetector& security() { return *security_; }
    PointerTint& pointer() { return *pointer_; }
    BrightnessHUD& hud() { return *hud_; }
    const std::vector<std::shared_ptr<DDCService>>& ddcServices() const { return ddcServices_; }
    bool ditherDisabledBuiltIn() const { return ditherDisabledBuiltIn_; }
    bool ditherDisabledExternal() const { return ditherDisabledExternal_; }

    // One brightness key press (repeats included).
    void handleBrightnessKey(BrightnessKeys::Key key);
    // The service of the monitor that shows this display; null for a built-in display or
    // one whose monitor does not answer.
    std::shared_ptr<DDCService> ddcService(const DisplayInfo& display) const;

private:
    ComfortController(std::shared_ptr<AppModel> model, app::Panels& panels, Environment environment);
    void start();
    void refreshDDC();
    void installEngineHooks();
    // The engine attaches displays before it asks who answers over DDC (at launch, before
    // the hooks exist; on a display change, before the services are listed again): a
    // display on the DDC method, or one the availability now moves to it, would keep its
    // overlay. Those slots are built again.
    void rebuildStaleSlots();
    void restoreAntiDitherIfDirty();
    // Switches groups back on; true when every pipe of them took the write.
    bool switchDitheringOn(bool builtIn, bool external);
    void recordDithering(bool builtIn, bool external);
    std::optional<DisplayInfo> externalDisplayUnderPointer() const;
    void pollNightShift();
    void checkNightShift();
    void updatePointerTint();

    std::shared_ptr<AppModel> model_;
    std::shared_ptr<platform::Platform> platform_;
    std::shared_ptr<platform::UserDefaults> defaults_;
    std::shared_ptr<DDCLibrary> ddcLibrary_;
    std::unique_ptr<SteadyBacklight> backlight_;
    std::unique_ptr<BrightnessKeys> keys_;
    std::unique_ptr<SecurityPromptDetector> security_;
    std::unique_ptr<PointerTint> pointer_;
    std::unique_ptr<BrightnessHUD> hud_;
    platform::Handle nightShiftTimer_;
    std::vector<platform::Handle> observers_;
    std::vector<Subscription> hooks_;
    std::vector<std::shared_ptr<DDCService>> ddcServices_;
    bool ditherDisabledBuiltIn_ = false;
    bool ditherDisabledExternal_ = false;
    platform::Log log_{"comfort"};
};

}  // namespace orvane
