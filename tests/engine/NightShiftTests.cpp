#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/NightShift.h"

using namespace orvane;
using namespace orvane::platform;
using orvane::testing::EngineTest;
using orvane::testing::LogCapture;

namespace {

class NightShiftTest : public EngineTest {
protected:
    std::shared_ptr<UserDefaults> defaults() { return sim->standardUserDefaults(); }
    sim::SimNightShift nightShift() const { return sim->state().nightShift; }
    void setNightShift(const std::function<void(sim::SimNightShift&)>& change) {
        sim->update([&](sim::SimState& s) { change(s.nightShift); });
    }
    // The Night Shift messages this process sent, in order, as "operation args".
    std::vector<std::string> sent() const {
        std::vector<std::string> out;
        for (const auto& c : sim->journal().calls()) {
            if (c.facility.rfind("nightShift.", 0) != 0) continue;
            std::string line = c.facility;
            if (const auto* args = c.arguments.array())
                for (const auto& a : *args) {
                    if (const auto* b = a.get<bool>()) line += *b ? " YES" : " NO";
                    else if (const auto n = a.number()) line += " " + fmt::format("{:g}", *n);
                }
            out.push_back(line);
        }
        return out;
    }
};

}  // namespace

TEST_F(NightShiftTest, StrengthFollowsTheKelvinBetweenTheFloorAndSixThousand) {
    const struct {
        std::int64_t kelvin;
        float strength;
    } cases[] = {{2700, 1.0f}, {4350, 0.5f}, {6000, 0.0f}, {6400, 0.0f}, {1200, 1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kelvin);
        NightShiftWarmth warmth(*sim, defaults());
        ASSERT_TRUE(warmth.isAvailable());
        warmth.apply(c.kelvin, 2700);
        EXPECT_EQ(nightShift().strength, c.strength);
        EXPECT_EQ(nightShift().cct, static_cast<float>(c.kelvin));
        EXPECT_TRUE(nightShift().active);
    }
}

TEST_F(NightShiftTest, TheSameRequestTwiceSendsNothingTheSecondTime) {
    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(3000, 2700);
    EXPECT_EQ(sent(), (std::vector<std::string>{"nightShift.setCCT 3000 YES", "nightShift.setStrength 0.909091 YES",
                                                "nightShift.setActive YES"}));
    sim->journal().clear();
    warmth.apply(3000, 2700);
    EXPECT_TRUE(sent().empty());
    // Already active: a new kelvin does not switch it on again.
    warmth.apply(3500, 2700);
    EXPECT_EQ(sent(), (std::vector<std::string>{"nightShift.setCCT 3500 YES", "nightShift.setStrength 0.757576 YES"}));
}

TEST_F(NightShiftTest, AFloorBelowTheSystemRangeWidensTheRangeAndNarrowsItBack) {
    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(2700, 2700);
    EXPECT_EQ(count("nightShift.setCCTRange"), 0u);  // a first floor of 2700 or more leaves the range alone
    warmth.apply(1900, 1900);
    EXPECT_EQ(nightShift().range, (std::array<float, 3>{1900, 6000, 3950}));
    EXPECT_EQ(nightShift().strength, 1.0f);
    warmth.apply(1900, 2700);
    EXPECT_EQ(nightShift().range, (std::array<float, 3>{2700, 6000, 4100}));
    EXPECT_EQ(count("nightShift.setCCTRange"), 2u);
}

TEST_F(NightShiftTest, OffIsSentOnlyWhileNightShiftIsActive) {
    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(std::nullopt, 2700);
    EXPECT_TRUE(sent().empty());
    ASSERT_TRUE(warmth.lastKelvin());
    EXPECT_FALSE(*warmth.lastKelvin());  // recorded as off

    setNightShift([](sim::SimNightShift& n) { n.active = true; });
    NightShiftWarmth other(*sim, defaults());
    other.apply(std::nullopt, 2700);
    EXPECT_EQ(sent(), std::vector<std::string>{"nightShift.setActive NO"});
    EXPECT_FALSE(nightShift().active);
}

TEST_F(NightShiftTest, TheUsersSettingsAreRecordedOnceAndPutBack) {
    LogCapture logs;
    setNightShift([](sim::SimNightShift& n) {
        n.active = true;
        n.cct = 3300;
        n.strength = 0.25f;
        n.range = {2700, 6000, 4100};
    });
    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(2900, 2700);
    const auto record = defaults()->dictionary(NightShiftWarmth::dirtyKey);
    ASSERT_TRUE(record);
    EXPECT_EQ(
        *record,
        (Dictionary{{"active", true}, {"cct", 3300.0}, {"strength", 0.25}, {"range", Array{2700.0, 6000.0, 4100.0}}}));
    EXPECT_EQ(logs.messages("nightshift"),
              std::vector<std::string>{"snapshot: active=1 cct=3300.000000 strength=0.250000"});

    warmth.apply(2000, 1800);
    EXPECT_EQ(*defaults()->dictionary(NightShiftWarmth::dirtyKey), *record);  // the first snapshot stays

    warmth.restore();
    EXPECT_EQ(nightShift().cct, 3300);
    EXPECT_EQ(nightShift().strength, 0.25f);
    EXPECT_EQ(nightShift().range, (std::array<float, 3>{2700, 6000, 4100}));
    EXPECT_TRUE(nightShift().active);
    EXPECT_FALSE(defaults()->object(NightShiftWarmth::dirtyKey));
    EXPECT_FALSE(warmth.lastKelvin());
    EXPECT_FALSE(warmth.lastFloor());
    EXPECT_EQ(logs.messages("nightshift").back(), "restored the user's Night Shift settings");
}

