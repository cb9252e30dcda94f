// Rest breaks on the simulated machine: sampling, the blockers, the break's poll and the
// countdown panel, all on the fake scheduler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "ModelFixture.h"
#include "RecordingPanels.h"
#include "app/RestBreakController.h"

namespace orvane {
namespace {

using platform::AssertionsByProcess;
using platform::sim::SimState;

class RestBreakControllerTest : public testing::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        // Untinted, so that only a break's dimming starts a fade.
        Settings settings = testing::manualSettings(6500, 1.0);
        settings.restBreaks = {true, 10, 20};  // a break after ten active minutes
        start(settings);
        input();
    }
    void TearDown() override {
        controller.reset();
        ModelTest::TearDown();
    }

    RestBreakController& make() {
        // Fades step the fake clocks in sixtieths of a second, which the wall clock cannot
        // hold exactly; whole seconds again let fifteen-second samples add up exactly.
        clock->setNow(Date(std::round(clock->now().secondsSince1970)));
        input();
        controller = std::make_unique<RestBreakController>(model, panels);
        return *controller;
    }
    void setRestBreaks(RestBreakSettings restBreaks) {
        model->change([&](Settings& s, RuntimeState&) { s.restBreaks = restBreaks; });
        if (controller) controller->update();  // what the delegate's settings hook does
    }
    // A key or pointer event now.
    void input() {
        sim->update([&](SimState& s) { s.lastInputAt = clock->now(); });
    }
    // Keeps using the computer for `seconds`, with an input every 30 s at most.
    void useFor(double seconds) {
        for (double left = seconds; left > 0; left -= 30) {
            input();
            scheduler->advance(std::min(30.0, left));
        }
    }
    std::uint32_t mainDisplay() { return *sim->displays().mainDisplay(); }
    // The one panel made so far; throws when none was.
    const testing::PanelRecord& panel() const { return *panels.made.at(0); }
    bool panelVisible() const { return !panels.made.empty() && panel().visible; }

    testing::RecordingPanels panels;
    std::unique_ptr<RestBreakController> controller;
};

TEST_F(RestBreakControllerTest, AnActiveMinuteBringsABreakThatDimsShowsTheCountdownAndEndsOnItsOwn) {
    auto& c = make();
    bool found = false;
    for (const auto& t : scheduler->timers()) found |= t.interval == 15.0 && t.tolerance == 3.0;
    EXPECT_TRUE(found) << "a repeating 15 s sampler with 3 s tolerance";

    useFor(599);
    EXPECT_FALSE(c.onBreak());
    EXPECT_NEAR(c.timer().activeSeconds, 585, 1e-6);
    useFor(1);  // the fortieth sample, at ten minutes
    ASSERT_TRUE(c.onBreak());
    EXPECT_EQ(model->restDim(), 0.45);
    ASSERT_EQ(panels.made.size(), 1u);
    EXPECT_EQ(panel().kind, "restBreak");
    EXPECT_EQ(panel().width, 320);
    EXPECT_EQ(panel().height, 92);
    EXPECT_TRUE(panel().visible);
    ASSERT_TRUE(panel().origin);
    EXPECT_EQ(*panel().origin, (platform::Point{720 - 160, 120})) << "centred, 120 pt above the bottom";
    EXPECT_EQ(c.hud().state().seconds(), 20);
    EXPECT_EQ(c.hud().state().startedAt(), clock->now());

    scheduler->advance(19.9);
    EXPECT_TRUE(c.onBreak());
    scheduler->advance(0.1);
    EXPECT_FALSE(c.onBreak()) << "over after its 20 s";
    EXPECT_EQ(model->restDim(), std::nullopt);
    EXPECT_FALSE(panel().visible);
    EXPECT_EQ(c.timer().activeSeconds, 0);
    EXPECT_TRUE(c.isSampling());

    // The panel is built once and reused.
    c.startBreak();
    EXPECT_EQ(panels.made.size(), 1u);
    EXPECT_TRUE(panel().visible);
}

