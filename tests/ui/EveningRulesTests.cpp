// The evening controls' rules: the clock menus' lists and checkmarks, the plan each choice
// sets, the tonight caption and the badge's figures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ui/views/EveningRules.h"

namespace orvane {
namespace {

std::vector<std::string> displays(const std::vector<ClockTime>& times) {
    std::vector<std::string> out;
    for (const auto& t : times) out.push_back(t.display());
    return out;
}

TEST(ClockMenuRulesTest, ListsKeepTheirBuiltOrder) {
    EXPECT_EQ(displays(EveningRules::bedtimes()),
              (std::vector<std::string>{"20:30", "21:00", "21:30", "22:00", "22:30", "23:00", "23:30", "00:00", "00:30",
                                        "01:00", "01:30", "02:00", "02:30"}));
    const auto wake = displays(EveningRules::wakeTimes());
    ASSERT_EQ(wake.size(), 14u);
    EXPECT_EQ(wake.front(), "04:30");
    EXPECT_EQ(wake.back(), "11:00");
}

TEST(ClockMenuRulesTest, CheckmarkOnlyOnTheEqualEntry) {
    auto entries = EveningRules::clockMenuEntries(EveningRules::bedtimes(), ClockTime(0, 30));
    int checked = 0;
    for (const auto& e : entries) checked += e.checked;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(entries[8].checked);
    EXPECT_EQ(entries[8].text, "00:30");
    entries = EveningRules::clockMenuEntries(EveningRules::bedtimes(), ClockTime(23, 15));
    for (const auto& e : entries) EXPECT_FALSE(e.checked);
    EXPECT_EQ(EveningRules::clockMenuAccessibleName("Bed", ClockTime(23, 0)), "Bed 23:00");
    EXPECT_EQ(EveningRules::clockMenuAccessibleName("Bed", ClockTime(0, 30)), "Bed 00:30");
}

TEST(IntensityRulesTest, ChoiceKeepsThePlanTimesOrUsesTheDefaults) {
    const EveningPlan plan{ClockTime(0, 30), ClockTime(6, 0), EveningIntensity::gentle};
    EXPECT_EQ(EveningRules::planWithIntensity(plan, EveningIntensity::deepRed),
              (EveningPlan{ClockTime(0, 30), ClockTime(6, 0), EveningIntensity::deepRed}));
    EXPECT_EQ(EveningRules::planWithIntensity(std::nullopt, EveningIntensity::deepRed),
              (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::deepRed}));
    EXPECT_EQ(EveningRules::defaultEvening(), (EveningPlan{ClockTime(23, 0), ClockTime(7, 0), EveningIntensity::warm}));
    EXPECT_EQ(EveningRules::planWithBedtime(plan, ClockTime(22, 0)),
              (EveningPlan{ClockTime(22, 0), ClockTime(6, 0), EveningIntensity::gentle}));
    const auto items = EveningRules::intensityItems();
    EXPECT_STREQ(items[0].title, "Gentle");
    EXPECT_EQ(items[0].swatchKelvin, 1900);
    EXPECT_EQ(items[1].swatchKelvin, 1200);
    EXPECT_STREQ(items[2].title, "Deep red");
    EXPECT_EQ(items[2].swatchKelvin, 500);
}

TEST(TonightRulesTest, CaptionBySituation) {
    EXPECT_EQ(EveningRules::tonightCaption(true, Mode::sunset, "Warming at 21:03"), "Warming at 21:03");
    EXPECT_EQ(EveningRules::tonightCaption(false, Mode::manual, "x"), "Manual: stays where you put it.");
    EXPECT_EQ(EveningRules::tonightCaption(false, Mode::sunset, "Warming at 21:03"), "Custom curve · Warming at 21:03");
    EXPECT_EQ(EveningRules::tonightCaption(false, Mode::schedule, "Warm at 22:00"), "Schedule · Warm at 22:00");
}

TEST(BadgeRulesTest, PercentTextAndRing) {
    struct Case {
        double reduction;
        std::int64_t percent;
        double ring;
    };
    const Case cases[] = {{0.62, 62, 0.62}, {0.625, 63, 0.625}, {1.3, 100, 1},       {-0.1, 0, 0},
                          {0, 0, 0},        {0.004, 0, 0.004},  {0.995, 100, 0.995}, {std::nan(""), 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(EveningRules::badgePercent(c.reduction), c.percent) << c.reduction;
        EXPECT_DOUBLE_EQ(EveningRules::ringFraction(c.reduction), c.ring) << c.reduction;
    }
    EXPECT_EQ(EveningRules::badgeText(0.62), "62% less so far");
    EXPECT_EQ(EveningRules::badgeText(1.3), "100% less so far");
    EXPECT_EQ(EveningRules::badgeText(-0.1), "0% less so far");
    EXPECT_EQ(EveningRules::badgeAccessibleName(0.62), "About 62 percent less alerting light this evening");
}

}  // namespace
}  // namespace orvane
