#pragma once
// The computer's own time zone: $TZ when it names a zone, else the zone /etc/localtime
// points at, else UTC. Read afresh on every call, so a change shows at the next look.
#include <functional>
#include <memory>

#include "core/Calendar.h"
#include "platform/Clock.h"

namespace orvane {

TimeZone currentSystemTimeZone();

// currentSystemTimeZone looked at afresh only once `maxAge` seconds (monotonic) have
// passed since the last look: one decision asks for the zone dozens of times, and each
// look walks the /etc/localtime link.
std::function<TimeZone()> recentSystemTimeZone(std::shared_ptr<platform::Clock> clock, TimeInterval maxAge = 1.0);

}  // namespace orvane
