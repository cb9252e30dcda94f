// The program's entry: chooses the mode from the command line, keeps to one instance per
// session, copies the former identities' defaults once, and runs the event loop.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/linux/X11Probe.h"
#include "platform/qt/QtOverlayWindows.h"
#include "platform/qt/QtScheduler.h"
#include "ui/AppDelegate.h"

namespace {

using namespace orvane;

// X11 where a display opens (overlay windows must be X windows even under XWayland),
// else the offscreen platform: the program then runs without any window.
void chooseToolkitPlatform() {
    if (std::getenv("QT_QPA_PLATFORM")) return;
    ::setenv("QT_QPA_PLATFORM", platform::linuxsys::x11DisplayOpens() ? "xcb" : "offscreen", 1);
}

int handOverOutcome(const SingleInstance::Claim& claim, const std::vector<std::string>& arguments) {
    if (claim.outcome == SingleInstance::Outcome::failed) {
        std::fprintf(stderr, "Orvane is already running but could not be reached: %s\n", claim.error.c_str());
        return 1;
    }
    const auto urls = Startup::urlArguments(arguments);
    if (urls.empty()) std::printf("Orvane is already running\n");
    for (const auto& url : urls) std::printf("sent to Orvane: %s\n", url.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);

    const auto choice = Startup::choose(arguments);
    if (const auto refusal = Startup::refusal(choice)) {
        std::fputs(refusal->message.c_str(), stderr);
        return refusal->status;
    }

    auto claim = SingleInstance::claim({arguments.begin() + 1, arguments.end()});
    if (claim.outcome != SingleInstance::Outcome::primary) return handOverOutcome(claim, arguments);

    chooseToolkitPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orvane");
    QApplication::setDesktopFileName("orvane");
    // An accessory program: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    auto scheduler = std::make_shared<platform::QtScheduler>();
    auto platform = platform::Platform::create({platform::SystemClock::shared(), scheduler});
    if (platform->name() == "linux") platform->setOverlayWindows(std::make_shared<platform::QtOverlayWindows>());

    Startup::copyFormerDefaults(*platform);

    auto delegate = std::make_shared<AppDelegate>(platform);
    claim.instance->listen(scheduler, [weak = std::weak_ptr<AppDelegate>(delegate)](const auto& handed) {
        if (auto d = weak.lock()) d->handOver(handed);
    });
    QTimer::singleShot(0, &application, [delegate, urls = Startup::urlArguments(arguments)] {
        delegate->applicationDidFinishLaunching();
        for (const auto& url : urls) delegate->handleURLEvent(url);
    });
    const int status = QApplication::exec();
    // Everything that holds Qt objects goes before the application object does.
    delegate.reset();
    claim.instance.reset();
    return status;
}
