#include "ui/AppDelegate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/Commands.h"
#include "app/GlobalHotkeys.h"
#include "app/MethodCheckController.h"
#include "app/Startup.h"
#include "engine/DisplayManager.h"
#include "engine/LaunchAtLogin.h"
#include "platform/linux/PortalAppearance.h"
#include "ui/hud/QtPanels.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/Context.h"
#include "ui/kit/NotificationCenter.h"
#include "ui/kit/ScreenPlace.h"
#include "ui/menubar/PopoverView.h"
#include "ui/menubar/QtTray.h"
#include "ui/menubar/StatusItemController.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/QtMethodCheckAsker.h"
#include "ui/settings/SettingsWindow.h"
#include "ui/views/AppIconRenderer.h"

namespace orvane {

namespace {
// Calls back when the window it watches is hidden, by any cause (Start, the close button).
class HideWatch final : public QObject {
public:
    HideWatch(QWidget* window, std::function<void()> hidden) : QObject(window), hidden_(std::move(hidden)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && hidden_) hidden_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> hidden_;
};
}  // namespace

AppDelegate::AppDelegate(std::shared_ptr<platform::Platform> platform) : platform_(std::move(platform)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::launchTint() {
    if (model_) return;
    launchTint(LaunchedTint::launch(platform_));
}

void AppDelegate::launchTint(LaunchedTint launched) {
    if (model_ || !launched.model) return;
    safety_ = std::move(launched.safety);
    store_ = std::move(launched.store);
    engine_ = std::move(launched.engine);
    model_ = std::move(launched.model);
    // Termination signals run the quit sequence from here on.
    *launched.terminate = [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->terminate();
    };
}

void AppDelegate::applicationDidFinishLaunching() {
    launchTint();
    // The rest of step 1.
    safety_->startWatchdog();

    // Every window carries the program's icon.
    if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(AppIconRenderer::windowIcon());

    // Light or dark as the desktop prefers, before the first window paints, and on each change.
    portalAppearance_ =
        platform::linuxsys::PortalAppearance::open(platform_->scheduler(), [](std::optional<std::uint32_t> scheme) {
            kit::applyAppearance(kit::appearanceFor(scheme, QGuiApplication::palette()));
        });
    kit::applyAppearance(kit::appearanceFor(portalAppearance_->colorScheme(), QGuiApplication::palette()));

    // The tray item with its popover, driven by the model's two hooks.
    auto weak = weak_from_this();
    auto quit = [weak] {
        if (auto self = weak.lock()) self->terminate();
    };
    PopoverView::Environment popoverEnvironment;
    popoverEnvironment.scheduler = platform_->scheduler();
    popoverEnvironment.clock = platform_->clockShared();
    popoverEnvironment.quit = quit;
    auto* popoverView = new PopoverView(model_, popoverEnvironment);
    auto tray = std::make_shared<QtTray>();
    popoverWindow_ = std::make_shared<PopoverWindow>(
        popoverView, [tray]() -> QRect { return tray->current() ? tray->current()->anchor() : QRect(); });
    popoverWindow_->openSettings = [weak] {
        if (auto self = weak.lock()) self->showSettings();
    };
    popoverWindow_->quit = quit;
    StatusItemController::Environment trayEnvironment;
    trayEnvironment.tray = tray;
    trayEnvironment.popover = popoverWindow_;
    trayEnvironment.scheduler = platform_->scheduler();
    trayEnvironment.clock = platform_->clockShared();
    trayEnvironment.defaults = platform_->standardUserDefaults();
    trayEnvironment.quit = quit;
    trayEnvironment.openURL = [platform = platform_](const std::string& url) {
        return platform->workspace().openURL(url);
    };
    trayEnvironment.playSound = [platform = platform_](const std::string& name) { platform->sounds().play(name); };
    trayEnvironment.openNotice = openHiddenIconNotice;
    statusItem_ = StatusItemController::create(model_, trayEnvironment);
    statusItem_->openSettings = [weak] {
        if (auto self = weak.lock()) self->showSettings();
    };
    // 7. The comfort controller subscribes to the model's hooks itself, before the
    // delegate's own below (10), so it is told first.
    // The overlays' countdowns read the kit's clock: the platform's, as the controllers.
    kit::Context context = kit::defaultContext();
    context.now = [clock = platform_->clockShared()] { return clock->now(); };
    context.playSound = [platform = platform_](const std::string& name) { platform->sounds().play(name); };
    kit::setDefaultContext(std::move(context));
    panels_ = std::make_unique<QtPanels>();
    comfort_ = ComfortController::create(model_, *panels_);

    hooks_.push_back(model_->onResolutionChanged.subscribe([weak](const Resolution&) {
        if (auto self = weak.lock(); self && self->statusItem_) self->statusItem_->refresh();
    }));
    // A display that stops being tinted (its gamma taken by another program) changes no
    // resolution: the icon and tooltip follow the capabilities too.
    hooks_.push_back(model_->observe([weak](AppModel::Property p) {
        if (p != AppModel::Property::capabilities) return;
        if (auto self = weak.lock(); self && self->statusItem_) self->statusItem_->refresh();
    }));
    // Debug logging follows the stored switch (an import or a reset included); the
    // environment's switch turns it on for a run whatever the settings say.
    if (model_->settings().debugLogging) platform::Log::setDebugEnabled(true);
    hooks_.push_back(model_->onSettingsChanged.subscribe([](const Settings& old, const Settings& now) {
        if (old.debugLogging != now.debugLogging) platform::Log::setDebugEnabled(now.debugLogging);
    }));
    hooks_.push_back(model_->onSettingsChanged.subscribe([weak](const Settings& old, const Settings& now) {
        auto self = weak.lock();
        if (!self || !self->statusItem_) return;
        if (old.showMenuBarIcon != now.showMenuBarIcon || old.showKelvinInMenuBar != now.showKelvinInMenuBar)
            self->statusItem_->rebuildStatusItem();
        self->statusItem_->refresh();
    }));
    hooks_.push_back(
        kit::NotificationCenter::defaultCenter().observe(kit::Notifications::openSettings, [weak](const auto&) {
            if (auto self = weak.lock()) self->showSettings();
        }));
    // A pane asked for from elsewhere: the window opens at that pane. It does not post the
    // notification again (that would come straight back here); an open window's root view
    // follows the notification itself.
    hooks_.push_back(kit::NotificationCenter::defaultCenter().observe(
        kit::Notifications::openSettingsPane, [weak](const kit::NotificationCenter::Object& pane) {
            if (auto self = weak.lock()) self->openSettingsWindow(pane);
        }));
    // The object is the display key; none checks every display.
    methodCheckAsker_ = std::make_unique<QtMethodCheckAsker>([weak](TintMethod method) {
        const auto self = weak.lock();
        return self && self->model_ ? self->model_->capabilities().methodTitle(method) : std::string(title(method));
    });
    hooks_.push_back(kit::NotificationCenter::defaultCenter().observe(
        kit::Notifications::runMethodCheck, [weak](const kit::NotificationCenter::Object& key) {
            if (auto self = weak.lock()) self->runMethodCheck(key);
        }));

    // --- rest breaks ----------------------------------------------------------------------
    // 8. The rest-break controller; it samples while the settings ask for breaks.
    restBreaks_ = std::make_unique<RestBreakController>(model_, *panels_);
    // 9. "Try it now" starts a break at once.
    hooks_.push_back(model_->onTryRestBreak.subscribe([weak] {
        if (auto self = weak.lock(); self && self->restBreaks_) self->restBreaks_->startBreak();
    }));
    // 10.1 After the comfort hook: the sampler follows the rest-break settings.
    hooks_.push_back(model_->onSettingsChanged.subscribe([weak](const Settings& old, const Settings& now) {
        if (old.restBreaks == now.restBreaks) return;
        if (auto self = weak.lock(); self && self->restBreaks_) self->restBreaks_->update();
    }));
    // --------------------------------------------------------------------------------------

    if (platform::environmentSwitch("ORVANE_POPOVER_WINDOW")) {
        debugPopover_ = std::make_unique<QWidget>();
        debugPopover_->setWindowTitle(QStringLiteral("Popover (debug)"));
        debugPopover_->setAttribute(Qt::WA_ShowWithoutActivating);
        auto* view = new PopoverView(model_, popoverEnvironment, std::nullopt, debugPopover_.get());
        debugPopover_->setGeometry(60, 120, PopoverView::popoverWidth, 700);
        view->move(0, 0);
        view->sky().popoverWillShow();  // always on screen
        debugPopover_->show();
    }

    // 13. The global shortcuts.
    hotkeys_ = std::make_unique<GlobalHotkeys>(*platform_, model_);
    hotkeys_->showPopover = [weak] {
        if (auto self = weak.lock()) self->showPopover();
    };
    hotkeys_->playSound = [platform = platform_](const std::string& name) { platform->sounds().play(name); };
    hotkeys_->registerHotkeys();
    // 10.3 and 11: registered anew when their settings change or the model asks.
    hotkeySubscriptions_.push_back(
        model_->onSettingsChanged.subscribe([hotkeys = hotkeys_.get()](const Settings& old, const Settings& current) {
            hotkeys->settingsChanged(old, current);
        }));
    hotkeySubscriptions_.push_back(
        model_->onHotkeysChanged.subscribe([hotkeys = hotkeys_.get()] { hotkeys->registerHotkeys(); }));

    // Commands of later starts and other programs, as the command signal; registered
    // before the launch line, which tells a waiting caller that we listen.
    commandObservation_ = platform_->notifications().observe(
        Commands::notificationName, [weak = weak_from_this()](const std::optional<platform::Dictionary>& userInfo) {
            if (auto self = weak.lock()) self->remoteCommand(userInfo);
        });

    displayServerLoss_ = platform_->observeDisplayServerLoss([weak](const std::string& reason) {
        if (auto self = weak.lock()) self->displayServerLost(reason);
    });

    // 16.
    hooks_.push_back(
        kit::NotificationCenter::defaultCenter().observe(kit::Notifications::showOnboarding, [weak](const auto&) {
            if (auto self = weak.lock()) self->showOnboarding();
        }));
    // 17. The first window: onboarding until it was completed (or when asked for), else the
    // settings when there is no icon to open them from.
    const auto& settings = model_->settings();
    if (!settings.onboardingCompleted || platform::environmentSwitch("ORVANE_SHOW_ONBOARDING")) showOnboarding();
    else if (!settings.showMenuBarIcon) showSettings();

    // 18. Launch at login where the settings ask for it; never removed from here.
    auto& loginItems = platform_->loginItems();
    if (settings.launchAtLogin && LaunchAtLogin::isAvailable(loginItems) && !LaunchAtLogin::isEnabled(loginItems) &&
        settings.onboardingCompleted)
        LaunchAtLogin::set(loginItems, true);

    // 20.
    std::string backends;
    for (const auto& line : engine_->describeBackends()) backends += (backends.empty() ? "" : ", ") + line;
    const SystemFacts system(*platform_);
    // Each machine names its own system (the simulated one stands for a Mac).
    const std::string os = platform_->systemInfo().osDisplayName();
    log_.notice("launched: %{public}s %{public}s; backends %{public}s", system.chipDisplayName(), os, backends);
}

void AppDelegate::handleURLEvent(const std::string& url) {
    const auto command = Commands::parseURL(url);
    if (!command || !model_) return;
    Commands::handle(*command, *model_);
}

void AppDelegate::remoteCommand(const std::optional<platform::Dictionary>& userInfo) {
    const auto command = Commands::from(userInfo);
    if (!command || !model_) return;  // before launch there is nothing to act on
    Commands::handle(*command, *model_);
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

bool AppDelegate::applicationShouldHandleReopen() {
    showSettings();
    return false;
}

void AppDelegate::showPopover() {
    if (statusItem_) statusItem_->showPopover();
}

void AppDelegate::showSettings(std::optional<std::string> pane) {
    openSettingsWindow(pane);
    if (pane) kit::NotificationCenter::defaultCenter().post(kit::Notifications::openSettingsPane, *pane);
}

void AppDelegate::openSettingsWindow(const std::optional<std::string>& pane) {
    if (!model_) return;
    if (statusItem_) statusItem_->closePopover();
    if (!settingsWindow_) {
        PaneEnvironment environment{model_, Desktop::system(platform_)};
        settingsWindow_ = std::make_unique<SettingsWindow>(environment, pane ? fromString<Pane>(*pane) : std::nullopt,
                                                           platform_->standardUserDefaults());
        settingsWindow_->quit = [weak = weak_from_this()] {
            if (auto self = weak.lock()) self->terminate();
        };
    }
    settingsWindow_->present();
}

void AppDelegate::showOnboarding() {
    if (!model_) return;
    if (!onboardingWindow_) {
        auto window = std::make_unique<QWidget>(
            nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        window->setWindowTitle(QStringLiteral("Welcome to Orvane"));
        window->setFixedSize(OnboardingView::viewWidth, OnboardingView::viewHeight);
        auto finish = [weak = weak_from_this()] {
            auto self = weak.lock();
            if (!self || !self->onboardingWindow_) return;
            self->onboardingWindow_->hide();
            // Called from the window's own button: it goes once the event is over.
            self->onboardingWindow_.release()->deleteLater();
            auto& items = self->platform_->loginItems();
            if (self->model_ && LaunchAtLogin::isAvailable(items))
                LaunchAtLogin::set(items, self->model_->settings().launchAtLogin);
        };
        auto* view = new OnboardingView(model_, finish, window.get());
        view->move(0, 0);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            kit::centreInAvailableArea(*window, screen->geometry().center());
        view->setFocus();
        // Without a tray host the notice about the icon would cover the welcome window:
        // it waits until the welcome is done.
        new HideWatch(window.get(), [weak = weak_from_this()] {
            if (auto self = weak.lock(); self && self->statusItem_) self->statusItem_->holdNotice(false);
        });
        onboardingWindow_ = std::move(window);
    }
    if (statusItem_) statusItem_->holdNotice(true);
    onboardingWindow_->show();
    onboardingWindow_->raise();
    onboardingWindow_->activateWindow();
}

void AppDelegate::runMethodCheck(const std::optional<std::string>& displayKey) {
    if (methodCheckRunning_ || !model_) return;
    methodCheckRunning_ = true;
    if (statusItem_) statusItem_->closePopover();
    std::optional<std::vector<DisplayInfo>> displays;
    if (displayKey) {
        displays.emplace();
        for (const auto& d : model_->displays())
            if (d.key == *displayKey) displays->push_back(d);
    }
    // From the event loop, as the notification's sender has moved on by then.
    platform_->scheduler()->post([weak = weak_from_this(), displays = std::move(displays)] {
        auto self = weak.lock();
        if (!self) return;
        self->methodCheck_ = MethodCheckController::create(self->model_, *self->methodCheckAsker_);
        self->methodCheck_->run(displays, [weak] {
            auto delegate = weak.lock();
            if (!delegate) return;
            delegate->methodCheckRunning_ = false;
            // Dropped later: this runs inside the controller.
            delegate->platform_->scheduler()->post([done = std::move(delegate->methodCheck_)] {});
        });
    });
}

void AppDelegate::applicationWillTerminate() {
    // 1. A running rest break ends, its dimming lifted.
    if (restBreaks_) restBreaks_->endBreak();
    if (popoverWindow_) popoverWindow_->hide();
    if (methodCheckAsker_) methodCheckAsker_->orderOut();
    if (settingsWindow_) settingsWindow_->saveFrame();
    // 2. No watchdog is started from here on; the running one stays and resets the
    // displays once this process has ended.
    if (safety_) safety_->setStopping();
    if (comfort_) {
        // 3. The user's backlight level back, the keys and the prompt watch let go.
        comfort_->backlight().disable();
        comfort_->keys().stop();
        comfort_->security().stop();
        // 4.
        if (comfort_->pointer().isApplied()) comfort_->pointer().restore();
        // Dithering this run switched off goes back on, and its crash record with it.
        comfort_->restoreAntiDither();
    }
    // 5. Pending documents are written now.
    if (store_) store_->flush();
    // 6. Every display back to neutral, Night Shift restored.
    if (engine_) engine_->detachAll();
}

void AppDelegate::displayServerLost(const std::string& reason) {
    if (terminating_) return;
    engine_->displayServerLost(reason);
    model_->refreshCapabilities();
    log_.fault("Not tinted: %{public}s; quitting", reason);
    terminate(1);
}

void AppDelegate::terminate(int status) {
    if (terminating_) return;
    terminating_ = true;
    applicationWillTerminate();
    // quit() does nothing outside the application's loop; exit() would also end at once
    // every loop started after it (a dialog's), so it is kept for a failure's status.
    if (status == 0) QCoreApplication::quit();
    else QCoreApplication::exit(status);
}

}  // namespace orvane
