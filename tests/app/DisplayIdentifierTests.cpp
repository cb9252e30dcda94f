// The display identifier over recorded panels and the fake scheduler.
#include <gtest/gtest.h>

#include "RecordingPanels.h"
#include "app/DisplayIdentifier.h"
#include "platform/FakeScheduler.h"

namespace orvane::app {
namespace {

TEST(DisplayIdentifierTest, EachCallShowsItsOwnCentredPanelForTwoSeconds) {
    auto clock = std::make_shared<platform::FakeClock>();
    platform::FakeScheduler scheduler(clock);
    testing::RecordingPanels panels;
    DisplayIdentifier identifier(panels, scheduler);

    // A display away from the global origin.
    const DisplayInfo right(2, "uuid:b", "Studio", false, {1512, -200, 2560, 1440}, 2);
    const DisplayInfo main(1, "uuid:a", "Built-in", true, {0, 0, 1512, 982}, 2);
    identifier.flash(right);
    scheduler.advance(1.0);
    identifier.flash(main);
    ASSERT_EQ(panels.made.size(), 2u);
    for (const auto& p : panels.made) {
        EXPECT_EQ(p->kind, "identifier");
        EXPECT_EQ(p->width, 360);
        EXPECT_EQ(p->height, 140);
        EXPECT_TRUE(p->visible);
    }
    EXPECT_EQ(panels.made[0]->text, "Studio");
    EXPECT_EQ(panels.made[0]->origin, (platform::Point{1512 + 1280 - 180, -200 + 720 - 70}));
    EXPECT_EQ(panels.made[1]->origin, (platform::Point{756 - 180, 491 - 70}));
    EXPECT_EQ(identifier.shownCount(), 2u);

    scheduler.advance(1.0);  // the first is 2 s old
    EXPECT_FALSE(panels.made[0]->visible);
    EXPECT_TRUE(panels.made[1]->visible);
    scheduler.advance(1.0);
    EXPECT_FALSE(panels.made[1]->visible);
    EXPECT_EQ(identifier.shownCount(), 0u);
    EXPECT_EQ(DisplayIdentifier::kindText(true), std::string("Built-in display"));
    EXPECT_EQ(DisplayIdentifier::kindText(false), std::string("External display"));
}

}  // namespace
}  // namespace orvane::app
