#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/BrightnessKeys.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;
using Key = BrightnessKeys::Key;

namespace {

// An auxiliary-button event: key code in bits 16 and up, state in bits 8 to 15, repeat in bit 0.
SystemDefinedEvent aux(std::int64_t code, std::int64_t state, bool repeat = false, std::int16_t subtype = 8) {
    return {14, subtype, (code << 16) | (state << 8) | (repeat ? 1 : 0)};
}

class BrightnessKeysTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        keys = std::make_unique<BrightnessKeys>(sim->keyboard());
        keys->onKey = [this](Key k, bool repeat) { seen.emplace_back(k, repeat); };
    }
    std::unique_ptr<BrightnessKeys> keys;
    std::vector<std::pair<Key, bool>> seen;
};

}  // namespace

TEST_F(BrightnessKeysTest, WhileInterceptingPressesAndRepeatsAreReportedAndEveryBrightnessEventSwallowed) {
    ASSERT_TRUE(keys->start());
    keys->intercept = true;
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(2, 0x0A)));
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(2, 0x0A, true)));
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(2, 0x0B)));  // key up: swallowed, not reported
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(3, 0x0A)));
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(3, 0x0B, true)));
    EXPECT_EQ(seen, (std::vector<std::pair<Key, bool>>{{Key::up, false}, {Key::up, true}, {Key::down, false}}));
}

TEST_F(BrightnessKeysTest, OtherKeysAndEventsPassEvenWhileIntercepting) {
    ASSERT_TRUE(keys->start());
    keys->intercept = true;
    const SystemDefinedEvent passing[] = {
        aux(0, 0x0A),                      // sound up
        aux(7, 0x0A),                      // mute
        aux(1, 0x0A),                      // sound down
        aux(2, 0x0A, false, 7),            // another subtype
        {10, 8, (2 << 16) | (0x0A << 8)},  // another event type
        {14, 8, (6 << 16) | (0x0A << 8)},  // code 6 shares the low bits of 2
    };
    for (const auto& e : passing) {
        SCOPED_TRACE(e.data1);
        EXPECT_TRUE(sim->injectSystemDefinedEvent(e));
    }
    EXPECT_TRUE(seen.empty());
}

TEST_F(BrightnessKeysTest, WithoutInterceptBrightnessKeysPassAndNothingIsReported) {
    ASSERT_TRUE(keys->start());
    EXPECT_TRUE(sim->injectSystemDefinedEvent(aux(2, 0x0A)));
    EXPECT_TRUE(sim->injectSystemDefinedEvent(aux(3, 0x0A)));
    EXPECT_TRUE(seen.empty());
    keys->intercept = true;  // takes effect with the next event
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(3, 0x0A)));
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(BrightnessKeysTest, StartTwiceMakesOneTapAndStopLetsEverythingThrough) {
    EXPECT_TRUE(keys->start());
    EXPECT_TRUE(keys->start());
    keys->intercept = true;
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(2, 0x0A)));
    EXPECT_EQ(seen.size(), 1u) << "a second tap reported the key again";
    keys->stop();
    EXPECT_FALSE(keys->isRunning());
    EXPECT_TRUE(sim->injectSystemDefinedEvent(aux(2, 0x0A)));
    EXPECT_TRUE(keys->start());
    EXPECT_TRUE(keys->isRunning());
    EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(2, 0x0A)));
}

TEST_F(BrightnessKeysTest, WithoutPermissionOrATapStartFails) {
    sim->update([](sim::SimState& s) { s.accessibilityTrusted = false; });
    {
        LogCapture logs;
        EXPECT_FALSE(keys->isTrusted());
        EXPECT_FALSE(keys->start());
        EXPECT_FALSE(keys->isRunning());
        EXPECT_TRUE(logs.messages("keys").empty());
    }
    sim->update([](sim::SimState& s) { s.accessibilityTrusted = true; });
    sim->fail("eventTap.create", 1000, 1);
    LogCapture logs;
    EXPECT_FALSE(keys->start());
    EXPECT_FALSE(keys->isRunning());
    EXPECT_EQ(logs.messages("keys"), std::vector<std::string>{"event tap creation failed"});
}

TEST_F(BrightnessKeysTest, ADisabledTapIsEnabledAgain) {
    ASSERT_TRUE(keys->start());
    keys->intercept = true;
    for (const std::uint32_t reason : {0xFFFFFFFEu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(reason);
        sim->disableEventTaps(reason);
        EXPECT_FALSE(sim->injectSystemDefinedEvent(aux(2, 0x0A))) << "the tap stayed off";
    }
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(BrightnessKeysTest, RequestTrustAsksWithThePrompt) {
    EXPECT_TRUE(keys->requestTrust());
    const auto asked = calls("keyboard.requestTrust");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].arguments, Value(Dictionary{{"prompt", true}}));
}
