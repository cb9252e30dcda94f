#pragma once
// Distributed notifications over the D-Bus session bus: the notification "a.b.member" is
// the broadcast signal `member` of interface "a.b" on path "/a/b", its user info one
// a{sv} argument. Every process of the session that observes the name receives it, the
// poster too.
#include <memory>
#include <optional>

#include "platform/DistributedNotifications.h"
#include "platform/Scheduler.h"

namespace orvane::platform::linuxsys {

// Null when no session bus can be reached. Without a scheduler nothing is received (a
// one-shot poster); each post is on the wire when post() returns.
std::shared_ptr<DistributedNotifications> openSessionBusNotifications(std::shared_ptr<Scheduler> scheduler);

// The session bus's where one is reachable, else delivery within this process.
std::shared_ptr<DistributedNotifications> sessionOrInProcessNotifications(std::shared_ptr<Scheduler> scheduler);

// The same on the bus at `address` (a private daemon).
std::shared_ptr<DistributedNotifications> connectBusNotifications(const std::string& address,
                                                                  std::shared_ptr<Scheduler> scheduler);

}  // namespace orvane::platform::linuxsys
