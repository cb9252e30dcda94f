#include "app/EarlyLaunch.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <thread>

#include <date/tz.h>

#include "app/Commands.h"
#include "app/Startup.h"
#include "app/SystemTimeZone.h"
#include "app/ToolkitPlatform.h"
#include "engine/LaunchAtLogin.h"

namespace orvane {

namespace {

// X11 where a display opens (overlay windows must be X windows, and under XWayland the
// popover can be placed at the tray icon), else the Wayland compositor's own protocol,
// else the offscreen toolkit platform: the program then runs without any window.
platform::linuxsys::X11Hold chooseToolkitPlatform(ToolkitSession& session) {
    auto hold = platform::linuxsys::holdX11Display();
    session = toolkitSession(hold.opened());
    ::setenv("QT_QPA_PLATFORM", toolkitPlatform(session).c_str(), 1);
    return hold;
}

// A display that was asked for but did not open is an error: running on the simulated
// machine instead would tint nothing while looking as if it worked. Only an absent
// DISPLAY (or ORVANE_PLATFORM=sim) chooses the simulated machine. In a Wayland session
// whose compositor answers, a missing XWayland only moves the windows to Wayland.
bool displayFailed(const platform::linuxsys::X11Hold& hold, const ToolkitSession& session) {
    if (!missingDisplayIsFatal(session, !hold.displayName().empty())) return false;
    if (const char* requested = std::getenv("ORVANE_PLATFORM"); requested && std::string_view(requested) == "sim")
        return false;
    std::fprintf(stderr, "Orvane: cannot open X display %s (%s)\n", hold.displayName().c_str(), hold.failure().c_str());
    return true;
}

int handOverOutcome(const SingleInstance::Claim& claim, const std::vector<std::string>& arguments) {
    if (claim.outcome == SingleInstance::Outcome::failed) {
        std::fprintf(stderr, "Orvane is already running but could not be reached: %s\n", claim.error.c_str());
        return 1;
    }
    const auto urls = Startup::urlArguments(arguments);
    if (urls.empty()) std::printf("Orvane is already running\n");
    int status = 0;
    for (const auto& url : urls) {
        if (const auto command = Commands::parseURL(url)) {
            std::printf("sent to Orvane: %s\n", Commands::sentence(*command).c_str());
        } else {
            std::fprintf(stderr, "Orvane: not a command: %s\n", platform::logExcerpt(url).c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace

LaunchedTint LaunchedTint::launch(const std::shared_ptr<platform::Platform>& platform) {
    LaunchedTint launched;
    launched.terminate = std::make_shared<std::function<void()>>();
    // 1. Leftover adjustments cleared, signals turned into a quit; the watchdog follows
    // the first tint, which it need not wait for.
    launched.safety = std::make_shared<TintSafety>(platform, [terminate = launched.terminate] {
        if (*terminate) (*terminate)();
    });
    launched.safety->protect();

    // 4 before 2: the store on the standard user defaults comes first, so the engine is
    // made with the stored per-display settings and calibration and attaches each display
    // once, with its own method.
    launched.store = std::make_shared<SettingsStore>(platform->standardUserDefaults(), platform->scheduler());

    // 2, 3. The engine, suppressed from the start under the development switch.
    launched.engine =
        std::make_shared<TintEngine>(platform, AppModel::engineConfiguration(launched.store->loadSettings()));
    if (platform::environmentSwitch("ORVANE_NO_TINT")) {
        launched.engine->setSuppressed(true);
        launched.engine->nightShift().restore();
    }

    // 5. The model over both.
    AppModel::Environment environment;
    environment.platform = platform;
    environment.systemTimeZone = recentSystemTimeZone(platform->clockShared());
    environment.setLaunchAtLogin = [platform](bool on) { return LaunchAtLogin::set(platform->loginItems(), on); };
    launched.model = AppModel::create(launched.engine, launched.store, std::move(environment));
    return launched;
}

EarlyLaunch::Outcome EarlyLaunch::run(const std::vector<std::string>& arguments) {
    const auto choice = Startup::choose(arguments);
    if (choice.mode != Startup::Mode::normal) return {};
    if (choice.commandNotMade) std::fputs(Startup::commandNotMadeNotice, stderr);

    // Before anything touches the displays: a later start must leave the running
    // instance's tint alone (the leftover reset would clear it).
    auto claim = SingleInstance::claim({arguments.begin() + 1, arguments.end()});
    if (claim.outcome != SingleInstance::Outcome::primary) return {nullptr, handOverOutcome(claim, arguments)};
    // The time-zone database is read once per process (a walk of the zone directory) and
    // the model needs it for its first decision: read while the platform is made.
    std::jthread zones([] {
        try {
            (void)::date::get_tzdb();
        } catch (const std::exception&) {
            // The model finds out for itself and falls back to UTC.
        }
    });

    auto launch = std::make_unique<EarlyLaunch>();
    launch->instance = std::move(claim.instance);
    // Until the toolkit is up the platform's timers, watches and overlay windows are held
    // and then handed to the toolkit's own.
    ToolkitSession session;
    launch->x11 = chooseToolkitPlatform(session);
    if (displayFailed(launch->x11, session)) return {nullptr, 1};
    launch->scheduler = std::make_shared<DeferredScheduler>();
    launch->platform = platform::Platform::create({platform::SystemClock::shared(), launch->scheduler});
    if (launch->platform->takesToolkitOverlays()) {
        // One connection of the session's answers whether a compositor runs, read on the
        // program's loop from now on.
        if (const auto compositor = platform::linuxsys::sessionCompositorWatch()) compositor->listen(launch->scheduler);
        launch->overlays = std::make_shared<DeferredOverlayWindows>(
            [] {
                const auto compositor = platform::linuxsys::sessionCompositorWatch();
                return compositor && compositor->running();
            },
            platform::highestWindowLevel);
        launch->platform->setOverlayWindows(launch->overlays);
    }

    Startup::copyFormerDefaults(*launch->platform);

    launch->tint = LaunchedTint::launch(launch->platform);
    return {std::move(launch), std::nullopt};
}

}  // namespace orvane

// The runtime library's C entries (see the header).
extern "C" __attribute__((visibility("default"))) int orvaneLaunchBeforeToolkit(int argc, char** argv,
                                                                                void** prepared) {
    *prepared = nullptr;
    auto outcome = orvane::EarlyLaunch::run(std::vector<std::string>(argv, argv + argc));
    if (outcome.exitStatus) return *outcome.exitStatus;
    *prepared = outcome.launch.release();
    return -1;
}

// The program library could not be entered: the displays go back to neutral rather than
// keep a tint nothing runs for.
extern "C" __attribute__((visibility("default"))) void orvaneAbandonLaunch(void* prepared) {
    std::unique_ptr<orvane::EarlyLaunch> launch(static_cast<orvane::EarlyLaunch*>(prepared));
    if (launch && launch->tint.engine) launch->tint.engine->detachAll();
}
