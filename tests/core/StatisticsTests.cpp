#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/Statistics.h"

namespace orvane {
namespace {

const Calendar berlin(*TimeZone::named("Europe/Berlin"));
Date march(int day, int hour, int minute = 0, int second = 0) {
    return berlin.date(2026, 3, day, hour, minute, second);
}

const TintState warm(3400, 1.0, RedStyle::readable, false);
const TintState untinted = TintState::off;

const DayStats* find(const Statistics& s, const std::string& key) {
    for (const auto& d : s.days)
        if (d.day == key) return &d;
    return nullptr;
}

TEST(Statistics, DayKeysAreZeroPaddedLocalGregorianDates) {
    EXPECT_EQ(Statistics::dayKey(march(14, 23, 30), berlin), "2026-03-14");
    // The local date of the zone passed in, not UTC's.
    const Calendar auckland(*TimeZone::named("Pacific/Auckland"));
    EXPECT_EQ(Statistics::dayKey(*parseIso8601("2026-03-14T12:30:00Z"), auckland), "2026-03-15");
    EXPECT_EQ(Statistics::dayKey(*parseIso8601("0987-01-02T12:00:00Z"), Calendar(TimeZone::utc())), "0987-01-02");
}

TEST(Statistics, ATintedEveningSample) {
    Statistics s;
    s.record(warm, 0.4, 30, march(14, 23, 30), berlin);
    ASSERT_EQ(s.days.size(), 1u);
    const DayStats& d = s.days[0];
    EXPECT_EQ(d.day, "2026-03-14");
    EXPECT_EQ(d.eveningScreenSeconds, 30);
    EXPECT_DOUBLE_EQ(d.eveningMelanopicSeconds, 12);
    EXPECT_EQ(d.eveningKelvinSeconds, 102000);
    EXPECT_EQ(d.eveningSeconds, 30);
    EXPECT_EQ(d.warmSeconds, 30);
}

TEST(Statistics, SmallHoursCountTowardTheEveningBefore) {
    Statistics s;
    s.record(warm, 0.4, 30, march(15, 1, 30), berlin);
    ASSERT_EQ(s.days.size(), 2u);
    const DayStats* evening = find(s, "2026-03-14");
    const DayStats* day = find(s, "2026-03-15");
    ASSERT_TRUE(evening && day);
    EXPECT_EQ(evening->eveningSeconds, 30);
    EXPECT_EQ(evening->eveningKelvinSeconds, 102000);
    EXPECT_EQ(evening->warmSeconds, 0);
    EXPECT_EQ(day->warmSeconds, 30);
    EXPECT_EQ(day->eveningScreenSeconds, 0);
}

TEST(Statistics, DaytimeAndUntintedSamples) {
    Statistics s;
    s.record(warm, 0.4, 30, march(14, 12), berlin);
    ASSERT_EQ(s.days.size(), 1u);
    EXPECT_EQ(s.days[0], [] {
        DayStats d("2026-03-14");
        d.warmSeconds = 30;
        return d;
    }());

    Statistics u;
    u.record(untinted, 0.9, 30, march(14, 12), berlin);
    EXPECT_TRUE(u.days.empty());
    u.record(untinted, 0.9, 30, march(14, 22), berlin);
    ASSERT_EQ(u.days.size(), 1u);
    EXPECT_EQ(u.days[0].eveningScreenSeconds, 30);
    EXPECT_DOUBLE_EQ(u.days[0].eveningMelanopicSeconds, 27);
    EXPECT_EQ(u.days[0].eveningSeconds, 0);
    EXPECT_EQ(u.days[0].eveningKelvinSeconds, 0);
    EXPECT_EQ(u.days[0].warmSeconds, 0);
}

TEST(Statistics, WhatCountsAsTinted) {
    struct Case {
        TintState state;
        bool tinted;
    };
    for (const Case& c : {Case{TintState(6500, 0.999, RedStyle::readable, false), false},
                          Case{TintState(6500, 0.9989, RedStyle::readable, false), true},
                          Case{TintState(6500, 1.0, RedStyle::readable, true), true},
                          Case{TintState(6450, 1.0, RedStyle::readable, false), true}}) {
        Statistics s;
        s.record(c.state, 1, 10, march(14, 12), berlin);
        EXPECT_EQ(s.days.size(), c.tinted ? 1u : 0u) << c.state.kelvin << " " << c.state.dim << " " << c.state.darkroom;
    }
}

TEST(Statistics, TheEveningWindowRunsFromSixInTheEveningToSixInTheMorning) {
    struct Case {
        int hour, minute;
        bool evening;
    };
    for (const Case& c : {Case{18, 0, true}, Case{5, 59, true}, Case{17, 59, false}, Case{6, 0, false}}) {
        Statistics s;
        s.record(untinted, 0.5, 10, march(14, c.hour, c.minute), berlin);
        EXPECT_EQ(s.days.empty(), !c.evening) << c.hour << ":" << c.minute;
    }
}

TEST(Statistics, MelanopicIsClampedAndBadSpansAreIgnored) {
    Statistics s;
    s.record(untinted, 1.7, 10, march(14, 22), berlin);
    s.record(untinted, -0.2, 10, march(14, 22), berlin);
    s.record(untinted, std::nan(""), 10, march(14, 22), berlin);
    ASSERT_EQ(s.days.size(), 1u);
    EXPECT_EQ(s.days[0].eveningMelanopicSeconds, 10);
    EXPECT_EQ(s.days[0].eveningScreenSeconds, 30);

    const Statistics before = s;
    for (const double seconds : {0.0, -5.0, std::nan(""), std::numeric_limits<double>::infinity()})
        s.record(warm, 0.4, seconds, march(14, 22), berlin);
    s.record(warm, 0.4, 30, Date(std::nan("")), berlin);
    EXPECT_EQ(s, before);
    // An infinite span would otherwise make the document unwritable.
    EXPECT_NO_THROW(json::encodeCompact(s.toJson()));
}

Statistics daysFrom(int first, int count) {
    Statistics s;
    for (int i = 0; i < count; ++i)
        s.days.emplace_back(Statistics::dayKey(berlin.date(2026, 1, first + i, 12), berlin));
    return s;
}

TEST(Statistics, KeepsTheNewestSixtyDaysInOrder) {
    Statistics s = daysFrom(1, 61);
    // A record of nothing leaves even an over-long list alone.
    s.record(warm, 0.4, 0, march(14, 12), berlin);
    EXPECT_EQ(s.days.size(), 61u);
    s.record(warm, 0.4, 30, berlin.date(2026, 1, 20, 12), berlin);
    ASSERT_EQ(s.days.size(), 60u);
    EXPECT_EQ(s.days.front().day, "2026-01-02");
    EXPECT_EQ(s.days.back().day, "2026-03-02");

    // A 61st day pushes out the oldest.
    Statistics full = daysFrom(1, 60);
    full.record(warm, 0.4, 30, march(14, 12), berlin);
    ASSERT_EQ(full.days.size(), 60u);
    EXPECT_EQ(full.days.front().day, "2026-01-02");
    EXPECT_EQ(full.days.back().day, "2026-03-14");

    // An earlier day is inserted in order.
    Statistics gap;
    gap.record(warm, 0.4, 30, march(14, 12), berlin);
    gap.record(warm, 0.4, 30, march(12, 12), berlin);
    gap.record(warm, 0.4, 30, march(13, 12), berlin);
    ASSERT_EQ(gap.days.size(), 3u);
    EXPECT_EQ(gap.days[0].day, "2026-03-12");
    EXPECT_EQ(gap.days[1].day, "2026-03-13");
    EXPECT_EQ(gap.days[2].day, "2026-03-14");
}

TEST(Statistics, Tonight) {
    Statistics s;
    s.record(warm, 0.4, 30, march(14, 23), berlin);
    EXPECT_FALSE(s.tonight(march(15, 14), berlin));
    ASSERT_TRUE(s.tonight(march(15, 2), berlin));
    EXPECT_EQ(s.tonight(march(15, 2), berlin)->day, "2026-03-14");
    EXPECT_FALSE(s.tonight(march(15, 20), berlin));  // no entry for that evening yet
}

TEST(Statistics, EveningReductionNeedsAMinuteOfScreenTime) {
    DayStats d("2026-03-14");
    d.eveningScreenSeconds = 59;
    d.eveningMelanopicSeconds = 29.5;
    EXPECT_FALSE(d.eveningReduction());
    d.eveningScreenSeconds = 60;
    d.eveningMelanopicSeconds = 15;
    ASSERT_TRUE(d.eveningReduction());
    EXPECT_DOUBLE_EQ(*d.eveningReduction(), 0.75);

    Statistics s;
    s.record(untinted, 0.5, 59, march(14, 22), berlin);
    EXPECT_FALSE(s.averageEveningReduction(7, march(15, 12), berlin));
    s.record(untinted, 0.5, 1, march(13, 22), berlin);
    ASSERT_TRUE(s.averageEveningReduction(7, march(15, 12), berlin));
    EXPECT_DOUBLE_EQ(*s.averageEveningReduction(7, march(15, 12), berlin), 0.5);
    // Outside the range of days the seconds do not count.
    EXPECT_FALSE(s.averageEveningReduction(1, march(15, 12), berlin));
}

TEST(Statistics, AverageEveningKelvinRoundsHalvesUp) {
    DayStats d("2026-03-14");
    EXPECT_FALSE(d.averageEveningKelvin());
    d.eveningSeconds = 2;
    d.eveningKelvinSeconds = 6801;
    EXPECT_EQ(d.averageEveningKelvin(), 3401);

    Statistics s;
    s.days = {d};
    EXPECT_EQ(s.averageEveningKelvin(7, march(15, 12), berlin), 3401);
    EXPECT_FALSE(s.averageEveningKelvin(7, march(30, 12), berlin));
    d.eveningKelvinSeconds = 1e300;
    EXPECT_FALSE(d.averageEveningKelvin());  // beyond the integer range
}

TEST(Statistics, RecentDaysOldestFirstWithEmptyDays) {
    Statistics s;
    s.record(warm, 0.4, 30, march(10, 12), berlin);
    s.record(warm, 0.4, 30, march(15, 12), berlin);
    s.record(warm, 0.4, 30, march(1, 12), berlin);
    const auto week = s.recent(7, march(15, 8), berlin);
    ASSERT_EQ(week.size(), 7u);
    const std::vector<std::string> keys{"2026-03-09", "2026-03-10", "2026-03-11", "2026-03-12",
                                        "2026-03-13", "2026-03-14", "2026-03-15"};
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(week[i].day, keys[i]);
    EXPECT_EQ(week[1].warmSeconds, 30);
    EXPECT_EQ(week[6].warmSeconds, 30);
    EXPECT_EQ(week[0], DayStats("2026-03-09"));
    EXPECT_TRUE(s.recent(0, march(15, 8), berlin).empty());
    EXPECT_TRUE(s.recent(-3, march(15, 8), berlin).empty());
    // Across the change to summer time on 29 March every day appears once.
    const auto spring = s.recent(3, march(30, 0, 30), berlin);
    ASSERT_EQ(spring.size(), 3u);
    EXPECT_EQ(spring[0].day, "2026-03-28");
    EXPECT_EQ(spring[2].day, "2026-03-30");
}

TEST(Statistics, Json) {
    Statistics s;
    s.record(warm, 0.4, 30, march(14, 23, 30), berlin);
    const Json json = s.toJson();
    ASSERT_EQ(json.size(), 1u);
    const Json& day = json.at("days").at(0);
    EXPECT_EQ(day.size(), 6u);  // every key is written
    EXPECT_EQ(day.at("day"), "2026-03-14");
    EXPECT_EQ(day.at("warmSeconds"), 30.0);
    EXPECT_EQ(day.at("eveningKelvinSeconds"), 102000.0);
    EXPECT_EQ(day.at("eveningSeconds"), 30.0);
    EXPECT_DOUBLE_EQ(day.at("eveningMelanopicSeconds").get<double>(), 12.0);
    EXPECT_EQ(day.at("eveningScreenSeconds"), 30.0);
    EXPECT_EQ(Statistics::fromJson(json::parse(json::encodeCompact(json))), s);

    // Missing and null sums read as 0; the stored order is kept; unknown keys are ignored.
    const Statistics read = Statistics::fromJson(Json::parse(
        R"({"days":[{"day":"2026-03-15","warmSeconds":null},{"day":"2026-03-14","eveningSeconds":5,"note":1}],"v":2})"));
    ASSERT_EQ(read.days.size(), 2u);
    EXPECT_EQ(read.days[0], DayStats("2026-03-15"));
    EXPECT_EQ(read.days[1].day, "2026-03-14");
    EXPECT_EQ(read.days[1].eveningSeconds, 5);

    for (const char* bad :
         {R"({})", R"({"days":{}})", R"({"days":[{"warmSeconds":1}]})", R"({"days":[{"day":7}]})",
          R"({"days":[{"day":"2026-03-14","warmSeconds":"1"}]})", R"({"days":[{"day":"x","eveningSeconds":true}]})"})
        EXPECT_THROW(Statistics::fromJson(Json::parse(bad)), JsonError) << bad;
}

}  // namespace
}  // namespace orvane
