#pragma once
// The workspace port in a Wayland session, where no client sees another's windows unless
// the compositor shows them. The application in front comes from the wlroots window list
// (zwlr_foreign_toplevel_manager_v1): the activated window's application id stands where
// X has the window class and is mapped to desktop entries the same way; a compositor
// without that list tells no one, and the port says so. The idle time comes from
// ext-idle-notify-v1 where the compositor offers it, else from `fallbackIdle` (logind's
// IdleHint). Everything else (pointer, lock, inhibitors, wake and session events,
// addresses) is the `rest` workspace's. Declared without Wayland types.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Scheduler.h"
#include "platform/Workspace.h"

namespace orvane::platform::waylandsys {

// The seconds since the last input as another service tells them; absent when it cannot.
using IdleReader = std::function<std::optional<TimeInterval>()>;

// The idle notification's timeout: idle times below it read as none.
inline constexpr TimeInterval idleNotifyTimeout = 1.0;

// Always a workspace; without a compositor (or `socket` absent: $WAYLAND_DISPLAY) it knows
// no application in front. Activation is announced on `scheduler`'s loop.
std::shared_ptr<Workspace> openWaylandWorkspace(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Workspace> rest,
                                                IdleReader fallbackIdle,
                                                const std::optional<std::string>& socket = std::nullopt);

// Where the idle time of a Wayland workspace comes from: "ext-idle-notify", "fallback";
// absent for any other workspace.
std::optional<std::string> idleSource(Workspace& workspace);

}  // namespace orvane::platform::waylandsys
