#pragma once
// Who keeps the screen awake as the desktop itself counts it, besides logind's inhibitors:
// the session's power manager, where programs' org.freedesktop.ScreenSaver inhibits end up
// (org.freedesktop.PowerManagement.Inhibit.HasInhibit: Plasma, Xfce, LXQt), and GNOME's
// session manager (IsInhibited with the idle flag). Asked on the session bus, opened on
// first use and again after a failure; each call waits at most a quarter of a second.
#include <memory>
#include <optional>
#include <string>

#include "platform/Workspace.h"

namespace orvane::platform::linuxsys {

class DBusConnection;

// The process key of a keep-awake whose owner the desktop does not name.
inline constexpr std::int32_t unnamedProcess = -1;

// logind's inhibitors with the desktop's own: a desktop that reports an inhibitor, or an X
// screen saver held off past its timeout, adds a "PreventUserIdleDisplaySleep" of an
// unnamed process. Absent only when no source could be read.
std::optional<AssertionsByProcess> withDesktopInhibitors(std::optional<AssertionsByProcess> logind,
                                                         std::optional<bool> desktopInhibits, bool screenSaverHeldOff);

class DesktopIdleInhibitors {
public:
    // On the session bus.
    DesktopIdleInhibitors();
    // On the bus at `address` (a private daemon).
    explicit DesktopIdleInhibitors(std::string address);
    ~DesktopIdleInhibitors();
    DesktopIdleInhibitors(const DesktopIdleInhibitors&) = delete;
    DesktopIdleInhibitors& operator=(const DesktopIdleInhibitors&) = delete;

    // Whether some program keeps the session from idling; absent when neither service
    // answered.
    std::optional<bool> inhibited();

private:
    DBusConnection* bus();

    std::optional<std::string> address_;
    std::unique_ptr<DBusConnection> bus_;
};

}  // namespace orvane::platform::linuxsys
