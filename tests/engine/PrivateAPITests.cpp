#include <cstring>

#include <gtest/gtest.h>

#include "SimFixture.h"
#include "engine/PrivateAPI.h"
#include "platform/FrameworkAdapters.h"
#include "platform/Status.h"

using namespace orvane;
using namespace orvane::platform;
using namespace orvane::platform::sim;
using orvane::testing::SimTest;

namespace {

const std::vector<float> warm{1.0f, 0.0f, 0.0f, 0.0f, 0.62f, 0.0f, 0.0f, 0.0f, 0.25f};

std::vector<SimCall> adjustments(SimPlatform& sim) { return sim.journal().calls("SLSSetAccessibilityAdjustments"); }

}  // namespace

TEST_F(SimTest, AMatrixOfAnyOtherLengthIsRefusedAndNothingSent) {
    for (std::size_t n : {0u, 8u, 10u}) EXPECT_EQ(AXColorMatrix(*sim).set(2, std::vector<float>(n, 1.0f)), -1) << n;
    EXPECT_TRUE(adjustments(*sim).empty());
    EXPECT_FALSE(sim->state().displays[1].matrix);
}

TEST_F(SimTest, TheAdjustmentDictionaryIsExactlyTheOneTheDisplayPipelineTakes) {
    ASSERT_TRUE(AXColorMatrix(*sim).isAvailable());
    ASSERT_EQ(AXColorMatrix(*sim).set(2, warm), 0);
    const auto sent = adjustments(*sim);
    ASSERT_EQ(sent.size(), 1u);
    const Dictionary d = sent[0].arguments.dictionary() ? *sent[0].arguments.dictionary() : Dictionary{};
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d.at(adjustmentKey::targetDisplay), Value(std::int64_t{2}));
    ASSERT_TRUE(d.at(adjustmentKey::scale).get<float>());
    EXPECT_EQ(*d.at(adjustmentKey::scale).get<float>(), 1.0f);
    EXPECT_EQ(d.at(adjustmentKey::options), Value(std::int64_t{0}));
    const Bytes* bytes = d.at(adjustmentKey::matrix).data();
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 36u);
    // Nine native floats, element 3 x row + column.
    for (std::size_t i = 0; i < 9; ++i) {
        float f;
        std::memcpy(&f, bytes->data() + 4 * i, 4);
        EXPECT_EQ(f, warm[i]) << i;
    }
    EXPECT_EQ((*bytes)[16], 0x52);  // 0.62f = 0x3F1EB852, little-endian
    EXPECT_EQ((*bytes)[19], 0x3F);
    ASSERT_TRUE(sim->state().displays[1].matrix);
    EXPECT_EQ((*sim->state().displays[1].matrix)[4], 0.62f);

    ASSERT_EQ(AXColorMatrix(*sim).reset(2), 0);
    ASSERT_EQ(adjustments(*sim).size(), 2u);
    EXPECT_EQ(*adjustments(*sim)[1].arguments.dictionary(),
              (Dictionary{{adjustmentKey::targetDisplay, std::int64_t{2}}}));
    EXPECT_FALSE(sim->state().displays[1].matrix);
}

TEST_F(SimTest, TheFunctionsStatusComesBack) {
    sim->fail("colorAdjustment", 1001, 1);
    EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), 1001);
    EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), 0);
    EXPECT_EQ(AXColorMatrix(*sim).reset(99), status::illegalArgument);
}

TEST_F(SimTest, WithoutTheFrameworkEverythingFailsSoftly) {
    sim->setFrameworkMissing(PrivateFramework::skyLightPath);
    EXPECT_FALSE(AXColorMatrix(*sim).isAvailable());
    EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), -1);
    EXPECT_EQ(AXColorMatrix(*sim).reset(1), -1);
    AXColorMatrix(*sim).resetAll();
    EXPECT_TRUE(adjustments(*sim).empty());
}

