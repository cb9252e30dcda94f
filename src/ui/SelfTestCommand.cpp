#include "ui/SelfTestCommand.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "app/SelfTestMain.h"
#include "app/SingleInstance.h"
#include "app/ToolkitPlatform.h"
#include "platform/Platform.h"
#include "platform/linux/X11Probe.h"
#include "platform/qt/QtOverlayWindows.h"
#include "platform/qt/QtScheduler.h"

namespace orvane {

int runSelfTestCommand(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    // Both would set the same gamma ramps and overlays, each undoing the other's: the
    // measurements would be of neither.
    if (const auto instance = SingleInstance::running()) {
        std::fprintf(stderr, "Orvane: %s; quit it before the self-test, which would fight it over the displays\n",
                     instance->c_str());
        return 1;
    }
    // Real windows only where they are what gets measured: on the simulated machine the
    // patches and panels are the machine's own.
    auto hold = platform::linuxsys::holdX11Display();
    const bool simulated = platform::environmentValue("ORVANE_PLATFORM") == "sim";
    ToolkitSession session = simulated ? ToolkitSession{} : toolkitSession(hold.opened());
    session.requested = platform::environmentValue("QT_QPA_PLATFORM");
    ::setenv("QT_QPA_PLATFORM", toolkitPlatform(session).c_str(), 1);

    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setQuitOnLastWindowClosed(false);
    hold.release();

    auto scheduler = std::make_shared<platform::QtScheduler>();
    auto platform = platform::Platform::create({platform::SystemClock::shared(), scheduler});
    if (platform->takesToolkitOverlays()) platform->setOverlayWindows(std::make_shared<platform::QtOverlayWindows>());

    const int status = SelfTestMain::run(
        arguments, platform, {[] { return QApplication::exec(); }, [](int code) { QCoreApplication::exit(code); }});
    // The platform's Qt objects go before the application object does.
    platform.reset();
    scheduler.reset();
    return status;
}

}  // namespace orvane
