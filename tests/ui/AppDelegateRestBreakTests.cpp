// The delegate's rest-break wiring on the simulated machine with the fake scheduler:
// "Try it now" starts a break, a change of the rest-break settings starts the sampler,
// and the quit sequence ends a running break first.
#include <gtest/gtest.h>

#include <algorithm>

#include "SimFixture.h"
#include "ui/AppDelegate.h"

namespace orvane {
namespace {

class AppDelegateRestBreakTest : public testing::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        delegate = std::make_shared<AppDelegate>(sim);
        delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(delegate->model());
        scheduler->runPending();
    }
    void TearDown() override {
        if (delegate) delegate->applicationWillTerminate();
        delegate.reset();
        SimTest::TearDown();
    }
    bool samplerRuns() const {
        const auto timers = scheduler->timers();
        return std::any_of(timers.begin(), timers.end(), [](const auto& t) {
            return t.interval == RestBreakController::sampleInterval &&
                   t.tolerance == RestBreakController::sampleTolerance;
        });
    }

    testing::LogCapture logs;  // the missing watchdog and the like stay off the output
    std::shared_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateRestBreakTest, TryItNowStartsABreakAndQuittingEndsIt) {
    auto& model = *delegate->model();
    ASSERT_FALSE(model.settings().restBreaks.enabled);
    EXPECT_FALSE(samplerRuns());
    model.tryRestBreak();
    EXPECT_EQ(model.restDim(), AppModel::restBreakDim);
    delegate->applicationWillTerminate();
    EXPECT_EQ(model.restDim(), std::nullopt) << "the quit sequence ends the break first";
}

TEST_F(AppDelegateRestBreakTest, TheSamplerFollowsTheRestBreakSettings) {
    auto& model = *delegate->model();
    model.change([](Settings& s, RuntimeState&) { s.restBreaks.enabled = true; });
    EXPECT_TRUE(samplerRuns());
    model.tryRestBreak();
    model.change([](Settings& s, RuntimeState&) { s.restBreaks.enabled = false; });
    EXPECT_FALSE(samplerRuns());
    EXPECT_EQ(model.restDim(), std::nullopt) << "switching breaks off ends the running one";
}

}  // namespace
}  // namespace orvane
