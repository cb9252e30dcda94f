#pragma once
// Notifications between processes of the same session, by name, with a dictionary of
// user info.
#include <functional>
#include <optional>
#include <string>

#include "platform/Scheduler.h"
#include "platform/Value.h"

namespace orvane::platform {

class DistributedNotifications {
public:
    virtual ~DistributedNotifications() = default;
    // Delivered at once, without waiting for receivers. False when it could not be sent
    // (the reason is logged).
    virtual bool post(const std::string& name, const std::optional<Dictionary>& userInfo) = 0;
    // Called on the main thread for each notification of that name.
    using Observer = std::function<void(const std::optional<Dictionary>& userInfo)>;
    virtual Handle observe(const std::string& name, Observer observer) = 0;
    // Whether some process of the session owns the well-known name `busName`, so that a
    // notification meant for it has a receiver; none where that cannot be told.
    virtual std::optional<bool> nameHasOwner(const std::string& busName) {
        (void)busName;
        return std::nullopt;
    }
};

}  // namespace orvane::platform
