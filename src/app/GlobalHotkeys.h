#pragma once
// The program's global shortcuts: every set shortcut of the settings, each preset's hotkey
// and the fixed emergency reset, bound to the model's operations. registerHotkeys() makes
// them all anew; the delegate calls it at launch, when the model suspends or resumes the
// shortcuts (one is being recorded) and when a settings change touches them.
#include <functional>
#include <memory>
#include <string>

#include "core/Settings.h"
#include "engine/Hotkeys.h"

namespace orvane::platform {
class Platform;
}

namespace orvane {

class AppModel;

class GlobalHotkeys {
public:
    GlobalHotkeys(platform::Platform& platform, std::shared_ptr<AppModel> model);

    // The status item's popover; none until there is one.
    std::function<void()> showPopover;
    // A system sound by name, for the preset hotkeys while sounds are on.
    std::function<void(const std::string& name)> playSound;

    void registerHotkeys();
    // The shortcuts, the reveal's tap mode or a preset's hotkey differ.
    static bool needsRegistration(const Settings& old, const Settings& current);
    // The settings hook's part: registers anew when needsRegistration says so.
    void settingsChanged(const Settings& old, const Settings& current);

    HotkeyManager& manager() { return manager_; }

private:
    platform::Platform& platform_;
    std::shared_ptr<AppModel> model_;
    HotkeyManager manager_;
};

}  // namespace orvane
