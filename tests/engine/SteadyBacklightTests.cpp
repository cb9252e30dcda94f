#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/SteadyBacklight.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;

namespace {

class SteadyBacklightTest : public EngineTest {
protected:
    std::shared_ptr<UserDefaults> defaults() { return sim->standardUserDefaults(); }
    float backlight() const { return *sim->state().display(1)->backlight; }
    void setBacklight(float level) {
        sim->update([&](sim::SimState& s) { s.display(1)->backlight = level; });
    }
    std::vector<float> sets() const {
        std::vector<float> out;
        for (const auto& c : calls("backlight.setLinearBrightness")) {
            const auto* d = c.arguments.dictionary();
            if (d && d->count("level")) out.push_back(static_cast<float>(*d->at("level").number()));
        }
        return out;
    }
    std::optional<Dictionary> record() { return defaults()->dictionary(SteadyBacklight::dirtyKey); }
};

}  // namespace

TEST_F(SteadyBacklightTest, HoldSetsBackOnlyWhatDriftedMoreThanTheThreshold) {
    setBacklight(0.8f);
    SteadyBacklight hold(*sim, defaults());
    hold.enable();
    ASSERT_TRUE(hold.isActive());
    EXPECT_EQ(hold.displayID(), 1u);
    EXPECT_FLOAT_EQ(backlight(), 0.6f);
    const struct {
        float reading;
        bool setBack;
    } cases[] = {{0.61f, false}, {0.63f, true}, {0.57f, true}, {0.59f, false}, {0.2f, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reading);
        setBacklight(c.reading);
        sim->journal().clear();
        scheduler->advance(1.0);
        EXPECT_EQ(sets().size(), c.setBack ? 1u : 0u);
        EXPECT_FLOAT_EQ(backlight(), c.setBack ? 0.6f : c.reading);
    }
}

TEST_F(SteadyBacklightTest, EnableRecordsTheUsersLevelOnceAndDisablePutsItBack) {
    setBacklight(0.8f);
    SteadyBacklight hold(*sim, defaults());
    hold.enable();
    hold.enable();  // changes nothing: one record, one timer
    ASSERT_TRUE(record());
    EXPECT_DOUBLE_EQ(*record()->at("level").number(), static_cast<double>(0.8f));
    EXPECT_EQ(record()->at("display").integer(), 1);

    setBacklight(0.3f);
    sim->journal().clear();
    scheduler->advance(1.0);
    EXPECT_EQ(sets().size(), 1u);

    hold.disable();
    EXPECT_FALSE(hold.isActive());
    EXPECT_FLOAT_EQ(backlight(), 0.8f);
    EXPECT_FALSE(record());
    sim->journal().clear();
    setBacklight(0.1f);
    scheduler->advance(5.0);
    EXPECT_TRUE(sets().empty()) << "the hold timer outlived disable()";
}

TEST_F(SteadyBacklightTest, LevelIsAppliedAtOnceOnlyWhileHolding) {
    SteadyBacklight hold(*sim, defaults());
    hold.setLevel(0.4f);
    EXPECT_TRUE(sets().empty());
    hold.enable();
    EXPECT_FLOAT_EQ(backlight(), 0.4f);
    hold.setLevel(0.9f);
    EXPECT_FLOAT_EQ(backlight(), 0.9f);
}

TEST_F(SteadyBacklightTest, AnOlderRecordSurvivesANewHoldAndIsWhatDisableRestores) {
    defaults()->set(SteadyBacklight::dirtyKey, Dictionary{{"level", 0.25}, {"display", std::int64_t{1}}});
    SteadyBacklight hold(*sim, defaults());
    hold.enable();
    EXPECT_DOUBLE_EQ(*record()->at("level").number(), 0.25);
    hold.disable();
    EXPECT_FLOAT_EQ(backlight(), 0.25f);
    EXPECT_FALSE(record());
}

TEST_F(SteadyBacklightTest, DisableWithoutEnableLeavesTheRecord) {
    defaults()->set(SteadyBacklight::dirtyKey, Dictionary{{"level", 0.25}, {"display", std::int64_t{1}}});
    SteadyBacklight hold(*sim, defaults());
    hold.disable();
    EXPECT_TRUE(record());
    EXPECT_TRUE(sets().empty());
}

