#include <limits>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "engine/AXColorMatrix.h"
#include "platform/Status.h"

using namespace orvane;
using namespace orvane::platform;
using namespace orvane::platform::sim;
using orvane::testing::SimTest;

namespace {

const std::vector<float> warm{1.0f, 0.0f, 0.0f, 0.0f, 0.62f, 0.0f, 0.0f, 0.0f, 0.25f};

std::vector<SimCall> adjustments(SimPlatform& sim) { return sim.journal().calls("colorAdjustments.set"); }

}  // namespace

TEST_F(SimTest, AMatrixOfAnyOtherLengthIsRefusedAndNothingSent) {
    for (std::size_t n : {0u, 8u, 10u}) EXPECT_EQ(AXColorMatrix(*sim).set(2, std::vector<float>(n, 1.0f)), -1) << n;
    EXPECT_TRUE(adjustments(*sim).empty());
    EXPECT_FALSE(sim->state().displays[1].matrix);
}

TEST_F(SimTest, TheAdjustmentIsExactlyTheOneTheDisplayPipelineTakes) {
    ASSERT_TRUE(AXColorMatrix(*sim).isAvailable());
    ASSERT_EQ(AXColorMatrix(*sim).set(2, warm), 0);
    const auto sent = adjustments(*sim);
    ASSERT_EQ(sent.size(), 1u);
    const Dictionary d = sent[0].arguments.dictionary() ? *sent[0].arguments.dictionary() : Dictionary{};
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d.at("display"), Value(std::int64_t{2}));
    ASSERT_TRUE(d.at("scale").get<float>());
    EXPECT_EQ(*d.at("scale").get<float>(), 1.0f);
    EXPECT_EQ(d.at("options"), Value(std::int64_t{0}));
    const Array* matrix = d.at("matrix").array();
    ASSERT_TRUE(matrix);
    ASSERT_EQ(matrix->size(), 9u);
    // Nine floats, element 3 x row + column.
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ((*matrix)[i], Value(warm[i])) << i;
    ASSERT_TRUE(sim->state().displays[1].matrix);
    EXPECT_EQ((*sim->state().displays[1].matrix)[4], 0.62f);

    ASSERT_EQ(AXColorMatrix(*sim).reset(2), 0);
    ASSERT_EQ(adjustments(*sim).size(), 2u);
    EXPECT_EQ(*adjustments(*sim)[1].arguments.dictionary(), (Dictionary{{"display", std::int64_t{2}}}));
    EXPECT_FALSE(sim->state().displays[1].matrix);
}

TEST(ColorAdjustment, TheRecordsTheBindingSends) {
    const Matrix3x3 m{1, 0, 0, 0, 0.62f, 0, 0, 0, 0.25f};
    EXPECT_EQ(ColorAdjustment::tint(2, m), (ColorAdjustment{2, m, 1.0f, 0}));
    EXPECT_TRUE(ColorAdjustment::tint(2, m).enabled());
    EXPECT_EQ(ColorAdjustment::clear(2).matrix, std::nullopt);
    EXPECT_FALSE(ColorAdjustment::clear(2).enabled());
    EXPECT_TRUE(ColorAdjustment::clear(2).isWellFormed());
    Matrix3x3 broken = m;
    broken[8] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(ColorAdjustment::tint(2, broken).isWellFormed());
}

TEST_F(SimTest, TheFunctionsStatusComesBack) {
    sim->fail("colorAdjustment", 1001, 1);
    EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), 1001);
    EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), 0);
    EXPECT_EQ(AXColorMatrix(*sim).reset(99), status::illegalArgument);
}

TEST_F(SimTest, WithoutColourAdjustmentsEverythingFailsSoftly) {
    sim->setPortMissing("colorAdjustments");
    EXPECT_FALSE(AXColorMatrix(*sim).isAvailable());
    EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), -1);
    EXPECT_EQ(AXColorMatrix(*sim).reset(1), -1);
    AXColorMatrix(*sim).resetAll();
    EXPECT_TRUE(adjustments(*sim).empty());
    // The port is asked at every call: one that comes back is used at once.
    sim->setPortMissing("colorAdjustments", false);
    EXPECT_TRUE(AXColorMatrix(*sim).isAvailable());
    EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), 0);
}

TEST_F(SimTest, ResetAllClearsTheFirstThirtyTwoOnlineDisplays) {
    for (int i = 0; i < 31; ++i) sim->addDisplay(SimDisplay{});
    sim->update([](SimState& s) {
        for (auto& d : s.displays) d.matrix = Matrix3x3{1, 0, 0, 0, 0.5f, 0, 0, 0, 0.5f};
    });
    ASSERT_EQ(sim->displays().onlineDisplays(64).size(), 33u);
    AXColorMatrix(*sim).resetAll();
    const auto calls = adjustments(*sim);
    ASSERT_EQ(calls.size(), 32u);
    const auto online = sim->displays().onlineDisplays(64);
    for (std::size_t i = 0; i < 32; ++i)
        EXPECT_EQ(*calls[i].arguments.dictionary(), (Dictionary{{"display", std::int64_t{online[i]}}}));
    const auto s = sim->state();
    for (std::size_t i = 0; i < 32; ++i) EXPECT_FALSE(s.displays[i].matrix) << i;
    EXPECT_TRUE(s.displays[32].matrix);  // the 33rd is beyond the list
}

TEST_F(SimTest, ResetAllCarriesOnPastFailingDisplays) {
    sim->fail("colorAdjustment", 1000, 1);
    sim->update([](SimState& s) {
        for (auto& d : s.displays) d.matrix = Matrix3x3{};
    });
    AXColorMatrix(*sim).resetAll();
    EXPECT_EQ(adjustments(*sim).size(), 2u);
    EXPECT_TRUE(sim->state().displays[0].matrix);
    EXPECT_FALSE(sim->state().displays[1].matrix);
}

TEST_F(SimTest, TheAdjustmentGoesToThePlatformItWasMadeFor) {
    // A second machine in the same process, as screenshot mode runs one.
    auto other = std::make_shared<SimPlatform>(Runtime{clock, scheduler}, orvane::testing::freshDirectory("other"));
    ASSERT_EQ(AXColorMatrix(*other).set(1, warm), 0);
    EXPECT_TRUE(other->state().displays[0].matrix);
    EXPECT_FALSE(sim->state().displays[0].matrix);
}

TEST_F(SimTest, OnlyANumberSwitchesTheColourFilterOn) {
    EXPECT_FALSE(AXColorMatrix(*sim).userColorFilterEnabled());
    sim->setColorFilterEnabled(true);
    EXPECT_TRUE(AXColorMatrix(*sim).userColorFilterEnabled());
    const char* key = "__Color__-MADisplayFilterCategoryEnabled";
    const struct {
        Value stored;
        bool on;
    } cases[] = {{Value(false), false}, {Value(1), true},       {Value(0), false},           {Value(1.0), true},
                 {Value("1"), false},   {Value("true"), false}, {Value(Dictionary{}), false}};
    for (const auto& c : cases) {
        sim->preferences().setAppValue(key, c.stored, "com.apple.mediaaccessibility");
        EXPECT_EQ(AXColorMatrix(*sim).userColorFilterEnabled(), c.on);
    }
}
