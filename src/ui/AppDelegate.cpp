#include "ui/AppDelegate.h"

#include <QCoreApplication>

#include "app/GlobalHotkeys.h"
#include "app/Startup.h"
#include "engine/DisplayManager.h"
#include "engine/LaunchAtLogin.h"

namespace orvane {

AppDelegate::AppDelegate(std::shared_ptr<platform::Platform> platform) : platform_(std::move(platform)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    // 1. Leftover adjustments cleared, signals turned into a quit, the watchdog started.
    safety_ = std::make_shared<TintSafety>(platform_, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->terminate();
    });
    safety_->start();

    // 2, 3. The engine, suppressed from the start under the development switch.
    engine_ = std::make_shared<TintEngine>(platform_);
    if (platform::environmentSwitch("ORVANE_NO_TINT")) {
        engine_->setSuppressed(true);
        engine_->nightShift().restore();
    }

    // 4, 5. The store on the standard user defaults, and the model over both.
    store_ = std::make_shared<SettingsStore>(platform_->standardUserDefaults(), platform_->scheduler());
    AppModel::Environment environment;
    environment.platform = platform_;
    environment.setLaunchAtLogin = [platform = platform_](bool on) { return LaunchAtLogin::set(platform->loginItems(), on); };
    model_ = AppModel::create(engine_, store_, std::move(environment));

    // 13. The global shortcuts.
    hotkeys_ = std::make_unique<GlobalHotkeys>(*platform_, model_);
    hotkeys_->registerHotkeys();

    // 18. Launch at login where the settings ask for it; never removed from here.
    auto& loginItems = platform_->loginItems();
    const auto& settings = model_->settings();
    if (settings.launchAtLogin && LaunchAtLogin::isAvailable(loginItems) && !LaunchAtLogin::isEnabled(loginItems) &&
        settings.onboardingCompleted)
        LaunchAtLogin::set(loginItems, true);

    // 20.
    std::string backends;
    for (const auto& line : engine_->describeBackends()) backends += (backends.empty() ? "" : ", ") + line;
    const SystemInfo system(*platform_);
    log_.notice("launched: %{public}s macOS %{public}s; backends %{public}s", system.chipDisplayName(),
                system.osVersionString(), backends);
}

void AppDelegate::handleURLEvent(const std::string& url) {
    // The command vocabulary that would perform it is not part of this build.
    log_.notice("url: %{public}s not carried out: commands are not available in this build", url);
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
    // 2. No watchdog is started from here on; the running one stays and resets the
    // displays once this process has ended.
    if (safety_) safety_->setStopping();
    // 5. Pending documents are written now.
    if (store_) store_->flush();
    // 6. Every display back to neutral, Night Shift restored.
    if (engine_) engine_->detachAll();
}

void AppDelegate::terminate() {
    if (terminating_) return;
    terminating_ = true;
    applicationWillTerminate();
    QCoreApplication::quit();
}

}  // namespace orvane
