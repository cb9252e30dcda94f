#include "ui/AppDelegate.h"

#include <QCoreApplication>

#include "app/Startup.h"
#include "engine/DisplayManager.h"

namespace orvane {

AppDelegate::AppDelegate(std::shared_ptr<platform::Platform> platform) : platform_(std::move(platform)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    safety_ = std::make_shared<TintSafety>(platform_->scheduler(), [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->terminate();
    });
    safety_->start();

    engine_ = std::make_unique<TintEngine>(platform_);
    if (platform::environmentSwitch("ORVANE_NO_TINT")) {
        engine_->setSuppressed(true);
        engine_->nightShift().restore();
    }

    std::string backends;
    for (const auto& line : engine_->describeBackends()) backends += (backends.empty() ? "" : ", ") + line;
    log_.notice("launched: %{public}s macOS %{public}s; backends %{public}s", SystemInfo::chipDisplayName(),
                SystemInfo::osVersionString(), backends);
}

void AppDelegate::handleURLEvent(const std::string& url) {
    log_.info("url: %{public}s", url);
}

void AppDelegate::handOver(const std::vector<std::string>& arguments) {
    std::vector<std::string> withProgram{"Orvane"};
    withProgram.insert(withProgram.end(), arguments.begin(), arguments.end());
    const auto urls = Startup::urlArguments(withProgram);
    if (urls.empty()) {
        applicationShouldHandleReopen();
        return;
    }
    for (const auto& url : urls) handleURLEvent(url);
}

bool AppDelegate::applicationShouldHandleReopen() { return false; }

void AppDelegate::applicationWillTerminate() {
    if (safety_) safety_->setStopping();
    if (engine_) engine_->detachAll();
}

void AppDelegate::terminate() {
    if (terminating_) return;
    terminating_ = true;
    applicationWillTerminate();
    QCoreApplication::quit();
}

}  // namespace orvane
