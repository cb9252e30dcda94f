#pragma once
// The desktop's light/dark preference: the settings portal's org.freedesktop.appearance
// color-scheme (0 none, 1 prefers dark, 2 prefers light), read once and followed through
// its SettingChanged signal on the scheduler's loop. Without a session bus or a portal
// the preference is absent and nothing is reported.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

class DBusConnection;

class PortalAppearance {
public:
    using Listener = std::function<void(std::optional<std::uint32_t> colorScheme)>;

    // On the session bus; `changed` runs on `scheduler`'s loop with each new value.
    static std::unique_ptr<PortalAppearance> open(std::shared_ptr<Scheduler> scheduler, Listener changed);
    // On the bus at `address` (a private daemon).
    static std::unique_ptr<PortalAppearance> connect(const std::string& address, std::shared_ptr<Scheduler> scheduler,
                                                     Listener changed);
    ~PortalAppearance();
    PortalAppearance(const PortalAppearance&) = delete;
    PortalAppearance& operator=(const PortalAppearance&) = delete;

    // The value read at start or last reported.
    std::optional<std::uint32_t> colorScheme() const;

private:
    struct State;
    PortalAppearance(std::unique_ptr<DBusConnection> bus, std::shared_ptr<Scheduler> scheduler, Listener changed);

    std::shared_ptr<State> state_;
};

}  // namespace orvane::platform::linuxsys
