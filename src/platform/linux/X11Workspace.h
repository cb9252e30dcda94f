#pragma once
// The workspace port on X: the on-screen window list from the window manager's stacking
// list (or, without an EWMH window manager, the root's mapped children), front first,
// without desktop and dock windows, the owner being the WM_CLASS instance name; the front
// application from _NET_ACTIVE_WINDOW (WM_CLASS class as its identifier, _NET_WM_PID),
// announced when the window manager activates another application; the pointer from
// XQueryPointer; the idle time from the screen-saver extension; the lock from logind; who
// keeps the display awake from logind, the desktop's session services and the X saver;
// addresses opened through the desktop. Declared without X types.
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/Displays.h"
#include "platform/Scheduler.h"
#include "platform/Workspace.h"
#include "platform/linux/DesktopIdleInhibitors.h"
#include "platform/linux/LogindSession.h"

namespace orvane::platform::linuxsys {

// The polkit agents and prompters of the common desktops; GNOME Shell draws its own
// prompts inside the shell, where no window list sees them.
std::set<std::string> linuxAuthenticationPromptOwners();

// What the server's DPMS extension answers about the monitors' power. The X server's own
// answers by default; tests hand in others, as no virtual X server has DPMS.
class DpmsAnswers {
public:
    enum class Level { on, standby, suspend, off };
    struct Info {
        Level level = Level::on;
        bool enabled = false;
    };
    // Seconds of idleness before each level; 0 where it is not used.
    struct Timeouts {
        std::uint16_t standby = 0, suspend = 0, off = 0;
    };
    virtual ~DpmsAnswers() = default;
    // The server has the extension and a screen that can power down.
    virtual bool capable() = 0;
    // None when the request fails.
    virtual std::optional<Info> info() = 0;
    virtual std::optional<Timeouts> timeouts() = 0;
};

// Null when no X display opens. Activation is announced on `scheduler`'s loop (not at all
// without one); without `logind` the lock is unreadable, and the assertions are read from
// `desktop` and the X screen saver alone.
std::shared_ptr<Workspace> openX11Workspace(std::shared_ptr<Scheduler> scheduler,
                                            const std::optional<std::string>& displayName = std::nullopt,
                                            std::unique_ptr<LogindSession> logind = nullptr,
                                            std::unique_ptr<DesktopIdleInhibitors> desktop = nullptr,
                                            std::shared_ptr<DpmsAnswers> dpms = nullptr);

// The requests sent so far on an X workspace's connection, none for any other workspace:
// tells whether a look was answered without asking the server.
std::optional<std::uint64_t> requestsSent(Workspace& workspace);

// `displays` with sleep read from the server's DPMS state as well; `displays` itself when
// no X display opens.
std::shared_ptr<Displays> withDpmsSleep(std::shared_ptr<Displays> displays,
                                        const std::optional<std::string>& displayName = std::nullopt,
                                        std::shared_ptr<DpmsAnswers> dpms = nullptr);

}  // namespace orvane::platform::linuxsys
