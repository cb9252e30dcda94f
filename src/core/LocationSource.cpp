#include "core/LocationSource.h"

namespace orvane {

Json LocationSource::toJson() const {
    return std::visit(
        [](const auto& c) -> Json {
            using T = std::decay_t<decltype(c)>;
            Json payload = Json::object();
            if constexpr (std::is_same_v<T, TimeZone>) {
                json::putOptional(payload, "identifier", c.identifier);
                return json::makeCase("timeZone", payload);
            } else if constexpr (std::is_same_v<T, City>) {
                payload["id"] = c.id;
                return json::makeCase("city", payload);
            } else if constexpr (std::is_same_v<T, Coordinates>) {
                payload["latitude"] = c.latitude;
                payload["longitude"] = c.longitude;
                return json::makeCase("coordinates", payload);
            } else {
                return json::makeCase("precise", payload);
            }
        },
        value);
}

LocationSource LocationSource::fromJson(const Json& json, const std::string& path) {
    const auto c = json::readCase(json, path, {"timeZone", "city", "coordinates", "precise"});
    if (c.name == "timeZone") return TimeZone{c.payload.optString("identifier")};
    if (c.name == "city") return City{c.payload.string("id")};
    if (c.name == "coordinates") return Coordinates{c.payload.number("latitude"), c.payload.number("longitude")};
    return Precise{};
}

}  // namespace orvane
