#include <gtest/gtest.h>

#include "core/ClockTime.h"

namespace orvane {
namespace {

TEST(ClockTime, ConstructorsWrapIntoOneDay) {
    const struct {
        std::int64_t given, expected;
    } minutes[] = {{-1, 1439}, {1440, 0}, {-1440, 0}, {1230, 1230}, {-1441, 1439}, {2881, 1}};
    for (const auto& c : minutes) EXPECT_EQ(ClockTime(c.given).minutes, c.expected) << c.given;

    EXPECT_EQ(ClockTime(24, 30).minutes, 30);
    EXPECT_EQ(ClockTime(25, 0).minutes, 60);
    EXPECT_EQ(ClockTime(0, -30).minutes, 1410);
    EXPECT_EQ(ClockTime(-1, 0).minutes, 1380);
    // Far beyond any clock value: still a time of the day, no overflow.
    const ClockTime huge(std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::max());
    EXPECT_GE(huge.minutes, 0);
    EXPECT_LT(huge.minutes, 1440);
}

TEST(ClockTime, HourMinuteAndDisplay) {
    const ClockTime t(1230);
    EXPECT_EQ(t.hour(), 20);
    EXPECT_EQ(t.minute(), 30);
    EXPECT_EQ(t.display(), "20:30");
    EXPECT_EQ(ClockTime(420).display(), "07:00");
    EXPECT_EQ(ClockTime(0).display(), "00:00");
    EXPECT_EQ(ClockTime(1439).display(), "23:59");
}

TEST(ClockTime, OrdersAndComparesByMinutes) {
    EXPECT_LT(ClockTime(420), ClockTime(1230));
    EXPECT_EQ(ClockTime(1440), ClockTime(0));
    EXPECT_EQ(std::hash<ClockTime>{}(ClockTime(60)), std::hash<ClockTime>{}(ClockTime(1, 0)));
}

TEST(ClockTime, JsonKeepsTheStoredValue) {
    EXPECT_EQ(ClockTime(1230).toJson(), Json::parse(R"({"minutes":1230})"));
    EXPECT_EQ(ClockTime::fromJson(Json::parse(R"({"minutes":1500})")).minutes, 1500);
    EXPECT_EQ(ClockTime::fromJson(Json::parse(R"({"minutes":-5})")).minutes, -5);

    for (const char* bad : {R"({})", R"({"minutes":"20:30"})", R"({"minutes":12.5})", R"({"minutes":true})",
                            R"([1230])", R"({"minutes":null})"})
        EXPECT_THROW(ClockTime::fromJson(Json::parse(bad)), JsonError) << bad;
}

}  // namespace
}  // namespace orvane
