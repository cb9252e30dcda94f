// The program's entry, loaded by the Orvane executable: takes over what the executable
// prepared before the toolkit (the instance claim, the platform, the first tint), or
// decides the mode from the command line itself, then sets up Qt and runs the event loop.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QGuiApplication>

#include "app/Commands.h"
#include "app/EarlyLaunch.h"
#include "app/Intents.h"
#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/linux/DBusNotifications.h"
#include "platform/qt/QtOverlayWindows.h"
#include "platform/qt/QtScheduler.h"
#include "ui/AppDelegate.h"
#include "ui/SelfTestCommand.h"
#include "ui/render/RenderUI.h"
#include "ui/views/AppIconRenderer.h"

using namespace orvane;

namespace {
// The toolkit's lines that say nothing to a user, kept off standard error.
QtMessageHandler toolkitHandler = nullptr;
bool renderingOffscreen = false;  // the icon set or the screenshot mode
void withoutToolkitNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // Without a tray host Qt falls back to the X11 tray, whose signal a platform without X
    // (the simulated machine's offscreen one) lacks; there is no tray there either way.
    if (message.contains(QLatin1String("QPlatformNativeInterface::systemTrayWindowChanged"))) return;
    // The offscreen platform of the simulated machine has no window manager to ask.
    if (message.startsWith(QLatin1String("This plugin does not support ")) &&
        QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    // Drawing pictures needs no runtime directory.
    if (renderingOffscreen && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    if (toolkitHandler) toolkitHandler(type, context, message);
}
}  // namespace

// Entered by the executable (Launch.cpp), with the arguments it got and what the runtime
// library's orvaneLaunchBeforeToolkit prepared (an EarlyLaunch, or null).
extern "C" __attribute__((visibility("default"))) int orvaneProgramMain(int argc, char** argv, void* prepared) {
    toolkitHandler = qInstallMessageHandler(withoutToolkitNoise);
    std::unique_ptr<EarlyLaunch> early(static_cast<EarlyLaunch*>(prepared));
    const std::vector<std::string> arguments(argv, argv + argc);

    if (!early) {
        const auto choice = Startup::choose(arguments);
        if (choice.mode == Startup::Mode::command) {
            // A second start only passes the command on: no toolkit, no claim on the instance.
            const auto center = platform::linuxsys::openSessionBusNotifications(nullptr);
            return Commands::forward(*choice.command, center.get()) ? 0 : 1;
        }
        if (choice.mode == Startup::Mode::renderIcon) {
            // Pictures only: no display, window, tray, watchdog or instance claim.
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            renderingOffscreen = true;
            QGuiApplication application(argc, argv);
            return AppIconRenderer::renderIconsetCommand(choice.path);
        }
        if (choice.mode == Startup::Mode::selfTest) return runSelfTestCommand(argc, argv);
        // Before the instance claim, the delegate, the tray and the watchdog.
        if (choice.mode == Startup::Mode::renderUI) {
            renderingOffscreen = true;
            return RenderUI::command(argc, argv, choice.path);
        }
        auto outcome = EarlyLaunch::run(arguments);
        if (!outcome.launch) return outcome.exitStatus.value_or(1);
        early = std::move(outcome.launch);
    }

    auto delegate = std::make_shared<AppDelegate>(early->platform);
    delegate->launchTint(std::move(early->tint));

    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setDesktopFileName("orvane");
    // An accessory program: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    early->scheduler->start(std::make_shared<platform::QtScheduler>());
    if (early->overlays) early->overlays->start(std::make_shared<platform::QtOverlayWindows>());
    early->x11.release();

    early->instance->listen(early->scheduler, [weak = std::weak_ptr<AppDelegate>(delegate)](const auto& handed) {
        if (auto d = weak.lock()) d->handOver(handed);
    });
    // Other programs' actions reach the model on the instance's own bus connection.
    early->instance->serveIntents(std::make_shared<IntentsService>([weak = std::weak_ptr<AppDelegate>(delegate)] {
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
    early->instance.reset();
    early->overlays.reset();
    early->platform.reset();
    early->scheduler.reset();
    early.reset();
    return status;
}
