#pragma once
// The yearly meteor showers the sky card knows, whether one is active on a night and how
// strongly, and the chance of drawing a shooting star.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/Calendar.h"
#include "support/Date.h"

namespace orvane::MeteorShowers {

struct Shower {
    std::string_view name;
    int month = 1;         // 1..12
    int day = 1;           // the date whose night holds the peak
    double halfWidth = 0;  // days
};

inline constexpr std::array<Shower, 7> all{{
    {"Quadrantids", 1, 3, 1.0},
    {"Lyrids", 4, 22, 2.0},
    {"Eta Aquariids", 5, 5, 3.0},
    {"Perseids", 8, 12, 3.0},
    {"Orionids", 10, 21, 3.0},
    {"Leonids", 11, 17, 2.0},
    {"Geminids", 12, 13, 2.0},
}};

struct Active {
    std::string name;
    double strength = 0;  // (0, 1], 1 at the peak
    bool operator==(const Active&) const = default;
};

// The strongest shower felt at `date`; each is felt for halfWidth + 0.5 days either side
// of the midnight that ends its listed date.
std::optional<Active> active(Date date, const TimeZone& timeZone);
double shootingStarChance(Date date, const TimeZone& timeZone);

}  // namespace orvane::MeteorShowers