TEST_F(NightShiftTest, IncompleteRecordsRestoreWhatTheyHold) {
    const struct {
        const char* what;
        Dictionary record;
        std::array<float, 3> range;
        bool active;
    } cases[] = {
        {"two range numbers",
         {{"active", true}, {"cct", 3000.0}, {"strength", 0.5}, {"range", Array{1800.0, 6000.0}}},
         {1000, 6000, 3500},
         true},
        {"no active flag",
         {{"cct", 3000.0}, {"strength", 0.5}, {"range", Array{2700.0, 6000.0, 4100.0}}},
         {2700, 6000, 4100},
         false},
        {"active as text", {{"active", "yes"}}, {1000, 6000, 3500}, false},
        {"not a dictionary", {}, {1000, 6000, 3500}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setNightShift([](sim::SimNightShift& n) {
            n.active = true;
            n.range = {1000, 6000, 3500};
        });
        if (std::string(c.what) == "not a dictionary") defaults()->set(NightShiftWarmth::dirtyKey, Value("garbage"));
        else defaults()->set(NightShiftWarmth::dirtyKey, c.record);
        NightShiftWarmth warmth(*sim, defaults());
        warmth.restoreIfDirty();
        EXPECT_EQ(nightShift().range, c.range);
        EXPECT_EQ(nightShift().active, c.active);
        EXPECT_FALSE(defaults()->object(NightShiftWarmth::dirtyKey));
    }
}

TEST_F(NightShiftTest, RestoreWithoutARecordDoesNothing) {
    LogCapture logs;
    NightShiftWarmth warmth(*sim, defaults());
    warmth.apply(3000, 2700);
    defaults()->remove(NightShiftWarmth::dirtyKey);
    sim->journal().clear();
    warmth.restore();
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(logs.messages("nightshift").size() == 1u);  // the snapshot line only
    EXPECT_EQ(warmth.lastKelvin(), std::optional<std::optional<std::int64_t>>(3000));
    EXPECT_EQ(warmth.lastFloor(), 2700);
}

TEST_F(NightShiftTest, ReassertTurnsNightShiftBackWhereTheProgramLeftIt) {
    NightShiftWarmth warmth(*sim, defaults());
    warmth.reassert();  // nothing asked yet
    EXPECT_TRUE(sent().empty());

    warmth.apply(3000, 2700);
    setNightShift([](sim::SimNightShift& n) {
        n.active = false;  // the user switched it off
        n.cct = 5000;
    });
    sim->journal().clear();
    warmth.reassert();
    EXPECT_TRUE(nightShift().active);
    EXPECT_EQ(nightShift().cct, 3000);
    EXPECT_NEAR(nightShift().strength, 0.909091, 1e-5);

    sim->journal().clear();
    warmth.reassert();  // in agreement: nothing
    EXPECT_TRUE(sent().empty());

    warmth.apply(std::nullopt, 2700);
    setNightShift([](sim::SimNightShift& n) { n.active = true; });
    warmth.reassert();
    EXPECT_FALSE(nightShift().active);
}

TEST_F(NightShiftTest, AClientMissingASelectorIsUnusable) {
    for (const char* selector : {"getCCT:", "setCCT:commit:", "getStrength:", "setStrength:commit:", "setActive:",
                                 "getBlueLightStatus:", "getCCTRange:"}) {
        SCOPED_TRACE(selector);
        setNightShift([&](sim::SimNightShift& n) { n.missingSelectors = {selector}; });
        NightShiftWarmth warmth(*sim, defaults());
        EXPECT_FALSE(warmth.isAvailable());
        warmth.apply(3000, 2700);
        warmth.restore();
        EXPECT_TRUE(sent().empty());
        EXPECT_FALSE(defaults()->object(NightShiftWarmth::dirtyKey));
    }
    // Only the range setter missing: usable, the range is left alone.
    setNightShift([&](sim::SimNightShift& n) { n.missingSelectors = {"setCCTRange:"}; });
    NightShiftWarmth warmth(*sim, defaults());
    EXPECT_TRUE(warmth.isAvailable());
    warmth.apply(1900, 1900);
    EXPECT_EQ(nightShift().range, (std::array<float, 3>{2700, 6000, 4100}));
    EXPECT_EQ(nightShift().cct, 1900);
}

TEST_F(NightShiftTest, TheStatusProbe) {
    EXPECT_TRUE(NightShift(*sim).isAvailable());
    setNightShift([](sim::SimNightShift& n) {
        n.active = false;
        n.enabled = true;
    });
    EXPECT_EQ(NightShift(*sim).status(), (NightShift::Status{false, true}));
    setNightShift([](sim::SimNightShift& n) { n.missingSelectors = {"getBlueLightStatus:"}; });
    EXPECT_FALSE(NightShift(*sim).status());
}

TEST_F(NightShiftTest, WithoutAClientNothingIsAvailable) {
    sim->setPortMissing("nightShift");
    EXPECT_FALSE(NightShift(*sim).isAvailable());
    EXPECT_FALSE(NightShift(*sim).status());
    EXPECT_FALSE(NightShiftWarmth(*sim, defaults()).isAvailable());
}
