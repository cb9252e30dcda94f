#pragma once
// The application delegate: builds the running system at launch (tint safety, engine,
// store, model), receives what later starts hand over, and runs the quit sequence. The
// status item, the windows, the controllers and the hotkeys join the launch and quit
// sequences as they come.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppModel.h"
#include "app/ComfortController.h"
#include "app/EarlyLaunch.h"
#include "app/GlobalHotkeys.h"
#include "app/Panels.h"
#include "app/RestBreakController.h"
#include "app/SettingsStore.h"
#include "app/TintSafety.h"
#include "engine/TintEngine.h"
#include "platform/Log.h"
#include "platform/Platform.h"

class QWidget;

namespace orvane::platform::linuxsys {
class PortalAppearance;
}

namespace orvane {

class SettingsWindow;
class StatusItemController;

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    explicit AppDelegate(std::shared_ptr<platform::Platform> platform);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The launch steps up to the model (1 to 5: leftovers cleared, signals handled, engine,
    // the no-tint switch, store, model): the displays show the tint when it returns. Needs
    // no toolkit. Once.
    void launchTint();
    // The same steps, already run before the toolkit was loaded, taken over.
    void launchTint(LaunchedTint launched);
    // The rest of the launch (launchTint first when it has not run): the watchdog, the
    // appearance, the tray, the hotkeys, the command signal, the launch line.
    void applicationDidFinishLaunching();
    // A URL of the "orvane" scheme, from the command line or a later start; carried out
    // once the model exists, dropped before.
    void handleURLEvent(const std::string& url);
    // The command signal's user info; dropped while there is no model.
    void remoteCommand(const std::optional<platform::Dictionary>& userInfo);
    // What a later start handed over (its arguments without the program path): its URLs,
    // or else a reopen.
    void handOver(const std::vector<std::string>& arguments);
    // Shows the settings; false.
    bool applicationShouldHandleReopen();
    void applicationWillTerminate();

    // The orderly quit: the quit sequence once, then the event loop ends with `status`.
    void terminate(int status = 0);

    // Null until launched.
    const std::shared_ptr<AppModel>& model() const { return model_; }

    // The open-popover hotkey's action.
    void showPopover();
    // The settings window, made on first use and kept for the life of the process: closes
    // the popover, brings the window to the front and, with a pane name, posts
    // "openSettingsPane" so an open window switches to it.
    void showSettings(std::optional<std::string> pane = std::nullopt);
    // Null until first shown.
    SettingsWindow* settingsWindow() const { return settingsWindow_.get(); }
    // Null until launched.
    StatusItemController* statusItem() const { return statusItem_.get(); }

    // Checks the display with this key (none: every connected display) for the tint
    // method that reaches its screen; dropped while a check runs. The popover closes first.
    void runMethodCheck(const std::optional<std::string>& displayKey);
    bool methodCheckRunning() const { return methodCheckRunning_; }
    // The first-run window: made on the first call and kept while closed, so the next call
    // shows it again as it was; "Start" drops it.
    void showOnboarding();
    QWidget* onboardingWindow() const { return onboardingWindow_.get(); }

    // The question on screen; null before launch.
    class QtMethodCheckAsker* methodCheckAsker() const {
        return methodCheckAsker_.get();
    }

private:
    // No display can be tinted any more and none will come back: each says why, and the
    // program ends with status 1, as a toolkit whose display server went away ends it.
    void displayServerLost(const std::string& reason);
    // Makes (once) and presents the window; a pane name only chooses the first pane.
    void openSettingsWindow(const std::optional<std::string>& pane);

    std::shared_ptr<platform::Platform> platform_;
    std::shared_ptr<TintSafety> safety_;
    std::shared_ptr<TintEngine> engine_;
    std::shared_ptr<SettingsStore> store_;
    std::shared_ptr<AppModel> model_;
    platform::Handle commandObservation_;
    platform::Handle displayServerLoss_;
    std::unique_ptr<GlobalHotkeys> hotkeys_;
    std::vector<Subscription> hotkeySubscriptions_;
    std::shared_ptr<class PopoverWindow> popoverWindow_;
    std::shared_ptr<StatusItemController> statusItem_;
    // The overlays' floating panels, shared by the controllers that show them.
    std::unique_ptr<app::Panels> panels_;
    std::shared_ptr<ComfortController> comfort_;
    std::unique_ptr<QWidget> debugPopover_;
    std::unique_ptr<SettingsWindow> settingsWindow_;
    std::unique_ptr<QWidget> onboardingWindow_;
    std::unique_ptr<platform::linuxsys::PortalAppearance> portalAppearance_;
    // Declared after the panels it shows on, so it goes first.
    std::unique_ptr<RestBreakController> restBreaks_;
    std::vector<Subscription> hooks_;
    std::unique_ptr<class QtMethodCheckAsker> methodCheckAsker_;
    std::shared_ptr<class MethodCheckController> methodCheck_;
    bool methodCheckRunning_ = false;
    bool terminating_ = false;
    platform::Log log_{"app"};
};

}  // namespace orvane
