#pragma once
// The computer's own time zone: $TZ when it names a zone, else the zone /etc/localtime
// points at, else UTC. Read afresh on every call, so a change shows at the next look.
#include "core/Calendar.h"

namespace orvane {

TimeZone currentSystemTimeZone();

}  // namespace orvane
