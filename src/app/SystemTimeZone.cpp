#include "app/SystemTimeZone.h"

#include <cstdlib>
#include <exception>
#include <optional>
#include <string_view>

#include <date/tz.h>

namespace orvane {

TimeZone currentSystemTimeZone() {
    if (const char* tz = std::getenv("TZ"); tz && *tz) {
        std::string_view name(tz);
        if (name.front() == ':') name.remove_prefix(1);
        if (auto zone = TimeZone::named(name)) return *zone;
    }
    try {
        if (const auto* zone = ::date::current_zone())
            if (auto named = TimeZone::named(zone->name())) return *named;
    } catch (const std::exception&) {
        // No readable /etc/localtime: UTC, as the system itself assumes.
    }
    return TimeZone::utc();
}

std::function<TimeZone()> recentSystemTimeZone(std::shared_ptr<platform::Clock> clock, TimeInterval maxAge) {
    struct Look {
        TimeInterval at = 0;
        std::optional<TimeZone> zone;
    };
    return [clock = std::move(clock), maxAge, last = std::make_shared<Look>()] {
        const TimeInterval now = clock->monotonic();
        if (!last->zone || !(now - last->at < maxAge) || now < last->at) {
            last->zone = currentSystemTimeZone();
            last->at = now;
        }
        return *last->zone;
    };
}

}  // namespace orvane
