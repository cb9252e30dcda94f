#include <gtest/gtest.h>

#include "RecordingPanels.h"
#include "SimFixture.h"
#include "app/BrightnessHUD.h"

using namespace orvane;
using orvane::testing::PanelRecord;
using orvane::testing::RecordingPanels;
using orvane::testing::SimTest;

namespace {

class BrightnessHUDTest : public SimTest {
protected:
    PanelRecord& only() {
        EXPECT_EQ(panels.made.size(), 1u);
        return *panels.made.at(0);
    }
    RecordingPanels panels;
};

}  // namespace

TEST_F(BrightnessHUDTest, FirstShowBuildsOneSquarePanelCentred140AboveTheBottomOfTheMainScreen) {
    struct Case {
        platform::Rect screen;
        platform::Point origin;
    };
    const Case cases[] = {
        {{0, 0, 1440, 900}, {620, 140}}, {{-200, 100, 1000, 700}, {200, 240}},  // a main screen not at the origin
    };
    for (const auto& c : cases) {
        RecordingPanels own;
        own.screen = c.screen;
        BrightnessHUD hud(own, scheduler);
        EXPECT_TRUE(own.made.empty()) << "no panel before the first show";
        hud.show(0.5, "Dim");
        hud.show(0.4, "Dim");
        ASSERT_EQ(own.made.size(), 1u) << "the panel is kept";
        EXPECT_EQ(own.made[0]->kind, "brightness");
        EXPECT_EQ(own.made[0]->width, 200);
        EXPECT_EQ(own.made[0]->height, 200);
        EXPECT_EQ(own.made[0]->origin, c.origin);
        EXPECT_TRUE(own.made[0]->visible);
    }
}

TEST_F(BrightnessHUDTest, RepeatedShowsKeepThePanelUpUntilOneAndAHalfSecondsAfterTheLast) {
    BrightnessHUD hud(panels, scheduler);
    hud.show(0.5, "Dim");
    scheduler->advance(0.5);
    hud.show(0.45, "Dim");
    scheduler->advance(0.5);
    hud.show(0.4, "Dim");
    scheduler->advance(1.49);
    EXPECT_TRUE(only().visible) << "2.49 s after the first show, 1.49 s after the third";
    EXPECT_EQ(only().hides, 0);
    scheduler->advance(0.02);
    EXPECT_FALSE(only().visible);
    EXPECT_EQ(only().hides, 1);

    // Shown again later: the same panel, hidden again on time.
    hud.show(0.6, "Brightness");
    EXPECT_TRUE(only().visible);
    scheduler->advance(1.5);
    EXPECT_FALSE(only().visible);
    EXPECT_EQ(only().shows, 4);
}

TEST_F(BrightnessHUDTest, SameLevelWithAnotherTitleChangesOnlyTheTitle) {
    BrightnessHUD hud(panels, scheduler);
    EXPECT_EQ(hud.state().level(), 1.0);
    EXPECT_EQ(hud.state().title(), "Dim");
    hud.show(0.7, "Dim");
    int changes = 0;
    auto subscription = hud.state().changed.subscribe([&] { ++changes; });
    hud.show(0.7, "Brightness");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(hud.state().level(), 0.7);
    EXPECT_EQ(hud.state().title(), "Brightness");
    hud.show(0.7, "Brightness");
    EXPECT_EQ(changes, 1) << "nothing changed, nothing announced";
}

TEST_F(BrightnessHUDTest, AReleasedHUDsPendingHideDoesNothing) {
    auto hud = std::make_unique<BrightnessHUD>(panels, scheduler);
    hud->show(0.3, "Dim");
    const auto record = panels.made.at(0);
    hud.reset();
    EXPECT_TRUE(record->destroyed);
    scheduler->advance(2);
    EXPECT_EQ(record->hides, 0);
}

TEST_F(BrightnessHUDTest, WithoutAMainScreenOnlyTheStateChanges) {
    panels.screen = std::nullopt;
    BrightnessHUD hud(panels, scheduler);
    hud.show(0.25, "Brightness");
    EXPECT_EQ(hud.state().level(), 0.25);
    EXPECT_EQ(hud.state().title(), "Brightness");
    EXPECT_EQ(only().shows, 0);
    EXPECT_FALSE(only().origin);
    scheduler->advance(2);
    EXPECT_EQ(only().hides, 0);
}
