#include "app/SystemTimeZone.h"

#include <cstdlib>
#include <exception>
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

}  // namespace orvane
