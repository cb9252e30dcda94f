#include "core/ClockTime.h"

#include <fmt/format.h>

namespace orvane {

std::string ClockTime::display() const { return fmt::format("{:02d}:{:02d}", hour(), minute()); }

Json ClockTime::toJson() const { return Json{{"minutes", minutes}}; }

ClockTime ClockTime::fromJson(const Json& json, const std::string& path) {
    const json::ObjectReader reader(json, path);
    ClockTime time;
    time.minutes = reader.integer("minutes");
    return time;
}

}  // namespace orvane