TEST_F(SteadyBacklightTest, NothingHappensWithoutABuiltInDisplayOrABacklight) {
    {
        sim->setPortMissing("backlight");
        SteadyBacklight hold(*sim, defaults());
        EXPECT_FALSE(hold.isSupported());
        hold.enable();
        EXPECT_FALSE(hold.isActive());
        sim->setPortMissing("backlight", false);
    }
    sim->changeDisplay(1, [](sim::SimDisplay& d) { d.builtIn = false; });
    SteadyBacklight hold(*sim, defaults());
    EXPECT_TRUE(hold.isSupported());
    EXPECT_FALSE(hold.builtInDisplayID());
    hold.enable();
    EXPECT_FALSE(hold.isActive());
    EXPECT_FALSE(record());
    EXPECT_TRUE(sets().empty());
}

TEST_F(SteadyBacklightTest, TheBuiltInDisplayIsFoundWhereverItIsListed) {
    sim->changeDisplay(1, [](sim::SimDisplay& d) { d.builtIn = false; });
    sim->changeDisplay(2, [](sim::SimDisplay& d) {
        d.builtIn = true;
        d.backlight = 0.5f;
    });
    SteadyBacklight hold(*sim, defaults());
    EXPECT_EQ(hold.builtInDisplayID(), 2u);
}

TEST_F(SteadyBacklightTest, AnUnreadableLevelStartsTheHoldWithoutARecord) {
    sim->fail("backlight.get", 1000, 2);  // the linear reading and its fallback
    SteadyBacklight hold(*sim, defaults());
    hold.enable();
    EXPECT_TRUE(hold.isActive());
    EXPECT_FALSE(record());
    hold.disable();
    EXPECT_FLOAT_EQ(backlight(), 0.6f);
}

TEST_F(SteadyBacklightTest, RestoreIfDirtyPutsBackACompleteRecord) {
    LogCapture logs;
    defaults()->set(SteadyBacklight::dirtyKey, Dictionary{{"level", 0.35}, {"display", std::int64_t{1}}});
    SteadyBacklight hold(*sim, defaults());
    hold.restoreIfDirty();
    EXPECT_FLOAT_EQ(backlight(), 0.35f);
    EXPECT_FALSE(record());
    EXPECT_EQ(logs.messages("backlight"), std::vector<std::string>{"restored backlight 0.350000 after unclean exit"});
}

TEST_F(SteadyBacklightTest, RestoreIfDirtyKeepsAMalformedRecordWhichDisableThenClears) {
    const Dictionary malformed[] = {
        {{"level", 0.35}},
        {{"display", std::int64_t{1}}},
        {{"level", "bright"}, {"display", std::int64_t{1}}},
        {{"level", 0.35}, {"display", -1}},
        {{"level", 0.35}, {"display", 1.5}},
    };
    for (const auto& m : malformed) {
        defaults()->set(SteadyBacklight::dirtyKey, m);
        SteadyBacklight hold(*sim, defaults());
        hold.restoreIfDirty();
        EXPECT_EQ(record(), m);
        EXPECT_TRUE(sets().empty());
    }
    SteadyBacklight hold(*sim, defaults());
    defaults()->set(SteadyBacklight::dirtyKey, Dictionary{{"display", std::int64_t{1}}});
    hold.enable();
    hold.disable();
    EXPECT_FALSE(record());
}

// The record is the only copy of the user's own level; a failed set must not lose it.
TEST_F(SteadyBacklightTest, AFailedRestoreKeepsTheRecordForTheNextTry) {
    LogCapture logs;
    defaults()->set(SteadyBacklight::dirtyKey, Dictionary{{"level", 0.35}, {"display", std::int64_t{1}}});
    sim->fail("backlight.set", 1000, 1);
    SteadyBacklight hold(*sim, defaults());
    hold.restoreIfDirty();
    EXPECT_TRUE(record());
    EXPECT_TRUE(logs.messages("backlight").empty());
    hold.restoreIfDirty();
    EXPECT_FALSE(record());
    EXPECT_FLOAT_EQ(backlight(), 0.35f);
}

TEST_F(SteadyBacklightTest, AFailedSetAtDisableKeepsTheUsersLevelForTheNextHold) {
    setBacklight(0.8f);
    SteadyBacklight hold(*sim, defaults());
    hold.enable();
    sim->fail("backlight.set", 1000, 1);
    hold.disable();
    EXPECT_FALSE(hold.isActive());
    ASSERT_TRUE(record());
    EXPECT_DOUBLE_EQ(*record()->at("level").number(), static_cast<double>(0.8f));

    // The next hold must not take the held level for the user's.
    hold.enable();
    EXPECT_DOUBLE_EQ(*record()->at("level").number(), static_cast<double>(0.8f));
    hold.disable();
    EXPECT_FLOAT_EQ(backlight(), 0.8f);
    EXPECT_FALSE(record());
}
