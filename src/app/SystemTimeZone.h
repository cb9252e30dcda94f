#pragma once
// The computer's own time zone: $TZ when it names a zone, else the zone /etc/localtime
// points at, else UTC. Read afresh on every call, so a change shows at the next look.
#include <functional>
#include <memory>
#include <string>

#include "core/Calendar.h"
#include "platform/Clock.h"

namespace orvane {

TimeZone currentSystemTimeZone();

// What names the computer's zone, cheap to read: $TZ, where /etc/localtime points (or, for
// a copied file, its identity and age) and the age of /etc/timezone. Equal texts name the
// same zone.
std::string systemTimeZoneSource();

// currentSystemTimeZone looked at afresh only once `maxAge` seconds (monotonic) have
// passed since the last look, and then looked up again only when its source changed: one
// decision asks for the zone dozens of times, and a tick every few seconds asks again.
std::function<TimeZone()> recentSystemTimeZone(std::shared_ptr<platform::Clock> clock, TimeInterval maxAge = 1.0,
                                               std::function<TimeZone()> lookUp = currentSystemTimeZone,
                                               std::function<std::string()> source = systemTimeZoneSource);

}  // namespace orvane
