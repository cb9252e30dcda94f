#include <limits>

#include <gtest/gtest.h>

#include "core/RestBreaks.h"

namespace orvane {
namespace {

constexpr double every = 1200;

TEST(RestBreakSettings, DefaultsAndJson) {
    const RestBreakSettings s;
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.everyMinutes, 20);
    EXPECT_EQ(s.seconds, 20);
    EXPECT_EQ(s.toJson(), Json::parse(R"({"enabled":false,"everyMinutes":20,"seconds":20})"));
    EXPECT_EQ(RestBreakSettings::fromJson(s.toJson()), s);
    EXPECT_THROW(RestBreakSettings::fromJson(Json::parse(R"({"enabled":true,"everyMinutes":20})")), JsonError);
    EXPECT_THROW(RestBreakSettings::fromJson(Json::parse(R"({"enabled":1,"everyMinutes":20,"seconds":20})")),
                 JsonError);
}

TEST(RestBreakTimer, DueAfterEnoughActiveTime) {
    RestBreakTimer t;
    EXPECT_EQ(t.unblockedSeconds(), std::numeric_limits<double>::infinity());
    for (int i = 1; i < 80; ++i) ASSERT_FALSE(t.sample(15, 5, false, every)) << i;
    EXPECT_TRUE(t.sample(15, 5, false, every));
    EXPECT_EQ(t.activeSeconds, 1200);
    EXPECT_TRUE(t.sample(15, 5, false, every));  // stays due until reset
}

TEST(RestBreakTimer, IdleThresholds) {
    RestBreakTimer t;
    t.sample(100, 0, false, every);
    EXPECT_EQ(t.activeSeconds, 100);
    EXPECT_FALSE(t.sample(15, 60, false, every));  // exactly 60: neither counts nor clears
    EXPECT_EQ(t.activeSeconds, 100);
    EXPECT_FALSE(t.sample(15, 299.9, false, every));
    EXPECT_EQ(t.activeSeconds, 100);
    EXPECT_FALSE(t.sample(15, 300, false, every));  // exactly 300: a natural break
    EXPECT_EQ(t.activeSeconds, 0);
}

TEST(RestBreakTimer, ElapsedCapsAndNegatives) {
    RestBreakTimer t;
    t.sample(0, 0, true, every);  // make the unblocked sum finite
    t.sample(600, 0, false, every);
    EXPECT_EQ(t.activeSeconds, 120);
    EXPECT_EQ(t.unblockedSeconds(), 600);
    t.sample(-50, 0, false, every);
    EXPECT_EQ(t.activeSeconds, 120);
    EXPECT_EQ(t.unblockedSeconds(), 600);
    t.sample(std::numeric_limits<double>::quiet_NaN(), 0, false, every);
    EXPECT_EQ(t.activeSeconds, 120);
}

TEST(RestBreakTimer, GraceAfterBlocked) {
    RestBreakTimer t;
    t.activeSeconds = 1300;
    EXPECT_FALSE(t.sample(15, 5, true, every));
    EXPECT_EQ(t.activeSeconds, 1315);  // active time still counts while blocked
    EXPECT_FALSE(t.sample(15, 5, false, every));
    EXPECT_FALSE(t.sample(15, 5, false, every));
    EXPECT_FALSE(t.sample(15, 5, false, every));
    EXPECT_TRUE(t.sample(15, 5, false, every));

    // A natural break neither resets nor advances the grace.
    RestBreakTimer u;
    u.sample(15, 5, true, every);
    u.sample(15, 400, false, every);
    EXPECT_EQ(u.unblockedSeconds(), 0);
}

TEST(RestBreakTimer, ResetKeepsGraceAndIdleDoesNotPostpone) {
    RestBreakTimer t;
    t.activeSeconds = every;
    ASSERT_TRUE(t.sample(15, 5, false, every));
    t.reset();
    EXPECT_EQ(t.activeSeconds, 0);
    EXPECT_FALSE(t.sample(15, 5, false, every));
    t.activeSeconds = every;
    EXPECT_TRUE(t.sample(15, 120, false, every));  // idle 60..300 with a due break still reports it

    RestBreakTimer graced;
    graced.sample(15, 5, true, every);
    graced.sample(30, 5, false, every);
    graced.reset();
    graced.activeSeconds = every;
    EXPECT_TRUE(graced.sample(30, 5, false, every));  // the 60 s grace was already met before the reset
}

}  // namespace
}  // namespace orvane