TEST_F(RestBreakControllerTest, InputEndsABreakOnlyAfterItsFirstSecondAtThePollAfterOneAndAHalf) {
    const struct {
        double keyAt;
        double endsAt;  // seconds into the break
    } cases[] = {
        {0.9, 20.0},  // too early: the break runs its full length
        {1.2, 1.75},  // the first poll after 1.5 s sees it
        {5.1, 5.25},
    };
    setRestBreaks({false, 10, 20});  // "Try it now" works with breaks off too
    auto& c = make();
    for (const auto& k : cases) {
        SCOPED_TRACE(k.keyAt);
        scheduler->advance(10);
        c.startBreak();
        EXPECT_EQ(model->restDim(), 0.45);
        EXPECT_TRUE(panelVisible());
        scheduler->advance(k.keyAt);
        input();
        scheduler->advance(k.endsAt - k.keyAt - 0.05);
        EXPECT_TRUE(c.onBreak());
        scheduler->advance(0.05);
        EXPECT_FALSE(c.onBreak());
        EXPECT_FALSE(panelVisible());
        EXPECT_EQ(model->restDim(), std::nullopt);
    }
    EXPECT_FALSE(c.isSampling()) << "a tried break starts no sampling";
}

TEST_F(RestBreakControllerTest, EachBlockerKeepsABreakAwayUntilAMinuteWithoutIt) {
    const int ownPid = static_cast<int>(::getpid());
    const struct {
        const char* name;
        std::function<void(bool)> set;
    } blockers[] = {
        {"full-screen front window", [&](bool on) { model->setFrontmostIsFullScreen(on); }},
        {"security prompt", [&](bool on) { model->setSecurityPromptVisible(on); }},
        {"locked screen", [&](bool on) { sim->update([&](SimState& s) { s.screenLocked = on; }); }},
        {"main display asleep", [&](bool on) { sim->changeDisplay(mainDisplay(), [&](auto& d) { d.asleep = on; }); }},
        {"display-sleep assertion",
         [&](bool on) {
             sim->update([&](SimState& s) {
                 s.powerAssertions = AssertionsByProcess{{ownPid, {"PreventUserIdleDisplaySleep"}}};
                 if (on) (*s.powerAssertions)[4242] = {"PreventUserIdleDisplaySleep"};
             });
         }},
    };
    for (const auto& b : blockers) {
        SCOPED_TRACE(b.name);
        auto& c = make();
        EXPECT_FALSE(c.blocked());
        b.set(true);
        EXPECT_TRUE(c.blocked());
        useFor(630);
        EXPECT_FALSE(c.onBreak());
        EXPECT_GE(c.timer().activeSeconds, 600) << "the use still counts";
        b.set(false);
        EXPECT_FALSE(c.blocked());
        useFor(59);
        EXPECT_FALSE(c.onBreak()) << "45 s unblocked are not enough";
        useFor(1);
        EXPECT_TRUE(c.onBreak()) << "a minute unblocked is";
        c.endBreak();
    }
}

TEST_F(RestBreakControllerTest, OnlyAnotherProcesssDisplaySleepAssertionBlocksAndUnreadableCountsAsNot) {
    const int ownPid = static_cast<int>(::getpid());
    const struct {
        const char* name;
        std::optional<AssertionsByProcess> assertions;
        std::optional<bool> locked;
        bool blocked;
    } cases[] = {
        {"nothing", AssertionsByProcess{}, false, false},
        {"own display assertion", AssertionsByProcess{{ownPid, {"PreventUserIdleDisplaySleep"}}}, false, false},
        {"another's display assertion", AssertionsByProcess{{77, {"PreventUserIdleDisplaySleep"}}}, false, true},
        {"the older assertion name", AssertionsByProcess{{77, {"NoDisplaySleepAssertion"}}}, false, true},
        {"system sleep only", AssertionsByProcess{{77, {"PreventUserIdleSystemSleep"}}}, false, false},
        {"one among others", AssertionsByProcess{{77, {"PreventSystemSleep", "NoDisplaySleepAssertion"}}}, false, true},
        {"unreadable assertions", std::nullopt, false, false},
        {"unreadable lock", AssertionsByProcess{}, std::nullopt, false},
        {"locked", std::nullopt, true, true},
    };
    auto& c = make();
    for (const auto& k : cases) {
        sim->update([&](SimState& s) {
            s.powerAssertions = k.assertions;
            s.screenLocked = k.locked;
        });
        EXPECT_EQ(c.blocked(), k.blocked) << k.name;
    }
}

