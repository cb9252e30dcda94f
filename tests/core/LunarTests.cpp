// Expected positions come from an independent evaluation of the same shortened lunar
// series; each case names its place and moment.
#include <cmath>
#include <unordered_set>

#include <gtest/gtest.h>

#include "core/Lunar.h"

namespace orvane {
namespace {

struct MoonCase {
    const char* what;
    double t;
    double elevation, azimuth, illumination, age;
};

TEST(Lunar, MatchesTheSeries) {
    const MoonCase cases[] = {
        // Berlin (52.52 N, 13.405 E) throughout.
        {"full moon of 3 March 2026, 11:38 UTC (below the horizon)", 1772537880, -31.764043449330, 5.871886250477,
         0.999989912125, 0.500007935955},
        {"new moon of 17 February 2026, 12:01 UTC", 1771329660, 23.353320661931, 190.551543377831, 0.000064321573,
         0.999923921740},
        {"first quarter of 25 March 2026, 19:18 UTC", 1774466280, 56.212894547378, 234.490169589362, 0.501000117973,
         0.249922873632},
        {"21 June 2026, 22:00 UTC", 1782079200, 6.847761916104, 255.679579703843, 0.501423827302, 0.250040055874},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MoonPosition m = Lunar::position(Date(c.t), 52.52, 13.405);
        EXPECT_NEAR(m.elevation, c.elevation, 1e-8);
        EXPECT_NEAR(m.azimuth, c.azimuth, 1e-8);
        EXPECT_NEAR(m.illumination, c.illumination, 1e-9);
        EXPECT_NEAR(m.age, c.age, 1e-9);
    }
}

TEST(Lunar, RealPhasesAreNamed) {
    // Berlin; the moments of the principal phases of early 2026.
    const MoonPosition full = Lunar::position(Date(1772537880), 52.52, 13.405);
    EXPECT_EQ(full.phaseName(), "Full moon");
    EXPECT_GT(full.illumination, 0.999);
    EXPECT_FALSE(full.waxing());
    const MoonPosition fresh = Lunar::position(Date(1771329660), 52.52, 13.405);
    EXPECT_EQ(fresh.phaseName(), "New moon");
    EXPECT_LT(fresh.illumination, 0.001);
    EXPECT_EQ(Lunar::position(Date(1774466280), 52.52, 13.405).phaseName(), "First quarter");
    // Between full moon and last quarter: 7 March 2026, 12:00 UTC.
    const MoonPosition waning = Lunar::position(Date(1772884800), 52.52, 13.405);
    EXPECT_EQ(waning.phaseName(), "Waning gibbous");
    EXPECT_FALSE(waning.waxing());
    // 10 March 2026, 12:00 UTC is within a day of the last quarter (11 March, 09:38 UTC).
    EXPECT_EQ(Lunar::position(Date(1773144000), 52.52, 13.405).phaseName(), "Last quarter");
}

TEST(Lunar, RefractionOnlyAboveMinusOneDegree) {
    // Berlin, moonrise on the evening of 3 March 2026: at 17:00 UTC the parallax-corrected
    // altitude is −1.1536° and stays as it is; at 17:04 UTC it is −0.5830° and refraction
    // lifts it to −0.0076°.
    EXPECT_NEAR(Lunar::position(Date(1772557200), 52.52, 13.405).elevation, -1.153603140373, 1e-8);
    EXPECT_NEAR(Lunar::position(Date(1772557440), 52.52, 13.405).elevation, -0.007592798919, 1e-8);
}

TEST(Lunar, RangesHoldOverAMonth) {
    // Hourly over February 2026 at three latitudes.
    for (double lat : {-60.0, 0.0, 69.6})
        for (double t = 1769904000; t < 1769904000 + 29 * 86400; t += 3600) {
            const MoonPosition m = Lunar::position(Date(t), lat, 18.9);
            ASSERT_GE(m.azimuth, 0.0);
            ASSERT_LT(m.azimuth, 360.0);
            ASSERT_GE(m.illumination, 0.0);
            ASSERT_LE(m.illumination, 1.0);
            ASSERT_GE(m.age, 0.0);
            ASSERT_LT(m.age, 1.0);
            ASSERT_EQ(m.waxing(), m.age < 0.5);
        }
}

TEST(Lunar, PhaseNames) {
    const double w = 1 / Lunar::synodicMonth;
    const struct {
        double age;
        const char* name;
    } cases[] = {
        {0.0, "New moon"},        {0.98, "New moon"},  // within a day of 1
        {w - 1e-9, "New moon"},   {w + 1e-9, "Waxing crescent"},
        {0.2, "Waxing crescent"}, {0.25 - w + 1e-9, "First quarter"},
        {0.25, "First quarter"},  {0.3, "Waxing gibbous"},
        {0.5, "Full moon"},       {0.52, "Full moon"},
        {0.6, "Waning gibbous"},  {0.75, "Last quarter"},
        {0.8, "Waning crescent"}, {1 - w - 1e-9, "Waning crescent"},
    };
    for (const auto& c : cases) {
        MoonPosition m;
        m.age = c.age;
        EXPECT_EQ(m.phaseName(), c.name) << "age " << c.age;
    }
}

TEST(Lunar, Hashable) {
    const std::unordered_set<MoonPosition> set{{1, 2, 0.5, 0.25}, {1, 2, 0.5, 0.25}, {1, 2, 0.5, 0.3}};
    EXPECT_EQ(set.size(), 2u);
}

}  // namespace
}  // namespace orvane