TEST_F(SimTest, AMissingFunctionOrKeyMakesTheAdjustmentUnavailable) {
    for (const char* name :
         {symbolName::setAccessibilityAdjustments, symbolName::targetDisplay, symbolName::adjustmentMatrix,
          symbolName::adjustmentScale, symbolName::adjustmentOptions}) {
        SCOPED_TRACE(name);
        sim->setSymbolMissing(name);
        EXPECT_FALSE(AXColorMatrix(*sim).isAvailable());
        EXPECT_EQ(AXColorMatrix(*sim).set(1, warm), -1);
        EXPECT_EQ(AXColorMatrix(*sim).reset(1), -1);
        sim->setSymbolMissing(name, false);
    }
    EXPECT_TRUE(AXColorMatrix(*sim).isAvailable());
    EXPECT_TRUE(adjustments(*sim).empty());
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
        EXPECT_EQ(*calls[i].arguments.dictionary(),
                  (Dictionary{{adjustmentKey::targetDisplay, std::int64_t{online[i]}}}));
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

TEST_F(SimTest, FrameworksOpenOnceAndAFailedOpenIsTriedAgain) {
    int opens = 0;
    auto image = std::make_shared<SymbolTable>();
    bool present = false;
    sim->frameworks().add("/test/Counted", FrameworkRegistry::Loader([&]() -> std::shared_ptr<FrameworkImage> {
                              ++opens;
                              return present ? image : nullptr;
                          }));
    EXPECT_EQ(PrivateFramework(*sim).handle("/test/Counted"), nullptr);
    EXPECT_EQ(PrivateFramework(*sim).handle("/test/Counted"), nullptr);
    EXPECT_EQ(opens, 2);
    present = true;
    EXPECT_EQ(PrivateFramework(*sim).handle("/test/Counted"), image);
    EXPECT_EQ(PrivateFramework(*sim).handle("/test/Counted"), image);
    EXPECT_EQ(opens, 3);
    present = false;  // once opened, a handle is never closed
    EXPECT_EQ(PrivateFramework(*sim).handle("/test/Counted"), image);
    EXPECT_EQ(PrivateFramework(*sim).handle("/no/such/framework"), nullptr);
}

TEST_F(SimTest, AHandleBelongsToThePlatformThatOpenedIt) {
    const auto first = PrivateFramework(*sim).handle(PrivateFramework::skyLightPath);
    ASSERT_TRUE(first);
    // A second machine in the same process, as screenshot mode runs one.
    auto other = std::make_shared<SimPlatform>(Runtime{clock, scheduler}, orvane::testing::freshDirectory("other"));
    const auto second = PrivateFramework(*other).handle(PrivateFramework::skyLightPath);
    EXPECT_NE(second, first);
    EXPECT_EQ(PrivateFramework(*sim).handle(PrivateFramework::skyLightPath), first);
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

TEST_F(SimTest, BrightnessLevelsAreClampedBeforeTheyAreSent) {
    ASSERT_TRUE(DisplayServices(*sim).isAvailable());
    const struct { float asked, sent; } cases[] = {{1.7f, 1.0f}, {-0.2f, 0.0f}, {0.45f, 0.45f}};
    for (const auto& c : cases) {
        sim->journal().clear();
        EXPECT_TRUE(DisplayServices(*sim).setBrightness(1, c.asked));
        const auto sent = sim->journal().calls("DisplayServicesSetBrightness");
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].arguments.dictionary()->at("level"), Value(c.sent));
        EXPECT_EQ(DisplayServices(*sim).getBrightness(1), c.sent);
    }
    EXPECT_FALSE(DisplayServices(*sim).setBrightness(2, 0.5f));  // no backlight on the external monitor
    EXPECT_EQ(DisplayServices(*sim).getBrightness(2), std::nullopt);
    EXPECT_TRUE(DisplayServices(*sim).canChangeBrightness(1));
    EXPECT_FALSE(DisplayServices(*sim).canChangeBrightness(2));
}

TEST_F(SimTest, LinearBrightnessFallsBackToThePlainFunctions) {
    ASSERT_TRUE(DisplayServices(*sim).setBrightness(1, 0.3f));
    sim->setSymbolMissing(symbolName::getLinearBrightness);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), 0.3f);
    sim->setSymbolMissing(symbolName::getLinearBrightness, false);
    // A failing linear read falls back too.
    sim->fail("backlight.get", 1000, 1);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), 0.3f);

    sim->journal().clear();
    EXPECT_TRUE(DisplayServices(*sim).setLinearBrightness(1, 2.0f));
    EXPECT_EQ(sim->journal().calls("DisplayServicesSetLinearBrightness").size(), 1u);
    EXPECT_TRUE(sim->journal().calls("DisplayServicesSetBrightness").empty());
    // A failing linear set is not retried with the other function.
    sim->fail("backlight.set", 1000, 1);
    EXPECT_FALSE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
    EXPECT_TRUE(sim->journal().calls("DisplayServicesSetBrightness").empty());
    // Only when the linear function is missing is the plain one used.
    sim->setSymbolMissing(symbolName::setLinearBrightness);
    EXPECT_TRUE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
    EXPECT_EQ(sim->journal().calls("DisplayServicesSetBrightness").size(), 1u);
    sim->setSymbolMissing(symbolName::setBrightness);
    EXPECT_FALSE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
}

TEST_F(SimTest, WithoutTheBrightnessFrameworkLevelsAreAbsent) {
    sim->setFrameworkMissing(PrivateFramework::displayServicesPath);
    EXPECT_FALSE(DisplayServices(*sim).isAvailable());
    EXPECT_EQ(DisplayServices(*sim).getBrightness(1), std::nullopt);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), std::nullopt);
    EXPECT_FALSE(DisplayServices(*sim).setBrightness(1, 0.5f));
    EXPECT_FALSE(DisplayServices(*sim).setLinearBrightness(1, 0.5f));
    EXPECT_FALSE(DisplayServices(*sim).canChangeBrightness(1));
    EXPECT_TRUE(sim->journal().calls().empty());
}

TEST_F(SimTest, WithoutTheReadFunctionTheBacklightIsUnavailable) {
    sim->setSymbolMissing(symbolName::getBrightness);
    EXPECT_FALSE(DisplayServices(*sim).isAvailable());
    EXPECT_EQ(DisplayServices(*sim).getBrightness(1), std::nullopt);
    EXPECT_EQ(DisplayServices(*sim).getLinearBrightness(1), 0.6f);  // the linear read is still there
}
