#pragma once
// A normal start up to its first tint, before the toolkit is loaded: the one-instance
// claim, the platform on a scheduler and overlay windows that wait for the toolkit, and
// launch steps 1 to 5. Loading Qt's libraries alone takes longer than all of this, so the
// executable runs it from the runtime library and only then loads the program, which
// takes the prepared state over. No Qt here.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppModel.h"
#include "app/BeforeToolkit.h"
#include "app/SettingsStore.h"
#include "app/SingleInstance.h"
#include "app/TintSafety.h"
#include "engine/TintEngine.h"
#include "platform/Platform.h"
#include "platform/linux/X11Probe.h"

namespace orvane {

// Launch steps 1 to 5: leftover adjustments cleared and signals turned into a quit, the
// store, the engine (suppressed under the no-tint switch), the model. The displays show
// the tint once made.
struct LaunchedTint {
    std::shared_ptr<TintSafety> safety;
    std::shared_ptr<SettingsStore> store;
    std::shared_ptr<TintEngine> engine;
    std::shared_ptr<AppModel> model;
    // What a termination signal runs; set by the owner of the quit sequence. Signals are
    // delivered through the scheduler, so none arrives before the toolkit's loop runs.
    std::shared_ptr<std::function<void()>> terminate;

    static LaunchedTint launch(const std::shared_ptr<platform::Platform>& platform);
};

// What a normal start has made before the toolkit.
struct EarlyLaunch {
    std::unique_ptr<SingleInstance> instance;
    // Held until the toolkit has connected too (see X11Hold).
    platform::linuxsys::X11Hold x11;
    std::shared_ptr<DeferredScheduler> scheduler;
    std::shared_ptr<platform::Platform> platform;
    std::shared_ptr<DeferredOverlayWindows> overlays;  // on the desktop only
    LaunchedTint tint;

    struct Outcome {
        std::unique_ptr<EarlyLaunch> launch;  // a normal start that is the one instance
        std::optional<int> exitStatus;        // the start is over (handed to the running one)
    };
    // `arguments` as the process got them, the program path first. Modes other than a
    // normal start get neither: the program decides about them.
    static Outcome run(const std::vector<std::string>& arguments);
};

}  // namespace orvane

// The runtime library's entry for the executable. -1: go on and enter the program with
// `*prepared` (an EarlyLaunch, or null when the program decides alone); otherwise the
// process ends with the status returned.
extern "C" int orvaneLaunchBeforeToolkit(int argc, char** argv, void** prepared);
// Ends what orvaneLaunchBeforeToolkit prepared when the program cannot be entered: the
// displays back to neutral.
extern "C" void orvaneAbandonLaunch(void* prepared);
