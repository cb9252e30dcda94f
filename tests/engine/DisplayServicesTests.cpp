#include <gtest/gtest.h>

#include "SimFixture.h"
#include "engine/DisplayServices.h"
#include "platform/Status.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::SimTest;

TEST_F(SimTest, BrightnessLevelsAreClampedBeforeTheyAreSent) {
    ASSERT_TRUE(DisplayServices(*sim).isAvailable());
    const struct { float asked, sent; } cases[] = {{1.7f, 1.0f}, {-0.2f, 0.0f}, {0.45f, 0.45f}};
    for (const auto& c : cases) {
        sim->journal().clear();
        EXPECT_TRUE(DisplayServices(*sim).setBrightness(1, c.asked));
        const auto sent = sim->journal().calls("backlight.setBrightness");
        ASSERT_EQ(sent.size(), 1u);
        const Dictionary* arguments = sent[0].arguments.dictionary();
        ASSERT_TRUE(arguments);
        EXPECT_EQ(*arguments, (Dictionary{{"display", 1}, {"level", c.sent}}));
        EXPECT_EQ(DisplayServices(*sim).getBrightness(1), c.sent);
    }
    EXPECT_FALSE(DisplayServices(*sim).setBrightness(2, 0.5f));  // no backlight on the external monitor
    EXPECT_EQ(DisplayServices(*sim).getBrightness(2), std::nullopt);
    EXPECT_TRUE(DisplayServices(*sim).canChangeBrightness(1));
    EXPECT_FALSE(DisplayServices(*sim).canChangeBrightness(2));
}

TEST_F(SimTest, LinearBrightnessFallsBackToThePlainFunctions) {
    ASSERT_TRUE(DisplayServices(*sim).setBrightness(1, 0.3f));
    sim->fail("backlight.getLinear", status::missing);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), 0.3f);
    sim->clearFailure("backlight.getLinear");
    // A failing linear read falls back too.
    sim->fail("backlight.get", 1000, 1);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), 0.3f);

    sim->journal().clear();
    EXPECT_TRUE(DisplayServices(*sim).setLinearBrightness(1, 2.0f));
    EXPECT_EQ(sim->journal().calls("backlight.setLinearBrightness").size(), 1u);
    EXPECT_TRUE(sim->journal().calls("backlight.setBrightness").empty());
    // A failing linear set is not retried with the other function.
    sim->fail("backlight.set", 1000, 1);
    EXPECT_FALSE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
    EXPECT_TRUE(sim->journal().calls("backlight.setBrightness").empty());
    // Only when the backlight has no linear set is the plain one used.
    sim->fail("backlight.setLinear", status::missing);
    EXPECT_TRUE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
    EXPECT_EQ(sim->journal().calls("backlight.setBrightness").size(), 1u);
    sim->fail("backlight.set", status::missing);
    EXPECT_FALSE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
}

TEST_F(SimTest, WithoutABacklightLevelsAreAbsent) {
    sim->setPortMissing("backlight");
    EXPECT_FALSE(DisplayServices(*sim).isAvailable());
    EXPECT_EQ(DisplayServices(*sim).getBrightness(1), std::nullopt);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), std::nullopt);
    EXPECT_FALSE(DisplayServices(*sim).setBrightness(1, 0.5f));
    EXPECT_FALSE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
    EXPECT_FALSE(DisplayServices(*sim).canChangeBrightness(1));
    EXPECT_TRUE(sim->journal().calls().empty());
}

TEST_F(SimTest, AFailingReadDoesNotMakeTheBacklightUnavailable) {
    sim->fail("backlight.get", status::failure, 1);
    EXPECT_TRUE(DisplayServices(*sim).isAvailable());
    EXPECT_EQ(DisplayServices(*sim).getBrightness(1), std::nullopt);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), 0.6f);  // the next read answers
}
