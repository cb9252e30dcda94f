// Expected values come from an independent evaluation of the NOAA low-precision solar
// equations; each case names its place and date. Times agree to a second.
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_set>

#include <gtest/gtest.h>

#include "core/Calendar.h"
#include "core/Solar.h"

namespace orvane {
namespace {

TimeZone zone(const char* identifier) { return *TimeZone::named(identifier); }

Date localNoon(const char* identifier, int year, int month, int day) {
    return Calendar(zone(identifier)).date(year, month, day, 12);
}

void expectTime(const std::optional<Date>& actual, std::optional<double> expected, const char* field) {
    SCOPED_TRACE(field);
    ASSERT_EQ(actual.has_value(), expected.has_value());
    if (expected) {
        EXPECT_NEAR(actual->secondsSince1970, *expected, 1.0);
    }
}

struct DayCase {
    const char* place;
    const char* zone;
    double latitude, longitude;
    int year, month, day;
    double solarNoon;
    std::optional<double> sunrise, sunset, civilDawn, civilDusk, nauticalDawn, nauticalDusk;
};

void PrintTo(const DayCase& c, std::ostream* out) { *out << c.place; }

constexpr std::nullopt_t none = std::nullopt;

std::string caseName(const ::testing::TestParamInfo<DayCase>& param) {
    std::string name = param.param.place;
    for (char& ch : name)
        if (ch == ' ') ch = '_';
    return name;
}

class SolarTimes : public ::testing::TestWithParam<DayCase> {};

TEST_P(SolarTimes, MatchesTheEquations) {
    const DayCase& c = GetParam();
    const SunTimes t = Solar::times(localNoon(c.zone, c.year, c.month, c.day), c.latitude, c.longitude, zone(c.zone));
    EXPECT_NEAR(t.solarNoon.secondsSince1970, c.solarNoon, 1.0);
    expectTime(t.sunrise, c.sunrise, "sunrise");
    expectTime(t.sunset, c.sunset, "sunset");
    expectTime(t.civilDawn, c.civilDawn, "civilDawn");
    expectTime(t.civilDusk, c.civilDusk, "civilDusk");
    expectTime(t.nauticalDawn, c.nauticalDawn, "nauticalDawn");
    expectTime(t.nauticalDusk, c.nauticalDusk, "nauticalDusk");
    EXPECT_EQ(t.isPolar(), !c.sunrise || !c.sunset);
}

INSTANTIATE_TEST_SUITE_P(
    Places, SolarTimes,
    ::testing::Values(
        // Berlin (52.52 N, 13.405 E), 21 June 2026: sunrise 04:43:10, sunset 21:33:14 CEST.
        DayCase{"Berlin", "Europe/Berlin", 52.52, 13.405, 2026, 6, 21, 1782040092.257, 1782009790.148, 1782070394.365,
                1782006775.853, 1782073408.661, 1782001767.467, 1782078417.046},
        // Tokyo (35.6895 N, 139.6917 E), 21 December 2026: sunrise 06:47:12, sunset 16:31:26 JST.
        DayCase{"Tokyo", "Asia/Tokyo", 35.6895, 139.6917, 2026, 12, 21, 1797820758.614, 1797803231.545, 1797838285.683,
                1797801523.278, 1797839993.949, 1797799603.967, 1797841913.261},
        // Sydney (33.8688 S, 151.2093 E), 15 January 2026: sunrise 06:00:10, sunset 20:08:58 AEDT.
        DayCase{"Sydney", "Australia/Sydney", -33.8688, 151.2093, 2026, 1, 15, 1768442674.162, 1768417210.122,
                1768468138.201, 1768415513.342, 1768469834.981, 1768413443.200, 1768471905.124},
        // Helsinki (60.1699 N, 24.9384 E), 21 June 2026: the sun sets but never gets 12° down,
        // so the nautical pair is absent while the day is not polar.
        DayCase{"Helsinki", "Europe/Helsinki", 60.1699, 24.9384, 2026, 6, 21, 1782037324.241, 1782003246.382,
                1782071402.099, 1781996501.404, 1782078147.078, none, none},
        // Longyearbyen (78.2232 N, 15.6267 E), 21 June 2026: midnight sun, every event absent.
        DayCase{"Longyearbyen summer", "Arctic/Longyearbyen", 78.2232, 15.6267, 2026, 6, 21, 1782039559.049, none, none,
                none, none, none, none},
        // Longyearbyen, 21 December 2026: polar night, yet the sun climbs past 12° below at noon.
        DayCase{"Longyearbyen winter", "Arctic/Longyearbyen", 78.2232, 15.6267, 2026, 12, 21, 1797850534.214, none,
                none, none, none, 1797847103.035, 1797853965.393}),
    caseName);

TEST(Solar, PolarDayKeepsSolarNoonAndNamesEventsByField) {
    // Longyearbyen, 21 December 2026, as above.
    const SunTimes t =
        Solar::times(localNoon("Arctic/Longyearbyen", 2026, 12, 21), 78.2232, 15.6267, zone("Arctic/Longyearbyen"));
    EXPECT_TRUE(t.isPolar());
    // A stand-in with the six cases of the settings' sun events.
    enum class Event { sunrise, sunset, civilDusk, civilDawn, nauticalDusk, nauticalDawn };
    EXPECT_EQ(t.time(Event::sunrise), std::nullopt);
    EXPECT_EQ(t.time(Event::civilDusk), std::nullopt);
    EXPECT_EQ(t.time(Event::nauticalDawn), t.nauticalDawn);
    EXPECT_EQ(t.time(Event::nauticalDusk), t.nauticalDusk);
    ASSERT_TRUE(t.nauticalDusk);

    const SunTimes berlin = Solar::times(localNoon("Europe/Berlin", 2026, 6, 21), 52.52, 13.405, zone("Europe/Berlin"));
    EXPECT_EQ(berlin.time(Event::sunset), berlin.sunset);
    EXPECT_EQ(berlin.time(Event::civilDawn), berlin.civilDawn);
    EXPECT_NE(berlin.time(Event::sunset), berlin.time(Event::sunrise));
}

TEST(Solar, OnlyTheLocalCalendarDayMatters) {
    const TimeZone berlin = zone("Europe/Berlin");
    const Calendar calendar(berlin);
    // Berlin, 21 June 2026: any moment of that local day gives the same times.
    const SunTimes early = Solar::times(calendar.date(2026, 6, 21, 0, 0, 1), 52.52, 13.405, berlin);
    const SunTimes late = Solar::times(calendar.date(2026, 6, 21, 23, 59, 59), 52.52, 13.405, berlin);
    EXPECT_EQ(early, late);
    EXPECT_EQ(std::hash<SunTimes>{}(early), std::hash<SunTimes>{}(late));

    // 2026-06-21 23:30 UTC is already 22 June in Berlin: the next day's times.
    const Date instant = Calendar(TimeZone::utc()).date(2026, 6, 21, 23, 30);
    const SunTimes inUtc = Solar::times(instant, 52.52, 13.405, TimeZone::utc());
    const SunTimes inBerlin = Solar::times(instant, 52.52, 13.405, berlin);
    EXPECT_NEAR(inBerlin.solarNoon - inUtc.solarNoon, 86400, 30);
}

TEST(Solar, ZoneFarFromItsLongitudeGetsNoonOnTheNextLocalDay) {
    // Kiritimati (1.87 N, 157.4 W, UTC+14), 13 June 2026: noon is counted from 00:00 UTC of
    // 13 June, which is 12:29:42 on 14 June local time.
    const TimeZone kiritimati = zone("Pacific/Kiritimati");
    const SunTimes t = Solar::times(localNoon("Pacific/Kiritimati", 2026, 6, 13), 1.87, -157.4, kiritimati);
    EXPECT_NEAR(t.solarNoon.secondsSince1970, 1781389781.957, 1.0);
    const DateComponents local = Calendar(kiritimati).components(t.solarNoon);
    EXPECT_EQ(local.day, 14);
    EXPECT_EQ(local.hour, 12);
    EXPECT_EQ(local.minute, 29);
}

TEST(Solar, SolarParameters) {
    // J2000.0 (1 January 2000, 12:00 TT) and 21 June 2026 00:00 UTC (JD 2461212.5 + 0.5).
    const struct {
        double julianDay, declination, equationOfTime, apparentLongitude;
    } cases[] = {
        {2451545.0, -23.032515938066, -3.301258802361, 280.372554878810},
        {2461213.0, 23.438051663158, -1.824279998013, 90.145381418094},
    };
    for (const auto& c : cases) {
        const SolarParameters p = Solar::solarParameters(c.julianDay);
        EXPECT_NEAR(p.declination, c.declination, 1e-9);
        EXPECT_NEAR(p.equationOfTime, c.equationOfTime, 1e-9);
        EXPECT_NEAR(p.apparentLongitude, c.apparentLongitude, 1e-9);
    }
}

TEST(Solar, HourAngleEdges) {
    EXPECT_EQ(Solar::hourAngle(0, 0, 0), 0.0);      // x exactly 1
    EXPECT_EQ(Solar::hourAngle(0, 0, 180), 180.0);  // x exactly −1
    EXPECT_NEAR(*Solar::hourAngle(0, 0, 90), 90.0, 1e-12);
    EXPECT_EQ(Solar::hourAngle(80, 20, Solar::sunriseZenith), std::nullopt);   // sun never sets
    EXPECT_EQ(Solar::hourAngle(-80, 20, Solar::sunriseZenith), std::nullopt);  // sun never rises
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Solar::hourAngle(nan, 0, 90), std::nullopt);
    EXPECT_EQ(Solar::hourAngle(0, nan, 90), std::nullopt);
    EXPECT_EQ(Solar::hourAngle(0, 0, nan), std::nullopt);
}

TEST(Solar, Position) {
    const struct {
        const char* what;
        double t, latitude, longitude, elevation, azimuth;
    } cases[] = {
        {"Berlin, solar noon of 21 June 2026", 1782040092.257, 52.52, 13.405, 60.927479517980, 180.003692727428},
        {"Sydney, solar noon of 15 January 2026", 1768442674.162, -33.8688, 151.2093, 77.279020506576,
         359.845284941315},
        {"New York, 20 March 1960 17:00 UTC", -308732400.0, 40.7128, -74.006, 49.331001215686, 178.679379464681},
        {"McMurdo (77.85 S), 21 December 2026 00:00 UTC", 1797811200.0, -77.85, 166.67, 35.271993245650,
         14.398613669382},
        {"Tokyo, 1 September 2026 03:30 UTC", 1788233400.0, 35.6895, 139.6917, 60.448233734590, 204.989362316041},
        {"Berlin, 21 June 2026 02:41:16 UTC, before refraction starts", 1782009676.0, 52.52, 13.405, -1.037135973803,
         47.359250649186},
        {"Berlin, 21 June 2026 02:41:56 UTC, refraction added", 1782009716.0, 52.52, 13.405, -0.322202403859,
         47.492688479449},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SunPosition p = Solar::position(Date(c.t), c.latitude, c.longitude);
        EXPECT_NEAR(p.elevation, c.elevation, 1e-8);
        EXPECT_NEAR(p.azimuth, c.azimuth, 1e-8);
    }
}

TEST(Solar, RefractionStartsAboveMinusOneDegree) {
    // Berlin, 21 June 2026: the geometric elevation passes −1° at 02:41:36 UTC, and the
    // refracted elevation jumps by about half a degree there.
    const double before = Solar::position(Date(1782009695), 52.52, 13.405).elevation;
    const double after = Solar::position(Date(1782009697), 52.52, 13.405).elevation;
    EXPECT_LE(before, -1.0);
    EXPECT_GT(after - before, 0.4);
}

TEST(Solar, AzimuthStaysInRangeAllDayAndBefore1970) {
    // Quito, Reykjavik and Ushuaia every 7 minutes of 1 March 1969 and 1 March 2026.
    for (const double start : {-26438400.0, 1772323200.0})
        for (const auto& [lat, lon] : {std::pair{-0.18, -78.47}, std::pair{64.15, -21.94}, std::pair{-54.8, -68.3}})
            for (double t = start; t < start + 86400; t += 420) {
                const SunPosition p = Solar::position(Date(t), lat, lon);
                ASSERT_GE(p.azimuth, 0.0);
                ASSERT_LT(p.azimuth, 360.0);
                ASSERT_GE(p.elevation, -90.0);
                ASSERT_LE(p.elevation, 90.6);
            }
}

TEST(Solar, HashSeesWhichEventsArePresent) {
    SunTimes absent;
    SunTimes atEpoch;
    atEpoch.sunrise = Date(0);
    EXPECT_NE(absent, atEpoch);
    EXPECT_NE(std::hash<SunTimes>{}(absent), std::hash<SunTimes>{}(atEpoch));
    const std::unordered_set<SunPosition> positions{{1, 2}, {1, 2}, {2, 1}};
    EXPECT_EQ(positions.size(), 2u);
}

TEST(Solar, DatesBeyondTheCalendarDoNotBreak) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const SunTimes t = Solar::times(Date(nan), 52.52, 13.405, TimeZone::utc());
    EXPECT_TRUE(std::isnan(t.solarNoon.secondsSince1970));
    EXPECT_TRUE(t.isPolar());
    const SunTimes far = Solar::times(Date(1e15), 52.52, 13.405, TimeZone::utc());
    EXPECT_TRUE(std::isfinite(far.solarNoon.secondsSince1970));
}

}  // namespace
}  // namespace orvane
