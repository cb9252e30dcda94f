// Any text as a query of the city and time-zone searches: no crash, and every answer is
// one of the table's own entries, within the limit asked for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/Locations.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orvane;
    if (size == 0) return 0;
    const int limit = data[0] % 40;
    const std::string_view query(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto cities = Cities::search(query, limit);
    if (cities.size() > static_cast<std::size_t>(std::max(limit, 0))) std::abort();
    for (const auto& city : cities)
        if (!Cities::city(city.id)) std::abort();
    const auto zones = TimeZones::search(query);
    if (zones.size() > TimeZones::all().size()) std::abort();
    return 0;
}