TEST_F(RestBreakControllerTest, SamplesDuringABreakOnlyMoveTheSampleTime) {
    auto& c = make();
    scheduler->advance(10);
    setRestBreaks({true, 10, 10});
    c.startBreak();
    scheduler->advance(5);  // the sample at 15 s falls into the break
    EXPECT_TRUE(c.onBreak());
    EXPECT_EQ(c.timer().activeSeconds, 0);
    EXPECT_EQ(c.lastSample(), clock->now());
    scheduler->advance(5);
    EXPECT_FALSE(c.onBreak());
    // The sample at 30 s counts the 15 s since the last one (near: the break's fade steps
    // leave the wall clock a little off whole seconds).
    scheduler->advance(10);
    EXPECT_NEAR(c.timer().activeSeconds, 15, 1e-4);
}

TEST_F(RestBreakControllerTest, SwitchingBreaksOffMidBreakEndsItAtOnceAndOnAgainSamplesAfresh) {
    auto& c = make();
    c.startBreak();
    scheduler->advance(3);
    setRestBreaks({false, 10, 20});
    EXPECT_FALSE(c.onBreak());
    EXPECT_FALSE(panelVisible());
    EXPECT_EQ(model->restDim(), std::nullopt);
    EXPECT_FALSE(c.isSampling());
    scheduler->advance(40);
    EXPECT_FALSE(c.onBreak());

    // A change of length or interval leaves a running break and the sampler alone.
    setRestBreaks({true, 10, 20});
    EXPECT_TRUE(c.isSampling());
    EXPECT_EQ(c.lastSample(), clock->now());
    c.startBreak();
    const auto startedAt = c.hud().state().startedAt();
    scheduler->advance(3);
    setRestBreaks({true, 20, 30});
    EXPECT_TRUE(c.onBreak());
    EXPECT_EQ(c.hud().state().startedAt(), startedAt);
    scheduler->advance(17);
    EXPECT_FALSE(c.onBreak()) << "the running break keeps its 20 s";
}

TEST_F(RestBreakControllerTest, TryingAgainDuringABreakStartsTheCountdownOverWithoutANewDimChange) {
    setRestBreaks({false, 10, 20});
    auto& c = make();
    c.startBreak();
    int dimChanges = 0;
    auto watch = model->observe([&](AppModel::Property p) { dimChanges += p == AppModel::Property::restDim; });
    scheduler->advance(5);
    c.startBreak();
    EXPECT_EQ(c.hud().state().startedAt(), clock->now());
    scheduler->advance(19.9);
    EXPECT_TRUE(c.onBreak()) << "the countdown started over";
    scheduler->advance(0.1);
    EXPECT_FALSE(c.onBreak());
    EXPECT_EQ(dimChanges, 1) << "only the end lifts the dimming";
}

TEST_F(RestBreakControllerTest, WithoutAScreenTheBreakRunsUnseen) {
    panels.screen = std::nullopt;
    auto& c = make();
    c.startBreak();
    EXPECT_EQ(model->restDim(), 0.45);
    EXPECT_FALSE(panelVisible());
    EXPECT_EQ(c.hud().state().seconds(), 20);
    scheduler->advance(20);
    EXPECT_FALSE(c.onBreak());
    EXPECT_EQ(model->restDim(), std::nullopt);
}

TEST_F(RestBreakControllerTest, AControllerGoneMidBreakLeavesTheModelAlone) {
    make().startBreak();
    controller.reset();
    scheduler->advance(30);
    EXPECT_EQ(model->restDim(), 0.45);
    EXPECT_TRUE(panels.made.front()->destroyed);
}

}  // namespace
}  // namespace orvane
