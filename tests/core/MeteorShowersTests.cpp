#include <cmath>

#include <gtest/gtest.h>

#include "core/Calendar.h"
#include "core/MeteorShowers.h"

namespace orvane {
namespace {

TimeZone zone(const char* identifier) { return *TimeZone::named(identifier); }

TEST(MeteorShowers, Table) {
    ASSERT_EQ(MeteorShowers::all.size(), 7u);
    EXPECT_EQ(MeteorShowers::all.front().name, "Quadrantids");
    EXPECT_EQ(MeteorShowers::all[3].name, "Perseids");
    EXPECT_EQ(MeteorShowers::all[3].month, 8);
    EXPECT_EQ(MeteorShowers::all[3].day, 12);
    EXPECT_EQ(MeteorShowers::all[3].halfWidth, 3.0);
    EXPECT_EQ(MeteorShowers::all.back().name, "Geminids");
}

TEST(MeteorShowers, StrengthAroundThePeak) {
    const TimeZone berlin = zone("Europe/Berlin");
    const Calendar calendar(berlin);
    const struct {
        const char* what;
        Date date;
        const char* name;  // nullptr: none active
        double strength;
    } cases[] = {
        {"Perseids peak, midnight of 12/13 August", calendar.date(2026, 8, 13), "Perseids", 1.0},
        {"noon of 12 August", calendar.date(2026, 8, 12, 12), "Perseids", 1 - 0.5 / 3.5},
        {"noon of 15 August", calendar.date(2026, 8, 15, 12), "Perseids", 1 - 2.5 / 3.5},
        {"noon of 16 August, 3.5 days out", calendar.date(2026, 8, 16, 12), nullptr, 0},
        {"1 January: Quadrantids three days off", calendar.date(2026, 1, 1), nullptr, 0},
        {"2 January, 12:00: strength exactly 0", calendar.date(2026, 1, 2, 12), nullptr, 0},
        {"3 January, 12:00", calendar.date(2026, 1, 3, 12), "Quadrantids", 1 - 0.5 / 1.5},
        {"15 December, 12:00", calendar.date(2025, 12, 15, 12), "Geminids", 1 - 1.5 / 2.5},
        {"1 March: nothing", calendar.date(2026, 3, 1), nullptr, 0},
        {"Eta Aquariids, 1 May noon", calendar.date(2026, 5, 1, 12), nullptr, 0},
        {"Eta Aquariids, 3 May noon", calendar.date(2026, 5, 3, 12), "Eta Aquariids", 1 - 2.5 / 3.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto active = MeteorShowers::active(c.date, berlin);
        if (!c.name) {
            EXPECT_EQ(active, std::nullopt);
            EXPECT_DOUBLE_EQ(MeteorShowers::shootingStarChance(c.date, berlin), 0.08);
            continue;
        }
        ASSERT_TRUE(active);
        EXPECT_EQ(active->name, c.name);
        EXPECT_NEAR(active->strength, c.strength, 1e-12);
        EXPECT_NEAR(MeteorShowers::shootingStarChance(c.date, berlin), 0.08 + 0.5 * c.strength, 1e-12);
    }
    EXPECT_DOUBLE_EQ(MeteorShowers::shootingStarChance(calendar.date(2026, 8, 13), berlin), 0.58);
}

TEST(MeteorShowers, PeakIsLocalMidnight) {
    // Berlin's peak midnight of 12/13 August 2026 is 07:00 in Tokyo, seven hours past
    // Tokyo's own peak.
    const Date berlinMidnight = Calendar(zone("Europe/Berlin")).date(2026, 8, 13);
    const auto inTokyo = MeteorShowers::active(berlinMidnight, zone("Asia/Tokyo"));
    ASSERT_TRUE(inTokyo);
    EXPECT_NEAR(inTokyo->strength, 1 - (7.0 / 24) / 3.5, 1e-12);
}

TEST(MeteorShowers, NonFiniteDateIsQuiet) {
    EXPECT_EQ(MeteorShowers::active(Date(std::nan("")), TimeZone::utc()), std::nullopt);
    EXPECT_DOUBLE_EQ(MeteorShowers::shootingStarChance(Date(1e300), TimeZone::utc()), 0.08);
}

}  // namespace
}  // namespace orvane
