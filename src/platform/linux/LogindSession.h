#pragma once
// What logind knows of this session that the workspace reports: whether its screen is
// locked (the session's LockedHint) and who keeps the display awake (the inhibitors; an
// "idle" lock in block mode is what a display-sleep assertion is elsewhere). Asked over
// the system bus, opened on first use and again after a failure; each call waits at most
// a second. Anything unreadable is absent.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Scheduler.h"
#include "platform/Workspace.h"

namespace orvane::platform::linuxsys {

class DBusConnection;

// One entry of Manager.ListInhibitors.
struct Inhibitor {
    std::string what;  // colon-separated: "sleep:idle:handle-lid-switch"
    std::string who;
    std::string why;
    std::string mode;  // "block" or "delay"
    std::uint32_t uid = 0;
    std::uint32_t pid = 0;
};

// What logind announces that the program waits for after sleep or a user switch.
enum class LogindEvent {
    woke,             // Manager.PrepareForSleep(false)
    sessionActivated  // this session's Active property became true
};

// Each process's blocking idle inhibitors as "PreventUserIdleDisplaySleep" assertions.
AssertionsByProcess assertionsFromInhibitors(const std::vector<Inhibitor>& inhibitors);

class LogindSession {
public:
    // On the system bus.
    LogindSession();
    // On the bus at `address` (a private daemon).
    explicit LogindSession(std::string address);
    ~LogindSession();
    LogindSession(const LogindSession&) = delete;
    LogindSession& operator=(const LogindSession&) = delete;

    std::optional<bool> screenLocked();
    // How long this session has been idle by its IdleHint and IdleSinceHint (which the
    // desktop sets), 0 while it is not; absent when they cannot be read.
    std::optional<double> secondsIdle();
    std::optional<AssertionsByProcess> assertionsByProcess();

    // Listens on a connection of its own, processed on `scheduler`'s loop, until the
    // handle goes; nothing is heard where the bus does not open.
    Handle watch(Scheduler& scheduler, std::function<void(LogindEvent)> onEvent);

private:
    DBusConnection* bus();
    // A session property of a basic type ('b', 't', ...) into `out`; false when unreadable.
    bool sessionProperty(const char* name, char type, void* out);
    // This session's object path (signals carry the real path, not ".../session/auto").
    std::optional<std::string> sessionPath();

    std::optional<std::string> address_;
    std::unique_ptr<DBusConnection> bus_;
};

}  // namespace orvane::platform::linuxsys
