#pragma once
// The desktop around the program: the frontmost application, the on-screen window list,
// the pointer, input idle time, the session's lock and power assertions, and the
// workspace notifications.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Scheduler.h"
#include "platform/Value.h"
#include "support/Date.h"

namespace orvane::platform {

struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    std::int32_t processIdentifier = 0;
    // X: bundleIdentifier is the front window's WM_CLASS class, this its instance.
    std::optional<std::string> windowInstance{};
    // Wayland: whether the front window is full screen, as the compositor says; absent
    // where the window list tells it.
    std::optional<bool> fullScreen{};
    bool operator==(const RunningApplication&) const = default;
};

// One entry of the window list.
struct WindowInfo {
    std::string ownerName;                 // empty when unknown
    std::optional<std::int32_t> ownerPID;  // absent when the window does not say
    std::int64_t layer = 0;                // 0: a normal application window
    Rect bounds;                           // global points, top-left origin
    bool operator==(const WindowInfo&) const = default;
};

// The power assertions each process holds, by process id: their types, such as
// "PreventUserIdleDisplaySleep".
using AssertionsByProcess = std::map<std::int32_t, std::vector<std::string>>;
inline constexpr const char* preventUserIdleDisplaySleep = "PreventUserIdleDisplaySleep";
inline constexpr const char* noDisplaySleepAssertion = "NoDisplaySleepAssertion";

enum class WorkspaceEvent {
    didActivateApplication,
    activeSpaceDidChange,
    didWake,
    screensDidWake,
    willSleep,
    sessionDidBecomeActive,
    sessionDidResignActive,
};

// Window-list option bits.
inline constexpr std::uint32_t windowListOnScreenOnly = 1;
inline constexpr std::uint32_t windowListExcludeDesktopElements = 16;

class Workspace {
public:
    virtual ~Workspace() = default;

    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // Whether the desktop tells which application is in front at all (a Wayland compositor
    // without a window list for clients does not); where it does not, frontmostApplication
    // is always absent.
    virtual bool canTellFrontmostApplication() { return true; }
    // Front to back; absent when the window server cannot be asked.
    virtual std::optional<std::vector<WindowInfo>> windowList(std::uint32_t options) = 0;
    // The window-list owner names of the system's authentication prompts; none where the
    // desktop shows its prompts outside the window list.
    virtual std::set<std::string> authenticationPromptOwners() { return {}; }
    // Calls `changed` on the main thread after anything that can change the window list;
    // absent where the workspace cannot tell and its list must be polled.
    virtual std::optional<Handle> observeWindowList(std::function<void()> changed) {
        (void)changed;
        return std::nullopt;
    }
    virtual Point mouseLocation() = 0;  // global points, bottom-left origin
    // Since the last keyboard or pointer input of any kind.
    virtual TimeInterval secondsSinceLastInput() = 0;
    // Whether this session's screen is locked; absent when that cannot be read.
    virtual std::optional<bool> screenLocked() = 0;
    // Absent when the power management cannot be asked or answers something unreadable.
    virtual std::optional<AssertionsByProcess> assertionsByProcess() = 0;
    // Called on the main thread.
    virtual Handle observe(WorkspaceEvent event, std::function<void()> callback) = 0;
    virtual bool openURL(const std::string& url) = 0;
    // Whether openURL can reach anything that opens addresses.
    virtual bool canOpenURLs() { return true; }
    // Whether the desktop's settings pages (displays, accessibility, privacy) can be opened.
    virtual bool canOpenSettingsPages() { return true; }
};

}  // namespace orvane::platform
