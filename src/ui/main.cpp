// The program's entry, loaded by the Orvane executable: chooses the mode from the command
// line, keeps to one instance per session, copies the former identities' defaults once,
// shows the first tint, sets up Qt and runs the event loop.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QGuiApplication>

#include "app/Commands.h"
#include "app/Intents.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/linux/X11Probe.h"
#include "platform/qt/QtOverlayWindows.h"
#include "platform/qt/QtScheduler.h"
#include "ui/AppDelegate.h"
#include "ui/BeforeToolkit.h"
#include "ui/menubar/AppIconRenderer.h"

namespace {

using namespace orvane;

// X11 where a display opens (overlay windows must be X windows even under XWayland),
// else the offscreen platform: the program then runs without any window. The probe's
// connection is held until Qt and the platform have connected.
platform::linuxsys::X11Hold chooseToolkitPlatform() {
    auto hold = platform::linuxsys::holdX11Display();
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", hold.opened() ? "xcb" : "offscreen", 1);
    return hold;
}

// A display that was asked for but did not open is worth a word; no display at all is not.
void sayWhyNotX11(const platform::linuxsys::X11Hold& hold, const platform::Platform& platform) {
    if (hold.opened() || hold.displayName().empty() || platform.name() != "sim") return;
    std::fprintf(stderr, "Orvane: cannot open X display %s (%s); running on the simulated machine\n",
                 hold.displayName().c_str(), hold.failure().c_str());
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
            std::printf("sent to Orvane: %s\n", Commands::text(*command).c_str());
        } else {
            std::fprintf(stderr, "Orvane: not a command: %s\n", url.c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace

// Entered by the executable (Launch.cpp), with the arguments it got.
extern "C" __attribute__((visibility("default"))) int orvaneProgramMain(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);

    const auto choice = Startup::choose(arguments);
    if (choice.mode == Startup::Mode::command) {
        // A second start only passes the command on: no toolkit, no claim on the instance.
        const auto center = platform::linuxsys::openSessionBusNotifications(nullptr);
        Commands::forward(*choice.command, center.get());
        return 0;
    }
    if (choice.commandNotMade) std::fputs(Startup::commandNotMadeNotice, stderr);
    if (choice.mode == Startup::Mode::renderIcon) {
        // Pictures only: no display, window, tray, watchdog or instance claim.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QGuiApplication application(argc, argv);
        return AppIconRenderer::renderIconsetCommand(choice.path);
    }
    if (const auto refusal = Startup::refusal(choice)) {
        std::fputs(refusal->message.c_str(), stderr);
        return refusal->status;
    }

    // Before anything touches the displays: a later start must leave the running
    // instance's tint alone (the leftover reset would clear it).
    auto claim = SingleInstance::claim({arguments.begin() + 1, arguments.end()});
    if (claim.outcome != SingleInstance::Outcome::primary) return handOverOutcome(claim, arguments);

    // The first tint goes out before Qt is set up: until then the platform's timers,
    // watches and overlay windows are held and handed to Qt's afterwards.
    auto x11 = chooseToolkitPlatform();
    auto scheduler = std::make_shared<DeferredScheduler>();
    auto platform = platform::Platform::create({platform::SystemClock::shared(), scheduler});
    std::shared_ptr<DeferredOverlayWindows> overlays;
    if (platform->name() == "linux") {
        overlays = std::make_shared<DeferredOverlayWindows>(std::make_shared<platform::QtOverlayWindows>(),
                                                            [] { return platform::linuxsys::compositingManagerRunning(); });
        platform->setOverlayWindows(overlays);
    }
    sayWhyNotX11(x11, *platform);

    Startup::copyFormerDefaults(*platform);

    auto delegate = std::make_shared<AppDelegate>(platform);
    delegate->launchTint();

    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setDesktopFileName("orvane");
    // An accessory program: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    scheduler->start(std::make_shared<platform::QtScheduler>());
    if (overlays) overlays->start();
    x11.release();

    claim.instance->listen(scheduler, [weak = std::weak_ptr<AppDelegate>(delegate)](const auto& handed) {
        if (auto d = weak.lock()) d->handOver(handed);
    });
    // Other programs' actions reach the model on the instance's own bus connection.
    claim.instance->serveIntents(std::make_shared<IntentsService>([weak = std::weak_ptr<AppDelegate>(delegate)] {
        const auto d = weak.lock();
        return d ? d->model().get() : nullptr;
    }));
    // The rest of the launch before the loop runs: Qt's first turn of the loop connects its
    // accessibility bridge to the session bus, which can take a while.
    delegate->applicationDidFinishLaunching();
    for (const auto& url : Startup::urlArguments(arguments)) delegate->handleURLEvent(url);
    const int status = QApplication::exec();
    // Everything that holds Qt objects goes before the application object does: made
    // before it, the platform and its scheduler would otherwise outlive it.
    delegate.reset();
    claim.instance.reset();
    overlays.reset();
    platform.reset();
    scheduler.reset();
    return status;
}
