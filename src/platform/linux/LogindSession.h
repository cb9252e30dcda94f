#pragma once
// What logind knows of this session that the workspace reports: whether its screen is
// locked (the session's LockedHint) and who keeps the display awake (the inhibitors; an
// "idle" lock in block mode is what a display-sleep assertion is elsewhere). Asked over
// the system bus, opened on first use and again after a failure; each call waits at most
// a second. Anything unreadable is absent.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    std::optional<AssertionsByProcess> assertionsByProcess();

private:
    DBusConnection* bus();

    std::optional<std::string> address_;
    std::unique_ptr<DBusConnection> bus_;
};

}  // namespace orvane::platform::linuxsys
