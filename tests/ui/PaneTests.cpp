#include <gtest/gtest.h>

#include "ui/kit/Symbols.h"
#include "ui/settings/Pane.h"

namespace orvane {
namespace {

TEST(Pane, RawValuesTitlesSymbolsAndExactParsing) {
    struct Case {
        Pane pane;
        const char* raw;
        const char* title;
        const char* symbol;
    };
    const Case cases[] = {
        {Pane::general, "general", "General", "gearshape"},
        {Pane::presets, "presets", "Presets", "flame"},
        {Pane::schedule, "schedule", "Schedule", "clock"},
        {Pane::displays, "displays", "Displays", "display"},
        {Pane::comfort, "comfort", "Comfort", "eye"},
        {Pane::exclusions, "exclusions", "Exclusions", "app.dashed"},
        {Pane::shortcuts, "shortcuts", "Shortcuts", "keyboard"},
        {Pane::advanced, "advanced", "Advanced", "wrench.and.screwdriver"},
        {Pane::statistics, "statistics", "Statistics", "chart.bar"},
        {Pane::about, "about", "About", "info.circle"},
    };
    const auto all = allCases<Pane>();
    ASSERT_EQ(all.size(), std::size(cases));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(all[i], c.pane) << "declaration order";
        EXPECT_EQ(toString(c.pane), c.raw);
        EXPECT_EQ(title(c.pane), c.title);
        EXPECT_EQ(symbol(c.pane), c.symbol);
        EXPECT_EQ(fromString<Pane>(c.raw), c.pane);
    }
    for (const char* other : {"Presets", "GENERAL", " general", "abc", ""})
        EXPECT_EQ(fromString<Pane>(other), std::nullopt) << other;
}

TEST(Pane, GroupsOrderTheSidebar) {
    std::vector<std::vector<std::string>> titles;
    for (const auto& group : paneGroups()) {
        titles.emplace_back();
        for (Pane pane : group) titles.back().push_back(title(pane));
    }
    EXPECT_EQ(titles, (std::vector<std::vector<std::string>>{{"General", "Presets", "Schedule"},
                                                             {"Displays", "Comfort", "Exclusions"},
                                                             {"Shortcuts", "Statistics", "Advanced", "About"}}));
}

}  // namespace
}  // namespace orvane
