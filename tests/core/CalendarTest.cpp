#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/Calendar.h"

using namespace orvane;

namespace {
Calendar in(const char* zone) { return Calendar(*TimeZone::named(zone)); }
Date utc(const char* text) { return *parseIso8601(text); }
}  // namespace

TEST(Calendar, ZoneLookupTellsKnownFromUnknown) {
    EXPECT_TRUE(TimeZone::named("Europe/Berlin"));
    EXPECT_TRUE(TimeZone::named("Etc/GMT-3"));
    EXPECT_TRUE(TimeZone::named("UTC"));
    EXPECT_FALSE(TimeZone::named("Mars/Olympus"));
    EXPECT_FALSE(TimeZone::named(""));
    EXPECT_EQ(TimeZone::named("Europe/Berlin")->secondsFromGMT(utc("2026-01-15T12:00:00Z")), 3600);
    EXPECT_EQ(TimeZone::named("Europe/Berlin")->secondsFromGMT(utc("2026-07-15T12:00:00Z")), 7200);
    EXPECT_EQ(TimeZone::named("Etc/GMT-3")->secondsFromGMT(utc("2026-07-15T12:00:00Z")), 10800);
    EXPECT_EQ(TimeZone::fixed(-16200).identifier(), "GMT-0430");
    EXPECT_EQ(TimeZone::fixed(-16200).secondsFromGMT(Date(0)), -16200);
}

TEST(Calendar, ComponentsAndWeekdayFollowTheZone) {
    const auto c = in("Asia/Tokyo").components(utc("2026-12-31T15:30:05Z"));
    EXPECT_EQ(c.year, 2027);
    EXPECT_EQ(c.month, 1);
    EXPECT_EQ(c.day, 1);
    EXPECT_EQ(c.hour, 0);
    EXPECT_EQ(c.minute, 30);
    EXPECT_EQ(c.second, 5);
    EXPECT_EQ(c.weekday, 6);                                                    // Friday
    EXPECT_EQ(in("America/New_York").weekday(utc("2026-12-13T04:00:00Z")), 7);  // still Saturday there
    EXPECT_EQ(in("UTC").weekday(utc("2026-12-13T04:00:00Z")), 1);               // Sunday
    EXPECT_EQ(in("Europe/Berlin").hhmm(utc("2026-12-10T06:05:59Z")), "07:05");
    EXPECT_EQ(in("Europe/Berlin").dayKey(utc("2026-12-31T23:30:00Z")), "2027-01-01");
}

TEST(Calendar, SkippedAndRepeatedWallTimes) {
    const Calendar ny = in("America/New_York");
    // 2026-03-08: 02:00 EST jumps to 03:00 EDT.
    EXPECT_EQ(ny.date(2026, 3, 8, 2, 30), utc("2026-03-08T07:30:00Z"));  // 03:30 EDT
    EXPECT_EQ(ny.date(2026, 3, 8, 2, 30, 0, Calendar::Skipped::endOfGap), utc("2026-03-08T07:00:00Z"));
    EXPECT_EQ(ny.date(2026, 3, 8, 1, 59), utc("2026-03-08T06:59:00Z"));
    // 2026-11-01: 01:00-02:00 happens twice; the first is still EDT.
    EXPECT_EQ(ny.date(2026, 11, 1, 1, 30), utc("2026-11-01T05:30:00Z"));
    EXPECT_EQ(ny.date(2026, 11, 1, 1, 30, 0, Calendar::Skipped::endOfGap), utc("2026-11-01T05:30:00Z"));
}

TEST(Calendar, StartOfDayAndAddingDaysAcrossChanges) {
    const Calendar berlin = in("Europe/Berlin");
    EXPECT_EQ(berlin.startOfDay(utc("2026-03-29T20:00:00Z")), utc("2026-03-28T23:00:00Z"));
    // 23-hour day: noon to noon is still one calendar day.
    EXPECT_EQ(berlin.addingDays(1, utc("2026-03-28T11:00:00Z")), utc("2026-03-29T10:00:00Z"));
    EXPECT_EQ(berlin.addingDays(-1, utc("2026-03-29T10:00:00Z")), utc("2026-03-28T11:00:00Z"));
    EXPECT_EQ(berlin.addingDays(3, utc("2026-12-30T12:00:00Z")), utc("2027-01-02T12:00:00Z"));
    // A day whose midnight is skipped starts when the gap ends (Havana changes at 00:00).
    const Calendar havana = in("America/Havana");
    EXPECT_EQ(havana.startOfDay(utc("2026-03-08T12:00:00Z")), utc("2026-03-08T05:00:00Z"));
    EXPECT_TRUE(berlin.isSameDay(utc("2026-12-10T00:30:00Z"), utc("2026-12-10T22:59:00Z")));
    EXPECT_FALSE(berlin.isSameDay(utc("2026-12-10T00:30:00Z"), utc("2026-12-10T23:00:00Z")));
}

TEST(Calendar, DateCarriesOutOfRangeFields) {
    const Calendar utcCal = in("UTC");
    EXPECT_EQ(utcCal.date(2026, 13, 1), utc("2027-01-01T00:00:00Z"));
    EXPECT_EQ(utcCal.date(2026, 0, 1), utc("2025-12-01T00:00:00Z"));
    EXPECT_EQ(utcCal.date(2026, 1, 32, 0, 90), utc("2026-02-01T01:30:00Z"));
    EXPECT_EQ(utcCal.date(2026, 1, 1, -1), utc("2025-12-31T23:00:00Z"));
}

TEST(Calendar, NonFiniteAndFarInstantsDoNotOverflow) {
    const Calendar berlin = in("Europe/Berlin");
    for (double bad : {std::nan(""), 1e300, -1e300, std::numeric_limits<double>::infinity()}) {
        const auto c = berlin.components(Date(bad));
        EXPECT_GE(c.month, 1);
        EXPECT_LE(c.month, 12);
        EXPECT_NO_THROW(berlin.startOfDay(Date(bad)));
        EXPECT_EQ(berlin.hhmm(Date(bad)).size(), 5U);
    }
}
