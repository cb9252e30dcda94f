#include "app/SystemTimeZone.h"

#include <cstdlib>
#include <exception>
#include <optional>
#include <string_view>

#include <date/tz.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string systemTimeZoneSource() {
    std::string text;
    if (const char* tz = std::getenv("TZ")) text = fmt::format("TZ={}", tz);
    const auto describe = [&text](const char* path) {
        struct stat info {};
        if (::lstat(path, &info) != 0) {
            text += fmt::format("|{} absent", path);
            return;
        }
        text +=
            fmt::format("|{} {}:{}:{}:{}", path, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        if (S_ISLNK(info.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(path, target, sizeof target);
            if (n > 0) text += fmt::format(" -> {}", std::string_view(target, static_cast<std::size_t>(n)));
        }
    };
    describe("/etc/localtime");
    describe("/etc/timezone");
    return text;
}

std::function<TimeZone()> recentSystemTimeZone(std::shared_ptr<platform::Clock> clock, TimeInterval maxAge,
                                               std::function<TimeZone()> lookUp, std::function<std::string()> source) {
    struct Look {
        TimeInterval at = 0;
        std::string source;
        std::optional<TimeZone> zone;
    };
    return [clock = std::move(clock), maxAge, lookUp = std::move(lookUp), source = std::move(source),
            last = std::make_shared<Look>()] {
        const TimeInterval now = clock->monotonic();
        if (last->zone && now - last->at < maxAge && now >= last->at) return *last->zone;
        last->at = now;
        std::string current = source();
        if (!last->zone || current != last->source) {
            last->zone = lookUp();
            last->source = std::move(current);
        }
        return *last->zone;
    };
}

}  // namespace orvane
