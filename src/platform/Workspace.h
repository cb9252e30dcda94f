#pragma once
// The desktop around the program: the frontmost application, the on-screen window list,
// the pointer, input idle time and the workspace notifications.
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "support/Date.h"
#include "platform/Geometry.h"
#include "platform/Scheduler.h"
#include "platform/Value.h"

namespace orvane::platform {

struct RunningApplication {
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    std::int32_t processIdentifier = 0;
    bool operator==(const RunningApplication&) const = default;
};

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
    // Front to back. Each entry is a dictionary with the keys "kCGWindowOwnerName" (string),
    // "kCGWindowOwnerPID" (integer), "kCGWindowLayer" (integer) and "kCGWindowBounds"
    // (a dictionary of "X", "Y", "Width", "Height", top-left origin). Absent when the
    // window server cannot be asked.
    virtual std::optional<Array> windowList(std::uint32_t options) = 0;
    // The window-list owner names of the system's authentication prompts; none where the
    // desktop shows its prompts outside the window list.
    virtual std::set<std::string> authenticationPromptOwners() { return {}; }
    virtual Point mouseLocation() = 0;  // global points, bottom-left origin
    virtual TimeInterval secondsSinceLastInput() = 0;
    // Called on the main thread.
    virtual Handle observe(WorkspaceEvent event, std::function<void()> callback) = 0;
    virtual bool openURL(const std::string& url) = 0;
};

}  // namespace orvane::platform
